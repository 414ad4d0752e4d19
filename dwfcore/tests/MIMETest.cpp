#include "dwfcore/MIME.h"

#include <gtest/gtest.h>

#include <string>

using namespace DWFCore;

namespace
{

std::u16string extension(const char16_t* type)
{
    const char16_t* found = DWFMIME::GetExtension(type);
    return found == nullptr ? u"(none)" : found;
}

TEST(DWFMIME, KnownTypesMapToTheirExtensions)
{
    EXPECT_EQ(extension(u"image/jpeg"), u"jpg");
    EXPECT_EQ(extension(u"application/x-dwg-state"), u"pia");
    EXPECT_EQ(extension(u"drawing/x-dwf"), u"dwf");
    EXPECT_EQ(extension(u"model/vnd.dwf"), u"dwf");
    EXPECT_EQ(extension(u"application/x-w2d"), u"w2d");
    EXPECT_EQ(extension(u"application/x-w3d"), u"w3d");
    EXPECT_EQ(extension(u"application/x-font"), u"ef_");
    EXPECT_EQ(extension(u"text/xml"), u"xml");
    // Later calls return the same static texts.
    EXPECT_EQ(DWFMIME::GetExtension(u"text/xml"), DWFMIME::GetExtension(u"text/xml"));
}

TEST(DWFMIME, LookupIsExactAndCaseSensitive)
{
    EXPECT_EQ(DWFMIME::GetExtension(u"IMAGE/PNG"), nullptr);
    EXPECT_EQ(DWFMIME::GetExtension(u"image/png "), nullptr);
    EXPECT_EQ(DWFMIME::GetExtension(u"image/gif"), nullptr);
    EXPECT_EQ(DWFMIME::GetExtension(u""), nullptr);
    EXPECT_EQ(DWFMIME::GetExtension(nullptr), nullptr);
}

} // namespace
