// The numbers of a part that its model stream carries as floats: refused
// with their line when single precision cannot hold them, wherever they
// stand; numbers too small for their precision read as 0.
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/Sketch.h"
#include "host/memory/Geometry.h"
#include "host/tests/PartDocuments.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <utility>

using namespace host;

namespace
{
using host_test::part;

// The loader's refusal of the part holding `content` ("line N: ..."), or
// "loaded".
std::string refusal(const std::string& content)
{
    try
    {
        part(content);
    }
    catch (const LoadError& error)
    {
        return error.what();
    }
    return "loaded";
}

// A body of one face whose first corner's x is `x`, the rest on line 4.
std::string faceWith(const std::string& x)
{
    return "<body><face triangles=\"1\">\n<triangles>" + x +
           " 0 0 1 0 0 0 1 0</triangles>\n</face></body>\n";
}

std::vector<float> triangles(const std::string& x)
{
    auto application = part(faceWith(x));
    return application->activeDocument()->bodies(-1, -1)[0]->firstFace()->triangles(-1);
}

// A body of one edge (on line 4) whose curve (on line 5) has `curve` as its
// attributes.
std::string edgeWith(const std::string& params, const std::string& curve)
{
    return "<body>\n<edge params=\"" + params + "\">\n<curve " + curve + "/></edge></body>\n";
}

const std::string kParams = "0 0 0  1 0 0  0 1  0 0 0";

// A 3D sketch holding `list` on line 4.
std::string sketchWith(const std::string& list)
{
    return "<feature id=\"s\" type-name=\"3DProfileFeature\"><sketch>\n" + list +
           "\n</sketch></feature>\n";
}
} // namespace

TEST(ModelNumbers, SinglePrecisionsOwnLimitDecides)
{
    // Everything that rounds to the largest float is taken, as that float;
    // from halfway to the next power of two on, rounding gives infinity.
    const std::pair<const char*, double> taken[] = {{"3e38", 3e38},
                                                    {"3.1e38", 3.1e38},
                                                    {"3.4e38", 3.4e38},
                                                    {"3.4028235e38", FLT_MAX},
                                                    {"-3.4028235677973362e38", -FLT_MAX}};
    for (const auto& [text, value] : taken)
    {
        const std::vector<float> values = triangles(text);
        ASSERT_EQ(values.size(), 9u) << text;
        EXPECT_EQ(values[0], static_cast<float>(value)) << text;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"3.4028235677973366e38", "3.4028235677973366e+38"},
        {"-3.5e38", "-3.5e+38"},
        {"1e39", "1e+39"},
        {"1e300", "1e+300"}};
    for (const auto& [text, shown] : refused)
        EXPECT_EQ(refusal(faceWith(text)), "line 4: <triangles> holds " + std::string(shown) +
                                               ", a number too large for single precision")
            << text;
}

TEST(ModelNumbers, NumbersTooSmallForTheirPrecisionReadAsZero)
{
    // Below the smallest float, and below the smallest double: both are 0.
    for (const char* tiny : {"1e-46", "1e-400", "-1e-400"})
        EXPECT_EQ(triangles(tiny)[0], 0.0f) << tiny;
    EXPECT_GT(triangles("1e-45")[0], 0.0f) << "the smallest float is kept";
    // In attributes too, and in a 3D sketch, where doubles are kept.
    auto application = part(edgeWith("1e-400 1e-320 0  1 0 0  0 1  0 0 0", "kind=\"3001\"") +
                            sketchWith("<lines kind=\"1\" count=\"1\">0 0 0 0 0 0  1e-400 0 0  "
                                       "1 0 0</lines>"));
    Document* document = application->activeDocument();
    const std::vector<double> params = document->bodies(-1, -1)[0]->edges()[0]->curveParams();
    EXPECT_EQ(params[0], 0.0);
    EXPECT_EQ(params[1], 1e-320);
    EXPECT_EQ(document->firstFeature()->specificSketch()->lines(kSketchLines)[6], 0.0);
    // Too large for a double is no number at all.
    EXPECT_NE(refusal(faceWith("1e400"))
                  .find("line 4: <triangles> holds '1e400', which is not a "
                        "finite number"),
              std::string::npos);
}

TEST(ModelNumbers, EveryNumberAModelStreamCarriesIsCheckedAtItsLine)
{
    const std::string tooLarge = ", a number too large for single precision";
    // An edge's points and its curve's circle, ellipse and B-spline.
    EXPECT_EQ(refusal(edgeWith("0 0 0  1e39 0 0  0 1  0 0 0", "kind=\"3001\"")),
              "line 4: attribute 'params' holds 1e+39" + tooLarge);
    EXPECT_EQ(refusal(edgeWith(kParams, "kind=\"3002\" circle=\"0 0 0  0 0 1  1e39\"")),
              "line 5: attribute 'circle' holds 1e+39" + tooLarge);
    EXPECT_EQ(refusal(edgeWith(kParams, "kind=\"3003\" ellipse=\"-5e38 0 0  1 1 0 0  1 0 1 0\"")),
              "line 5: attribute 'ellipse' holds -5e+38" + tooLarge);
    EXPECT_EQ(refusal(edgeWith(kParams, "kind=\"3005\" bspline=\"3 2 2 0  0 0 1 1  0 0 0  1e39 "
                                        "0 0\"")),
              "line 5: attribute 'bspline' holds 1e+39" + tooLarge);
    // A thread's diameter and edge.
    const std::string thread = "<feature id=\"f\"><feature id=\"t\" type-name=\"CosmeticThread\" "
                               "kind=\"2\">\n<thread diameter=\"";
    EXPECT_EQ(refusal(thread + "4e38\"/></feature></feature>\n"),
              "line 4: attribute 'diameter' holds 4e+38" + tooLarge);
    EXPECT_EQ(refusal(thread + "0.008\">\n<edge params=\"0 0 0  0 0 0  0 6.3  0 0 1e40\">"
                               "<curve kind=\"3002\"/></edge></thread></feature></feature>\n"),
              "line 5: attribute 'params' holds 1e+40" + tooLarge);
    // A 3D sketch's lines, arcs and splines; an arc's axis is only a
    // direction and may be longer.
    EXPECT_EQ(refusal(sketchWith("<lines kind=\"1\" count=\"1\">0 0 0 0 0 0  0 0 0  0 1e39 "
                                 "0</lines>")),
              "line 4: <lines> holds 1e+39" + tooLarge);
    EXPECT_EQ(refusal(sketchWith("<arcs count=\"1\">0 0 0 0 0 0  1 0 0  0 1 0  0 0 1e39  "
                                 "1</arcs>")),
              "line 4: <arcs> holds 1e+39" + tooLarge);
    EXPECT_EQ(refusal(sketchWith("<arcs count=\"1\">0 0 0 0 0 0  1 0 0  0 1 0  0 0 0  1  0 0 "
                                 "1e300</arcs>")),
              "loaded");
    EXPECT_EQ(refusal(sketchWith("<splines count=\"1\">0 0 2  0 0 0  1e39 0 0</splines>")),
              "line 4: <splines> holds 1e+39" + tooLarge);
    // A component's placement.
    EXPECT_EQ(refusal("<components>\n<component name=\"c\" transform=\"1 0 0 0 1 0 0 0 1 1e39 0 0 "
                      "1\"/></components>\n"),
              "line 4: attribute 'transform' holds 1e+39" + tooLarge);

    // A drawing's sketch is no model stream's: its numbers are doubles.
    EXPECT_NO_THROW(parseHostDocument(
        "<host-document><document type=\"3\" title=\"d.DRW\"><drawing>\n"
        "<sheet name=\"S\" properties=\"0 0 0 0 0 0.42 0.297\"><view type=\"1\"><sketch>\n"
        "<lines kind=\"1\" count=\"1\">5 0 0 1 -1 0  0 0 0  1e39 0 0</lines>\n"
        "</sketch></view></sheet></drawing></document></host-document>\n",
        u""));
}
