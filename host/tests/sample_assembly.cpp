// The part and assembly road reads the same host: the sample assembly
// walked through the interfaces it will use.
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/Sketch.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

using namespace host;

namespace
{
std::unique_ptr<memory::Application> assembly()
{
    return loadHostDocument(platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) +
                                                       "/examples/sample-assembly.xml"));
}
} // namespace

TEST(SampleAssembly, ComponentsReachTheirModelDocuments)
{
    auto application = assembly();
    Document* top = application->activeDocument();
    ASSERT_EQ(top->type(), kAssemblyDocument);
    Component* root = top->componentTree()->rootComponent();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), u"bracket-assembly");
    ASSERT_EQ(root->childCount(), 2);
    Component* bracket = root->children()[0];
    EXPECT_EQ(bracket->state(), 1);
    ASSERT_NE(bracket->modelDocument(), nullptr);
    EXPECT_EQ(bracket->modelDocument()->title(), u"bracket.PRT");
    EXPECT_EQ(bracket->transform()->arrayData().size(), 13u);
    EXPECT_EQ(bracket->boundingBox(0, 0)[3], 0.04);
    ASSERT_EQ(bracket->bodies(-1).size(), 1u);
    EXPECT_EQ(bracket->bodies(-1)[0]->firstFace()->triangleCount(), 2);
    Component* pins = root->children()[1];
    Component* pin1 = pins->children()[0];
    Component* pin2 = pins->children()[1];
    EXPECT_EQ(pin1->modelDocument(), pin2->modelDocument());
    EXPECT_FALSE(pin1->excluded(0));
    EXPECT_TRUE(pin2->excluded(0));
    EXPECT_FALSE(pin2->excluded(1));
    Texture* texture = pin1->texture(u"Default");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->angle(), 30);
    EXPECT_EQ(texture->fileName(), u"<SystemTexture>\\wood\\oak.jpg");
    EXPECT_EQ(pin1->texture(u"Light"), nullptr);
    EXPECT_EQ(top->materialValues().size(), 9u);
    int status = -1;
    EXPECT_EQ(top->extension()->massProperties(2, status).size(), 13u);
    EXPECT_EQ(status, 0);
}

TEST(SampleAssembly, APartsBodiesFacesEdgesAndFeatures)
{
    auto application = assembly();
    Document* part = application->activeDocument()->next();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->title(), u"bracket.PRT");
    EXPECT_EQ(part->materialName(), u"Steel");
    EXPECT_EQ(part->configurationNames(), (std::vector<std::u16string>{u"Default", u"Light"}));
    EXPECT_EQ(part->currentConfiguration()->name(), u"Default");
    EXPECT_EQ(part->boundingBox(1), (std::vector<double>{0, 0, 0, 0.04, 0.02, 0.003}));
    const auto bodies = part->bodies(-1, -1);
    ASSERT_EQ(bodies.size(), 1u);
    Body* body = bodies[0];
    EXPECT_TRUE(body->included());
    Face* first = body->firstFace();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->triangles(-1).size(), 18u);
    EXPECT_EQ(first->normals().size(), 18u);
    EXPECT_EQ(first->textureCoordinates().size(), 12u);
    EXPECT_FLOAT_EQ(first->triangles(-1)[2], 0.003f);
    EXPECT_EQ(first->materialValues()[0], 0.8);
    EXPECT_EQ(first->feature()->typeName(), u"Extrusion");
    Face* second = first->next();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->feature()->suppressed());
    EXPECT_EQ(second->next(), nullptr);
    const auto edges = body->edges();
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0]->curve()->kind(), kLineCurve);
    EXPECT_EQ(edges[1]->curve()->kind(), kCircleCurve);
    EXPECT_TRUE(edges[1]->curve()->isCircle());
    EXPECT_EQ(edges[1]->curve()->circleParams().size(), 7u);
    EXPECT_EQ(edges[1]->curveParams().size(), 11u);

    // The features in order: the extrusion, the 3D sketch, the hole with
    // its cosmetic thread as a sub-feature, the suppressed fillet.
    Feature* base = part->firstFeature();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->specificSketch(), nullptr);
    Feature* outline = base->next();
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->typeName(), u"3DProfileFeature");
    Sketch* sketch = outline->specificSketch();
    ASSERT_NE(sketch, nullptr);
    EXPECT_EQ(sketch->flag(), 1);
    EXPECT_EQ(sketch->lineCount(kSketchLines), 2);
    Feature* hole = outline->next();
    ASSERT_NE(hole, nullptr);
    EXPECT_EQ(hole->threadData(), nullptr);
    Feature* thread = hole->firstSubFeature();
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->typeName(), u"CosmeticThread");
    ASSERT_NE(thread->threadData(), nullptr);
    EXPECT_TRUE(thread->threadData()->accessSelections(part, nullptr));
    EXPECT_EQ(thread->threadData()->diameter(), 0.006);
    EXPECT_EQ(thread->threadData()->edge()->curve()->kind(), kCircleCurve);
    ASSERT_NE(hole->next(), nullptr);
    EXPECT_TRUE(hole->next()->suppressed());
    EXPECT_EQ(hole->next()->next(), nullptr);

    Document* pin = part->next();
    Edge* spline = pin->bodies(-1, -1)[0]->edges()[1];
    EXPECT_EQ(spline->curve()->kind(), kBSplineCurve);
    EXPECT_EQ(spline->curve()->bsplineSize(0, 1),
              static_cast<int>(spline->curve()->bsplineData().size()));
    const BsplineHeader header = readBsplineHeader(spline->curve()->bsplineData());
    EXPECT_EQ(header.stride, 3);
    EXPECT_EQ(header.order, 4);
    EXPECT_EQ(header.count, 4);
    EXPECT_EQ(pin->bodies(-1, -1)[0]->texture(u"Default")->scale(), 1);
}

TEST(SampleAssembly, BrokenModelReferencesAreRefused)
{
    const auto refuse = [](const std::string& xml, int line, const std::string& fragment)
    {
        try
        {
            parseHostDocument(xml, u"");
            ADD_FAILURE() << "loaded: " << xml;
        }
        catch (const LoadError& error)
        {
            EXPECT_EQ(error.line(), line) << error.what();
            EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
        }
    };
    refuse(
        "<host-document>\n<document type=\"2\">\n<components>\n<component document=\"none.PRT\"/>\n"
        "</components>\n</document>\n</host-document>\n",
        4, "no document is titled 'none.PRT'");
    refuse("<host-document>\n<document type=\"1\">\n<body>\n<face "
           "feature=\"ghost\"/>\n</body>\n</document>\n"
           "</host-document>\n",
           4, "feature 'ghost'");
    refuse("<host-document>\n<document type=\"1\">\n<body>\n<face triangles=\"2\">\n<triangles>0 0 "
           "0</triangles>\n"
           "</face>\n</body>\n</document>\n</host-document>\n",
           4, "needs <triangles> of 18 numbers");
    refuse("<host-document>\n<document type=\"1\">\n<bounding-box>1 "
           "2</bounding-box>\n</document>\n</host-document>\n",
           3, "needs 6 numbers");
    refuse("<host-document>\n<document type=\"1\">\n<configuration name=\"A\" current=\"1\"/>\n"
           "<configuration name=\"B\" current=\"1\"/>\n</document>\n</host-document>\n",
           4, "only one configuration");
}

TEST(SampleAssembly, BodiesBelongToPartComponentsOnly)
{
    // The publisher writes the bodies of components without children only:
    // a body of the root or of a subassembly, before or after its
    // children, is refused at its line; a part component keeps its bodies.
    const auto load = [](const std::string& components)
    {
        const std::string xml = "<host-document>\n<document type=\"2\">\n<components>\n" +
                                components + "</components>\n</document>\n</host-document>\n";
        try
        {
            parseHostDocument(xml, u"");
        }
        catch (const LoadError& error)
        {
            return std::to_string(error.line()) + ": " + error.what();
        }
        return std::string("loaded");
    };
    const std::string subassembly = "in a <component> with child components: a subassembly "
                                    "holds no bodies of its own";
    const auto refusedAt = [&](const std::string& components, const std::string& expected)
    {
        const std::string said = load(components);
        EXPECT_EQ(said.substr(0, said.find(':') + 2), expected.substr(0, expected.find(':') + 2))
            << said;
        EXPECT_NE(said.find(expected.substr(expected.find(':') + 2)), std::string::npos) << said;
    };
    refusedAt("<component>\n<component>\n<body/>\n<component/>\n</component>\n</component>\n",
              "6: " + subassembly);
    refusedAt("<component>\n<component>\n<component/>\n<body/>\n</component>\n</component>\n",
              "7: " + subassembly);
    refusedAt("<component>\n<body/>\n</component>\n",
              "5: <body> in the root <component>: the root is the assembly itself");
    EXPECT_EQ(load("<component>\n<component>\n<body/>\n<body/>\n</component>\n</component>\n"),
              "loaded");
}
