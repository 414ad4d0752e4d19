// The quillcast program on an assembly of more elements than a small one
// has, generated as a host writes it: components that report their bodies,
// each face with its triangles, normals and texture coordinates. Every
// component's faces must be in the model, each in its component's segment
// at its own height, the package read back by the independent tools and our
// readers.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

using namespace publish_test;
using geometry_test::Node;

namespace
{
constexpr int kComponents = 1600;
constexpr int kFaces = 40;

std::string ComponentName(int component)
{
    return "part-" + std::to_string(component);
}

// Face f of every component lies in the plane z = f / 1000.
std::string Height(int face)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", face / 1000.0);
    return text;
}

// 1,600 components of one body of 40 faces: four elements a face and two
// more a component, some 260,000 elements in all.
std::string LargeAssembly()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
                      "<document type=\"2\" title=\"large.ASM\" active=\"1\">\n"
                      "<configuration name=\"Default\" current=\"1\"/>\n"
                      "<components><component name=\"large\">\n";
    for (int c = 0; c < kComponents; ++c)
    {
        xml += "<component name=\"" + ComponentName(c) +
               "\" document=\"plate.PRT\" transform=\"1 0 0 0 1 0 0 0 1 " +
               std::to_string(c % 40) + " " + std::to_string(c / 40) + " 0 1\">\n<body>\n";
        for (int f = 0; f < kFaces; ++f)
        {
            const std::string z = Height(f);
            xml += "<face triangles=\"1\"><triangles>0 0 " + z + " 0.02 0 " + z + " 0 0.01 " + z +
                   "</triangles><normals>0 0 1 0 0 1 0 0 1</normals>"
                   "<texture-coordinates>0 0 1 0 0 1</texture-coordinates></face>\n";
        }
        xml += "</body>\n</component>\n";
    }
    return xml + "</component></components>\n</document>\n"
                 "<document type=\"1\" title=\"plate.PRT\">\n"
                 "<configuration name=\"Default\" current=\"1\"/>\n</document>\n</host-document>\n";
}

// The heights of the shells below `node`, in thousandths.
void CollectHeights(const Node& node, std::multiset<long>& heights)
{
    for (const auto& item : node.items)
        if (item.opcode == 'S' && item.f.size() >= 3)
            heights.insert(std::lround(item.f[2] * 1000.0));
    for (const Node& child : node.children)
        CollectHeights(child, heights);
}

// The segments below `node` by the name of the object each shows.
void IndexSegments(const model_package::ModelPackage& package, const Node& node,
                   std::map<std::string, const Node*>& named)
{
    for (const Node& child : node.children)
    {
        const auto object = package.segmentNames.find(child.name);
        if (!child.name.empty() && object != package.segmentNames.end())
            named.emplace(object->second, &child);
        IndexSegments(package, child, named);
    }
}

class QuillcastLargeAssembly : public QuillcastProgram
{
protected:
    void SetUp() override
    {
        QuillcastProgram::SetUp();
        if (!IsSkipped() && (!HaveTool("python3") || !HaveTool("xmllint")))
            GTEST_SKIP() << "python3 and xmllint are needed";
    }
};
} // namespace

TEST_F(QuillcastLargeAssembly, EveryComponentsFacesAreInTheModel)
{
    const std::string document = Document("large.xml", LargeAssembly());
    const std::string target = packages_ + "/large.dwf";
    std::string errors;
    ASSERT_EQ(Quillcast("publish " + Quoted(document) + " -o " + Quoted(target) + " --quiet",
                        errors),
              0)
        << errors;

    const model_package::ModelPackage package =
        model_package::ReadModelPackage(target, "", root_ + "/read");
    EXPECT_EQ(package.shells, kComponents * kFaces);
    std::multiset<long> expected;
    for (int f = 0; f < kFaces; ++f)
        expected.insert(f);
    std::map<std::string, const Node*> named;
    IndexSegments(package, package.tree, named);
    int complete = 0;
    for (int c = 0; c < kComponents; ++c)
    {
        const auto segment = named.find(ComponentName(c));
        if (segment == named.end())
        {
            ADD_FAILURE() << ComponentName(c) << " has no segment";
            continue;
        }
        std::multiset<long> heights;
        CollectHeights(*segment->second, heights);
        if (heights == expected)
            ++complete;
        else
            ADD_FAILURE() << ComponentName(c) << " holds " << heights.size() << " of its faces";
    }
    EXPECT_EQ(complete, kComponents);
}
