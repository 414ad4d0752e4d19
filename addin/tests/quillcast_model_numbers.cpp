// The quillcast program on parts and assemblies holding numbers a model
// stream cannot carry: a number beyond single precision refuses the
// document at its line; numbers within it whose products overflow leave
// their item out, named, and the package's stream (read back by the
// independent tools and our W3D reader) holds only finite floats.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <unistd.h>

using namespace publish_test;

namespace
{
const std::string kExamples = QUILLCAST_SOURCE_DIR "/examples/";

std::string Head(const std::string& type, const std::string& title)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"" +
           type + "\" title=\"" + title + "\" path=\"/samples/" + title +
           "\" active=\"1\">\n<configuration name=\"Default\" current=\"1\"/>\n";
}

const std::string kTail = "</document>\n</host-document>\n";

// A plain face, so that every part has something drawn.
const std::string kFace = "<face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
                          "<normals>0 0 1 0 0 1 0 0 1</normals></face>\n";

// The line (counted from 1) of the first line of `text` holding `marker`.
int LineOf(const std::string& text, const std::string& marker)
{
    const std::size_t at = text.find(marker);
    return at == std::string::npos
               ? 0
               : 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
}

bool AllFinite(const geometry_test::Node& node)
{
    for (const geometry_test::Item& item : node.items)
        for (const auto* values : {&item.f, &item.normals, &item.parameters})
            for (float value : *values)
                if (!std::isfinite(value))
                    return false;
    for (const geometry_test::Node& child : node.children)
        if (!AllFinite(child))
            return false;
    return true;
}

std::size_t Count(const geometry_test::Node& node, int opcode)
{
    std::size_t count = node.count(opcode);
    for (const geometry_test::Node& child : node.children)
        count += Count(child, opcode);
    return count;
}

class QuillcastModelNumbers : public QuillcastProgram
{
protected:
    int Publish(const std::string& document, std::string& errors)
    {
        return Quillcast("publish " + Quoted(document) + " -o " + Quoted(Target()) +
                             " --force --quiet --data-folder " + Quoted(kExamples + "host-data"),
                         errors);
    }
};
} // namespace

TEST_F(QuillcastModelNumbers, ANumberBeyondSinglePrecisionRefusesTheDocumentAtItsLine)
{
    const std::string tooLarge = ", a number too large for single precision";
    struct Case
    {
        std::string document;
        std::string number;  // as written, on the line the refusal names
        std::string refusal; // after "line N: "
    };
    const std::string sketch =
        "<feature id=\"outline\" type-name=\"3DProfileFeature\" kind=\"0\"><sketch flag=\"1\">\n";
    const std::vector<Case> cases = {
        {Head("1", "line.PRT") + sketch +
             "<lines kind=\"1\" count=\"1\">0 0 0 0 -1 0  0 0 0  1e39 0 0</lines>\n"
             "</sketch></feature>\n<body>" +
             kFace + "</body>\n" + kTail,
         "1e39", "<lines> holds 1e+39" + tooLarge},
        {Head("1", "arc.PRT") + sketch +
             "<arcs count=\"1\">0 0 0 0 -1 0  1 0 0  0 1 0  0 0 0  1  0 0 1\n"
             "</arcs>\n<splines count=\"1\">0 0 2  0 0 0  0 0 -3.5e38</splines>\n"
             "</sketch></feature>\n<body>" +
             kFace + "</body>\n" + kTail,
         "-3.5e38", "<splines> holds -3.5e+38" + tooLarge},
        {Head("1", "edge.PRT") + "<body>" + kFace +
             "<edge params=\"0 0 0  0.04 0 0  0 0.04  0 0 0\">\n"
             "<curve kind=\"3003\" ellipse=\"0 0 0  4e38 1 0 0  0.004 0 1 0\"/></edge>\n"
             "</body>\n" +
             kTail,
         "4e38", "attribute 'ellipse' holds 4e+38" + tooLarge},
        {Head("1", "thread.PRT") +
             "<feature id=\"hole\" type-name=\"Hole\" kind=\"1\">\n"
             "<feature id=\"thread\" type-name=\"CosmeticThread\" kind=\"2\">\n"
             "<thread setting=\"0\" diameter=\"1e39\"/></feature></feature>\n<body>" +
             kFace + "</body>\n" + kTail,
         "1e39", "attribute 'diameter' holds 1e+39" + tooLarge},
        {Head("2", "placed.ASM") +
             "<components>\n<component name=\"top\">\n"
             "<component name=\"c\" transform=\"1 0 0 0 1 0 0 0 1  0 0 0  5e38\"/>\n"
             "</component></components>\n" +
             kTail,
         "5e38", "attribute 'transform' holds 5e+38" + tooLarge},
    };
    for (const Case& c : cases)
    {
        const std::string document = Document("refused.xml", c.document);
        std::string errors;
        EXPECT_EQ(Publish(document, errors), 2) << errors;
        const int line = LineOf(c.document, c.number);
        EXPECT_NE(errors.find("line " + std::to_string(line) + ": " + c.refusal), std::string::npos)
            << errors;
        EXPECT_NE(::access(Target().c_str(), F_OK), 0) << "nothing is written";
    }
}

TEST_F(QuillcastModelNumbers, ProductsBeyondSinglePrecisionLeaveTheirItemOutAndNoInfinityIn)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // Every number fits single precision; what is made of them does not:
    // the middle of an arc about (2e38, 0, 0) of radius 2e38 lies at 4e38,
    // the end of an ellipse's major axis at 6e38, a thread's circle of
    // diameter 3.4e38 about (2e38, 0, 0) reaches 3.7e38, and the top
    // face's texture coordinates, scaled by 3e38 times the part's size of
    // 10, go past it too.
    const std::string root3 = "1.7320508075688772e38";
    const std::string part =
        Head("1", "far.PRT") +
        "<bounding-box>0 0 0 10 0 0</bounding-box>\n"
        "<feature id=\"outline\" type-name=\"3DProfileFeature\" kind=\"0\"><sketch flag=\"1\">\n"
        "<arcs count=\"2\">0 0 0 0 -1 0  3e38 " +
        root3 + " 0  3e38 -" + root3 +
        " 0  2e38 0 0  1\n"
        "0 0 0 0 -1 0  1 0 0  0 1 0  0 0 0  1</arcs>\n</sketch></feature>\n"
        "<feature id=\"hole\" type-name=\"Hole\" kind=\"1\">\n"
        "<feature id=\"far thread\" type-name=\"CosmeticThread\" kind=\"2\">\n"
        "<thread setting=\"0\" diameter=\"3.4e38\"><edge params=\"2.00000001e38 0 0  "
        "2.00000001e38 0 0  0 6.283185307179586  0 0 0\"><curve kind=\"3002\" circle=\"2e38 0 0  "
        "0 0 1  1e30\" is-circle=\"1\"/></edge></thread></feature></feature>\n<body>\n" +
        kFace +
        "<face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
        "<normals>0 0 1 0 0 1 0 0 1</normals>"
        "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>\n"
        "<texture configuration=\"Default\" file=\"&lt;SystemTexture&gt;\\wood\\oak.jpg\" "
        "angle=\"0\" scale=\"3e38\"/></face>\n"
        "<edge params=\"0 0 0  1 0 0  0 1  0 0 0\"><curve kind=\"3001\"/></edge>\n"
        "<edge params=\"0 0 0  0 0 0  0 6.283185307179586  0 0 0\">\n"
        "<curve kind=\"3003\" ellipse=\"3e38 0 0  3e38 1 0 0  0.004 0 1 0\"/></edge>\n"
        "</body>\n" +
        kTail;
    std::string errors;
    EXPECT_EQ(Publish(Document("far.xml", part), errors), 3) << errors;
    for (const char* cause :
         {"cause: 3D sketch 'outline': arc 1 is left out: its points are too far out to draw\n",
          "cause: Edge 2 of body 1 is left out: its points are too large for single precision\n",
          "cause: Cosmetic thread 'far thread' is left out: its circle is too large for single "
          "precision\n",
          "cause: Face 2 of body 1 is drawn with texture coordinates 0: its texture coordinates, "
          "turned and scaled by its texture, do not fit single precision\n"})
        EXPECT_NE(errors.find(cause), std::string::npos) << cause << errors;
    const model_package::ModelPackage package =
        model_package::ReadModelPackage(Target(), "", root_ + "/read-far");
    EXPECT_TRUE(AllFinite(package.tree));
    // The rest is drawn: both faces, the line edge, the second arc.
    EXPECT_EQ(package.shells, 2);
    EXPECT_EQ(Count(package.tree, 'l'), 1u);
    EXPECT_EQ(Count(package.tree, 'c'), 1u);
    EXPECT_EQ(Count(package.tree, 'e'), 0u);

    // A component whose turn times its scale overflows keeps its bodies but
    // loses its placement, and says so.
    const std::string assembly =
        Head("2", "far.ASM") +
        "<components>\n<component name=\"top\">\n"
        "<component name=\"big\" document=\"p.PRT\" transform=\"1e30 0 0 0 1e30 0 0 0 1e30  0 0 "
        "0  1e30\">\n<body>" +
        kFace + "</body></component>\n</component></components>\n</document>\n" +
        "<document type=\"1\" title=\"p.PRT\"><body>" + kFace + "</body>\n" + kTail;
    EXPECT_EQ(Publish(Document("far-assembly.xml", assembly), errors), 3) << errors;
    EXPECT_NE(errors.find("cause: Component 'big': Its placement is left out: its axes times its "
                          "scale are too large for single precision\n"),
              std::string::npos)
        << errors;
    const model_package::ModelPackage placed =
        model_package::ReadModelPackage(Target(), "", root_ + "/read-far-assembly");
    EXPECT_TRUE(AllFinite(placed.tree));
    EXPECT_EQ(placed.matrices, 0);
    EXPECT_EQ(placed.shells, 1);
}
