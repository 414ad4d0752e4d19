// What an assembly writes of its components beyond their bodies: each
// component's 3D sketches and cosmetic threads come from its own model
// document and are drawn in its segment, once, with its placement and its
// property set once too, whatever its number of bodies (none included);
// the top assembly's own sketches and threads are drawn once at the root.
// A subassembly likewise draws its own model document's sketches and
// threads under its placement (without moving the components below it) and
// carries that document's properties, not the top assembly's.
// Published in-process (the host's request counts and the causes of the
// messages) and by the quillcast program (the package read back by the
// independent tools and our readers, the points carried through the
// placements and checked against values worked out by hand). A body the
// walk never writes (in a subassembly, the root or an assembly's document)
// is refused on loading.
#include "addin/PublishRun.h"
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastHarness.h"
#include "host/Loader.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

using geometry_test::ExpectNear;
using geometry_test::Node;
using model_package::ModelPackage;
using namespace publish_test;

namespace
{
const std::string kPreview = " picture=\"" QUILLCAST_SOURCE_DIR "/examples/sample-preview.png\"";

std::string Face(double z)
{
    const std::string height = std::to_string(z);
    return "<face triangles=\"1\"><triangles>0 0 " + height + " 1 0 " + height + " 0 1 " + height +
           "</triangles><normals>0 0 1 0 0 1 0 0 1</normals></face>";
}

// A cosmetic thread of `diameter` on a circular edge of `radius` about
// `centre` (in the xy plane), starting on its +x side.
std::string Thread(const std::string& id, const std::array<double, 3>& centre, double radius,
                   double diameter, bool circle = true)
{
    const std::string c = std::to_string(centre[0]) + " " + std::to_string(centre[1]) + " " +
                          std::to_string(centre[2]);
    const std::string start = std::to_string(centre[0] + radius) + " " + std::to_string(centre[1]) +
                              " " + std::to_string(centre[2]);
    return "<feature id=\"" + id +
           "\" type-name=\"CosmeticThread\" kind=\"2\">"
           "<thread setting=\"0\" diameter=\"" +
           std::to_string(diameter) + "\"><edge params=\"" + start + "  " + start +
           "  0 6.283185307179586  0 0 0\"><curve kind=\"3002\" circle=\"" + c + "  0 0 1  " +
           std::to_string(radius) + "\" is-circle=\"" + (circle ? "1" : "0") +
           "\"/></edge></thread></feature>\n";
}

// A 3D sketch of one line.
std::string Sketch(const std::string& id, const std::string& line)
{
    return "<feature id=\"" + id +
           "\" type-name=\"3DProfileFeature\" kind=\"0\"><sketch flag=\"1\">"
           "<lines kind=\"1\" count=\"1\">0 0 0 0 -1 0  " +
           line + "</lines></sketch></feature>\n";
}

// The top assembly, with a 3D sketch and a thread of its own, holds
// "double" (two bodies) and, in subassembly "sub", "bare" (its one body not
// included); both show pin.PRT, moved by 10 and 20 along x. The pin has its
// own 3D sketch, a round thread and one whose edge is no circle.
std::string AssemblyWithThreads()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"2\" title=\"top.ASM\"" +
           kPreview +
           " active=\"1\">\n"
           "<configuration name=\"Default\" current=\"1\"/>\n" +
           Sketch("top outline", "0 0 0  1 0 0") +
           "<feature id=\"top hole\" type-name=\"Hole\" kind=\"1\">\n" +
           Thread("top thread", {1, 1, 1}, 0.1, 0.2) +
           "</feature>\n"
           "<components><component name=\"top\">\n"
           "<component name=\"double\" document=\"pin.PRT\" "
           "transform=\"1 0 0 0 1 0 0 0 1 10 0 0 1\">\n"
           "<body>" +
           Face(0) + "</body>\n<body>" + Face(1) +
           "</body>\n</component>\n"
           "<component name=\"sub\">\n"
           "<component name=\"bare\" document=\"pin.PRT\" "
           "transform=\"1 0 0 0 1 0 0 0 1 20 0 0 1\">\n"
           "<body included=\"0\">" +
           Face(0) +
           "</body>\n</component>\n"
           "</component>\n"
           "</component></components>\n</document>\n"
           "<document type=\"1\" title=\"pin.PRT\">\n<summary index=\"0\">Pin</summary>\n" +
           Sketch("pin outline", "0 0 0  0 1 0") +
           "<feature id=\"pin hole\" type-name=\"Hole\" kind=\"1\">\n" +
           Thread("square thread", {0, 0, 0}, 0.2, 0.4, false) +
           Thread("pin thread", {0, 0, 0}, 0.2, 0.4) +
           "</feature>\n</document>\n</host-document>\n";
}

// The top assembly holds subassembly "sub" (its model Sub.ASM, turned a
// quarter turn about z, doubled and moved by 0.1 along x), which holds the
// part "leaf" (moved by 0.3 along x) and an unnamed part. Sub.ASM has a 3D
// sketch line from (0, 0, 0) to (1, 0, 0), a thread of diameter 0.008 on a
// circle of radius 0.005 about (0.01, 0, 0) and one whose edge is no circle;
// each document has its own title, configuration and mass.
std::string AssemblyWithSubassembly()
{
    const std::string mass = "<mass-properties status=\"0\">0 0 0 1 1 ";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"2\" title=\"top.ASM\"" +
           kPreview +
           " active=\"1\">\n<summary index=\"0\">Top</summary>\n"
           "<configuration name=\"Default\" current=\"1\"/>\n" +
           mass +
           "5 0 0 0 0 0 0 0</mass-properties>\n"
           "<components><component name=\"top\">\n"
           "<component name=\"sub\" document=\"Sub.ASM\" "
           "transform=\"0 1 0 -1 0 0 0 0 1 0.1 0 0 2\">\n"
           "<component name=\"leaf\" document=\"pin.PRT\" "
           "transform=\"1 0 0 0 1 0 0 0 1 0.3 0 0 1\">\n<body>" +
           Face(0) +
           "</body>\n</component>\n"
           "<component document=\"pin.PRT\"/>\n"
           "</component>\n"
           "</component></components>\n</document>\n"
           "<document type=\"2\" title=\"Sub.ASM\">\n<summary index=\"0\">Sub</summary>\n"
           "<configuration name=\"Light\" current=\"1\"/>\n" +
           mass + "2 0 0 0 0 0 0 0</mass-properties>\n" + Sketch("sub outline", "0 0 0  1 0 0") +
           "<feature id=\"sub hole\" type-name=\"Hole\" kind=\"1\">\n" +
           Thread("sub thread", {0.01, 0, 0}, 0.005, 0.008) +
           Thread("square thread", {0, 0, 0}, 0.2, 0.4, false) +
           "</feature>\n</document>\n"
           "<document type=\"1\" title=\"pin.PRT\">\n<summary index=\"0\">Pin</summary>\n"
           "</document>\n</host-document>\n";
}

const char kSquareThread[] =
    "Cosmetic thread 'square thread' is left out: its edge is not a circle";

// The program's line naming the thread of `component` that cannot be drawn.
std::string SquareThreadCause(const std::string& component)
{
    return "quillcast:   cause: Component '" + component + "': " + kSquareThread + "\n";
}

// The segment that shows the object `name`, or null.
const Node* SegmentOf(const ModelPackage& package, const Node& node, const std::string& name)
{
    const auto named = package.segmentNames.find(node.name);
    if (!node.name.empty() && named != package.segmentNames.end() && named->second == name)
        return &node;
    for (const Node& child : node.children)
        if (const Node* found = SegmentOf(package, child, name))
            return found;
    return nullptr;
}

// The model's root segment: the first child of the stream holding records.
const Node* RootSegment(const Node& tree)
{
    for (const Node& child : tree.children)
        if (child.name.empty() && !child.items.empty() && !child.children.empty())
            return &child;
    return nullptr;
}

// A point p of a segment, carried through its modelling matrix M, is where
// it was worked out to be: a row p goes to p M, the translation in M's
// fourth row.
void ExpectPlaced(const std::vector<float>& M, const float* p, const std::vector<double>& expected)
{
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(p[0] * M[k] + p[1] * M[4 + k] + p[2] * M[8 + k] + M[12 + k], expected[k], 1e-6)
            << k;
}

// A component's segment holds its sketch line and its round thread (two
// half circles of radius 0.2 about its origin) once, one placement moving
// them by `x` along x, and its instance one property set.
void ExpectComponentContent(const ModelPackage& package, const std::string& name, double x)
{
    SCOPED_TRACE(name);
    const Node* segment = SegmentOf(package, package.tree, name);
    ASSERT_NE(segment, nullptr);
    const auto lines = segment->all('l');
    ASSERT_EQ(lines.size(), 1u);
    ExpectNear(lines[0].f, {0, 0, 0, 0, 1, 0});
    const auto arcs = segment->all('c');
    ASSERT_EQ(arcs.size(), 2u);
    ExpectNear(arcs[0].f, {0.2, 0, 0, 0, 0.2, 0, -0.2, 0, 0});
    ExpectNear(arcs[1].f, {0.2, 0, 0, 0, -0.2, 0, -0.2, 0, 0});
    const auto matrices = segment->all('%');
    ASSERT_EQ(matrices.size(), 1u);
    // In the model: the thread's start at x + 0.2, its far side at x - 0.2.
    for (const auto& [point, expected] :
         {std::pair{arcs[0].f.data(), std::vector<double>{x + 0.2, 0, 0}},
          std::pair{arcs[0].f.data() + 6, std::vector<double>{x - 0.2, 0, 0}},
          std::pair{arcs[1].f.data() + 3, std::vector<double>{x, -0.2, 0}}})
        ExpectPlaced(matrices[0].f, point, expected);
    EXPECT_EQ(package.propertySetReferences.at(name), 1u);
}

// The top thread: two half circles of radius 0.1 about (1, 1, 1), in the
// root segment with the top sketch's line, and nowhere else.
void ExpectTopContent(const ModelPackage& package)
{
    const Node* root = RootSegment(package.tree);
    ASSERT_NE(root, nullptr);
    const auto lines = root->all('l');
    ASSERT_EQ(lines.size(), 1u);
    ExpectNear(lines[0].f, {0, 0, 0, 1, 0, 0});
    const auto arcs = root->all('c');
    ASSERT_EQ(arcs.size(), 2u);
    ExpectNear(arcs[0].f, {1.1, 1, 1, 1, 1.1, 1, 0.9, 1, 1});
    ExpectNear(arcs[1].f, {1.1, 1, 1, 1, 0.9, 1, 0.9, 1, 1});
    for (const char* level : {"top", "sub"})
    {
        const Node* segment = SegmentOf(package, package.tree, level);
        ASSERT_NE(segment, nullptr) << level;
        EXPECT_EQ(segment->count('c') + segment->count('l') + segment->count('%'), 0u) << level;
    }
}

// The subassembly's own content: not in its segment's own records (a
// placement there would move "leaf" too), but in one unnamed segment inside
// it, holding the sketch line and the thread's two half circles with the
// subassembly's placement. Carried through it, a point p of Sub.ASM goes to
// 2 (x (0, 1, 0) + y (-1, 0, 0) + z (0, 0, 1)) + (0.1, 0, 0).
void ExpectSubassemblyContent(const ModelPackage& package)
{
    const Node* sub = SegmentOf(package, package.tree, "sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->count('l') + sub->count('c') + sub->count('%'), 0u);
    std::vector<const Node*> own;
    for (const Node& child : sub->children)
        if (child.count('l') + child.count('c') > 0)
            own.push_back(&child);
    ASSERT_EQ(own.size(), 1u);
    const auto matrices = own[0]->all('%');
    ASSERT_EQ(matrices.size(), 1u);
    const auto lines = own[0]->all('l');
    ASSERT_EQ(lines.size(), 1u);
    const auto arcs = own[0]->all('c');
    ASSERT_EQ(arcs.size(), 2u);
    // The line's ends; the thread's start (0.014, 0, 0), its far side
    // (0.006, 0, 0) and the middles (0.01, +-0.004, 0) of its two halves.
    const std::pair<const float*, std::vector<double>> expected[] = {
        {lines[0].f.data(), {0.1, 0, 0}},         {lines[0].f.data() + 3, {0.1, 2, 0}},
        {arcs[0].f.data(), {0.1, 0.028, 0}},      {arcs[0].f.data() + 3, {0.092, 0.02, 0}},
        {arcs[0].f.data() + 6, {0.1, 0.012, 0}},  {arcs[1].f.data(), {0.1, 0.028, 0}},
        {arcs[1].f.data() + 3, {0.108, 0.02, 0}}, {arcs[1].f.data() + 6, {0.1, 0.012, 0}},
    };
    for (const auto& [point, where] : expected)
        ExpectPlaced(matrices[0].f, point, where);
    // The part below keeps its own placement alone.
    const Node* leaf = SegmentOf(package, *sub, "leaf");
    ASSERT_NE(leaf, nullptr);
    const auto leafMatrices = leaf->all('%');
    ASSERT_EQ(leafMatrices.size(), 1u);
    ExpectNear(leafMatrices[0].f, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.3, 0, 0, 1});
}

class AssemblyComponentContent : public QuillcastProgram
{
protected:
    ModelPackage ReadBack(const std::string& target)
    {
        return model_package::ReadModelPackage(target, "",
                                               root_ + "/read-" + std::to_string(++reads_));
    }
    // Publishes `text` quietly with the program, as the document `name`.xml
    // to the package `name`.dwf; answers its exit status, what it said in
    // `errors`.
    int PublishQuietly(const std::string& name, const std::string& text, std::string& errors)
    {
        return Quillcast("publish " + Quoted(Document(name + ".xml", text)) + " -o " +
                             Quoted(Target(name + ".dwf")) + " --quiet",
                         errors);
    }
    int reads_ = 0;
};
} // namespace

TEST_F(AssemblyComponentContent, InProcessEachComponentAsksItsOwnThreadsAndPlacementOnce)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    auto application = host::parseHostDocument(AssemblyWithThreads(), u"");
    const PublishOutcome outcome = RunPublishCommand(*application, Request("threads.dwf"));
    EXPECT_EQ(outcome.status, PublishOutcome::Status::PublishedWithErrors);
    // The pin's thread that cannot be drawn, said once for each component
    // that shows the pin, naming it.
    const std::u16string square(std::begin(kSquareThread), std::end(kSquareThread) - 1);
    EXPECT_EQ(outcome.causes, (std::vector<std::u16string>{u"Component 'double': " + square,
                                                           u"Component 'bare': " + square}));
    EXPECT_EQ(outcome.messages,
              std::vector<std::u16string>(2, u"An error occurred while publishing the file. The "
                                             u"error occurred in CDWF3DGrWriter::GenerateThread."));
    // Each component's placement is asked once; the top thread once, each
    // component's two threads once each.
    const auto& counts = application->hostSession().requestCounts();
    EXPECT_EQ(counts.at("Component::transform"), 2);
    EXPECT_EQ(counts.at("ThreadData::accessSelections"), 5);

    const ModelPackage package = ReadBack(Target("threads.dwf"));
    ExpectTopContent(package);
    ExpectComponentContent(package, "double", 10);
    ExpectComponentContent(package, "bare", 20);
    ExpectNoTemporaryFiles();
}

TEST_F(AssemblyComponentContent, TheProgramDrawsEachThreadOnceInItsOwnPlace)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    std::string errors;
    EXPECT_EQ(PublishQuietly("threads", AssemblyWithThreads(), errors), 3) << errors;
    for (const char* name : {"double", "bare"})
        EXPECT_NE(errors.find(SquareThreadCause(name)), std::string::npos) << errors;
    // Two messages of two lines each, and the closing line.
    EXPECT_EQ(Lines(errors), 5) << errors;

    const ModelPackage package = ReadBack(Target("threads.dwf"));
    EXPECT_EQ(package.unresolved, std::vector<std::string>{});
    EXPECT_EQ(package.shells, 2);
    EXPECT_EQ(package.matrices, 2);
    EXPECT_EQ(package.properties,
              (std::set<std::string>{"Summary/Title=Pin", "Configuration/ConfigName=Default"}));
    ExpectTopContent(package);
    ExpectComponentContent(package, "double", 10);
    ExpectComponentContent(package, "bare", 20);
    ExpectNoTemporaryFiles();
}

TEST_F(AssemblyComponentContent, TheProgramRefusesABodyTheWalkWouldNeverWrite)
{
    // A body of a subassembly, before or after its children, of the root,
    // of the top assembly's document and of a subassembly's document:
    // refused with the body's line, nothing written.
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" // 1
                             "<host-document version=\"1\">\n"              // 2
                             "<document type=\"2\" title=\"a.ASM\">\n"      // 3
                             "<components><component name=\"top\">\n";      // 4
    const std::string body = "<body>" + Face(0) + "</body>\n";
    const std::string leaf = "<component name=\"leaf\" document=\"p.PRT\"/>\n";
    const std::string assembly = "<body> in an assembly's <document>: an assembly holds no bodies "
                                 "of its own; put them in a part component";
    const struct
    {
        std::string name, components;
        int line;
        std::string reason;
        // After the components in the top document, and documents after it.
        std::string inTop = "", after = "";
    } cases[] = {
        {"body before the children", "<component name=\"sub\">\n" + body + leaf + "</component>\n",
         6,
         "<body> in a <component> with child components: a subassembly holds no bodies of its "
         "own; put them in a part component (one without child components)"},
        {"body after the children", "<component name=\"sub\">\n" + leaf + body + "</component>\n",
         7, "<body> in a <component> with child components"},
        {"body of the root", body + leaf, 5,
         "<body> in the root <component>: the root is the assembly itself and holds no bodies"},
        {"body of the top assembly's document", leaf, 7, assembly, body},
        {"body of a subassembly's document",
         "<component name=\"sub\" document=\"s.ASM\">\n" + leaf + "</component>\n", 12, assembly,
         "", "<document type=\"2\" title=\"s.ASM\">\n" + body + "</document>\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string errors;
        EXPECT_EQ(PublishQuietly("refused",
                                 head + c.components + "</component></components>\n" + c.inTop +
                                     "</document>\n<document type=\"1\" title=\"p.PRT\"/>\n" +
                                     c.after + "</host-document>\n",
                                 errors),
                  2)
            << errors;
        EXPECT_NE(errors.find("line " + std::to_string(c.line) + ": " + c.reason),
                  std::string::npos)
            << errors;
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});
    }
    ExpectNoTemporaryFiles();
}

TEST_F(AssemblyComponentContent, TheProgramDrawsASubassemblysOwnContentWithItsOwnProperties)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    std::string errors;
    EXPECT_EQ(PublishQuietly("sub", AssemblyWithSubassembly(), errors), 3) << errors;
    // The one thread that cannot be drawn, named with its subassembly.
    EXPECT_NE(errors.find(SquareThreadCause("sub")), std::string::npos) << errors;
    EXPECT_EQ(Lines(errors), 3) << errors;

    const ModelPackage package = ReadBack(Target("sub.dwf"));
    EXPECT_EQ(package.unresolved, std::vector<std::string>{});
    ExpectSubassemblyContent(package);
    // Each level with its own document's properties; the unnamed part is
    // called after its own document, not after the top assembly.
    const std::map<std::string, std::set<std::string>> expected = {
        {"top",
         {"Summary/Title=Top", "Configuration/ConfigName=Default", "Mass/Mass(kg)=5.000000"}},
        {"sub", {"Summary/Title=Sub", "Configuration/ConfigName=Light", "Mass/Mass(kg)=2.000000"}},
        {"leaf", {"Summary/Title=Pin"}},
        {"pin.PRT", {"Summary/Title=Pin"}}};
    for (const auto& [object, properties] : expected)
    {
        const auto found = package.propertiesOf.find(object);
        ASSERT_NE(found, package.propertiesOf.end()) << object;
        for (const std::string& property : properties)
            EXPECT_EQ(found->second.count(property), 1u) << object << ": " << property;
    }
    EXPECT_EQ(package.propertiesOf.size(), expected.size());
    EXPECT_EQ(package.propertiesOf.at("sub").count("Summary/Title=Top"), 0u);
    ExpectNoTemporaryFiles();
}
