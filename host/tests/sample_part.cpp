// The sample part as the part road reads it: one body of three faces, an
// edge of each curve kind, a cosmetic thread below a hole, a 3D sketch,
// summary, configurations, mass properties and a library material.
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

using namespace host;

namespace
{
const std::string kSamplePath = std::string(QUILLCAST_SOURCE_DIR) + "/examples/sample-part.xml";

std::unique_ptr<memory::Application> samplePart()
{
    return loadHostDocument(platform::path::fromNative(kSamplePath));
}

std::string sampleText()
{
    std::ifstream in(kSamplePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr double kPi = 3.141592653589793;
} // namespace

TEST(SamplePart, TheDocumentAndItsProperties)
{
    auto application = samplePart();
    Document* part = application->activeDocument();
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->type(), kPartDocument);
    EXPECT_EQ(part->title(), u"flange.PRT");
    EXPECT_EQ(part->next(), nullptr) << "the part stands alone";
    EXPECT_EQ(part->componentTree(), nullptr);
    EXPECT_EQ(part->asDrawing(), nullptr);
    const char16_t* const summary[] = {u"Flange plate",       u"Sample part",
                                       u"Quillcast",          u"plate, hole, thread",
                                       u"One body of three faces", u"Quillcast",
                                       u"2024-03-01",         u"2024-03-02"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(part->summaryInfo(i), summary[i]) << i;

    EXPECT_EQ(part->configurationCount(), 2);
    EXPECT_EQ(part->configurationNames(), (std::vector<std::u16string>{u"Default", u"Anodised"}));
    EXPECT_EQ(part->currentConfiguration()->name(), u"Default");

    // The shown name carries the host's 21-character library suffix, which
    // the published "Material" property leaves out; the numbered form
    // names the library material.
    const std::u16string name = part->materialName();
    ASSERT_GT(name.size(), 21u);
    EXPECT_EQ(name.substr(0, name.size() - 21), u"Brushed aluminium");
    const std::u16string id = part->materialId();
    ASSERT_NE(id.rfind(u'|'), std::u16string::npos);
    EXPECT_EQ(id.substr(id.rfind(u'|') + 1), u"2");
    EXPECT_EQ(part->materialValues().size(), 9u);

    int status = -1;
    const auto mass = part->extension()->massProperties(2, status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(mass.size(), 13u);
    EXPECT_EQ(mass[0], 0.02);
    EXPECT_EQ(mass[5], 0.041079);
    const auto box = part->boundingBox(1);
    ASSERT_EQ(box.size(), 6u);
    EXPECT_NEAR(std::hypot(box[3] - box[0], box[4] - box[1], box[5] - box[2]),
                std::sqrt(0.04 * 0.04 + 0.045 * 0.045 + 0.01 * 0.01), 1e-15);
}

TEST(SamplePart, OneBodyOfThreeTessellatedFaces)
{
    auto application = samplePart();
    Document* part = application->activeDocument();
    EXPECT_EQ(part->shellStatus(), 0);
    const auto bodies = part->bodies(-1, -1);
    ASSERT_EQ(bodies.size(), 1u);
    Body* body = bodies[0];
    EXPECT_EQ(body->materialValues().size(), 9u);
    EXPECT_EQ(body->texture(u"Default"), nullptr);

    std::vector<Face*> faces;
    for (Face* face = body->firstFace(); face; face = face->next())
        faces.push_back(face);
    ASSERT_EQ(faces.size(), 3u);
    const int triangles[] = {2, 2, 4};
    for (std::size_t i = 0; i < faces.size(); ++i)
    {
        const std::size_t n = static_cast<std::size_t>(triangles[i]);
        EXPECT_EQ(faces[i]->triangleCount(), triangles[i]) << i;
        EXPECT_EQ(faces[i]->triangles(-1).size(), 9 * n) << i;
        EXPECT_EQ(faces[i]->normals().size(), 9 * n) << i;
        EXPECT_EQ(faces[i]->textureCoordinates().size(), 6 * n) << i;
        // Every normal of the sample is a unit axis vector.
        const auto normals = faces[i]->normals();
        for (std::size_t k = 0; k < normals.size(); k += 3)
            EXPECT_FLOAT_EQ(std::fabs(normals[k]) + std::fabs(normals[k + 1]) +
                                std::fabs(normals[k + 2]),
                            1.0f);
    }
    EXPECT_EQ(faces[0]->feature()->typeName(), u"Extrusion");
    EXPECT_FALSE(faces[0]->feature()->suppressed());
    EXPECT_EQ(faces[1]->feature(), faces[0]->feature());
    EXPECT_EQ(faces[2]->feature(), nullptr);
    EXPECT_TRUE(faces[0]->materialValues().empty());
    EXPECT_EQ(faces[1]->materialValues()[2], 0.8);
    EXPECT_FLOAT_EQ(faces[0]->triangles(-1)[2], 0.01f);

    // The top face's texture lies in the host's data folder.
    Texture* texture = faces[0]->texture(u"Default");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->fileName(), u"<SystemTexture>\\wood\\oak.jpg");
    EXPECT_EQ(texture->angle(), 45);
    EXPECT_EQ(texture->scale(), 2);
    EXPECT_EQ(faces[0]->texture(u"Anodised"), nullptr);
    const std::u16string dataFolder = platform::path::cutLastComponent(
        platform::path::cutLastComponent(application->toolboxIniFile));
    const std::u16string image = platform::path::join(
        dataFolder, u"data\\" + texture->fileName().substr(std::u16string(u"<SystemTexture>\\").size()));
    std::ifstream jpeg(platform::path::toNative(image), std::ios::binary);
    ASSERT_TRUE(jpeg) << platform::path::toNative(image);
    unsigned char marker[3] = {};
    jpeg.read(reinterpret_cast<char*>(marker), 3);
    EXPECT_EQ(marker[0], 0xFF);
    EXPECT_EQ(marker[1], 0xD8);
    EXPECT_EQ(marker[2], 0xFF);
}

TEST(SamplePart, AnEdgeOfEveryCurveKind)
{
    auto application = samplePart();
    const auto edges = application->activeDocument()->bodies(-1, -1)[0]->edges();
    ASSERT_EQ(edges.size(), 4u);
    for (Edge* edge : edges)
        EXPECT_EQ(edge->curveParams().size(), 11u);

    Curve* line = edges[0]->curve();
    EXPECT_EQ(line->kind(), kLineCurve);
    EXPECT_EQ(edges[0]->curveParams()[3], 0.04);

    // The hole's rim: closed, so start and end coincide.
    Curve* circle = edges[1]->curve();
    EXPECT_EQ(circle->kind(), kCircleCurve);
    EXPECT_TRUE(circle->isCircle());
    const auto rim = edges[1]->curveParams();
    EXPECT_EQ(std::vector<double>(rim.begin(), rim.begin() + 3),
              std::vector<double>(rim.begin() + 3, rim.begin() + 6));
    EXPECT_EQ(circle->circleParams(), (std::vector<double>{0.02, 0.02, 0.01, 0, 0, 1, 0.005}));

    // The elliptical arc runs from -pi/2 to 3 pi; its end points lie on
    // the ellipse the parameters describe.
    Curve* ellipse = edges[2]->curve();
    EXPECT_EQ(ellipse->kind(), kEllipseCurve);
    const auto e = ellipse->ellipseParams();
    ASSERT_EQ(e.size(), 11u);
    const auto params = edges[2]->curveParams();
    EXPECT_DOUBLE_EQ(params[6], -kPi / 2);
    EXPECT_DOUBLE_EQ(params[7], 3 * kPi);
    for (int end = 0; end < 2; ++end)
    {
        const double t = params[6 + static_cast<std::size_t>(end)];
        for (std::size_t axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(params[3 * static_cast<std::size_t>(end) + axis],
                        e[axis] + e[3] * std::cos(t) * e[4 + axis] +
                            e[7] * std::sin(t) * e[8 + axis],
                        1e-12)
                << end << " " << axis;
    }

    // The B-spline: stride 4 (weighted), order 4, five control points.
    Curve* spline = edges[3]->curve();
    EXPECT_EQ(spline->kind(), kBSplineCurve);
    const auto block = spline->bsplineData();
    EXPECT_EQ(spline->bsplineSize(0, 1), static_cast<int>(block.size()));
    const BsplineHeader header = readBsplineHeader(block);
    EXPECT_EQ(header.stride, 4);
    EXPECT_EQ(header.order, 4);
    EXPECT_EQ(header.count, 5);
    EXPECT_EQ(header.unused, 0);
    const auto walk = layout::bsplineBlock(block);
    ASSERT_TRUE(walk.ok()) << walk.error;
    ASSERT_EQ(walk.offsets, (std::vector<std::size_t>{2, 11}));
    EXPECT_EQ(block.size(), 2u + 9u + 20u);
    EXPECT_EQ(block[2 + 4], 0.5) << "the middle knot";
    EXPECT_EQ(block[11 + 2 * 4 + 3], 0.8) << "the weight of the third point";
    // The first and last control points are the edge's ends.
    const auto ends = edges[3]->curveParams();
    for (std::size_t axis = 0; axis < 3; ++axis)
    {
        EXPECT_EQ(block[11 + axis], ends[axis]);
        EXPECT_EQ(block[11 + 16 + axis], ends[3 + axis]);
    }
}

TEST(SamplePart, FeaturesHoldTheThreadAndTheSketch)
{
    auto application = samplePart();
    Document* part = application->activeDocument();
    std::vector<Feature*> features;
    for (Feature* feature = part->firstFeature(); feature; feature = feature->next())
        features.push_back(feature);
    ASSERT_EQ(features.size(), 4u);
    EXPECT_EQ(features[0]->typeName(), u"Extrusion");
    EXPECT_EQ(features[0]->firstSubFeature(), nullptr);
    EXPECT_TRUE(features[3]->suppressed());

    // The cosmetic thread is a sub-feature of the hole.
    Feature* thread = features[1]->firstSubFeature();
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->nextSubFeature(), nullptr);
    EXPECT_EQ(thread->typeName(), u"CosmeticThread");
    EXPECT_EQ(thread->kind(), 2);
    EXPECT_FALSE(thread->suppressed());
    ThreadData* data = thread->threadData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->accessSelections(part, nullptr));
    EXPECT_EQ(data->setting(), 1);
    EXPECT_EQ(data->diameter(), 0.008);
    Curve* rim = data->edge()->curve();
    EXPECT_TRUE(rim->isCircle());
    // Setting 1 with a diameter below the circle's draws it 2.2 radii wide.
    EXPECT_LT(data->diameter(), 2 * rim->circleParams()[6]);
    data->releaseSelections();

    // The 3D sketch: two lines, one arc, two splines of 4 and 2 points.
    EXPECT_EQ(features[2]->typeName(), u"3DProfileFeature");
    Sketch* sketch = features[2]->specificSketch();
    ASSERT_NE(sketch, nullptr);
    EXPECT_EQ(sketch->flag(), 1);
    ASSERT_EQ(sketch->lineCount(kSketchLines), 2);
    const auto lines = sketch->lines(kSketchLines);
    EXPECT_EQ(lines[1], 6) << "a 3D sketch line keeps its style code at index 1";
    EXPECT_EQ(lines[12 + 1], 9);
    ASSERT_EQ(sketch->arcCount(), 1);
    const auto arc = sketch->arcs();
    // Start and end lie at one radius from the centre.
    EXPECT_NEAR(std::hypot(arc[6] - arc[12], arc[7] - arc[13], arc[8] - arc[14]),
                std::hypot(arc[9] - arc[12], arc[10] - arc[13], arc[11] - arc[14]), 1e-15);
    EXPECT_EQ(sketch->splineCount(), 2);
    const auto splines = sketch->splineData();
    EXPECT_EQ(sketch->splineDataSize(), static_cast<int>(splines.size()));
    const auto walk = layout::sketchSplines(sketch->splineCount(), splines);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{0, 15}));
    EXPECT_EQ(splines[2], 4);
    EXPECT_EQ(splines[15 + 2], 2);
}

TEST(SamplePart, EveryTruncationIsRefused)
{
    const std::string whole = sampleText();
    ASSERT_GT(whole.size(), 1000u);
    for (std::size_t length = 0; length + 1 < whole.size(); length += 7)
    {
        if (whole.find_first_not_of(" \n", length) == std::string::npos)
            break;
        EXPECT_THROW(parseHostDocument(std::string_view(whole).substr(0, length), u""), LoadError)
            << length;
    }
}

TEST(SamplePart, MutatedCopiesLoadOrFailCleanly)
{
    const std::string whole = sampleText();
    const char replacements[] = {'<', '>', '"', '9', '-', 'x', '\0', '\xff', ' ', '/', '.', 'e'};
    int refused = 0;
    int loaded = 0;
    for (std::size_t i = 0, n = 0; i < whole.size(); i += 11, ++n)
    {
        std::string mutated = whole;
        mutated[i] = replacements[n % sizeof replacements];
        try
        {
            auto application = parseHostDocument(mutated, u"");
            ++loaded;
            Document* part = application->activeDocument();
            ASSERT_NE(part, nullptr);
            for (Body* body : part->bodies(-1, -1))
            {
                for (Edge* edge : body->edges())
                {
                    Curve* curve = edge->curve();
                    if (curve && !curve->bsplineData().empty())
                    {
                        EXPECT_TRUE(layout::bsplineBlock(curve->bsplineData()).ok());
                    }
                }
            }
        }
        catch (const LoadError& error)
        {
            ++refused;
            EXPECT_GE(error.line(), 1);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(loaded, 0);
}
