// The codec texts (the compiled-in table and its "library missing" mode),
// the one name comparison of the codec family, and text templates.
#include "imaging/codecs/strings/CodecStringTable.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/strings/FormatString.h"
#include "imaging/codecs/tiff/TiffStrings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <functional>
#include <set>
#include <string>

using namespace Omvi;

namespace
{

std::string textOf(const StringBuffer& buffer)
{
    return buffer.text();
}

// Restores the string library whatever a test does to it.
class LibraryPresence : public ::testing::Test
{
protected:
    void TearDown() override { setCodecStringLibraryPresent(true); }
};

std::string filled(const char* templateText, const std::function<void(FormatString&)>& fill)
{
    FormatString format;
    format.setTemplate(AsciiStringBuffer(templateText));
    fill(format);
    StringBuffer out;
    format.getText(out);
    return out.text();
}

} // namespace

using CodecStrings = LibraryPresence;

TEST_F(CodecStrings, LoadedTextsCarryTheirTerminatorAndEncodingFour)
{
    StringBuffer out;
    ASSERT_TRUE(loadCodecString(TiffStringId::kExtensionTiff, out));
    EXPECT_EQ(textOf(out), "tiff");
    EXPECT_EQ(out.size(), 5);
    EXPECT_EQ(out.encoding(), kCodecTextEncoding);
    EXPECT_EQ(out.data()[4], '\0');

    // An id nobody defined: an empty text, and still true.
    ASSERT_TRUE(loadCodecString(99999, out));
    EXPECT_EQ(out.size(), 1);
    EXPECT_EQ(out.encoding(), kCodecTextEncoding);
}

TEST_F(CodecStrings, MissingLibraryGivesEmptyTextsAndFalse)
{
    setCodecStringLibraryPresent(false);
    StringBuffer out(5, "abcd", 0);
    EXPECT_FALSE(loadCodecString(TiffStringId::kName, out));
    EXPECT_EQ(out.size(), 1);
    EXPECT_EQ(out.encoding(), 0u);
    EXPECT_TRUE(out.isEmpty());

    setCodecStringLibraryPresent(true);
    EXPECT_TRUE(loadCodecString(TiffStringId::kName, out));
    EXPECT_EQ(textOf(out), "TIFF");
}

TEST_F(CodecStrings, EveryIdHasOneOwnerAndTextsDifferWithinEachCodec)
{
    std::set<std::int32_t> ids;
    for (const CodecStringBlock& block : codecStringBlocks())
    {
        ASSERT_GT(block.count, 0u) << block.owner;
        std::set<std::string> texts;
        for (std::size_t i = 0; i < block.count; ++i)
        {
            const CodecStringEntry& entry = block.entries[i];
            EXPECT_TRUE(ids.insert(entry.id).second) << "id " << entry.id << " listed twice";
            ASSERT_NE(entry.text, nullptr);
            EXPECT_GT(std::strlen(entry.text), 0u) << "id " << entry.id;
            // Properties are created and found by name: a repeated text
            // within a codec would make two of them one.
            EXPECT_TRUE(texts.insert(entry.text).second)
                << block.owner << ": \"" << entry.text << "\" is used twice (id " << entry.id << ")";
        }
    }
    // The correlation texts and every codec's first text are there.
    for (std::int32_t id : {101, 1100, 3100, 5100, 6100, 7100, 8100, 10100, 11100, 12100, 13100, 14100, 15117})
        EXPECT_EQ(ids.count(id), 1u) << id;
}

TEST_F(CodecStrings, NamesCompareAcrossSingleByteEncodingsButNotAcrossWidths)
{
    const AsciiStringBuffer plain("Density");
    StringBuffer loaded(8, "Density", kCodecTextEncoding);
    StringBuffer unterminated(7, "Density", 0);
    EXPECT_TRUE(stringBuffersEqual(plain, loaded));
    EXPECT_TRUE(stringBuffersEqual(plain, unterminated));
    EXPECT_FALSE(stringBuffersEqual(plain, AsciiStringBuffer("Densities")));
    // Only the characters before the first NUL count.
    EXPECT_TRUE(stringBuffersEqual(plain, StringBuffer(12, "Density\0abc", 0)));

    const char16_t wide[] = u"Density";
    const StringBuffer wideText(sizeof wide, wide, 2);
    EXPECT_FALSE(stringBuffersEqual(plain, wideText));
    EXPECT_TRUE(stringBuffersEqual(wideText, StringBuffer(14, wide, 2)));
    EXPECT_FALSE(stringBuffersEqual(wideText, StringBuffer(sizeof u"Densitx", u"Densitx", 2)));

    // Buffers without bytes read as the empty text.
    EXPECT_TRUE(stringBuffersEqual(StringBuffer(), AsciiStringBuffer("")));
    EXPECT_TRUE(stringBufferEquals(loaded, "Density"));
    EXPECT_FALSE(stringBufferEquals(wideText, "Density"));
}

TEST_F(CodecStrings, NamesCompareWithACodecTextByItsId)
{
    const std::int32_t id = TiffStringId::propertyKindNameId(2);
    StringBuffer text;
    ASSERT_TRUE(loadCodecString(id, text));
    ASSERT_GT(text.size(), 1);
    EXPECT_TRUE(equalsCodecString(AsciiStringBuffer(textOf(text).c_str()), id));
    EXPECT_TRUE(equalsCodecString(text, id));
    EXPECT_FALSE(equalsCodecString(AsciiStringBuffer((textOf(text) + "s").c_str()), id));
    EXPECT_FALSE(equalsCodecString(AsciiStringBuffer(""), id));
    // Without the string library every codec text is empty.
    setCodecStringLibraryPresent(false);
    EXPECT_FALSE(equalsCodecString(text, id));
    EXPECT_TRUE(equalsCodecString(AsciiStringBuffer(""), id));
}

TEST(FormatString, FillsNumberedInsertsWithTheirConversions)
{
    EXPECT_EQ(filled("%1!d! x %2!d! pixels",
                     [](FormatString& f) {
                         EXPECT_TRUE(f.formatInteger(1, 640));
                         EXPECT_TRUE(f.formatInteger(2, 480));
                     }),
              "640 x 480 pixels");
    EXPECT_EQ(filled("value %1!x!", [](FormatString& f) { EXPECT_TRUE(f.formatInteger(1, 255)); }), "value ff");
    EXPECT_EQ(filled("(%1)", [](FormatString& f) { EXPECT_TRUE(f.formatText(1, AsciiStringBuffer("text"))); }),
              "(text)");
    EXPECT_EQ(filled("%2 before %1", [](FormatString& f) {
                  EXPECT_TRUE(f.setPlaceholderText(1, "one"));
                  EXPECT_TRUE(f.setPlaceholderText(2, "two"));
              }),
              "two before one");
    EXPECT_EQ(filled("%1!.2f! dpi", [](FormatString& f) { EXPECT_TRUE(f.formatDouble(1, 72.5)); }), "72.50 dpi");
    // Signed conversions show the value as signed.
    EXPECT_EQ(filled("%1!d!", [](FormatString& f) { EXPECT_TRUE(f.formatInteger(1, 0xFFFFFFFFu)); }), "-1");
}

TEST(FormatString, ValuesLongerThanThirtyOneCharactersAreNotCut)
{
    EXPECT_EQ(filled("%1!.3f!", [](FormatString& f) { EXPECT_TRUE(f.formatDouble(1, 1e40)); }),
              "10000000000000000303786028427003666890752.000");
    const std::string longText(300, 'x');
    EXPECT_EQ(filled("[%1]", [&](FormatString& f) { EXPECT_TRUE(f.formatText(1, AsciiStringBuffer(longText))); }),
              "[" + longText + "]");
}

TEST(FormatString, NumbersUseTheDecimalPointWhateverTheLocale)
{
    const char* changed = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    if (changed == nullptr)
        changed = std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    const std::string text = filled("%1!.1f!", [](FormatString& f) { f.formatDouble(1, 2.5); });
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(text, "2.5");
    if (changed == nullptr)
        GTEST_SKIP() << "skipped: no locale with a decimal comma is installed";
}

TEST(FormatString, MissingInsertsAndUnsuitedConversionsLeaveTheTemplateAlone)
{
    FormatString format;
    EXPECT_FALSE(format.formatInteger(1, 5));  // no template at all
    StringBuffer out;
    EXPECT_FALSE(format.getText(out));
    EXPECT_FALSE(format.setTemplate(AsciiStringBuffer("")));

    ASSERT_TRUE(format.setTemplate(AsciiStringBuffer("%1!d! and %10")));
    EXPECT_FALSE(format.formatInteger(3, 5));
    EXPECT_FALSE(format.formatInteger(0, 5));
    // A text conversion given a number, a number conversion given a text,
    // length modifiers and the writing conversion are all refused.
    EXPECT_FALSE(format.formatText(1, AsciiStringBuffer("x")));
    for (const char* unsafe : {"%1!s!", "%1!n!", "%1!ld!", "%1!*d!", "%1!%!"})
    {
        FormatString other;
        other.setTemplate(AsciiStringBuffer(unsafe));
        EXPECT_FALSE(other.formatInteger(1, 5)) << unsafe;
        EXPECT_FALSE(other.formatDouble(1, 5.0)) << unsafe;
    }
    ASSERT_TRUE(format.getText(out));
    EXPECT_EQ(out.text(), "%1!d! and %10");
    EXPECT_EQ(out.encoding(), kCodecTextEncoding);

    // %1 is not the start of %10.
    EXPECT_TRUE(format.formatText(10, AsciiStringBuffer("ten")));
    EXPECT_TRUE(format.formatInteger(1, 1));
    format.getText(out);
    EXPECT_EQ(out.text(), "1 and ten");

    // An insert whose conversion is not closed is not an insert.
    FormatString open;
    open.setTemplate(AsciiStringBuffer("%1!d"));
    EXPECT_FALSE(open.formatInteger(1, 2));
}

TEST(FormatString, PlaceholdersAndFormatsAreCopiedOnlyWhenTheyFit)
{
    FormatString format;
    format.setTemplate(AsciiStringBuffer("a %2!04d! b %1"));
    char out[16];
    ASSERT_TRUE(format.findPlaceholder(2, out, sizeof out));
    EXPECT_STREQ(out, "%2!04d!");
    EXPECT_FALSE(format.findPlaceholder(2, out, 7));  // needs 8 with the NUL
    EXPECT_STREQ(out, "");
    ASSERT_TRUE(format.placeholderFormat(2, out, sizeof out));
    EXPECT_STREQ(out, "%04d");
    ASSERT_TRUE(format.placeholderFormat(1, out, sizeof out));
    EXPECT_STREQ(out, "%s");
    EXPECT_FALSE(format.placeholderFormat(1, out, 2));

    EXPECT_TRUE(format.replace("a ", "A "));
    EXPECT_FALSE(format.replace("zzz", "y"));
    EXPECT_FALSE(format.replace(nullptr, "y"));
    EXPECT_TRUE(format.formatInteger(2, 7));
    StringBuffer text;
    format.getText(text);
    EXPECT_EQ(text.text(), "A 0007 b %1");

    // Another encoding is not taken as a template.
    const char16_t wide[] = u"%1";
    EXPECT_TRUE(format.setTemplate(StringBuffer(sizeof wide, wide, 2)));
    format.getText(text);
    EXPECT_EQ(text.text(), "A 0007 b %1");
}
