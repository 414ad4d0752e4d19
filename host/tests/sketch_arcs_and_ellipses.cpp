// The record forms the part road adds to the drawing's: 3D sketch arcs that
// carry the axis of their plane, features known by name, and the order of
// an ellipse's eleven numbers, checked on every sample document by putting
// each elliptical edge's ends back on its ellipse.
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/Sketch.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/tests/PartDocuments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace host;

namespace
{
using host_test::part;
using host_test::refusal;

std::string sketchWithArcs(int count, const std::string& numbers)
{
    return "<feature id=\"path\" type-name=\"3DProfileFeature\"><sketch>\n<arcs count=\"" +
           std::to_string(count) + "\">" + numbers + "</arcs>\n</sketch></feature>\n";
}

const std::string kArc16 = "0 0 0 0 -1 0  1 0 0  1 0 0  0 0 0  1 ";
const std::string kArc19 = kArc16 + " 0 0 1 ";

double Dot(const double* a, const double* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
} // namespace

TEST(SketchArcAxes, ThreeDimensionalArcsCarryTheirAxisOrKeepSixteenNumbers)
{
    {
        auto application = part(sketchWithArcs(2, kArc19 + kArc19));
        Feature* feature = application->activeDocument()->firstFeature();
        EXPECT_EQ(feature->name(), u"path");
        Sketch* sketch = feature->specificSketch();
        EXPECT_EQ(sketch->arcCount(), 2);
        const std::vector<double> arcs = sketch->arcs();
        ASSERT_EQ(arcs.size(), 38u);
        EXPECT_EQ(arcs[18], 1.0);
        EXPECT_EQ(arcs[19 + 15], 1.0);
    }
    {
        auto application = part(sketchWithArcs(2, kArc16 + kArc16));
        EXPECT_EQ(application->activeDocument()->firstFeature()->specificSketch()->arcs().size(),
                  32u);
    }
    // One form per list; anything else is refused with both sizes named.
    EXPECT_NE(refusal(sketchWithArcs(2, kArc16 + kArc19))
                  .find("4: <arcs> of a 3D sketch needs 16 numbers per arc (19 with the axis) "
                        "for 2 arcs, found 35"),
              std::string::npos);
    EXPECT_NE(refusal(sketchWithArcs(1, kArc16 + "0")).find("found 17"), std::string::npos);
    // A feature without an id has no name.
    auto unnamed = part("<feature type-name=\"Fillet\"/>\n");
    EXPECT_EQ(unnamed->activeDocument()->firstFeature()->name(), u"");
}

TEST(SampleEllipses, EveryEllipseOfTheSamplesHasItsRadiusBeforeItsDirection)
{
    int ellipses = 0;
    for (const char16_t* sample :
         {u"" QUILLCAST_SOURCE_DIR "/examples/sample-part.xml",
          u"" QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml",
          u"" QUILLCAST_SOURCE_DIR "/fuzz/host_document/corpus/sample-assembly.xml",
          u"" QUILLCAST_SOURCE_DIR "/fuzz/host_document/corpus/sample-part.xml"})
    {
        auto application = loadHostDocument(sample);
        for (memory::Document* document : application->documents())
        {
            if (document->type() != kPartDocument)
                continue;
            for (Body* body : document->bodies(-1, -1))
                for (Edge* edge : body->edges())
                {
                    if (edge->curve()->kind() != kEllipseCurve)
                        continue;
                    ++ellipses;
                    SCOPED_TRACE(std::string(document->documentTitle.begin(),
                                             document->documentTitle.end()));
                    const std::vector<double> e = edge->curve()->ellipseParams();
                    ASSERT_EQ(e.size(), 11u);
                    const double* centre = &e[0];
                    const double* major = &e[4];
                    const double* minor = &e[8];
                    // Radii first, then unit directions at right angles.
                    EXPECT_GT(e[3], 0.0);
                    EXPECT_GT(e[7], 0.0);
                    EXPECT_GE(e[3], e[7]);
                    EXPECT_NEAR(Dot(major, major), 1.0, 1e-12);
                    EXPECT_NEAR(Dot(minor, minor), 1.0, 1e-12);
                    EXPECT_NEAR(Dot(major, minor), 0.0, 1e-12);
                    // The edge starts and ends on the ellipse at its start
                    // and end angle: c + a cos t u + b sin t v.
                    const std::vector<double> p = edge->curveParams();
                    for (int end = 0; end < 2; ++end)
                    {
                        const double t = p[6 + static_cast<std::size_t>(end)];
                        for (int k = 0; k < 3; ++k)
                            EXPECT_NEAR(
                                p[3 * static_cast<std::size_t>(end) + static_cast<std::size_t>(k)],
                                centre[k] + e[3] * std::cos(t) * major[k] +
                                    e[7] * std::sin(t) * minor[k],
                                1e-9)
                                << "end " << end << " coordinate " << k;
                    }
                }
        }
    }
    EXPECT_EQ(ellipses, 4);
}
