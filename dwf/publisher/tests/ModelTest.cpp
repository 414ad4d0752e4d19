// The model: its stream's framing, its states, what it keeps and how it fails.
#include "TestSupport.h"

#include "dwf/publisher/Texture.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/camera.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/lights.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/point.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/text.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <random>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

class Model : public TempFolderTest
{
};

// Copies what the model writes into memory on its way to the file. Lives
// outside the model, so that it also sees what the model writes when it is
// destroyed.
class Tee : public DWFCore::DWFOutputStream
{
public:
    DWFCore::DWFOutputStream* file = nullptr;
    Bytes bytes;

    void flush() override { file->flush(); }
    size_t write(const void* buffer, size_t count) override
    {
        auto const* p = static_cast<const std::uint8_t*>(buffer);
        bytes.insert(bytes.end(), p, p + count);
        return file->write(buffer, count);
    }
};

class TeeModel : public DWFModel
{
public:
    explicit TeeModel(Tee& tee) : DWFModel(u"Tee", u"", u""), _tee(tee) {}

protected:
    DWFCore::DWFOutputStream& _streamTarget(DWFCore::DWFOutputStream& file) override
    {
        _tee.file = &file;
        return _tee;
    }

private:
    Tee& _tee;
};

Bytes bytesOf(std::initializer_list<const char*> parts)
{
    Bytes bytes;
    for (const char* part : parts)
        bytes.insert(bytes.end(), part, part + std::char_traits<char>::length(part));
    return bytes;
}

void appendInt(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Inflates the zlib stream at `from`; `end` receives the position after it.
Bytes inflateAt(const Bytes& bytes, std::size_t from, std::size_t& end)
{
    z_stream zs{};
    EXPECT_EQ(inflateInit(&zs), Z_OK);
    Bytes out(1 << 16);
    zs.next_in = const_cast<Bytef*>(bytes.data() + from);
    zs.avail_in = static_cast<uInt>(bytes.size() - from);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    end = from + zs.total_in;
    inflateEnd(&zs);
    return out;
}

TEST_F(Model, StreamStartsWithHeaderCommentAndFileInfoAndEndsWithTheTerminator)
{
    DWFModel model(u"Part", u"Provider", u"42");
    model.open();
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(), streamTail()}));
}

TEST_F(Model, BytesBeforeCompressionAreTheHeaderAndAfterItTheTerminator)
{
    DWFModel model(u"Part", u"", u"");
    model.open(0, 1, nullptr, true, true);
    model.close();
    Bytes const bytes = readAll(model.getInputStream());

    Bytes expected = bytesOf({";; HSF V10.00 \nI"});
    appendInt(expected, 0x1A06);
    Bytes const comment = bytesOf({";W3D V01.00\nI"});
    expected.insert(expected.end(), comment.begin(), comment.end());
    appendInt(expected, 0);
    expected.push_back('Z');
    ASSERT_GT(bytes.size(), expected.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(expected.size())), expected);

    // Inside the compressed part: the empty published-edges style segment and
    // the end of compression; after it only the terminator.
    std::size_t end = 0;
    Bytes const inflated = inflateAt(bytes, expected.size(), end);
    std::string const style = "?Style Library/_dwfw3d_PublishedEdges";
    Bytes body = {'(', static_cast<std::uint8_t>(style.size())};
    body.insert(body.end(), style.begin(), style.end());
    body.push_back(')');
    body.push_back('z');
    EXPECT_EQ(inflated, body);
    EXPECT_EQ(Bytes(bytes.begin() + long(end), bytes.end()), Bytes{0x00});
}

TEST_F(Model, PublishedEdgesGiveAnEmptyStyleSegmentAfterCompressionStarts)
{
    DWFModel model(u"Part", u"", u"");
    model.open(0, 1, nullptr, true, true);
    EXPECT_TRUE(model.isOpen());
    model.close();
    EXPECT_FALSE(model.isOpen());
    EXPECT_EQ(modelRecords(model),
              concat({streamHead(),
                      {{'(', "?Style Library/_dwfw3d_PublishedEdges"}, {')', ""}},
                      streamTail()}));
}

TEST_F(Model, StateIsCheckedBeforeAnythingHappens)
{
    DWFModel model(u"Part", u"", u"");
    EXPECT_DWF_THROW(model.close(), DWFUnexpectedException, "Model must be open");
    EXPECT_DWF_THROW(model.openSegment(), DWFUnexpectedException, "Model must be open");
    EXPECT_DWF_THROW(model.openIncludeSegment(), DWFUnexpectedException, "Model must be open");
    EXPECT_DWF_THROW(model.getOpenSegmentHandler(), DWFUnexpectedException, "Model must be open");
    EXPECT_DWF_THROW(model.getInputStream(), DWFIOException,
                     "No input stream available for the model");
    EXPECT_TRUE(files().empty()) << "nothing is made before open";

    model.open();
    EXPECT_EQ(files().size(), 1u);
    EXPECT_EQ(files().at(0).rfind("model_w3d_", 0), 0u) << files().at(0);
    EXPECT_DWF_THROW(model.open(), DWFUnexpectedException, "Model already open");
    // Reading the file back while it is written would pull it from under the writer.
    EXPECT_DWF_THROW(model.getInputStream(), DWFUnexpectedException, "Model must be closed");
    model.close();
    EXPECT_DWF_THROW(model.close(), DWFUnexpectedException, "Model must be open");
    EXPECT_EQ(files().size(), 1u) << "the stream stays with the model until it goes";
    EXPECT_DWF_THROW(model.getCloseSegmentHandler(), DWFUnexpectedException, "Model must be open");
    EXPECT_EQ(modelRecords(model), concat({streamHead(), streamTail()}));
}

TEST_F(Model, FailuresNameTheThrowingGetter)
{
    DWFModel model(u"Part", u"", u"");
    EXPECT_DWF_THROW_FROM(model.getColorHandler(), DWFUnexpectedException, "Model must be open",
                          "DWFToolkit::DWFModel::getColorHandler");
    EXPECT_DWF_THROW_FROM(model.getShellHandler(true, false), DWFUnexpectedException,
                          "Model must be open", "DWFToolkit::DWFModel::getShellHandler");
}

TEST_F(Model, GettersHandOutTheToolkitsOwnHandlersWiredToTheStream)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    TK_Open_Segment& open = model.getOpenSegmentHandler();
    EXPECT_EQ(&open, &model.getOpenSegmentHandler()) << "the same object on every call";
    EXPECT_EQ(open.Opcode(), '(');
    EXPECT_EQ(model.getCloseSegmentHandler().Opcode(), ')');
    EXPECT_NE(open.Observer(), nullptr);
    open.SetSegment("by hand");
    open.serialize(0);
    model.getCloseSegmentHandler().serialize(0);
    model.close();
    EXPECT_EQ(modelRecords(model),
              concat({streamHead(), {{'(', "by hand"}, {')', ""}}, streamTail()}));
}

TEST_F(Model, GettersOfOneHandlerClassServeEachTheirOwnOpcode)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    TK_Referenced_Segment& include = model.getIncludeSegmentHandler();
    TK_Referenced_Segment& style = model.getStyleSegmentHandler();
    EXPECT_NE(&include, &style);
    EXPECT_EQ(include.Opcode(), '<');
    EXPECT_EQ(style.Opcode(), '{');
    EXPECT_EQ(&include, &model.getIncludeSegmentHandler());
    EXPECT_EQ(model.getCircleHandler().Opcode(), 'C');
    EXPECT_EQ(model.getCircularArcHandler().Opcode(), 'c');
    EXPECT_EQ(model.getCircularChordHandler().Opcode(), '\\');
    EXPECT_EQ(model.getCircularWedgeHandler().Opcode(), 'w');
    EXPECT_EQ(model.getEllipseHandler().Opcode(), 'E');
    EXPECT_EQ(model.getEllipticalArcHandler().Opcode(), 'e');
    EXPECT_EQ(model.getPolygonHandler().Opcode(), 'G');
    EXPECT_EQ(model.getPolylineHandler().Opcode(), 'L');
    EXPECT_EQ(model.getTextHandler().Opcode(), 'T');
    EXPECT_EQ(model.getTextWithEncodingHandler().Opcode(), 'x');
    EXPECT_EQ(model.getLineHandler().Opcode(), 'l');
    EXPECT_EQ(model.getNURBSCurveHandler().Opcode(), 'N');
    EXPECT_EQ(model.getColorHandler().Opcode(), '"');
    EXPECT_EQ(model.getColorMapHandler().Opcode(), 0x0C);
    EXPECT_EQ(model.getColorRGBHandler().Opcode(), '~');
    EXPECT_EQ(model.getCameraHandler().Opcode(), '>');
    EXPECT_EQ(model.getViewHandler().Opcode(), '}');
    EXPECT_NE(&model.getCameraHandler(), &model.getViewHandler());
    EXPECT_EQ(model.getTextPathHandler().Opcode(), '|');
    EXPECT_EQ(model.getLineWeightHandler().Opcode(), '=');
    EXPECT_EQ(model.getMarkerSizeHandler().Opcode(), '+');
    EXPECT_EQ(model.getTextSpacingHandler().Opcode(), ' ');
    EXPECT_EQ(model.getEdgeWeightHandler().Opcode(), 0x0E);
    EXPECT_EQ(model.getFacePatternHandler().Opcode(), 'P');
    EXPECT_EQ(model.getHandednessHandler().Opcode(), 'h');
    EXPECT_EQ(model.getMarkerSymbolHandler().Opcode(), 0x40);
    EXPECT_EQ(model.getTextAlignmentHandler().Opcode(), '*');
    EXPECT_EQ(model.getModellingMatrixHandler().Opcode(), '%');
    EXPECT_EQ(model.getTextureMatrixHandler().Opcode(), '$');
    EXPECT_EQ(model.getLinePatternHandler().Opcode(), '-');
    EXPECT_EQ(model.getEdgePatternHandler().Opcode(), 0x0D);
    model.close();
}

TEST_F(Model, TheShellHandlerIsPreparedFromTheModelsWriteOptions)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    TK_Shell& strips = model.getShellHandler(true, false);
    EXPECT_EQ(strips.Opcode(), 'S');
    EXPECT_EQ(strips.GetSubop(), 0x46);
    EXPECT_TRUE(strips.GetOptimize());
    EXPECT_EQ(strips.GetTolerances()[0], 0.0);
    EXPECT_EQ(strips.GetTolerances()[1], 0.0);
    EXPECT_EQ(strips.GetTolerances()[2], 0.0);

    TK_Shell& plain = model.getShellHandler(false, true);
    EXPECT_EQ(&plain, &strips);
    EXPECT_EQ(plain.GetSubop(), 0x42);
    EXPECT_FALSE(plain.GetOptimize());

    DWFSegment segment = model.openSegment();
    segment.open();
    EXPECT_EQ(segment.getShellHandler(true, true).GetSubop(), 0x46) << "both flags passed on";
    EXPECT_FALSE(segment.getShellHandler(true, true).GetOptimize());
    segment.close();
    model.close();
}

TEST_F(Model, AskingForALightEndsDefaultLightingUnlessTheModelWasOpenedWithIt)
{
    using Getter = std::function<BBaseOpcodeHandler&(DWFModel&)>;
    std::vector<std::pair<Getter, int>> const lights = {
        {[](DWFModel& m) -> BBaseOpcodeHandler& { return m.getAreaLightHandler(); }, 'a'},
        {[](DWFModel& m) -> BBaseOpcodeHandler& { return m.getDistantLightHandler(); }, 'd'},
        {[](DWFModel& m) -> BBaseOpcodeHandler& { return m.getLocalLightHandler(); }, '.'},
        {[](DWFModel& m) -> BBaseOpcodeHandler& { return m.getSpotLightHandler(); }, '^'}};
    for (const auto& [getter, opcode] : lights)
    {
        DWFModel model(u"Part", u"", u"");
        EXPECT_THROW(getter(model), DWFCore::DWFUnexpectedException);
        EXPECT_TRUE(model.useDefaultLighting()) << "a refused getter changes nothing";
        model.open(0, 1, nullptr, false);
        EXPECT_TRUE(model.useDefaultLighting());
        model.getPolylineHandler();
        EXPECT_TRUE(model.useDefaultLighting());
        EXPECT_EQ(getter(model).Opcode(), opcode);
        EXPECT_FALSE(model.useDefaultLighting());
        model.close();

        DWFModel lit(u"Part", u"", u"");
        lit.open(0, 1, nullptr, true);
        getter(lit);
        EXPECT_TRUE(lit.useDefaultLighting()) << "opened with default lighting";
        lit.close();
    }
}

TEST_F(Model, TransformIsTheIdentityUntilOpenSetsIt)
{
    double const identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double values[16];
    DWFModel model(u"Part", u"", u"");
    std::fill(std::begin(values), std::end(values), 7.0);
    model.getTransform(values);
    EXPECT_TRUE(std::equal(std::begin(values), std::end(values), identity));
    model.getTransform(nullptr);

    double given[16];
    for (int i = 0; i < 16; ++i)
        given[i] = i * 0.5 - 3;
    model.open(0, 1, given);
    model.getTransform(values);
    EXPECT_TRUE(std::equal(std::begin(values), std::end(values), given));
    model.close();

    DWFModel plain(u"Part", u"", u"");
    plain.open(0, 1, nullptr);
    plain.getTransform(values);
    EXPECT_TRUE(std::equal(std::begin(values), std::end(values), identity));
    plain.close();
}

TEST_F(Model, SettingsReadByThePackagePublisher)
{
    DWFModel model(u"Title", u"Provider", u"Object id");
    EXPECT_EQ(model.getPolygonHandedness(), 2) << "none until open";
    EXPECT_EQ(model.getUnits(), 0);
    EXPECT_TRUE(model.useSilhouetteEdges());
    EXPECT_TRUE(model.useDefaultLighting());
    EXPECT_EQ(utf8(model.getMIMEType()), "application/x-w3d");
    EXPECT_EQ(utf8(model.getTitle()), "Title");
    EXPECT_EQ(utf8(model.getSourceProvider()), "Provider");
    EXPECT_EQ(utf8(model.getSourceObjectID()), "Object id");
    EXPECT_EQ(model.getEdgeColor(), nullptr);
    EXPECT_EQ(model.getCamera(), nullptr);

    std::vector<double> extents = {9, 9};
    model.getExtents(extents);
    EXPECT_EQ(extents, std::vector<double>(4, 0.0));

    model.open(1, 4, nullptr, false, false, false);
    EXPECT_EQ(model.getPolygonHandedness(), 1);
    EXPECT_EQ(model.getUnits(), 4);
    EXPECT_FALSE(model.useSilhouetteEdges());
    EXPECT_TRUE(model.useDefaultLighting()) << "no light was asked for";
    model.close();
}

TEST_F(Model, DestroyingAnOpenModelEndsItsStreamAndRemovesTheFile)
{
    Tee tee;
    {
        TeeModel model(tee);
        model.open(0, 1, nullptr, true, true);
        EXPECT_EQ(files().size(), 1u);
    }
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(records(tee.bytes),
              concat({streamHead(),
                      {{'(', "?Style Library/_dwfw3d_PublishedEdges"}, {')', ""}},
                      streamTail()}));
}

TEST_F(Model, UnnamedTextureIsRefusedButKept)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    EXPECT_DWF_THROW(model.addResource(new DWFTexture(u"", u"image/jpeg", 24, 8, 8)),
                     DWFUnexpectedException, "Texture images must be named");
    std::unique_ptr<DWFCore::DWFIterator<DWFPublishableResource*>> it(model.getResources());
    ASSERT_TRUE(it && it->valid());
    EXPECT_NE(dynamic_cast<DWFTexture*>(it->get()), nullptr);
    EXPECT_FALSE(it->next());
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(), streamTail()}));
}

TEST_F(Model, ResourcesAreWalkedInTheOrderOfAddition)
{
    DWFModel model(u"Part", u"", u"");
    std::unique_ptr<DWFCore::DWFIterator<DWFPublishableResource*>> none(model.getResources());
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->valid());
    EXPECT_FALSE(none->next());
    EXPECT_DWF_THROW(none->get(), DWFDoesNotExistException, "No more elements");

    auto* thumbnail = new DWFImage(u"image/jpeg", DWFImage::eThumbnail, 24, 10, 10);
    auto* preview = new DWFImage(u"image/png", DWFImage::ePreview, 8, 1, 1);
    model.addResource(thumbnail);
    model.addResource(preview);
    EXPECT_DWF_THROW(model.addResource(nullptr), DWFNullPointerException, "Resource was null");
    EXPECT_DWF_THROW(model.embedFont(nullptr), DWFNullPointerException, "Font was null");

    std::unique_ptr<DWFCore::DWFIterator<DWFPublishableResource*>> it(model.getResources());
    std::vector<DWFPublishableResource*> seen;
    for (; it->valid(); it->next())
        seen.push_back(it->get());
    EXPECT_EQ(seen, (std::vector<DWFPublishableResource*>{thumbnail, preview}));
    EXPECT_DWF_THROW(it->get(), DWFDoesNotExistException, "No more elements");
    it->reset();
    EXPECT_EQ(it->get(), thumbnail);
}

TEST_F(Model, PublishedObjectsAreFoundByKeyAndAnEarlierOneOutlivesItsReplacement)
{
    DWFModel model(u"Part", u"", u"");
    EXPECT_DWF_THROW(model.findPublishedObject(5), DWFDoesNotExistException, "Object not found");
    DWFPublishedObject* first = model.makePublishedObject(5, u"first");
    EXPECT_EQ(model.findPublishedObject(5), first);
    EXPECT_EQ(first->key(), 5u);
    EXPECT_EQ(utf8(first->name()), "first");

    DWFPublishedObject* second = model.makePublishedObject(5, u"second");
    EXPECT_EQ(model.findPublishedObject(5), second);
    // Whoever still points at the first object may use it (ASan watches).
    first->addProperty(new DWFProperty(u"still", u"here"), true);
    EXPECT_NE(first->findProperty(u"still"), nullptr);
}

TEST_F(Model, AnOpenThatCannotMakeItsFileLeavesTheModelClosedAndReadyToTryAgain)
{
    DWFModel model(u"Part", u"", u"");
    ::setenv("TMPDIR", (_folder + "/missing").c_str(), 1);
    EXPECT_THROW(model.open(1, 2), DWFCore::DWFIOException);
    EXPECT_FALSE(model.isOpen());
    EXPECT_EQ(model.getPolygonHandedness(), 2) << "a failed open changes no setting";
    EXPECT_DWF_THROW(model.close(), DWFUnexpectedException, "Model must be open");
    EXPECT_DWF_THROW(model.getInputStream(), DWFIOException,
                     "No input stream available for the model");

    ::setenv("TMPDIR", _folder.c_str(), 1);
    model.open(1, 2);
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(), streamTail()}));
}

TEST_F(Model, ReadingTheStreamBackEndsWritingSoItCannotBeOpenedAgain)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    model.close();
    Bytes const before = readAll(model.getInputStream());
    EXPECT_THROW(model.open(), DWFCore::DWFIOException);
    EXPECT_FALSE(model.isOpen());
    EXPECT_EQ(readAll(model.getInputStream()), before) << "the finished stream is kept";
}

// Random segment names make the stream big and hard to compress, so that bytes
// reach the file (and fail there) long before close. Returns how many records
// failed.
int writeNoise(DWFModel& model, std::mt19937& random)
{
    int failures = 0;
    for (int i = 0; i < 3000; ++i)
    {
        std::string name(24, ' ');
        for (char& c : name)
            c = static_cast<char>('!' + random() % 90);
        failures += swallow(
            [&]
            {
                TK_Open_Segment& open = model.getOpenSegmentHandler();
                open.SetSegment(name.c_str());
                open.serialize(0);
                model.getCloseSegmentHandler().serialize(0);
            });
    }
    return failures;
}

TEST_F(Model, AWriteFailureAnywhereIsReportedByCloseAndLeavesNoFile)
{
    std::mt19937 random(7);
    std::size_t total = 0;
    {
        Tee tee;
        TeeModel model(tee);
        model.open(0, 1, nullptr, true, true);
        writeNoise(model, random);
        model.close();
        total = tee.bytes.size();
    }
    ASSERT_GT(total, 3u * 4096) << "the stream must pass the writer's buffer several times";

    std::size_t const limits[] = {0, 1, 30, 4095, 4096, 4097, 9000, total / 2, total - 1};
    int failedBeforeClose = 0;
    for (bool const shortWrites : {false, true})
        for (bool const recover : {false, true})
            for (std::size_t const limit : limits)
            {
                SCOPED_TRACE("limit " + std::to_string(limit) + (shortWrites ? " short" : "") +
                             (recover ? " recovering" : ""));
                random.seed(7);
                FailingModel model(limit, shortWrites, recover);
                if (swallow([&] { model.open(0, 1, nullptr, true, true); }))
                {
                    // Failing while the stream starts: the model stays closed
                    // and keeps nothing.
                    EXPECT_FALSE(model.isOpen());
                    EXPECT_TRUE(files().empty());
                    EXPECT_DWF_THROW(model.close(), DWFUnexpectedException, "Model must be open");
                    continue;
                }
                failedBeforeClose += writeNoise(model, random) > 0;
                EXPECT_THROW(model.close(), DWFCore::DWFIOException);
                EXPECT_FALSE(model.isOpen());
                EXPECT_TRUE(files().empty()) << "a stream with a hole is not kept";
                EXPECT_DWF_THROW(model.getInputStream(), DWFIOException,
                                 "No input stream available for the model");
            }

    EXPECT_GT(failedBeforeClose, 10) << "failures must also happen while records are written";

    // With room for everything nothing fails.
    random.seed(7);
    FailingModel model(total, false, false);
    model.open(0, 1, nullptr, true, true);
    writeNoise(model, random);
    model.close();
    EXPECT_EQ(readAll(model.getInputStream()).size(), total);
}

} // namespace
