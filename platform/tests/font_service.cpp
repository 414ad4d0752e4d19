#include "PinnedFonts.h"
#include "platform/font/FontService.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

using font_test::kMono;
using font_test::kSans;
using font_test::kSerif;
using font_test::PinnedFont;

using font_test::Pinned;
using font_test::EndsWith;

TEST(FontService, Names_Resolve_To_Their_Metric_Compatible_Faces_And_Metrics)
{
    struct Expected
    {
        const PinnedFont& font;
        const char* family;
        FontMetrics metrics;
    };
    const Expected cases[] = {{kSans, "Liberation Sans", {2048, 1854, 434}},
                              {kSerif, "Liberation Serif", {2048, 1825, 443}},
                              {kMono, "Liberation Mono", {2048, 1705, 615}}};
    for (const Expected& expected : cases)
    {
        std::string skip;
        std::shared_ptr<const FontFace> face = Pinned(expected.font, skip);
        if (!face)
            GTEST_SKIP() << skip;
        EXPECT_EQ(face->family(), expected.family);
        EXPECT_EQ(face->metrics().emSquare, expected.metrics.emSquare);
        EXPECT_EQ(face->metrics().ascent, expected.metrics.ascent);
        EXPECT_EQ(face->metrics().descent, expected.metrics.descent);
        EXPECT_EQ(face->metrics().cellHeight(), expected.metrics.ascent + expected.metrics.descent);
        // Looked up once: the same face comes back, and a name differing in
        // case alone is the same font.
        EXPECT_EQ(FontService::shared().face(expected.font.name), face);
    }
    std::shared_ptr<const FontFace> upper = FontService::shared().face(u"ARIAL");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->family(), "Liberation Sans");

    // Styles are faces of their own.
    std::shared_ptr<const FontFace> bold = FontService::shared().face(u"Arial", true, false);
    ASSERT_TRUE(bold);
    EXPECT_TRUE(EndsWith(bold->file(), "LiberationSans-Bold.ttf")) << bold->file();
    std::shared_ptr<const FontFace> italic = FontService::shared().face(u"Times New Roman", false, true);
    ASSERT_TRUE(italic);
    EXPECT_TRUE(EndsWith(italic->file(), "LiberationSerif-Italic.ttf")) << italic->file();
}

TEST(FontService, A_Name_No_Installed_Font_Answers_To_Has_No_Face_And_A_Reason)
{
    // Fontconfig would offer some sans-serif face for these; its widths
    // would be another font's.
    const std::u16string names[] = {u"Quillcast No Such Face", u"", std::u16string(u"Arial\0x", 7)};
    for (const std::u16string& name : names)
    {
        EXPECT_FALSE(FontService::shared().face(name)) << name.size();
        EXPECT_FALSE(FontService::shared().failure(name).empty());
    }
    EXPECT_NE(FontService::shared().failure(u"Quillcast No Such Face").find("Quillcast No Such Face"),
              std::string::npos);
    EXPECT_EQ(FontService::shared().failure(u"Arial"), "");
}

TEST(FontService, Advances_Are_The_Fonts_Own_Without_Kerning)
{
    struct Case
    {
        const PinnedFont& font;
        const char16_t* text;
        double width;
    };
    // Each width is the sum of the characters' advances; "UNLESS ..." kerns
    // in both fonts (by 37 and 113 units), which the platform's extent
    // leaves out.
    const Case cases[] = {{kSans, u"UNLESS OTHERWISE SPECIFIED", 32546},
                          {kSans, u"Mixed case 0123456789", 22317},
                          {kSans, u"PERPENDICULAR", 17412},
                          {kSans, u"Ag", 2505},
                          {kSerif, u"UNLESS OTHERWISE SPECIFIED", 30721},
                          {kSerif, u"Mixed case 0123456789", 20135},
                          {kSerif, u"PERPENDICULAR", 16727},
                          {kMono, u"UNLESS OTHERWISE SPECIFIED", 26 * 1229}};
    for (const Case& c : cases)
    {
        std::string skip;
        std::shared_ptr<const FontFace> face = Pinned(c.font, skip);
        if (!face)
            GTEST_SKIP() << skip;
        TextMeasure measure = face->measure(c.text);
        EXPECT_EQ(measure.width, c.width) << face->family();
        EXPECT_TRUE(measure.missing.empty());
    }
    std::string skip;
    std::shared_ptr<const FontFace> sans = Pinned(kSans, skip);
    if (!sans)
        GTEST_SKIP() << skip;
    EXPECT_EQ(sans->advance(U'A'), 1366);
    EXPECT_EQ(sans->advance(U' '), 569);
    EXPECT_EQ(sans->measure(u"").width, 0.0);
}

TEST(FontService, Characters_Without_A_Glyph_Are_Named_By_Index_And_Left_Out)
{
    std::string skip;
    std::shared_ptr<const FontFace> sans = Pinned(kSans, skip);
    if (!sans)
        GTEST_SKIP() << skip;
    EXPECT_EQ(sans->advance(U'\u4E2D'), -1);
    EXPECT_EQ(sans->advance(U'\U0001F600'), -1);
    EXPECT_EQ(sans->advance(char32_t(0x110000)), -1);
    EXPECT_EQ(sans->advance(char32_t(0xD800)), -1);

    // A, a CJK character, g, an emoji as a surrogate pair (one character),
    // a lone low surrogate, a lone high surrogate, A.
    const std::u16string text = u"A\u4E2Dg\U0001F600\xDC00" u"\xD800" u"A";
    ASSERT_EQ(text.size(), 8u);
    TextMeasure measure = sans->measure(text);
    EXPECT_EQ(measure.width, 1366 + 1139 + 1366);
    EXPECT_EQ(measure.missing, (std::vector<std::size_t>{1, 3, 5, 6}));
    // A high surrogate at the very end stands alone.
    EXPECT_EQ(sans->measure(u"g\xD83D").missing, (std::vector<std::size_t>{1}));
}

TEST(FontService, Faces_Measure_The_Same_From_Several_Threads)
{
    std::string skip;
    std::shared_ptr<const FontFace> serif = Pinned(kSerif, skip);
    if (!serif)
        GTEST_SKIP() << skip;
    std::vector<double> widths(4, 0.0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < widths.size(); ++t)
        threads.emplace_back(
            [&widths, t]
            {
                for (int round = 0; round < 50; ++round)
                {
                    std::shared_ptr<const FontFace> face =
                        FontService::shared().face(round % 2 ? u"Times New Roman" : u"Arial");
                    if (face && round % 2)
                        widths[t] = face->measure(u"PERPENDICULAR").width;
                }
            });
    for (std::thread& thread : threads)
        thread.join();
    for (double width : widths)
        EXPECT_EQ(width, 16727);
}
