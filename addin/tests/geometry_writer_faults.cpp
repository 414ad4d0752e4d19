// The geometry writer over a host that fails: every request it makes of the
// sample part is made to fail in turn, at every occurrence, and the message
// boxes must be exactly those of the method or step that made the request.
// The stream must still read back whole, no walk may repeat a face, and
// nothing may be left in the temporary folder.
#include "addin/tests/GeometryCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace geometry_test;

namespace
{
// Which method or step reports a failure of a request at its k-th
// occurrence while the sample part is written, given as the occurrences
// from which on it applies (the requests that several methods make).
struct Reporter
{
    int from;
    const char* where;
};

constexpr const char* kSuppress = "CDWF3DGrWriter::IsFeatureSuppress";
constexpr const char* kFeatureOfFace =
    "CDWF3DGrWriter::GenerateFeatureTexture.It is generate feature error";
constexpr const char* kFaceCount =
    "CDWF3DGrWriter::GenerateFaceTexture.It is the count of configuration";
constexpr const char* kFaceTexture = "CDWF3DGrWriter::GenerateFaceTexture";

const std::vector<Reporter> kCurrentConfiguration = {
    {1, "CDWF3DGrWriter::GenerateBodyTexture"},
    {2, kFaceTexture},
    {3, "CDWF3DGrWriter::GenerateFeatureTexture"},
    {4, kFaceTexture},
    {5, "CDWF3DGrWriter::GenerateFeatureTexture"},
    {6, kFaceTexture},
    {7, "CDWF3DGrWriter::GetGeneralPropsFromDoc"}};

const std::map<std::string, std::vector<Reporter>>& ReportersOfSamplePart()
{
    static const std::map<std::string, std::vector<Reporter>> table = {
        {"Document::prepare", {{1, "CDWF3DGrWriter::GenerateBodyWires"}}},
        {"Document::type", {{1, "CDWF3DGrWriter::GenerateBodyWires"}}},
        {"Document::boundingBox", {{1, "CDWF3DGrWriter::GenerateBodyWires"}}},
        {"Document::bodies", {{1, "CDWF3DGrWriter::GenerateBodyWires"}}},
        {"Body::materialValues", {{1, "CDWF3DGrWriter::GenerateFaceColor"}}},
        {"Body::firstFace", {{1, "generate the first face"}}},
        // Each face asks its feature twice: whether it is suppressed, then
        // for its texture.
        {"Face::feature",
         {{1, kSuppress}, {2, kFeatureOfFace}, {3, kSuppress}, {4, kFeatureOfFace},
          {5, kSuppress}, {6, kFeatureOfFace}}},
        // The document's material in the library (none without the host's
        // data folder).
        {"Document::materialId", {{1, "CDWF3DGrWriter::LoadMaterialDatabase"}}},
        // The configurations are counted and named for the body's texture,
        // then for each face's and each face feature's (the third face has
        // no feature).
        {"Document::configurationCount",
         {{1, "CDWF3DGrWriter::GenerateBodyTexture. It is count of configuration"},
          {2, kFaceCount},
          {3, "CDWF3DGrWriter::GenerateFeatureTexture.It is get count configuration error"},
          {4, kFaceCount},
          {5, "CDWF3DGrWriter::GenerateFeatureTexture.It is get count configuration error"},
          {6, kFaceCount}}},
        {"Document::configurationNames",
         {{1, "CDWF3DGrWriter::GenerateBodyTexture. It is name of configuration"},
          {2, kFaceTexture},
          {3, "CDWF3DGrWriter::GenerateFeatureTexture.It is get name of configuration error"},
          {4, kFaceTexture},
          {5, "CDWF3DGrWriter::GenerateFeatureTexture.It is get name of configuration error"},
          {6, kFaceTexture}}},
        {"Body::texture", {{1, "CDWF3DGrWriter::GenerateBodyTexture"}}},
        {"Face::texture", {{1, kFaceTexture}}},
        {"Feature::texture", {{1, "CDWF3DGrWriter::GenerateFeatureTexture.It is get texture error"}}},
        // The top face's texture.
        {"Texture::angle", {{1, kFaceTexture}}},
        {"Texture::scale", {{1, kFaceTexture}}},
        {"Texture::fileName", {{1, kFaceTexture}}},
        // Two faces ask their feature; then the thread walk asks features.
        {"Feature::suppressed",
         {{1, "CDWF3DGrWriter::IsFeatureSuppress"}, {3, "CDWF3DGrWriter::GenerateThread"}}},
        {"Face::materialValues", {{1, "CDWF3DGrWriter::GenerateFaceColor"}}},
        {"Document::shellStatus", {{1, "CDWF3DGrWriter::GenerateShellSegment"}}},
        {"Face::triangleCount", {{1, "CDWF3DGrWriter::GenerateShellSegment"}}},
        {"Face::normals", {{1, "CDWF3DGrWriter::GenerateShellSegment"}}},
        {"Face::triangles", {{1, "CDWF3DGrWriter::GenerateShellSegment"}}},
        {"Face::next", {{1, "generate the next face"}}},
        {"Body::edges", {{1, "CDWF3DGrWriter::GenerateEdgeFromBody"}}},
        // Four body edges, then the thread's edge.
        {"Edge::curveParams",
         {{1, "CDWF3DGrWriter::GenerateEdgeFromBody"}, {5, "CDWF3DGrWriter::GenerateThread"}}},
        {"Edge::curve",
         {{1, "CDWF3DGrWriter::GenerateEdgeFromBody"}, {5, "CDWF3DGrWriter::GenerateThread"}}},
        {"Curve::kind", {{1, "CDWF3DGrWriter::GenerateEdgeFromBody"}}},
        // The circular edge keeps the name its step always had.
        {"Curve::circleParams",
         {{1, "CDWF3DGrWriter::GenerateFaceColor"}, {2, "CDWF3DGrWriter::GenerateThread"}}},
        {"Curve::ellipseParams", {{1, "CDWF3DGrWriter::GenerateEllipseWire"}}},
        {"Curve::bsplineSize", {{1, "CDWF3DGrWriter::GenerateBcurveWire"}}},
        {"Curve::bsplineData", {{1, "CDWF3DGrWriter::GenerateBcurveWire"}}},
        {"Document::materialValues", {{1, "CDWF3DGrWriter::GenerateFaceColor"}}},
        {"Document::summaryInfo", {{1, "CDWF3DGrWriter::GetSummaryPropsFromDoc"}}},
        {"Document::materialName", {{1, "CDWF3DGrWriter::GetMaterialPropsFromDoc"}}},
        // The current configuration is asked, as the configurations are
        // counted, for each texture; then for the document's properties.
        {"Document::currentConfiguration", kCurrentConfiguration},
        {"Configuration::name", kCurrentConfiguration},
        {"Document::extension", {{1, "CDWF3DGrWriter::GetGeneralPropsFromDoc"}}},
        {"ModelExtension::massProperties", {{1, "CDWF3DGrWriter::GetGeneralPropsFromDoc"}}},
        // The sketch walk comes before the thread walk.
        {"Document::firstFeature",
         {{1, "CDWF3DGrWriter::Generate3Dsketch"}, {2, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::typeName",
         {{1, "CDWF3DGrWriter::Generate3Dsketch"}, {5, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::next",
         {{1, "CDWF3DGrWriter::Generate3Dsketch"}, {5, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::specificSketch", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::flag", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::lineCount", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::lines", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::splineCount", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::splineDataSize", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::splineData", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::arcCount", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Sketch::arcs", {{1, "CDWF3DGrWriter::Generate3Dsketch"}}},
        {"Feature::firstSubFeature", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::nextSubFeature", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::kind", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"Feature::threadData", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"ThreadData::accessSelections", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"ThreadData::setting", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"ThreadData::diameter", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"ThreadData::edge", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"Curve::isCircle", {{1, "CDWF3DGrWriter::GenerateThread"}}},
        {"ThreadData::releaseSelections", {{1, "CDWF3DGrWriter::GenerateThread"}}},
    };
    return table;
}

const char* ReporterAt(const std::vector<Reporter>& reporters, int occurrence)
{
    const char* where = nullptr;
    for (const Reporter& reporter : reporters)
        if (occurrence >= reporter.from)
            where = reporter.where;
    return where;
}

// The face segments of the body segment.
std::size_t FaceSegments(const Node& include)
{
    for (const Node& child : include.children)
        if (!child.children.empty())
            return child.children.size();
    return 0;
}

class GeometryWriterFaults : public GeometryFixture
{
};
} // namespace

TEST_F(GeometryWriterFaults, TheTableCoversEveryRequestOfTheSamplePart)
{
    auto application = SamplePart();
    WritePart(application->documents().front());
    Finish();
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    // Every request listed is made, and every request made is listed.
    for (const auto& entry : ReportersOfSamplePart())
    {
        EXPECT_GT(application->hostSession().requestCount(entry.first), 0) << entry.first;
    }
    for (const auto& [operation, count] : application->hostSession().requestCounts())
    {
        if (count > 0)
        {
            EXPECT_EQ(ReportersOfSamplePart().count(operation), 1u) << operation;
        }
    }
}

TEST_F(GeometryWriterFaults, EachRequestFailingAtEachOccurrenceShowsItsOwnMessage)
{
    // How often the clean run makes each request.
    std::map<std::string, int> occurrences;
    {
        auto application = SamplePart();
        WritePart(application->documents().front());
        Finish();
        for (const auto& entry : ReportersOfSamplePart())
            occurrences[entry.first] = application->hostSession().requestCount(entry.first);
    }

    for (const auto& [operation, reporters] : ReportersOfSamplePart())
        for (int k = 1; k <= occurrences[operation]; ++k)
        {
            SCOPED_TRACE(operation + " #" + std::to_string(k));
            platform::ui().reset();
            auto application = SamplePart();
            host::Session& session = application->hostSession();
            session.failRequest(operation, k);
            WritePart(application->documents().front());
            const Node include = Finish();

            EXPECT_EQ(Messages(), std::vector<std::u16string>{Message(ReporterAt(reporters, k))});
            // No walk comes back to a face.
            EXPECT_LE(session.requestCount("Face::triangleCount"), 3);
            EXPECT_LE(session.requestCount("Face::next"), 3);
            EXPECT_LE(FaceSegments(include), 3u);
            // Selections taken are given back, whatever happened after.
            const auto& log = session.callLog();
            const auto taken = std::count(log.begin(), log.end(), "ThreadData::accessSelections()");
            const auto given =
                std::count(log.begin(), log.end(), "ThreadData::releaseSelections()");
            EXPECT_LE(taken, 1);
            // (A release that fails is not logged.)
            EXPECT_EQ(given, operation == "ThreadData::releaseSelections" ? 0 : taken);
        }
}

TEST_F(GeometryWriterFaults, AFailedNextFaceEndsTheWalkThere)
{
    auto application = SamplePart();
    application->hostSession().failAlways("Face::next");
    WritePart(application->documents().front());
    const Node include = Finish();
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("generate the next face")});
    EXPECT_EQ(FaceSegments(include), 1u);
    EXPECT_EQ(application->hostSession().requestCount("Face::triangleCount"), 1);
}

TEST_F(GeometryWriterFaults, EveryRequestFailingStillLeavesABalancedStream)
{
    auto application = SamplePart();
    for (const auto& entry : ReportersOfSamplePart())
        application->hostSession().failAlways(entry.first);
    WritePart(application->documents().front());
    const Node include = Finish();
    // The walks end at their first request: the library material, the body
    // walk, the properties (summary, material, general), the sketch and the
    // thread walk; the document's colour is asked in between.
    EXPECT_EQ(Messages(), (std::vector<std::u16string>{
                              Message("CDWF3DGrWriter::LoadMaterialDatabase"),
                              Message("CDWF3DGrWriter::GenerateBodyWires"),
                              Message("CDWF3DGrWriter::GenerateFaceColor"),
                              Message("CDWF3DGrWriter::GetSummaryPropsFromDoc"),
                              Message("CDWF3DGrWriter::GetMaterialPropsFromDoc"),
                              Message("CDWF3DGrWriter::GetGeneralPropsFromDoc"),
                              Message("CDWF3DGrWriter::Generate3Dsketch"),
                              Message("CDWF3DGrWriter::GenerateThread"),
                          }));
    EXPECT_TRUE(include.children.empty());
    // The last group failed: its container is not attached.
    EXPECT_EQ(PropertyContainers(), 0u);
}

TEST_F(GeometryWriterFaults, APropertyGroupThatFailsLastKeepsTheContainerOut)
{
    // The summary failing before the material and the general groups
    // succeed: the container is attached with what was gathered.
    {
        auto application = SamplePart();
        application->hostSession().failRequest("Document::summaryInfo", 3);
        WritePart(application->documents().front());
        Finish();
        EXPECT_EQ(PropertyContainers(), 1u);
        const auto properties = Properties();
        EXPECT_NE(std::find(properties.begin(), properties.end(), "Summary/subject=Sample part"),
                  properties.end());
        EXPECT_EQ(std::find(properties.begin(), properties.end(), "Summary/author=Quillcast"),
                  properties.end());
    }
    // The general group failing is the last result: nothing is attached
    // (and the container is freed, which the leak checker watches).
    {
        platform::ui().reset();
        auto application = SamplePart();
        application->hostSession().failRequest("ModelExtension::massProperties");
        WritePart(application->documents().front());
        Finish();
        EXPECT_EQ(PropertyContainers(), 0u);
    }
}
