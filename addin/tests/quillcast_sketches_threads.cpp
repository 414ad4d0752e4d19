// The quillcast program on parts whose 3D sketch circles, cosmetic threads
// and ellipses the publisher once lost or drew wrong: each package is read
// back by the independent tools and our readers, and the stream is checked
// against points worked out by hand.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>

using geometry_test::ExpectNear;
using namespace publish_test;

namespace
{
const std::string kExamples = QUILLCAST_SOURCE_DIR "/examples/";

// Every record of one opcode anywhere in the tree, in stream order.
void Collect(const geometry_test::Node& node, int opcode, std::vector<geometry_test::Item>& found)
{
    std::size_t child = 0;
    for (const geometry_test::Item& item : node.items)
        if (item.opcode == '(')
            Collect(node.children.at(child++), opcode, found);
        else if (item.opcode == opcode)
            found.push_back(item);
}

std::vector<geometry_test::Item> All(const geometry_test::Node& tree, int opcode)
{
    std::vector<geometry_test::Item> found;
    Collect(tree, opcode, found);
    return found;
}

// A thread on the rim of radius 0.005 about (0.02, 0.02, 0.01).
std::string Thread(const std::string& id, const std::string& isCircle)
{
    return "<feature id=\"" + id +
           "\" type-name=\"CosmeticThread\" kind=\"2\">\n"
           "<thread setting=\"0\" diameter=\"0.008\"><edge params=\"0.025 0.02 0.01  0.025 0.02 "
           "0.01  0 6.283185307179586  0 0 0\"><curve kind=\"3002\" circle=\"0.02 0.02 0.01  0 0 "
           "1  0.005\" is-circle=\"" +
           isCircle + "\"/></edge></thread></feature>\n";
}

class QuillcastSketchesThreads : public QuillcastProgram
{
protected:
    // Publishes `document`; answers the exit status, standard error in
    // `errors`, and the package read back.
    int Publish(const std::string& document, std::string& errors, model_package::ModelPackage& out)
    {
        const std::string target = Target();
        const int status =
            Quillcast("publish " + Quoted(document) + " -o " + Quoted(target) +
                          " --force --quiet --data-folder " + Quoted(kExamples + "host-data"),
                      errors);
        out = model_package::ReadModelPackage(target, "",
                                              root_ + "/read-" + std::to_string(++reads_));
        return status;
    }
    int reads_ = 0;
};
} // namespace

TEST_F(QuillcastSketchesThreads, SketchCirclesAndThreadsLeftOutAloneAreNamed)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // A 3D sketch of a whole circle with its axis and one without, then a
    // thread whose edge is not a circle before one that is.
    const std::string document = Document(
        "curves.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
        "<document type=\"1\" title=\"curves.PRT\" path=\"/samples/curves.PRT\" active=\"1\">\n"
        "<configuration name=\"Default\" current=\"1\"/>\n"
        "<feature id=\"outline\" type-name=\"3DProfileFeature\" kind=\"0\"><sketch flag=\"1\">\n"
        "<arcs count=\"2\">\n"
        "0 0 0 0 -1 0  0.03 0.02 0.02  0.03 0.02 0.02  0.02 0.02 0.02  1  0 0 1\n"
        "0 0 0 0 -1 0  0.03 0.02 0.02  0.03 0.02 0.02  0.02 0.02 0.02  1  0 0 0\n"
        "</arcs></sketch></feature>\n"
        "<feature id=\"hole\" type-name=\"Hole\" kind=\"1\">\n" +
            Thread("square thread", "0") + Thread("round thread", "1") +
            "</feature>\n"
            "<body><face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
            "<normals>0 0 1 0 0 1 0 0 1</normals></face></body>\n"
            "</document>\n</host-document>\n");
    std::string errors;
    model_package::ModelPackage package;
    EXPECT_EQ(Publish(document, errors, package), 3) << errors;
    EXPECT_NE(errors.find("The error occurred in CDWF3DGrWriter::Generate3Dsketch.\n"
                          "quillcast:   cause: 3D sketch 'outline': arc 2 is left out: it is a "
                          "whole circle without an axis, so its plane is unknown\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("The error occurred in CDWF3DGrWriter::GenerateThread.\n"
                          "quillcast:   cause: Cosmetic thread 'square thread' is left out: its "
                          "edge is not a circle\n"),
              std::string::npos)
        << errors;

    // The sketch's circle as two half arcs, then the round thread's two.
    const auto arcs = All(package.tree, 'c');
    ASSERT_EQ(arcs.size(), 4u);
    ExpectNear(arcs[0].f, {0.03, 0.02, 0.02, 0.02, 0.03, 0.02, 0.01, 0.02, 0.02});
    ExpectNear(arcs[1].f, {0.03, 0.02, 0.02, 0.02, 0.01, 0.02, 0.01, 0.02, 0.02});
    ExpectNear(arcs[2].f, {0.024, 0.02, 0.01, 0.02, 0.024, 0.01, 0.016, 0.02, 0.01});
    ExpectNear(arcs[3].f, {0.024, 0.02, 0.01, 0.02, 0.016, 0.01, 0.016, 0.02, 0.01});
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastSketchesThreads, TheSamplePinPublishesItsEllipseWithBothRadii)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // The sample assembly with pin.PRT as the active document, its files
    // named from the examples folder.
    std::string text = ExampleText("sample-assembly.xml");
    const auto replace = [&text](const std::string& from, const std::string& to)
    {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("picture=\"sample-preview.png\" active=\"1\"", "");
    replace("title=\"pin.PRT\" path=\"/samples/pin.PRT\"",
            "title=\"pin.PRT\" path=\"/samples/pin.PRT\" active=\"1\"");
    const std::string document = Document("pin.xml", text);

    std::string errors;
    model_package::ModelPackage package;
    EXPECT_EQ(Publish(document, errors, package), 0) << errors;
    EXPECT_EQ(package.objects.count("pin.PRT"), 1u);
    // Centre (0.003, 0.003, 0); the major end 0.003 along x and the minor
    // end 0.002 along y, all the way round.
    const auto ellipses = All(package.tree, 'e');
    ASSERT_EQ(ellipses.size(), 1u);
    ExpectNear(ellipses[0].f, {0.003, 0.003, 0, 0.006, 0.003, 0, 0.003, 0.005, 0, 0, 1});
}

TEST_F(QuillcastSketchesThreads, AxesOfExtremeLengthGiveTheirCircles)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // About the direction n = (1, 1, 1)/√3 a turn of 120 degrees takes
    // (x, y, z) to (z, x, y). A 3D sketch arc about an axis of 1.1e308 per
    // component (finite, its length is not) from c + 0.01 (1, -1, 0)
    // counter-clockwise to c + 0.01 (-1, 0, 1) turns 240 degrees through
    // c + 0.01 (0, 1, -1); then a whole circle about it from the same start.
    // A circular edge and its thread (diameter 0.008) about an axis of
    // 1e-321 per component (subnormal), their start 0.005 from the centre
    // along (1, -1, 0)/√2.
    const std::string c = "0.02 0.02 0.02";
    const std::string axis = "1.1e308 1.1e308 1.1e308";
    const double d = 0.005 / std::sqrt(2.0);
    char start[128];
    std::snprintf(start, sizeof start, "%.17g %.17g 0.01", 0.02 + d, 0.02 - d);
    const std::string edge = std::string("<edge params=\"") + start + "  " + start +
                             "  0 6.283185307179586  0 0 0\"><curve kind=\"3002\" circle=\"0.02 "
                             "0.02 0.01  1e-321 1e-321 1e-321  0.005\" is-circle=\"1\"/></edge>";
    const std::string document = Document(
        "axes.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
        "<document type=\"1\" title=\"axes.PRT\" path=\"/samples/axes.PRT\" active=\"1\">\n"
        "<configuration name=\"Default\" current=\"1\"/>\n"
        "<feature id=\"outline\" type-name=\"3DProfileFeature\" kind=\"0\"><sketch flag=\"1\">\n"
        "<arcs count=\"2\">\n"
        "0 0 0 0 -1 0  0.03 0.01 0.02  0.01 0.02 0.03  " +
            c + "  1  " + axis +
            "\n"
            "0 0 0 0 -1 0  0.03 0.01 0.02  0.03 0.01 0.02  " +
            c + "  1  " + axis +
            "\n"
            "</arcs></sketch></feature>\n"
            "<feature id=\"hole\" type-name=\"Hole\" kind=\"1\">\n"
            "<feature id=\"thread\" type-name=\"CosmeticThread\" kind=\"2\">\n"
            "<thread setting=\"0\" diameter=\"0.008\">" +
            edge +
            "</thread></feature></feature>\n"
            "<body><face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
            "<normals>0 0 1 0 0 1 0 0 1</normals></face>" +
            edge + "</body>\n</document>\n</host-document>\n");
    std::string errors;
    model_package::ModelPackage package;
    EXPECT_EQ(Publish(document, errors, package), 0) << errors;

    // The edge's two halves, the sketch's arc and circle, the thread's two
    // halves, in the order the part is written.
    const auto arcs = All(package.tree, 'c');
    EXPECT_EQ(arcs.size(), 7u);
    ASSERT_GE(arcs.size(), 4u);
    // Within a few units in the last place of a float.
    const double tolerance = 1e-8;
    if (arcs.size() == 7)
    {
        ExpectNear(arcs[2].f, {0.03, 0.01, 0.02, 0.02, 0.03, 0.01, 0.01, 0.02, 0.03}, tolerance);
        // A quarter turn from the start: c ± 0.01 √2 (1, 1, -2)/√6.
        const double k = 0.01 / std::sqrt(3.0);
        ExpectNear(arcs[3].f,
                   {0.03, 0.01, 0.02, 0.02 + k, 0.02 + k, 0.02 - 2 * k, 0.01, 0.03, 0.02},
                   tolerance);
        ExpectNear(arcs[4].f,
                   {0.03, 0.01, 0.02, 0.02 - k, 0.02 - k, 0.02 + 2 * k, 0.01, 0.03, 0.02},
                   tolerance);
    }

    // The edge's circle of radius 0.005 and the thread's of radius 0.004
    // about (0.02, 0.02, 0.01): start, a quarter turn on ((1, 1, -2)/√6),
    // the opposite point; then the other half.
    const auto circle = [&](double radius, double side)
    {
        const double s = radius / std::sqrt(2.0);
        const double q = side * radius / std::sqrt(6.0);
        return std::vector<double>{0.02 + s,     0.02 - s, 0.01,     0.02 + q, 0.02 + q,
                                   0.01 - 2 * q, 0.02 - s, 0.02 + s, 0.01};
    };
    const std::size_t thread = arcs.size() - 2;
    ExpectNear(arcs[0].f, circle(0.005, 1), tolerance);
    ExpectNear(arcs[1].f, circle(0.005, -1), tolerance);
    ExpectNear(arcs[thread].f, circle(0.004, 1), tolerance);
    ExpectNear(arcs[thread + 1].f, circle(0.004, -1), tolerance);
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, thread, thread + 1})
        for (std::size_t p = 0; p < 3; ++p)
        {
            const float* point = arcs[i].f.data() + 3 * p;
            EXPECT_NEAR(std::hypot(point[0] - 0.02, point[1] - 0.02, point[2] - 0.01),
                        i < 2 ? 0.005 : 0.004, tolerance)
                << "arc " << i << ", point " << p;
        }
    ExpectNoTemporaryFiles();
}
