// Publishing under faults, inside the process: the cause that travels with
// a message box, and drawings that pass the ZIP format's limits (lowered
// here so that they are reached without writing gigabytes).
#include "PublishHarness.h"

#include "addin/ErrorReport.h"
#include "addin/dialogs/ProgressDlg.h"
#include "dwf/w2dtk/result.h"
#include "dwfcore/Exception.h"
#include "dwfcore/zip/Format.h"
#include "platform/kernel/Text.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace
{
using namespace publish_test;
using Status = PublishOutcome::Status;

std::string Utf8(const std::u16string& text)
{
    return platform::utf16ToUtf8(text);
}

TEST(FailureCause, TheFailureBeingHandledIsDescribed)
{
    EXPECT_EQ(DescribeCurrentFailure(), u"");
    const auto describe = [](auto thrown)
    {
        try
        {
            throw thrown;
        }
        catch (...)
        {
            return Utf8(DescribeCurrentFailure());
        }
    };
    EXPECT_EQ(describe(DWFCore::DWFIOException(u"File write error '/x': No space left on device",
                                               "f", u"file", 1)),
              "File write error '/x': No space left on device");
    EXPECT_EQ(describe(WT_Result_Write_Failed), "W2D result 8 (the stream could not be written)");
    EXPECT_EQ(describe(WT_Result_Corrupt_Stream), "W2D result 2");
    EXPECT_EQ(describe(std::runtime_error("host request failed: View::next")),
              "host request failed: View::next");
    EXPECT_EQ(describe(std::bad_alloc()), "out of memory");
    EXPECT_EQ(describe(42), "");
}

TEST(FailureCause, TheBoxCarriesTheCauseAndKeepsItsText)
{
    platform::ui().reset();
    platform::ui().setEcho(false);
    try
    {
        DWFCORE_THROW(DWFIOException, u"Failed to open file '/a': Permission denied", "f");
    }
    catch (...)
    {
        ReportPublishError("CDrawingDocumentPublisher::PublishDoc");
    }
    ReportPublishError("CDWFxDrawingWriter::GetViewCount", true, u"the chain of views is endless");
    ReportPublishError("CDWFxDrawingWriter::GetViewCount");
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, u"An error occurred while publishing the file. The error occurred in "
                             u"CDrawingDocumentPublisher::PublishDoc.");
    EXPECT_EQ(boxes[0].cause, u"Failed to open file '/a': Permission denied");
    EXPECT_EQ(boxes[1].cause, u"the chain of views is endless");
    EXPECT_EQ(boxes[2].cause, u"");
    platform::ui().reset();
}

// Counts how far each sheet's progress bar moved.
class ProgressCount : public CProgressDlg::Listener
{
public:
    void OnProgressShown(const CProgressDlg&) override { ++shown; }
    void OnProgressMoved(const CProgressDlg&) override { ++moved; }
    int shown = 0;
    int moved = 0;
};

class PublishingPastLimits : public PublishFixture
{
protected:
    void TearDown() override
    {
        DWFCore::zipio::setZipLimits(DWFCore::zipio::ZipLimits());
        CProgressDlg::SetListener(nullptr);
        PublishFixture::TearDown();
    }
    std::unique_ptr<host::memory::Application> Load(const std::string& text) const
    {
        const std::string path = root_ + "/drawing.xml";
        std::ofstream(path) << text;
        return host::loadHostDocument(platform::path::fromNative(path));
    }
};

TEST_F(PublishingPastLimits, TooManyEntriesAreRefusedWithTheirCause)
{
    // The sample's package has nine entries.
    DWFCore::zipio::setZipLimits({8, DWFCore::zipio::kMaxSize});
    auto app = Sample();
    const PublishOutcome outcome = RunPublishCommand(*app, Request());
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_FALSE(outcome.written);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(Utf8(outcome.causes[0]),
              "The package would pass the ZIP format's limit of 65,535 entries");
    EXPECT_TRUE(FilesIn(packages_).empty());
    ExpectNoTemporaryFiles();

    DWFCore::zipio::setZipLimits({9, DWFCore::zipio::kMaxSize});
    auto again = Sample();
    EXPECT_EQ(RunPublishCommand(*again, Request()).status, Status::Published);
}

TEST_F(PublishingPastLimits, ASheetStreamStopsAsSoonAsItPassesTheEntryLimit)
{
    // Sixty parabolas make about 700 KB of stream; the entry takes 64 KiB.
    const std::string drawing = ParabolaDrawing(60, 2);
    {
        ProgressCount whole;
        CProgressDlg::SetListener(&whole);
        auto app = Load(drawing);
        ASSERT_EQ(RunPublishCommand(*app, Request()).status, Status::Published);
        EXPECT_EQ(whole.moved, 3);
        std::remove(Target().c_str());
    }
    DWFCore::zipio::setZipLimits({DWFCore::zipio::kMaxEntries, 64 * 1024});
    ProgressCount cut;
    CProgressDlg::SetListener(&cut);
    auto app = Load(drawing);
    const PublishOutcome outcome = RunPublishCommand(*app, Request());
    EXPECT_EQ(outcome.status, Status::Failed);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(Utf8(outcome.messages[0]), "An error occurred while publishing the file. The error "
                                         "occurred in CDrawingDocumentPublisher::PublishDoc.");
    EXPECT_EQ(Utf8(outcome.causes[0]),
              "The sheet's W2D stream would pass the ZIP format's limit of 4 GiB for an entry");
    // The sheet stopped inside its first view: the bar never moved.
    EXPECT_EQ(cut.shown, 1);
    EXPECT_EQ(cut.moved, 0);
    EXPECT_TRUE(FilesIn(packages_).empty());
    ExpectNoTemporaryFiles();
}
TEST_F(PublishingPastLimits, ASheetWithoutASizeIsNamed)
{
    // The publication ends; the cause says which sheet.
    std::string drawing = ParabolaDrawing(1);
    const std::string size = "properties=\"0 0 0 0 0 0.42 0.297\"";
    drawing.replace(drawing.find(size), size.size(), "properties=\"0 0 0 0 0 0 0.297\"");
    auto app = Load(drawing);
    const PublishOutcome outcome = RunPublishCommand(*app, Request());
    EXPECT_EQ(outcome.status, Status::Failed);
    ASSERT_EQ(outcome.causes.size(), 1u);
    EXPECT_EQ(Utf8(outcome.causes[0]), "Sheet 'Sheet1' has no positive size");
    ExpectNoTemporaryFiles();
}
} // namespace
