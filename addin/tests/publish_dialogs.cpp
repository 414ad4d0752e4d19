// The save dialog with its options, the two option dialogs and the
// progress dialog, driven through the headless user interface.
#include "addin/Resources.h"
#include "addin/dialogs/DlgPublishOption.h"
#include "addin/dialogs/DrawingOption.h"
#include "addin/dialogs/PreviewFileDlg.h"
#include "addin/dialogs/ProgressDlg.h"
#include "addin/publishers/DWF3DPublisher.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace
{
using platform::DialogAnswer;
using platform::IDCANCEL;
using platform::IDOK;

// The save dialog as the publish command makes it.
struct SaveDialog : CPreviewFileDlg
{
    explicit SaveDialog(int drawingFlag)
        : CPreviewFileDlg(false, u"", u"part.dwf", OFN_HIDEREADONLY,
                          u"DWF File (*.dwf)|*.DWF|All Files (*.*)|*.*||")
    {
        SetDrawingFlag(drawingFlag);
    }
};

class PublishDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
    }
    void TearDown() override { platform::ui().reset(); }

    static DialogAnswer Answer(int result, std::map<int, platform::ControlValue> controls = {},
                               std::vector<int> pressed = {}, std::u16string file = u"")
    {
        DialogAnswer answer;
        answer.result = result;
        answer.controls = std::move(controls);
        answer.pressed = std::move(pressed);
        answer.fileName = std::move(file);
        return answer;
    }
};

TEST_F(PublishDialogs, TheSaveDialogStartsWithItsTemplateFlagsAndDefaults)
{
    SaveDialog dialog(0);
    EXPECT_EQ(dialog.TemplateId(), 129);
    EXPECT_EQ(dialog.Flags(), 0x46u);
    EXPECT_EQ(dialog.Title(), u"Publish DWF");
    EXPECT_FALSE(dialog.IsOpenDialog());
    const PublishOptions held = dialog.GetPublishOptions();
    EXPECT_EQ(held.password, u"");
    EXPECT_EQ(held.resolution, 0);
    EXPECT_EQ(held.option1006, 1);
    EXPECT_EQ(held.option1007, 1);
    EXPECT_EQ(held.usePassword, 0);
    EXPECT_EQ(held.openAfterPublish, 1);
    EXPECT_EQ(held.drawingMode, 1);

    // Without any answer the user cancels, and no name is chosen.
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetPathName(), u"");
}

TEST_F(PublishDialogs, OptionsCopyBackOnlyWhenConfirmed)
{
    platform::Ui& ui = platform::ui();
    // First Options press: a password with use-password, resolution 1, OK.
    ui.queueAnswer(130, Answer(IDOK, {{1008, 1}, {1011, 1}, {1012, u"secret"}, {1013, 0}}));
    // Second press: the user changes everything and cancels.
    ui.queueAnswer(130, Answer(IDCANCEL, {{1008, 2}, {1011, 1}, {1012, u"other"}}));
    ui.queueAnswer(129, Answer(IDOK, {}, {1005, 1005}, u"/tmp/x.dwf"));
    SaveDialog dialog(0);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    const PublishOptions held = dialog.GetPublishOptions();
    EXPECT_EQ(held.password, u"secret");
    EXPECT_EQ(held.resolution, 1);
    EXPECT_EQ(held.usePassword, 1);
    EXPECT_EQ(held.openAfterPublish, 0);
    EXPECT_EQ(held.drawingMode, 1);
    EXPECT_EQ(dialog.GetPathName(), u"/tmp/x.dwf");
    ASSERT_EQ(ui.dialogs().size(), 3u);
    EXPECT_EQ(ui.dialogs()[0].templateId, 129);
    EXPECT_EQ(ui.dialogs()[1].templateId, 130);
    EXPECT_EQ(ui.dialogs()[2].result, IDCANCEL);
}

TEST_F(PublishDialogs, ThePartDialogForgetsThePasswordEachTimeItOpens)
{
    PublishOptions held;
    held.password = u"earlier";
    held.usePassword = 1;
    held.resolution = 2;
    CDlgPublishOption dialog(held);
    EXPECT_EQ(dialog.m_password, u"");
    EXPECT_EQ(dialog.m_usePassword, 0);
    EXPECT_EQ(dialog.m_resolution, 2);

    // Opened again and confirmed untouched: the earlier password is gone.
    platform::ui().queueAnswer(130, Answer(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(dialog.IsControlEnabled(1012));
    EXPECT_EQ(dialog.ButtonIcon(1001), 3003);
    dialog.CopyTo(held);
    EXPECT_EQ(held.password, u"");
    EXPECT_EQ(held.usePassword, 0);
    EXPECT_EQ(held.resolution, 2);
}

TEST_F(PublishDialogs, ThePasswordEditTakesTypingOnlyWhileUsePasswordIsSet)
{
    // Typing into the disabled edit does nothing.
    CDlgPublishOption locked{PublishOptions()};
    platform::ui().queueAnswer(130, Answer(IDOK, {{1012, u"typed"}}));
    ASSERT_EQ(locked.DoModal(), IDOK);
    EXPECT_EQ(locked.GetEditString(), u"");

    // Ticking use-password enables it; clearing it again keeps the text
    // typed meanwhile (the options record takes it whatever the flag says).
    CDlgPublishOption open{PublishOptions()};
    platform::ui().queueAnswer(130, Answer(IDOK, {{1011, 1}, {1012, u"typed"}}));
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_TRUE(open.IsControlEnabled(1012));
    EXPECT_EQ(open.GetEditString(), u"typed");
    EXPECT_EQ(open.m_usePassword, 1);
}

TEST_F(PublishDialogs, TheDrawingFlagChoosesTheOptionDialog)
{
    platform::Ui& ui = platform::ui();
    ui.queueAnswer(104, Answer(IDOK, {{1002, 0}}));
    ui.queueAnswer(129, Answer(IDOK, {}, {1005}, u"/tmp/d.dwf"));
    SaveDialog drawing(1);
    ASSERT_EQ(drawing.DoModal(), IDOK);
    EXPECT_EQ(drawing.GetPublishOptions().drawingMode, 0);
    EXPECT_EQ(ui.dialogs()[1].templateId, 104);

    // A cancelled drawing dialog leaves the mode as it was.
    ui.queueAnswer(104, Answer(IDCANCEL, {{1002, 0}}));
    ui.queueAnswer(129, Answer(IDOK, {}, {1005}, u"/tmp/d.dwf"));
    SaveDialog cancelled(1);
    ASSERT_EQ(cancelled.DoModal(), IDOK);
    EXPECT_EQ(cancelled.GetPublishOptions().drawingMode, 1);

    // Any other flag opens nothing.
    const std::size_t before = ui.dialogs().size();
    SaveDialog neither(2);
    neither.OnOptions();
    EXPECT_EQ(ui.dialogs().size(), before);
}

TEST_F(PublishDialogs, HelpButtonsOpenTheHelpFile)
{
    platform::Ui& ui = platform::ui();
    ui.queueAnswer(130, Answer(IDOK, {}, {1001}));
    ui.queueAnswer(104, Answer(IDOK, {}, {1001}));
    ui.queueAnswer(129, Answer(IDOK, {}, {1001, 1005}, u"/tmp/h.dwf"));
    SaveDialog part(0);
    part.DoModal();
    ui.queueAnswer(129, Answer(IDOK, {}, {1005}, u"/tmp/h.dwf"));
    SaveDialog drawing(1);
    drawing.DoModal();
    const auto& help = ui.helpRequests();
    ASSERT_EQ(help.size(), 3u);
    // Save dialog and part options: the context topic; drawing options: the default topic.
    EXPECT_EQ(help[0].command, 15);
    EXPECT_EQ(help[0].context, 10003);
    EXPECT_EQ(help[1].command, 15);
    EXPECT_EQ(help[2].command, 0);
    EXPECT_EQ(help[2].context, 0);
    EXPECT_NE(help[0].file.find(u"/Help/"), std::u16string::npos);
}

class TargetFolder : public PublishDialogs
{
protected:
    void SetUp() override
    {
        PublishDialogs::SetUp();
        folder_ = ::testing::TempDir() + "qc-dialog-" + std::to_string(::getpid());
        ::mkdir(folder_.c_str(), 0700);
    }
    void TearDown() override
    {
        for (const auto& name : made_)
        {
            ::chmod(name.c_str(), 0600);
            std::remove(name.c_str());
        }
        ::rmdir(folder_.c_str());
        PublishDialogs::TearDown();
    }
    std::u16string Make(const std::string& name, bool readOnly)
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << "user data";
        if (readOnly)
            ::chmod(path.c_str(), 0444);
        made_.push_back(path);
        return platform::path::fromNative(path);
    }
    std::u16string Path(const std::string& name) const
    {
        return platform::path::fromNative(folder_ + "/" + name);
    }

    std::string folder_;
    std::vector<std::string> made_;
};

TEST_F(TargetFolder, AReadOnlyTargetIsRefusedAndTheDialogStaysOpen)
{
    platform::Ui& ui = platform::ui();
    const std::u16string locked = Make("locked.dwf", true);
    ui.queueAnswer(129, Answer(IDOK, {}, {}, locked));
    ui.queueAnswer(129, Answer(IDOK, {}, {}, Path("fresh.dwf")));
    SaveDialog dialog(1);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), Path("fresh.dwf"));
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    const auto& box = ui.messageBoxes()[0];
    EXPECT_EQ(box.text, *ui.string(211));
    EXPECT_EQ(box.cause,
              u"'" + locked + u"' has no write permission for its owner, its group or anyone else");
    EXPECT_EQ(box.caption, u"Publish DWF");
    EXPECT_EQ(box.style, 0x30);
    EXPECT_TRUE(box.owned);

    // Offering the refused name again gives up.
    ui.setStandingAnswer(129, Answer(IDOK, {}, {}, locked));
    SaveDialog stubborn(1);
    EXPECT_EQ(stubborn.DoModal(), IDCANCEL);
}

TEST_F(TargetFolder, AnExistingTargetIsReplacedOnlyWithConsent)
{
    platform::Ui& ui = platform::ui();
    const std::u16string existing = Make("old.dwf", false);
    ui.setStandingAnswer(129, Answer(IDOK, {}, {}, existing));
    SaveDialog refused(1);
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_TRUE(ui.messageBoxes().empty());

    ui.setStandingAnswer(res::IDD_REPLACE_PROMPT, Answer(IDOK));
    SaveDialog agreed(1);
    EXPECT_EQ(agreed.DoModal(), IDOK);
    EXPECT_EQ(agreed.GetPathName(), existing);
}

TEST_F(PublishDialogs, PartAndAssemblyPublishersWithoutADocumentSaySoAndPublishNothing)
{
    PublishOptions options;
    {
        CPartDocumentPublisher part(nullptr, u"/nonexistent/p.dwf", &options);
        EXPECT_LT(part.PublishDoc(), 0);
        EXPECT_FALSE(part.IsPublished());
        EXPECT_FALSE(part.IsWritten());
    }
    {
        CAssemblyDocumentPublisher assembly(nullptr, u"/nonexistent/a.dwf", &options);
        EXPECT_LT(assembly.PublishDoc(), 0);
        EXPECT_FALSE(assembly.IsPublished());
    }
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find(u"CPartDocumentPublisher::PublishDoc."), std::u16string::npos);
    EXPECT_NE(boxes[1].text.find(u"CAssemblyDocumentPublisher::PublishDoc."),
              std::u16string::npos);
    EXPECT_EQ(boxes[0].caption, *platform::ui().string(210));
    EXPECT_EQ(boxes[0].style, 0x30);
}

// ---- progress

TEST(ProgressDialog, PercentLabel)
{
    EXPECT_EQ(CProgressDlg::PercentFor(2, 0, 4), 50);
    EXPECT_EQ(CProgressDlg::PercentFor(4, 0, 4), 100);
    EXPECT_EQ(CProgressDlg::PercentFor(1, 0, 3), 33);
    // Past the end the label wraps, except at exactly 100.
    EXPECT_EQ(CProgressDlg::PercentFor(5, 0, 4), 25);
    EXPECT_EQ(CProgressDlg::PercentFor(8, 0, 4), 0);
    // An empty range is complete.
    EXPECT_EQ(CProgressDlg::PercentFor(0, 0, 0), 100);
    EXPECT_EQ(CProgressDlg::PercentFor(7, 3, 3), 100);

    CProgressDlg dialog;
    dialog.Create();
    dialog.SetRange(0, 4);
    dialog.SetPos(2);
    EXPECT_EQ(dialog.PercentText(), u"50%");
    EXPECT_EQ(dialog.SetPos(4), 2);
    EXPECT_EQ(dialog.PercentText(), u"100%");
    dialog.SetRange(5, 5);
    dialog.SetPos(5);
    EXPECT_EQ(dialog.PercentText(), u"100%");
}

TEST(ProgressDialog, TheOwnerIsDisabledWhileTheDialogExists)
{
    platform::ui().reset();
    ASSERT_TRUE(MainWindow().IsWindowEnabled());
    {
        CProgressDlg dialog;
        EXPECT_TRUE(dialog.Create());
        EXPECT_EQ(dialog.GetWindowText(), *platform::ui().string(202));
        EXPECT_FALSE(MainWindow().IsWindowEnabled());
        dialog.DestroyWindow();
        EXPECT_TRUE(MainWindow().IsWindowEnabled());
        EXPECT_FALSE(dialog.IsWindow());
    }
    {
        // The destructor cleans up a window left open.
        CWindow parent;
        CProgressDlg dialog(211);
        dialog.Create(&parent);
        EXPECT_EQ(dialog.GetWindowText(), *platform::ui().string(211));
        EXPECT_FALSE(parent.IsWindowEnabled());
        EXPECT_TRUE(MainWindow().IsWindowEnabled());
    }
    EXPECT_TRUE(MainWindow().IsWindowEnabled());

    // An owner already disabled stays disabled afterwards.
    CWindow disabled;
    disabled.EnableWindow(false);
    {
        CProgressDlg dialog;
        dialog.Create(&disabled);
    }
    EXPECT_FALSE(disabled.IsWindowEnabled());
}

TEST(ProgressDialog, ListenersSeeEveryMoveAndTheClose)
{
    struct Recorder : CProgressDlg::Listener
    {
        std::vector<std::u16string> events;
        void OnProgressShown(const CProgressDlg&) override { events.push_back(u"shown"); }
        void OnProgressMoved(const CProgressDlg& d) override { events.push_back(d.PercentText()); }
        void OnProgressClosed(const CProgressDlg&) override { events.push_back(u"closed"); }
    } recorder;
    CProgressDlg::Listener* previous = CProgressDlg::SetListener(&recorder);
    {
        CProgressDlg dialog;
        dialog.SetRange(0, 4); // before the window exists: nothing to see
        dialog.Create();
        dialog.SetPos(1);
        dialog.Step(3);
    }
    CProgressDlg::SetListener(previous);
    EXPECT_EQ(recorder.events, (std::vector<std::u16string>{u"shown", u"25%", u"75%", u"closed"}));
}
} // namespace
