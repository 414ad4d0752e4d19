// A malformed host document is refused whole, with the line of the fault.
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace host;

namespace
{

// A small valid document; each case below replaces one marked line.
std::string documentWith(const std::string& viewContent,
                         const std::string& sheetAttributes = "properties=\"0 0 0 0 0 0.42 0.297\"")
{
    return "<?xml version=\"1.0\"?>\n"                 // 1
           "<host-document version=\"1\">\n"           // 2
           "  <document type=\"3\" title=\"d.DRW\">\n" // 3
           "    <drawing>\n"                           // 4
           "      <sheet name=\"S\" " +
           sheetAttributes +
           ">\n"                                    // 5
           "        <view name=\"V\" type=\"1\">\n" // 6
           + viewContent +                          // 7...
           "        </view>\n"
           "      </sheet>\n"
           "    </drawing>\n"
           "  </document>\n"
           "</host-document>\n";
}

struct Case
{
    const char* name;
    std::string xml;
    int line;
    const char* message;
};

std::vector<Case> cases()
{
    const std::string twelve = "5 0 0 1 -1 0 0 0 0 1 1 0";
    return {
        {"bad number",
         documentWith("<sketch>\n<lines kind=\"1\" count=\"1\">5 0 0 1 -1 0 0 x 0 1 1 "
                      "0</lines>\n</sketch>\n"),
         8, "'x'"},
        {"not finite",
         documentWith(
             "<sketch>\n<arcs count=\"1\">nan 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1</arcs>\n</sketch>\n"),
         8, "finite"},
        {"array shorter than its count",
         documentWith("<sketch>\n<lines kind=\"1\" count=\"2\">" + twelve +
                      "</lines>\n</sketch>\n"),
         8, "need 24 numbers, found 12"},
        {"array longer than its count",
         documentWith("<sketch>\n<lines kind=\"1\" count=\"0\">" + twelve +
                      "</lines>\n</sketch>\n"),
         8, "found 12"},
        {"unknown line kind",
         documentWith("<sketch>\n<lines kind=\"3\" count=\"0\"/>\n</sketch>\n"), 8,
         "kind must be 1 or 2"},
        {"hexadecimal of nine digits",
         documentWith("<sketch>\n<lines kind=\"1\" count=\"1\">0X123456789" + twelve.substr(1) +
                      "</lines>\n</sketch>\n"),
         8, "which is not a number; a hexadecimal number is 0x or 0X and one to eight"},
        {"unknown element", documentWith("<sketch>\n<circles count=\"0\"/>\n</sketch>\n"), 8,
         "unknown element <circles> inside <sketch>"},
        {"unknown attribute", documentWith("<annotation colour=\"1\" color=\"2\"/>\n"), 7,
         "unknown attribute 'color'"},
        {"missing attribute", documentWith("<splines>1 2</splines>\n"), 7,
         "missing attribute 'count'"},
        {"spline point count overruns",
         documentWith("<splines count=\"1\">0 0 0 0 0 0 3 1 2 3 4 5 6</splines>\n"), 7,
         "needs 16 numbers but only 13 remain"},
        {"spline count not whole",
         documentWith("<splines count=\"1\">0 0 0 0 0 0 1.5 1 2 3</splines>\n"), 7,
         "not a whole number"},
        {"polyline groups overrun",
         documentWith("<polylines count=\"2\">0 1 6 0 0 0 1 1 0</polylines>\n"), 7,
         "record 2 ends before its count"},
        {"model edge point count overruns",
         documentWith("<model-edges count=\"1\">0 0 0 0 0 0 0 0 5 1 2 3</model-edges>\n"), 7,
         "model edge record 1 needs 24"},
        {"dimension record overruns", documentWith("<dimensions><data>1 0 0</data></dimensions>\n"),
         7, "dimension record 1 needs 27"},
        {"dimension texts do not match",
         documentWith("<dimensions>\n<data>0</data>\n<text>extra</text>\n</dimensions>\n"), 7,
         "0 dimensions need as many <text>"},
        {"detail circle labels missing",
         documentWith("<detail-circles count=\"1\">\n<data>0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
                      "0</data>\n</detail-circles>\n"),
         7, "as many <label>"},
        {"detail circle arrows overrun",
         documentWith("<detail-circles count=\"1\">\n<data>0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
                      "2</data>\n<label>A</label>\n</detail-circles>\n"),
         7, "needs 34"},
        {"break line geometry missing",
         documentWith("<break-lines count=\"1\">3 0 0 0 0 0 0 0 0 1 2 3</break-lines>\n"), 7,
         "needs 49"},
        {"weld triangle short",
         documentWith("<weld-item list=\"1\">\n<triangle>1 2 3</triangle>\n</weld-item>\n"), 8,
         "needs 9 numbers"},
        {"weld list unknown", documentWith("<weld-item list=\"3\"/>\n"), 7, "list must be 1 or 2"},
        {"display arrows short",
         documentWith("<annotation>\n<display-data>\n<arrows count=\"1\">1 2 "
                      "3</arrows>\n</display-data>\n</annotation>\n"),
         9, "found 3"},
        {"detail outline of type 4 short",
         documentWith("<detail-outline type=\"4\">0 0 0 1 1</detail-outline>\n"), 7,
         "needs 6 numbers"},
        {"block definition unknown", documentWith("<block-instance definition=\"nowhere\"/>\n"), 7,
         "'nowhere' is not defined"},
        {"text in a container", documentWith("<sketch>stray words</sketch>\n"), 7, "takes no text"},
        {"sheet properties short", documentWith("", "properties=\"0 0 0.42\""), 5,
         "needs 7 numbers"},
        {"duplicate list", documentWith("<splines count=\"0\"/>\n<splines count=\"0\"/>\n"), 8,
         "a view has one <splines>"},
        {"mismatched tag", documentWith("<sketch>\n</sketches>\n"), 8, "malformed XML"},
        {"truncated file",
         documentWith("<sketch>\n").substr(0, documentWith("<sketch>\n").find("</view>")), 8,
         "malformed XML"},
        {"wrong root", "<?xml version=\"1.0\"?>\n<drawing/>\n", 2,
         "root element must be <host-document>"},
        {"no document", "<host-document>\n</host-document>\n", 1, "holds no <document>"},
        {"doctype refused",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY a \"b\">]>\n<host-document/>\n", 2,
         "not accepted"},
        {"unknown current sheet",
         "<host-document>\n<document type=\"3\">\n<drawing current-sheet=\"Z\">\n<sheet name=\"S\" "
         "properties=\"0 0 0 0 0 1 1\"><view type=\"1\"/></sheet>\n</drawing>\n</document>\n"
         "</host-document>\n",
         3, "names no sheet"},
        {"sheet without its own view",
         "<host-document>\n<document type=\"3\">\n<drawing>\n<sheet name=\"S\" "
         "properties=\"0 0 0 0 0 1 1\">\n<format-sketch/>\n</sheet>\n</drawing>\n</document>\n"
         "</host-document>\n",
         4, "a sheet needs at least one <view>"},
        {"two active documents",
         "<host-document>\n<document type=\"1\" active=\"1\"/>\n<document type=\"1\" "
         "active=\"1\"/>\n</host-document>\n",
         3, "only one document can be active"},
        {"bad integer", "<host-document>\n<document type=\"three\"/>\n</host-document>\n", 2,
         "not a whole number"},
        {"summary index",
         "<host-document>\n<document type=\"3\">\n<summary "
         "index=\"8\">x</summary>\n</document>\n</host-document>\n",
         3, "0 to 7"},
        {"curve with one point",
         documentWith("<sketch>\n<hatch><face><loop><edge><curve>1 2 "
                      "3</curve></edge></loop></face></hatch>\n</sketch>\n"),
         8, "at least two points"},
    };
}

} // namespace

TEST(MalformedDocuments, EachFaultNamesItsLine)
{
    for (const Case& c : cases())
    {
        SCOPED_TRACE(c.name);
        try
        {
            parseHostDocument(c.xml, u"");
            ADD_FAILURE() << "loaded a malformed document";
        }
        catch (const LoadError& error)
        {
            EXPECT_EQ(error.line(), c.line) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(c.line) + ": ", 0),
                      0u)
                << error.what();
        }
    }
}

TEST(MalformedDocuments, TheValidBaseLoads)
{
    auto application = parseHostDocument(documentWith(""), u"");
    ASSERT_NE(application->activeDocument(), nullptr);
    EXPECT_EQ(application->activeDocument()->asDrawing()->sheetCount(), 1);
}

TEST(MalformedDocuments, AFileThatCannotBeReadIsAnErrorWithTheSystemsReason)
{
    // Missing, and a folder where the file should be.
    const std::pair<const char16_t*, std::string> cases[] = {
        {u"/nonexistent/quillcast/host.xml",
         "cannot open host document '/nonexistent/quillcast/host.xml': No such file or directory"},
        {u"/", "cannot open host document '/': Is a directory"},
    };
    for (const auto& [path, message] : cases)
    {
        try
        {
            loadHostDocument(path);
            ADD_FAILURE() << message;
        }
        catch (const LoadError& error)
        {
            EXPECT_EQ(error.line(), 0);
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

namespace
{
std::string sampleText()
{
    std::ifstream in(std::string(QUILLCAST_SOURCE_DIR) + "/examples/sample-drawing.xml",
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(MalformedDocuments, EveryTruncationOfTheSampleIsRefused)
{
    const std::string whole = sampleText();
    ASSERT_GT(whole.size(), 1000u);
    for (std::size_t length = 0; length + 1 < whole.size(); length += 13)
    {
        // A cut inside the trailing newline leaves a complete document.
        if (whole.find_first_not_of(" \n", length) == std::string::npos)
            break;
        EXPECT_THROW(parseHostDocument(std::string_view(whole).substr(0, length), u""), LoadError)
            << length;
    }
}

TEST(MalformedDocuments, MutatedSamplesLoadOrFailCleanly)
{
    const std::string whole = sampleText();
    const char replacements[] = {'<', '>', '"', '9', '-', 'x', '\0', '\xff', ' ', '/'};
    int refused = 0;
    for (std::size_t i = 0, n = 0; i < whole.size(); i += 29, ++n)
    {
        std::string mutated = whole;
        mutated[i] = replacements[n % sizeof replacements];
        try
        {
            auto application = parseHostDocument(mutated, u"");
            EXPECT_NE(application->activeDocument(), nullptr);
        }
        catch (const LoadError& error)
        {
            ++refused;
            EXPECT_GE(error.line(), 1);
        }
    }
    EXPECT_GT(refused, 0);
}
