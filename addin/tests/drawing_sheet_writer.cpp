// The drawing sheet writer over the bundled sample drawing: each sheet is a
// complete W2D stream in a temporary file of the writer's own, read back
// through the W2D toolkit and checked against values worked out by hand.
#include "SheetReadBack.h"
#include "addin/dialogs/ProgressDlg.h"
#include "addin/publishers/DrawingWriter.h"
#include "dwfcore/Exception.h"
#include "dwfcore/InputStream.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/memory/Document.h"
#include "host/memory/View.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <sys/stat.h>

using sheet_test::Item;
using sheet_test::Sheet;
using P = WT_Logical_Point;

namespace
{

bool Exists(const std::u16string& path)
{
    struct stat info;
    return ::stat(platform::path::toNative(path).c_str(), &info) == 0;
}

std::vector<std::uint8_t> ReadAll(DWFCore::DWFInputStream& input)
{
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (std::size_t n; (n = input.read(buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

class DrawingSheetWriter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        const std::string root = QUILLCAST_SOURCE_DIR;
        platform::processRegistry().setValue(
            platform::Hive::LocalMachine, platform::kHostSetupKey, platform::kToolboxIniFileValue,
            platform::path::fromNative(root + "/examples/host-data/toolbox/toolbox.ini"));
        application = host::loadHostDocument(
            platform::path::fromNative(root + "/examples/sample-drawing.xml"));
        drawing = application->activeDocument()->asDrawing();
        ASSERT_NE(drawing, nullptr);
    }

    // Makes sheet `index` current and gives the writer its paper.
    std::unique_ptr<CDWFxDrawingWriter> WriterFor(int index)
    {
        const std::vector<std::u16string> names = drawing->sheetNames();
        EXPECT_TRUE(drawing->activateSheet(names.at(static_cast<std::size_t>(index))));
        const std::vector<double> properties = drawing->currentSheet()->properties();
        auto writer = std::make_unique<CDWFxDrawingWriter>(drawing, u"/nowhere/pkg.dwf", index + 1);
        writer->setPair(properties.at(5) * 1000, properties.at(6) * 1000);
        writer->AssignHostPointer(application.get());
        return writer;
    }

    Sheet Written(CDWFxDrawingWriter& writer)
    {
        EXPECT_EQ(writer.ProcessDrawingDoc(), 0);
        std::unique_ptr<DWFCore::DWFInputStream> input(writer.GetW2DInputStream());
        return sheet_test::Read(ReadAll(*input));
    }

    std::unique_ptr<host::memory::Application> application;
    host::Drawing* drawing = nullptr;
};

TEST_F(DrawingSheetWriter, EverySheetIsACompleteStreamWithItsHeader)
{
    struct Expected
    {
        P low, high;
    } expected[] = {{P(5, 3), P(13641, 9646)},  // 420 × 297: x = D, y = 297/420 · D
                    {P(3, 5), P(9645, 13641)}}; // 210 × 297: x = 210/297 · D, y = D
    for (int index = 0; index < 2; ++index)
    {
        SCOPED_TRACE(index);
        auto writer = WriterFor(index);
        const Sheet sheet = Written(*writer);
        EXPECT_EQ(sheet.end, WT_Result_End_Of_Stream);
        EXPECT_EQ(sheet.units, std::vector<std::string>{"mm"});
        ASSERT_EQ(sheet.views.size(), 1u);
        EXPECT_EQ(sheet.views[0], WT_Logical_Box(expected[index].low, expected[index].high));
        ASSERT_FALSE(sheet.viewports.empty());
        EXPECT_EQ(sheet.viewports[0], "Clip");
        const P lo = expected[index].low;
        const P hi = expected[index].high;
        EXPECT_EQ(sheet.clip, (std::vector<P>{lo, P(lo.m_x, hi.m_y), hi, P(hi.m_x, lo.m_y)}));
        EXPECT_NE(std::find(sheet.layers.begin(), sheet.layers.end(), 14), sheet.layers.end());
        ASSERT_FALSE(sheet.items.empty());
        for (const Item& item : sheet.items)
            ASSERT_EQ(item.viewport, "Clip");
    }
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
}

TEST_F(DrawingSheetWriter, FirstSheetHoldsEveryKindOfContent)
{
    auto writer = WriterFor(0);
    const Sheet sheet = Written(*writer);
    for (WT_Object::WT_ID kind :
         {WT_Object::Polyline_ID, WT_Object::Polygon_ID, WT_Object::Outline_Ellipse_ID,
          WT_Object::Filled_Ellipse_ID, WT_Object::Text_ID})
        EXPECT_GT(sheet.Count(kind), 0u) << "kind " << kind;

    // S = 1000 × 13636.5209555 / 420 = 32467.907...

    // Note with symbol codes: two lines hung from (0.26, 0.07), h = 0.0035,
    // the second a line pitch (five thirds of a height) below the first;
    // the runs between symbols are texts of their own.
    const auto first = sheet.Texts(u"FLATNESS ");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].points[0], P(8441, 2158));
    EXPECT_EQ(first[0].fontHeight, 147);
    EXPECT_EQ(sheet.Texts(u" 0.05").size(), 1u);
    const auto second = sheet.Texts(u"PERPENDICULAR ");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].points[0], P(8441, 1968));
    EXPECT_EQ(sheet.Texts(u" 0.1 <MMC>").size(), 1u);
    // The flatness symbol starts 9 characters × 0.7·S·h (79.55 units) after
    // the line's start: at 9157.
    bool flatness = false;
    for (const Item& line : sheet.Of(WT_Object::Polyline_ID))
        flatness = flatness || (line.points.size() == 2 && line.points[0].m_x >= 9157 &&
                                line.points[0].m_x < 9157 + 200 && line.points[0].m_y >= 2158 &&
                                line.points[0].m_y < 2158 + 150);
    EXPECT_TRUE(flatness);

    // Dimension "160": its first segment through the view (0.12, 0.15, 0.5);
    // its text, given twice at one place, written once at (0.12, 0.116) less
    // its height, S·h = 113.64 units; its style 1 arrow head on the sheet with the tip B at
    // (0.08, 0.115) = (2597, 3733), A 0.007 to the right: the base a length
    // (129.87) from A, half a width (32.47) to either side.
    EXPECT_EQ(sheet.Touching(P(2598, 4059)).size(), 1u);
    EXPECT_EQ(sheet.Touching(P(2598, 3653)).size(), 1u);
    ASSERT_EQ(sheet.Texts(u"160").size(), 1u);
    EXPECT_EQ(sheet.Texts(u"160")[0].points[0], P(3782, 3652));
    EXPECT_EQ(sheet.Texts(u"160")[0].fontHeight, 113);
    const auto head = sheet.Touching(P(2694, 3700));
    ASSERT_EQ(head.size(), 1u);
    EXPECT_EQ(head[0].kind, WT_Object::Polygon_ID);
    EXPECT_EQ(head[0].points, (std::vector<P>{P(2694, 3700), P(2694, 3765), P(2597, 3733)}));

    // Detail circle about (0.145, 0.17) through (0.155, 0.17), around what
    // the detail view enlarges; label "A" a label height below (0.157,
    // 0.187); an open arrow head with its tip on the circle at (0.152071,
    // 0.177071).
    bool circle = false;
    for (const Item& e : sheet.Of(WT_Object::Outline_Ellipse_ID))
        circle =
            circle || (e.points[0] == P(4707, 5519) && e.major == 324 && e.end - e.start == 65536u);
    EXPECT_TRUE(circle);
    bool label = false;
    for (const Item& t : sheet.Texts(u"A"))
        label = label || (t.points[0] == P(5097, 5909) && t.fontName == "Arial");
    EXPECT_TRUE(label);
    ASSERT_EQ(sheet.Touching(P(4937, 5749)).size(), 1u);
    EXPECT_EQ(sheet.Touching(P(4937, 5749))[0].points,
              (std::vector<P>{P(5177, 5966), P(4937, 5749), P(5154, 5989)}));

    // Break line of type 1: a line at x = 0.1625 from y = 0.125 to 0.175.
    ASSERT_EQ(sheet.Touching(P(5276, 4058)).size(), 1u);
    EXPECT_EQ(sheet.Touching(P(5276, 4058))[0].points[1], P(5276, 5681));

    // The solid hatch, one area in the hatch's colour 0xC0C0C0: its outer
    // loop (five corners once the reversed edge is turned) and its hole,
    // turned against it.
    std::vector<Item> hatch;
    for (const Item& p : sheet.items)
        if (p.colour == WT_RGBA32(192, 192, 192, 255) && (p.IsPolygon() || p.IsContourSet()))
            hatch.push_back(p);
    ASSERT_EQ(hatch.size(), 1u);
    EXPECT_TRUE(hatch[0].IsContourSet());
    EXPECT_EQ(hatch[0].contours, (std::vector<std::int32_t>{5, 4}));
    EXPECT_EQ(hatch[0].points, (std::vector<P>{P(2678, 4139), P(3003, 4139), P(3003, 4301),
                                               P(3003, 4464), P(2678, 4464), P(2840, 4220),
                                               P(2759, 4301), P(2840, 4383), P(2922, 4301)}));

    // Bill of materials.
    ASSERT_EQ(sheet.Texts(u"BRACKET-01").size(), 1u);
    EXPECT_EQ(sheet.Texts(u"BRACKET-01")[0].points[0], P(9805, 2775));

    // The block turned by a quarter and doubled at (0.1, 0.02): its first
    // line runs up from the insertion point.
    // Lines that meet end to end may be joined into one polyline.
    bool block = false;
    for (const Item& line : sheet.Of(WT_Object::Polyline_ID))
        for (std::size_t i = 0; i + 1 < line.points.size(); ++i)
            block =
                block || (line.points[i] == P(3246, 649) && line.points[i + 1] == P(3246, 1298));
    EXPECT_TRUE(block);

    // Quadrant circle through (0.37, 0.2), (0.38, 0.21), (0.39, 0.2):
    // centre (0.38, 0.2), radius 0.01, two filled quarters.
    bool quadrant = false;
    for (const Item& e : sheet.Of(WT_Object::Outline_Ellipse_ID))
        quadrant =
            quadrant || (std::abs(e.points[0].m_x - 12337) <= 1 &&
                         std::abs(e.points[0].m_y - 6493) <= 1 && std::abs(e.major - 324) <= 1);
    EXPECT_TRUE(quadrant);
    EXPECT_GE(sheet.Count(WT_Object::Filled_Ellipse_ID), 4u);
}

TEST_F(DrawingSheetWriter, HiddenViewsCountInTheRangeButAreNotDrawn)
{
    struct Watcher : CProgressDlg::Listener
    {
        std::vector<int> positions;
        int upper = 0;
        std::u16string caption;
        void OnProgressMoved(const CProgressDlg& dialog) override
        {
            positions.push_back(dialog.GetPos());
            upper = dialog.GetUpper();
            caption = dialog.GetWindowText();
        }
    } watcher;
    CProgressDlg::Listener* previous = CProgressDlg::SetListener(&watcher);
    auto writer = WriterFor(1);
    const Sheet sheet = Written(*writer);
    CProgressDlg::SetListener(previous);
    EXPECT_EQ(watcher.upper, 3);
    EXPECT_EQ(watcher.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(watcher.caption, u"Publish DWF File...");
    // The hidden view's line from (0, 0) would start at (4591, 2295).
    EXPECT_TRUE(sheet.Touching(P(4591, 2295)).empty());
}

TEST_F(DrawingSheetWriter, TheTemporaryFileIsOursAloneAndGoesWithTheWriter)
{
    // A file of the user's named as the sheet's file used to be named.
    const std::string folder = ::testing::TempDir();
    const std::string userFile = folder + "/pkg1.w2d";
    {
        std::ofstream(userFile) << "the user's own";
    }
    const std::u16string target = platform::path::fromNative(folder + "/pkg.dwf");
    std::u16string written;
    {
        WriterFor(0); // makes the first sheet current
        CDWFxDrawingWriter own(drawing, target, 1);
        own.setPair(420, 297);
        own.AssignHostPointer(application.get());
        EXPECT_EQ(own.GetW2DFileName(), u"");
        ASSERT_EQ(own.ProcessDrawingDoc(), 0);
        written = own.GetW2DFileName();
        EXPECT_TRUE(Exists(written));
        EXPECT_NE(written, platform::path::fromNative(userFile));
    }
    EXPECT_FALSE(Exists(written));
    std::ifstream kept(userFile);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "the user's own");
    std::remove(userFile.c_str());
}

TEST_F(DrawingSheetWriter, RefusesWhatCannotBeASheet)
{
    auto writer = WriterFor(0);
    writer->setPair(0, 297);
    EXPECT_THROW(writer->ProcessDrawingDoc(), DWFCore::DWFException);
    writer->setPair(std::numeric_limits<double>::quiet_NaN(), 297);
    EXPECT_THROW(writer->ProcessDrawingDoc(), DWFCore::DWFException);
    EXPECT_EQ(writer->GetW2DFileName(), u"");

    // A header that cannot be written is an error, not a short sheet.
    w2d_test::Memory_Stream stream;
    WT_File file;
    stream.install(file);
    stream.fail_writes_after = 40;
    file.set_file_mode(WT_File::File_Write);
    ASSERT_EQ(file.open(), WT_Result_Success);
    EXPECT_NE(CDWFxDrawingWriter::WriteViewClip(file, 420, 297), WT_Result_Success);
    file.close();
}

TEST_F(DrawingSheetWriter, AnUnwritableTemporaryFolderIsAnError)
{
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    ::setenv("TMPDIR", "/nonexistent-quillcast-folder", 1);
    auto writer = WriterFor(0);
    EXPECT_THROW(writer->ProcessDrawingDoc(), DWFCore::DWFException);
    if (previous)
        ::setenv("TMPDIR", kept.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST_F(DrawingSheetWriter, HostileRecordsGiveMessagesAndStillAWholeSheet)
{
    auto writer = WriterFor(0);
    auto* memoryDrawing = static_cast<host::memory::Drawing*>(drawing);
    host::memory::View* view = memoryDrawing->sheets.at(0)->views.at(1);
    view->dimensions[0] = 5;          // two records present
    view->detailCircles.count = 3;    // one present
    view->breakLines.data.resize(20); // cut inside the second
    view->breakLines.data[0] = std::numeric_limits<double>::quiet_NaN();
    view->modelEdges.data.resize(7); // cut inside the first item
    view->splines.data[6] = 1e18;    // an absurd point count
    view->detailLabels.clear();      // labels missing: empty
    const Sheet sheet = Written(*writer);
    EXPECT_EQ(sheet.end, WT_Result_End_Of_Stream);
    EXPECT_GE(platform::ui().messageBoxes().size(), 4u);
    // What was sound is still there: both dimensions, the table, the hatch.
    EXPECT_EQ(sheet.Texts(u"160").size(), 1u);
    EXPECT_EQ(sheet.Texts(u"100").size(), 1u);
    EXPECT_EQ(sheet.Texts(u"BRACKET-01").size(), 1u);
    EXPECT_EQ(sheet.Touching(P(2678, 4139)).size(), 1u);
}

} // namespace
