// The small DOM: literal qualified names, element children only,
// attributes in order, and parsing that reaches for nothing outside the
// bytes it is given.
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/xml/Dom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

using namespace platform;
using platform::xml::Document;
using platform::xml::Element;

namespace
{
std::unique_ptr<Document> parse(const std::string& text)
{
    auto document = Document::parse(text);
    EXPECT_NE(document, nullptr) << text;
    return document;
}

std::vector<std::u16string> namesOf(const std::vector<Element>& elements)
{
    std::vector<std::u16string> names;
    for (const Element& element : elements)
        names.push_back(element.attribute(u"n").value_or(u"?"));
    return names;
}

// A file in the temporary folder, removed again.
class ScratchFile
{
public:
    explicit ScratchFile(const std::string& content)
    {
        auto name = createTemporaryFile("qc-xml-", ".xml");
        if (!name)
            return;
        path_ = *name;
        std::ofstream(path::toNative(path_), std::ios::binary) << content;
    }
    ~ScratchFile() { path::removeFile(path_); }
    const std::u16string& path() const { return path_; }

private:
    std::u16string path_;
};
} // namespace

TEST(XmlDom, ElementChildrenSkipTextCommentsAndInstructions)
{
    auto document = parse("<?xml version='1.0'?>\n<!-- before -->\n<root>\n  text\n"
                          "  <!-- a comment --><?pi data?>\n  <a n='1'/>\n  <b n='2'><c/></b>\n"
                          "  tail <!-- last -->\n</root>\n");
    const Element root = document->documentElement();
    EXPECT_EQ(root.name(), u"root");
    const Element first = root.firstChild();
    EXPECT_EQ(first.name(), u"a");
    EXPECT_EQ(first.nextSibling().name(), u"b");
    EXPECT_FALSE(first.nextSibling().nextSibling());
    EXPECT_EQ(root.lastChild(), first.nextSibling());
    EXPECT_FALSE(first.firstChild()) << "an empty element has no first child";
    EXPECT_EQ(root.lastChild().firstChild().name(), u"c");

    // A null element answers nothing, whatever is asked.
    const Element none;
    EXPECT_FALSE(none);
    EXPECT_TRUE(none.name().empty());
    EXPECT_FALSE(none.firstChild());
    EXPECT_FALSE(none.lastChild());
    EXPECT_FALSE(none.nextSibling());
    EXPECT_TRUE(none.attributes().empty());
    EXPECT_FALSE(none.attribute(u"n"));
    EXPECT_TRUE(none.selectNodes(u"a").empty());
}

TEST(XmlDom, AttributesComeInDocumentOrderWithoutNamespaceDeclarations)
{
    auto document = parse("<p:e xmlns:p='urn:p' z='1' xmlns='urn:d' p:a='2' m='' "
                          "t='&amp;&#65;&#x1F600;&lt;' u='Eiche &#xE4;'/>");
    const Element element = document->documentElement();
    EXPECT_EQ(element.name(), u"p:e");
    const auto attributes = element.attributes();
    ASSERT_EQ(attributes.size(), 5u);
    EXPECT_EQ(attributes[0].name, u"z");
    EXPECT_EQ(attributes[0].value, u"1");
    EXPECT_EQ(attributes[1].name, u"p:a");
    EXPECT_EQ(attributes[1].value, u"2");
    EXPECT_EQ(attributes[2].name, u"m");
    EXPECT_TRUE(attributes[2].value.empty());
    EXPECT_EQ(attributes[3].value, u"&A\U0001F600<");
    EXPECT_EQ(attributes[4].value, u"Eiche \u00E4");

    // Looked up by the qualified name as written.
    EXPECT_EQ(element.attribute(u"p:a"), u"2");
    EXPECT_FALSE(element.attribute(u"a")) << "the prefix is part of the name";
    EXPECT_EQ(element.attribute(u"m"), u"");
    EXPECT_FALSE(element.attribute(u"xmlns"));
    EXPECT_FALSE(element.attribute(u"xmlns:p"));
}

TEST(XmlDom, PathsMatchQualifiedNamesLiterally)
{
    const std::string library =
        "<mstns:materials xmlns:mstns='urn:m' xmlns='urn:default'>\n"
        "  <classification n='c1'><material n='1'/><other n='x'/><material n='2'/></classification>\n"
        "  <mstns:classification n='prefixed'><material n='no'/></mstns:classification>\n"
        "  <classification n='c2'><material n='3'/><material n='4'><material n='nested'/></material>"
        "</classification>\n"
        "</mstns:materials>\n";
    auto document = parse(library);
    const auto materials = document->selectNodes(u"mstns:materials/classification/material");
    EXPECT_EQ(namesOf(materials), (std::vector<std::u16string>{u"1", u"2", u"3", u"4"}))
        << "counted across classifications, in document order, children only";
    EXPECT_EQ(namesOf(document->selectNodes(u"mstns:materials/mstns:classification")),
              (std::vector<std::u16string>{u"prefixed"}));
    EXPECT_TRUE(document->selectNodes(u"materials/classification/material").empty())
        << "the root's prefix must be written";
    EXPECT_TRUE(document->selectNodes(u"x:materials/classification").empty());
    EXPECT_EQ(document->selectNodes(u"mstns:materials").size(), 1u);

    const Element second = document->selectNodes(u"mstns:materials/classification")[1];
    EXPECT_EQ(second.attribute(u"n"), u"c2");
    EXPECT_EQ(second.selectSingleNode(u"material").attribute(u"n"), u"3");
    EXPECT_EQ(namesOf(second.selectNodes(u"material/material")),
              (std::vector<std::u16string>{u"nested"}));
    EXPECT_FALSE(second.selectSingleNode(u"swatchcolor"));

    // A prefix that was never declared is still part of the name.
    auto undeclared = Document::parse("<mstns:materials><classification><material n='u'/>"
                                      "</classification></mstns:materials>");
    ASSERT_NE(undeclared, nullptr);
    EXPECT_EQ(namesOf(undeclared->selectNodes(u"mstns:materials/classification/material")),
              (std::vector<std::u16string>{u"u"}));
}

TEST(XmlDom, PathsHoldNothingButNames)
{
    auto document = parse("<r><a/></r>");
    for (const char16_t* path : {u"", u"r/", u"/r", u"r//a", u"r/*", u"r/a[1]", u"r/@n",
                                 u"r | a", u"r/a/text()"})
        EXPECT_THROW(document->selectNodes(path), std::invalid_argument) << path;
    EXPECT_THROW(document->documentElement().selectSingleNode(u"a/"), std::invalid_argument);
    EXPECT_EQ(document->selectNodes(u"r/a").size(), 1u);
}

TEST(XmlDom, NothingOutsideTheBytesIsReached)
{
    ScratchFile secret("<secret>classified</secret>");
    ASSERT_FALSE(secret.path().empty());
    const std::string url = "file://" + path::toNative(secret.path());

    // External entities are neither loaded nor substituted.
    auto external = Document::parse("<!DOCTYPE r [<!ENTITY x SYSTEM '" + url +
                                    "'>]>\n<r><e a='1'>&x;</e></r>");
    ASSERT_NE(external, nullptr);
    EXPECT_FALSE(external->documentElement().firstChild().firstChild())
        << "the entity's elements must not appear in the tree";

    // An external DTD is not loaded, so its defaults do not appear.
    ScratchFile dtd("<!ATTLIST e d CDATA 'from-dtd'>");
    auto withDtd = Document::parse("<!DOCTYPE r SYSTEM '" + path::toNative(dtd.path()) +
                                   "'><r><e a='1'/></r>");
    ASSERT_NE(withDtd, nullptr);
    EXPECT_FALSE(withDtd->documentElement().firstChild().attribute(u"d"));

    // Nor are the defaults of an internal one applied.
    auto internal = Document::parse("<!DOCTYPE r [<!ATTLIST e d CDATA 'default'>]><r><e/></r>");
    ASSERT_NE(internal, nullptr);
    EXPECT_TRUE(internal->documentElement().firstChild().attributes().empty());

    // An internal entity's text counts in an attribute, as the document wrote it.
    auto entity = Document::parse("<!DOCTYPE r [<!ENTITY w 'wood'>]><r t='&w;\\oak.jpg'/>");
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->documentElement().attribute(u"t"), u"wood\\oak.jpg");

    // Exponential entity expansion is refused instead of carried out.
    std::string bomb = "<!DOCTYPE r [<!ENTITY a0 'aaaaaaaaaaaaaaaa'>";
    for (int i = 1; i < 12; ++i)
    {
        const std::string previous = "&a" + std::to_string(i - 1) + ";";
        std::string body;
        for (int k = 0; k < 16; ++k)
            body += previous;
        bomb += "<!ENTITY a" + std::to_string(i) + " '" + body + "'>";
    }
    bomb += "]><r v='&a11;'/>";
    auto exploded = Document::parse(bomb);
    if (exploded)
    {
        EXPECT_LT(exploded->documentElement().attribute(u"v").value_or(u"").size(), 1u << 24);
    }
}

TEST(XmlDom, BadInputGivesNoDocument)
{
    EXPECT_EQ(Document::parse(""), nullptr);
    EXPECT_EQ(Document::parse("<r>"), nullptr);
    EXPECT_EQ(Document::parse("<r></s>"), nullptr);
    EXPECT_EQ(Document::parse("<r a='1' a='2'/>"), nullptr);
    EXPECT_EQ(Document::parse(std::string("<r>\0</r>", 8)), nullptr);
    EXPECT_EQ(Document::parse("text only"), nullptr);
    EXPECT_EQ(Document::parse(std::string(Document::kMaxBytes + 1, ' ')), nullptr);

    // Every truncation of a small document is refused or parsed, never more.
    const std::string whole = "<?xml version='1.0' encoding='UTF-8'?>\n"
                              "<m:r xmlns:m='u'><c a='1' b='&#233;'><d/></c><!-- x --></m:r>\n";
    for (std::size_t length = 0; length < whole.size(); ++length)
    {
        auto document = Document::parse(whole.substr(0, length));
        if (document)
        {
            EXPECT_GE(length, whole.find("</m:r>") + 6) << length;
        }
    }
}

TEST(XmlDom, BrokenInputIsRefusedSilently)
{
    testing::internal::CaptureStderr();
    const std::string undecodable[] = {
        std::string("<?xml version='1.0' encoding='EUC-JP'?><r>\x8f\x11\x27</r>"),
        std::string("<?xml version='1.0' encoding='Shift_JIS'?><r>\x81\x11</r>"),
        std::string("<?xml version='1.0' encoding='UTF-32'?><r/>"),
        std::string("<r><unclosed></r>"),
    };
    for (const auto& bytes : undecodable)
        EXPECT_EQ(Document::parse(bytes), nullptr) << bytes;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(XmlDom, FilesAreReadWhenTheyExistAndFit)
{
    ScratchFile file("<r><a n='from file'/></r>");
    auto document = Document::loadFile(file.path());
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->documentElement().firstChild().attribute(u"n"), u"from file");

    EXPECT_EQ(Document::loadFile(u""), nullptr);
    EXPECT_EQ(Document::loadFile(u"/nonexistent/quillcast/library.xml"), nullptr);
    EXPECT_EQ(Document::loadFile(path::cutLastComponent(file.path())), nullptr)
        << "a folder is no document";
    ScratchFile broken("<r><a></r>");
    EXPECT_EQ(Document::loadFile(broken.path()), nullptr);
    ScratchFile large(std::string(Document::kMaxBytes + 1, ' '));
    EXPECT_EQ(Document::loadFile(large.path()), nullptr);
}
