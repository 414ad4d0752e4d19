// The geometry writer's pieces that need no stream: the face list of a
// triangle soup, texture coordinates, the component walk, vector helpers,
// and numbers formatted for the mass properties.
#include "addin/tests/GeometryCapture.h"

#include "host/memory/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <vector>

using namespace geometry_test;

namespace
{
const double kPi = 3.141592653589793;

class GeometryWriterUnits : public GeometryFixture
{
};
} // namespace

TEST(GeometryWriterPieces, BuildFaceListGivesEveryTriangleItsOwnVertices)
{
    CDWF3DGrWriter::TriangleSoup soup;
    soup.triangleCount = 2;
    soup.vertexCount = 6;
    for (int i = 0; i < 18; ++i)
    {
        soup.points.push_back(static_cast<float>(i));
        soup.normals.push_back(static_cast<float>(-i));
    }
    soup.indices = {0, 1, 2, 3, 4, 5};
    soup.uv = {0.5f, 1e-7f, -9e-7f, 0.25f, 1e-6f, -1e-6f, 1, 1, 0, 0, 0.75f, 0.125f};
    CDWF3DGrWriter::ShellArrays shell;
    CDWF3DGrWriter::BuildFaceList(soup, shell);
    EXPECT_EQ(shell.vertexCount, 6);
    EXPECT_EQ(shell.faceListLength, 8);
    EXPECT_EQ(shell.faceList, (std::vector<int>{3, 0, 1, 2, 3, 3, 4, 5}));
    EXPECT_EQ(shell.points, soup.points);
    EXPECT_EQ(shell.normals, soup.normals);
    // Values below 1e-6 in magnitude are exactly 0; every third value is 0.
    EXPECT_EQ(shell.parameters, (std::vector<float>{0.5f, 0, 0, 0, 0.25f, 0, 1e-6f, -1e-6f, 0, 1, 1,
                                                    0, 0, 0, 0, 0.75f, 0.125f, 0}));
    // An untextured soup brings no texture values, and gets no parameters.
    soup.uv.clear();
    CDWF3DGrWriter::BuildFaceList(soup, shell);
    EXPECT_TRUE(shell.parameters.empty());
    EXPECT_EQ(shell.faceListLength, 8);
}

TEST(GeometryWriterPieces, IdenticalVerticesBecomeOneInTheOrderOfTheirFirstUse)
{
    // Two triangles sharing an edge (vertices 1 = 3 and 2 = 4), a third
    // whose corner 6 equals 0 in place but not in its normal, and one whose
    // corner differs from 5 only in its texture value.
    CDWF3DGrWriter::ShellArrays shell;
    shell.vertexCount = 9;
    shell.points = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0, 5, 5, 5, 1, 1, 0};
    shell.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0, 1};
    shell.parameters = std::vector<float>(27, 0.0f);
    shell.parameters[3 * 8] = 0.5f;
    shell.faceList = {3, 0, 1, 2, 3, 3, 4, 5, 3, 6, 7, 8};
    shell.faceListLength = 12;
    CDWF3DGrWriter::MergeIdenticalVertices(shell);
    EXPECT_EQ(shell.vertexCount, 7);
    EXPECT_EQ(shell.faceList, (std::vector<int>{3, 0, 1, 2, 3, 1, 2, 3, 3, 4, 5, 6}));
    EXPECT_EQ(shell.points, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 0, 5, 5,
                                                5, 1, 1, 0}));
    EXPECT_EQ(shell.normals.size(), 21u);
    EXPECT_EQ(shell.normals[3 * 4 + 1], 1.0f);
    EXPECT_EQ(shell.parameters.size(), 21u);
    EXPECT_EQ(shell.parameters[3 * 6], 0.5f);

    // Without parameters only points and normals count; a broken face list
    // is left where it breaks.
    CDWF3DGrWriter::ShellArrays plain;
    plain.vertexCount = 3;
    plain.points = {1, 2, 3, 1, 2, 3, 1, 2, 3};
    plain.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    plain.faceList = {3, 0, 1, 2, 7, 2};
    plain.faceListLength = 6;
    CDWF3DGrWriter::MergeIdenticalVertices(plain);
    EXPECT_EQ(plain.vertexCount, 1);
    EXPECT_EQ(plain.faceList, (std::vector<int>{3, 0, 0, 0, 7, 2}));
}

TEST(GeometryWriterPieces, TextureCoordinatesTurnAndScaleByTheTextureInForce)
{
    CDWF3DGrWriter writer(nullptr, nullptr);
    const std::vector<float> in = {1, 0, 0, 1};
    std::vector<float> out(4);
    bool found = true;
    auto expect = [&](std::vector<float> expected)
    {
        writer.ComputeTextureCoordinates(out.data(), 4, in.data(), &found);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_NEAR(out[i], expected[i], 1e-6) << i;
    };
    // Nothing in force: unchanged.
    expect({1, 0, 0, 1});
    EXPECT_FALSE(found);
    // The material's texture: a quarter turn, scale 2, not sized by the
    // model.
    writer.SetTextureParameter(CDWF3DGrWriter::kMaterialAngle, kPi / 2);
    writer.SetTextureParameter(CDWF3DGrWriter::kMaterialScale, 2);
    writer.SetMaterialValue(10);
    expect({0, 2, -2, 0});
    // A feature texture comes first, and is sized by the model.
    writer.SetTextureParameter(CDWF3DGrWriter::kFeatureAngle, 0);
    writer.SetTextureParameter(CDWF3DGrWriter::kFeatureScale, 0.5);
    expect({5, 0, 0, 5});
    writer.SetMaterialValue(0);
    expect({0.5, 0, 0, 0.5});
    // Without a material texture a textured component's values apply.
    writer.SetTextureParameter(CDWF3DGrWriter::kFeatureScale, 0);
    writer.SetTextureParameter(CDWF3DGrWriter::kMaterialScale, 0);
    writer.SetComponentList({{true, kPi, 3, -1}, {false, 0, 1, 0}});
    expect({-3, 0, 0, -3});
    EXPECT_TRUE(found);
    // An odd count leaves the last value alone; nothing for a null buffer.
    out = {9, 9, 9, 9};
    writer.ComputeTextureCoordinates(out.data(), 3, in.data(), nullptr);
    EXPECT_EQ(out[2], 9.0f);
    writer.ComputeTextureCoordinates(nullptr, 4, in.data(), nullptr);
}

TEST(GeometryWriterPieces, FindLastComponentWalksTowardTheRoot)
{
    int index = 5;
    EXPECT_FALSE(CDWF3DGrWriter::FindLastComponent({}, index));
    EXPECT_EQ(index, -1);
    // The last entry is the root: false, even when textured.
    EXPECT_FALSE(CDWF3DGrWriter::FindLastComponent({{true, 0, 1, -1}}, index));
    // root (textured) <- sub <- part: the root is found.
    EXPECT_TRUE(CDWF3DGrWriter::FindLastComponent(
        {{true, 0, 1, -1}, {false, 0, 1, 0}, {false, 0, 1, 1}}, index));
    EXPECT_EQ(index, 0);
    // The nearest textured one wins.
    EXPECT_TRUE(CDWF3DGrWriter::FindLastComponent(
        {{true, 0, 1, -1}, {true, 0, 1, 0}, {false, 0, 1, 1}}, index));
    EXPECT_EQ(index, 1);
    // None textured; a parent outside the list; a list whose parents go
    // round: all false, and finite.
    EXPECT_FALSE(CDWF3DGrWriter::FindLastComponent({{false, 0, 1, -1}, {false, 0, 1, 0}}, index));
    EXPECT_FALSE(CDWF3DGrWriter::FindLastComponent({{false, 0, 1, -1}, {false, 0, 1, 7}}, index));
    EXPECT_FALSE(CDWF3DGrWriter::FindLastComponent({{false, 0, 1, 1}, {false, 0, 1, 0}}, index));
}

TEST(GeometryWriterPieces, VectorHelpersAndTheWritersState)
{
    const double a[3] = {1, 2, 3};
    const double b[3] = {4, 6, 3};
    EXPECT_DOUBLE_EQ(CDWF3DGrWriter::Distance3D(a, b), 5.0);
    double out[3] = {7, 7, 7};
    CDWF3DGrWriter::CrossProduct(a, b, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{-12, 9, -2}));
    CDWF3DGrWriter::ScaleVector(2, a, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{2, 4, 6}));
    CDWF3DGrWriter::AddVectors(a, b, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{5, 8, 6}));
    CDWF3DGrWriter::CrossProduct(nullptr, b, out);
    CDWF3DGrWriter::ScaleVector(2, nullptr, out);
    CDWF3DGrWriter::AddVectors(a, nullptr, out);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{5, 8, 6}));

    platform::ui().reset();
    platform::ui().setEcho(false);
    CDWF3DGrWriter writer(nullptr, nullptr);
    EXPECT_EQ(writer.SetModelDoc(nullptr), platform::E_FAIL);
    EXPECT_EQ(writer.GenerateGraphics(nullptr), platform::E_FAIL);
    EXPECT_THROW(writer.GetTextureParameter(9), std::out_of_range);
    // Null objects end their functions quietly (the writer has no segment:
    // anything written would fail).
    writer.GenerateShellOfBody(nullptr, false);
    EXPECT_EQ(writer.GenerateEdgeFromBody(nullptr), platform::S_OK);
    EXPECT_EQ(writer.WriteCircularEdge(nullptr), platform::S_OK);
    EXPECT_EQ(writer.GenerateEllipseWire(nullptr), platform::S_OK);
    EXPECT_EQ(writer.GenerateBcurveWire(nullptr), platform::S_OK);
    EXPECT_EQ(writer.WriteThreadCircle(nullptr, a, 1), platform::S_OK);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
}

TEST_F(GeometryWriterUnits, ShellRecordsNeedEveryArrayAndPositiveCounts)
{
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(nullptr, &segment);
    const float points[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float normals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    const float parameters[9] = {};
    const int faces[4] = {3, 0, 1, 2};
    writer.GenerateShellSegment(segment, 3, nullptr, normals, 4, faces, parameters, false);
    writer.GenerateShellSegment(segment, 3, points, nullptr, 4, faces, parameters, false);
    writer.GenerateShellSegment(segment, 3, points, normals, 4, nullptr, parameters, false);
    // Parameters are needed only by a textured shell.
    writer.GenerateShellSegment(segment, 3, points, normals, 4, faces, nullptr, true);
    writer.GenerateShellSegment(segment, 0, points, normals, 4, faces, parameters, false);
    writer.GenerateShellSegment(segment, 3, points, normals, 0, faces, parameters, false);
    // A face list pointing past its points is refused before anything is
    // written (a record the toolkit refused would break the stream); the
    // next shell is written whole.
    const int wrong[4] = {3, 0, 1, 5};
    writer.GenerateShellSegment(segment, 3, points, normals, 4, wrong, parameters, false);
    writer.GenerateShellSegment(segment, 3, points, normals, 4, faces, parameters, false);
    const Node include = Finish();
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>{Message("CDWF3DGrWriter::GenerateShellSegment")});
    EXPECT_EQ(include.count('P'), 1u);
    ASSERT_EQ(include.count('S'), 1u);
    EXPECT_EQ(include.all('S')[0].i, (std::vector<int>{3, 1}));
}

TEST_F(GeometryWriterUnits, MassValuesKeepSevenSignificantDigitsInPlainDecimals)
{
    auto application = SamplePart();
    host::memory::Document* part = application->documents().front();
    PublishOptions generalOnly;
    generalOnly.option1006 = 0;
    DWFToolkit::DWFSegment& segment = Open();
    CDWF3DGrWriter writer(part, &segment);

    // The texts worked out by python3's decimal module: the double's exact
    // value rounded half to even at the decimal that keeps seven
    // significant digits (six decimals at least), the zeros beyond the
    // sixth decimal dropped. Six decimals that show seven digits, or the
    // whole value, stay as "%f" writes them.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::string tiny = "0." + std::string(299, '0') + "1";        // 1e-300
    const std::string least = "0." + std::string(323, '0') + "4940656"; // 5e-324
    struct Group
    {
        std::vector<double> values; // centre, volume, area, mass, six moments, unread
        std::vector<std::string> expected;
    };
    const std::vector<Group> groups = {
        // The sample part's: its volume and moments of inertia.
        {{0.02, 0.02, 0.005, 0.0000152146, 0.004957, 0.041079, 0.0000055, 0.0000055, 0.0000105, 0,
          0, 0, 0},
         {"Mass/Area(m^2)=0.004957", "Mass/CenterMass(m)=(0.020000,0.020000,0.005000)",
          "Mass/Mass(kg)=0.041079",
          "Mass/MomentInertia(kg^m^2)=(0.0000055,0.0000055,0.0000105,0.000000,0.000000,0.000000)",
          "Mass/Volume(m^3)=0.0000152146"}},
        // A small part, negative values, zeros and large ones.
        {{-0.0000152146, -5e-7, -0.0, 1e-8, 2.5, 1e20, 2.5e-6, 1.0 / 3, -2.0 / 3, 1e-300, nan,
          123456.0000005, 0},
         {"Mass/Area(m^2)=2.500000", "Mass/CenterMass(m)=(-0.0000152146,-0.0000005,-0.000000)",
          "Mass/Mass(kg)=100000000000000000000.000000",
          "Mass/MomentInertia(kg^m^2)=(0.0000025,0.3333333,-0.6666667," + tiny +
              ",nan,123456.000001)",
          "Mass/Volume(m^3)=0.00000001"}},
        // Around the digit where six decimals start to keep seven digits:
        // rounding up to 1 or to 1e-5 needs no further decimal.
        {{0.99999996, 0.9999994, 9.9999996e-6, 5e-324, 0.1, -1234.5678901, 1e-5, 0.0000024,
          -1.7976931348623157e308, 0.5, -42, 3.14159265358979, 0},
         {"Mass/Area(m^2)=0.100000", "Mass/CenterMass(m)=(1.000000,0.9999994,0.000010)",
          "Mass/Mass(kg)=-1234.567890",
          "Mass/MomentInertia(kg^m^2)=(0.000010,0.0000024,-"
          "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058"
          "95586327668781715404589535143824642343213268894641827684675467035375169860499105765512"
          "82076245490090389328944075868508455133942304583236903222948165808559332123348274797826"
          "204144723168738177180919299881250404026184124858368.000000,0.500000,-42.000000,"
          "3.141593)",
          "Mass/Volume(m^3)=" + least}},
    };
    for (const Group& group : groups)
    {
        part->modelExtension->mass = group.values;
        writer.ProcessDocumentProps(part, nullptr, segment, &generalOnly);
    }
    std::vector<std::string> properties = Properties();
    std::vector<std::string> expected;
    for (const Group& group : groups)
    {
        expected.push_back("Configuration/ConfigName=Default");
        expected.insert(expected.end(), group.expected.begin(), group.expected.end());
    }
    std::sort(properties.begin(), properties.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(properties, expected);

    // Too few values: the mass group is left out with the method's message.
    part->modelExtension->mass.resize(11);
    writer.ProcessDocumentProps(part, nullptr, segment, &generalOnly);
    EXPECT_EQ(Messages(),
              std::vector<std::u16string>{Message("CDWF3DGrWriter::GetGeneralPropsFromDoc")});
    Finish();
}
