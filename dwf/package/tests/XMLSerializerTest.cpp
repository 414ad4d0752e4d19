#include "dwf/package/writer/XMLSerializer.h"
#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwfcore/Exception.h"
#include "dwfcore/UUID.h"

#include "TestSupport.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::StringOutputStream;

namespace
{

// Attributes of the first element named `element` in `document`, as expat decodes them.
std::map<std::string, std::string> attributesOf(const std::string& document,
                                                const std::string& element)
{
    struct State
    {
        std::string element;
        std::map<std::string, std::string> found;
        bool done = false;
    } state{element, {}, false};

    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &state);
    XML_SetStartElementHandler(parser,
                               [](void* data, const XML_Char* name, const XML_Char** atts)
                               {
                                   State& s = *static_cast<State*>(data);
                                   if (!s.done && s.element == name)
                                   {
                                       for (int i = 0; atts[i]; i += 2)
                                       {
                                           s.found[atts[i]] = atts[i + 1];
                                       }
                                       s.done = true;
                                   }
                               });
    const bool parsed =
        XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    EXPECT_TRUE(parsed) << "expat rejected: " << document.substr(0, 300);
    EXPECT_TRUE(state.done) << "no element " << element;
    return state.found;
}

class XMLSerializerTest : public ::testing::Test
{
protected:
    DWFCore::DWFUUID uuid;
    StringOutputStream out;
    DWFXMLSerializer serializer{uuid};

    std::string written()
    {
        serializer.detach();
        return out.text;
    }
};

TEST_F(XMLSerializerTest, ElementsNestAsEmptyTagsOrStartAndEndTags)
{
    serializer.attach(out);
    serializer.startElement(u"Manifest", u"dwf:");
    serializer.addAttribute(u"version", u"6.0");
    serializer.startElement(u"Interfaces", u"dwf:");
    serializer.endElement();
    serializer.startElement(u"Properties");
    serializer.startElement(u"Property");
    serializer.endElement();
    serializer.endElement();
    serializer.endElement();
    EXPECT_EQ(written(), "<dwf:Manifest version=\"6.0\"><dwf:Interfaces/>"
                         "<Properties><Property/></Properties></dwf:Manifest>");
}

TEST_F(XMLSerializerTest, EmptyValuesAreLeftOutAndPrefixesJoinNames)
{
    serializer.attach(out);
    serializer.startElement(u"A");
    serializer.addAttribute(u"empty", DWFString());
    serializer.addAttribute(u"ePlot", u"DWF-ePlot:1.2", u"xmlns:");
    serializer.addAttribute(u"id", u"x", u"");
    serializer.endElement();
    EXPECT_EQ(written(), "<A xmlns:ePlot=\"DWF-ePlot:1.2\" id=\"x\"/>");
}

TEST_F(XMLSerializerTest, MarkupCharactersAreEscapedAndOrdinaryTextIsUnchanged)
{
    serializer.attach(out);
    serializer.startElement(u"A");
    serializer.addAttribute(u"v", u"<a & \"b\" 'c'>");
    serializer.addAttribute(u"w", u"plain \u00e9\u20ac text");
    serializer.endElement();
    EXPECT_EQ(written(), "<A v=\"&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;\" "
                         "w=\"plain \xC3\xA9\xE2\x82\xAC text\"/>");
}

TEST_F(XMLSerializerTest, HostileTextStaysWellFormedAndKeepsWhitespace)
{
    std::u16string hostile = u"tab\tlf\ncr\r";
    for (char16_t c = 1; c < 0x20; ++c)
    {
        hostile.push_back(c);
    }
    hostile += u"|";
    hostile.push_back(0xD800); // lone high surrogate
    hostile += u"|";
    hostile.push_back(0xDC00); // lone low surrogate
    hostile += u"|";
    hostile.push_back(0xD83D); // a proper pair: U+1F600
    hostile.push_back(0xDE00);
    hostile.push_back(0xFFFE);
    hostile.push_back(0xFFFF);
    hostile.push_back(0);

    serializer.attach(out);
    serializer.startElement(u"A");
    serializer.addAttribute(u"v", DWFString(hostile));
    serializer.endElement();
    const std::string document = written();
    const std::string value = attributesOf(document, "A")["v"];
    const std::string fffd = "\xEF\xBF\xBD";
    std::string expected = "tab\tlf\ncr\r";
    for (char16_t c = 1; c < 0x20; ++c)
    {
        expected += (c == '\t' || c == '\n' || c == '\r') ? std::string(1, char(c)) : fffd;
    }
    expected += "|" + fffd + "|" + fffd + "|\xF0\x9F\x98\x80" + fffd + fffd + fffd;
    EXPECT_EQ(value, expected);
    EXPECT_WELL_FORMED(document);
}

TEST_F(XMLSerializerTest, LongValuesPassThroughTheBufferIntact)
{
    std::u16string longText(100000, u'x');
    for (std::size_t i = 0; i < longText.size(); i += 997)
    {
        longText[i] = (i % 2) ? u'<' : char16_t(0x7);
    }
    serializer.attach(out);
    serializer.startElement(u"A");
    serializer.addAttribute(u"v", DWFString(longText));
    serializer.startElement(u"B");
    serializer.endElement();
    serializer.endElement();
    const std::string document = written();
    std::string expected;
    for (char16_t c : longText)
    {
        expected += (c == 0x7) ? std::string("\xEF\xBF\xBD") : std::string(1, char(c));
    }
    EXPECT_EQ(attributesOf(document, "A")["v"], expected);
    EXPECT_EQ(document.substr(document.size() - 8), "<B/></A>");
    EXPECT_WELL_FORMED(document);
}

TEST_F(XMLSerializerTest, NothingReachesTheStreamBeforeAFlush)
{
    serializer.attach(out);
    serializer.startElement(u"A");
    serializer.endElement();
    EXPECT_TRUE(out.text.empty());
    EXPECT_EQ(written(), "<A/>");
}

TEST_F(XMLSerializerTest, AttachingAgainFlushesTheFirstStream)
{
    StringOutputStream second;
    serializer.attach(out);
    serializer.startElement(u"First");
    serializer.endElement();
    serializer.attach(second);
    serializer.startElement(u"Second");
    serializer.endElement();
    serializer.detach();
    EXPECT_EQ(out.text, "<First/>");
    EXPECT_EQ(second.text, "<Second/>");
}

TEST_F(XMLSerializerTest, MisuseThrowsUnexpected)
{
    EXPECT_THROW(serializer.startElement(u"A"), DWFCore::DWFUnexpectedException);
    EXPECT_THROW(serializer.addAttribute(u"a", u"b"), DWFCore::DWFUnexpectedException);
    EXPECT_THROW(serializer.endElement(), DWFCore::DWFUnexpectedException);

    serializer.attach(out);
    EXPECT_THROW(serializer.endElement(), DWFCore::DWFUnexpectedException);
    EXPECT_THROW(serializer.addAttribute(u"a", u"b"), DWFCore::DWFUnexpectedException);
    serializer.startElement(u"A");
    serializer.startElement(u"B");
    serializer.endElement();
    // A's start tag was closed by B: an attribute now would land in content.
    EXPECT_THROW(serializer.addAttribute(u"a", u"b"), DWFCore::DWFUnexpectedException);
    serializer.endElement();
    EXPECT_THROW(serializer.endElement(), DWFCore::DWFUnexpectedException);
    EXPECT_EQ(written(), "<A><B/></A>");
}

TEST_F(XMLSerializerTest, FailedAttachLeavesTheSerializerDetached)
{
    serializer.attach(out);
    serializer.startElement(u"Kept");
    serializer.endElement();
    DWFCore::DWFCoreMemory::failAllocationsAfter(0);
    try
    {
        serializer.attach(out);
        ADD_FAILURE() << "attach did not fail";
    }
    catch (const DWFCore::DWFMemoryException& error)
    {
        EXPECT_EQ(std::u16string(error.message()), u"Failed to allocate buffered stream");
    }
    DWFCore::DWFCoreMemory::failAllocationsAfter(-1);
    EXPECT_EQ(out.text, "<Kept/>"); // flushed before the new stream was made
    EXPECT_THROW(serializer.startElement(u"A"), DWFCore::DWFUnexpectedException);
}

TEST_F(XMLSerializerTest, AbandonDropsBufferedTextAndOpenElements)
{
    serializer.attach(out);
    serializer.startElement(u"Lost");
    serializer.abandon();
    EXPECT_EQ(serializer.depth(), 0u);
    EXPECT_THROW(serializer.endElement(), DWFCore::DWFUnexpectedException);
    serializer.attach(out);
    serializer.startElement(u"Next");
    serializer.endElement();
    EXPECT_EQ(written(), "<Next/>");
}

TEST_F(XMLSerializerTest, NextUUIDComesFromTheGivenSource)
{
    PackageTest::FixedUUIDs fixed;
    DWFCore::DWFUUID counted;
    DWFXMLSerializer withCounted(counted);
    EXPECT_EQ(PackageTest::utf8(withCounted.nextUUID(true)), PackageTest::FixedUUIDs::squashed(0));
    EXPECT_EQ(PackageTest::utf8(withCounted.nextUUID(true)), PackageTest::FixedUUIDs::squashed(1));
    EXPECT_EQ(PackageTest::utf8(counted.next(true)), PackageTest::FixedUUIDs::squashed(2));
}

TEST(NumberText, ListsMatchPrintfSeventeenDigitsExactly)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i)
    {
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2)
        {
            value = std::ldexp(double(bits >> 11) / double(1ull << 53), int(bits % 80) - 40);
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.17g", value);
        ASSERT_EQ(PackageTest::utf8(DWFFormatNumbers(&value, 1)), expected);
        ASSERT_EQ(PackageTest::utf8(DWFFormatNumber("%.17g", value)), expected);
    }
}

TEST(NumberText, FormatsInTheCLocaleWhateverTheProcessLocale)
{
    const double values[] = {1.0, 0.5, 0.1, -2.25};
    EXPECT_EQ(PackageTest::utf8(DWFFormatNumbers(values, 4)), "1 0.5 0.10000000000000001 -2.25");
    EXPECT_EQ(PackageTest::utf8(DWFFormatNumber("%#0.2g", 1.2)), "1.2");
    EXPECT_EQ(PackageTest::utf8(DWFFormatNumber("%#0.2g", 1.0)), "1.0");
    EXPECT_EQ(PackageTest::utf8(DWFFormatNumber("%#2.2g", 6.0)), "6.0");
    EXPECT_EQ(PackageTest::utf8(DWFFormatInteger(-42)), "-42");

    const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"};
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* switched = nullptr;
    for (const char* name : commaLocales)
    {
        if (std::setlocale(LC_ALL, name))
        {
            switched = name;
            break;
        }
    }
    if (!switched)
    {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const std::string half = PackageTest::utf8(DWFFormatNumbers(values, 2));
    const std::string single = PackageTest::utf8(DWFFormatNumber("%.17g", 8.5));
    const std::string version = PackageTest::utf8(DWFFormatNumber("%#0.2g", 1.2));
    double parsed[2] = {0, 0};
    DWFAttributeText::ParseDoubles("2.25 3,5", parsed, 2);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(half, "1 0.5") << "under " << switched;
    EXPECT_EQ(single, "8.5") << "under " << switched;
    EXPECT_EQ(version, "1.2") << "under " << switched;
    EXPECT_EQ(parsed[0], 2.25);
    EXPECT_EQ(parsed[1], 3.5);
}

} // namespace
