// The publish command's callbacks and routines, and the document
// publisher base they rely on.
#include "PublishHarness.h"
#include "addin/DWFPublisherImp.h"
#include "addin/dialogs/ProgressDlg.h"
#include "addin/publishers/DocumentPublisher.h"
#include "addin/publishers/DrawingDocumentPublisher.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "platform/gdi/Picture.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace
{
using namespace publish_test;

std::vector<std::string> LogEntries(host::memory::Application& app, const std::string& text)
{
    std::vector<std::string> out;
    for (const auto& entry : app.hostSession().callLog())
        if (entry.find(text) != std::string::npos)
            out.push_back(entry.substr(entry.find("::") + 2));
    return out;
}

class PublishCommand : public PublishFixture
{
protected:
    // A connected add-in on `app`.
    platform::ComPtr<CDWFPublisherImp> Connected(host::memory::Application& app)
    {
        auto addin = platform::ComPtr<CDWFPublisherImp>::adopt(CDWFPublisherImp::Create());
        platform::VARIANT_BOOL answer = 0;
        addin->Connect(&app, 1, &answer);
        return addin;
    }
    static void Disconnect(const platform::ComPtr<CDWFPublisherImp>& addin)
    {
        platform::VARIANT_BOOL answer = 0;
        addin->Disconnect(&answer);
    }
    void AnswerSaveDialog(const std::string& name)
    {
        platform::DialogAnswer answer;
        answer.result = platform::IDOK;
        answer.fileName = platform::path::fromNative(Target(name));
        platform::ui().setStandingAnswer(129, answer);
    }
};

TEST(PublishCommandRules, NamesExtensionsAndQualities)
{
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u"bracket.DRW"), u"bracket");
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u"a.b.c"), u"a.b");
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u"C:\\work\\part.PRT"), u"part");
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u"C:\\work.d\\Draw1"), u"");
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u"Draw1"), u"");
    EXPECT_EQ(CDWFPublisherImp::BaseNameFromTitle(u""), u"");

    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x.dwf"), u"/p/x.dwf");
    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x.DWF"), u"/p/x.DWF");
    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x.DwF"), u"/p/x.DwF");
    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x.txt"), u"/p/x.txt.dwf");
    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x"), u"/p/x.dwf");
    EXPECT_EQ(CDWFPublisherImp::WithPackageExtension(u"/p/x.dwfx"), u"/p/x.dwfx.dwf");

    EXPECT_EQ(CDWFPublisherImp::ImageQualityFor(0), 99);
    EXPECT_EQ(CDWFPublisherImp::ImageQualityFor(1), 50);
    EXPECT_EQ(CDWFPublisherImp::ImageQualityFor(2), 0);
    EXPECT_EQ(CDWFPublisherImp::ImageQualityFor(-1), 0);
}

TEST_F(PublishCommand, EnableFollowsTheActiveDocument)
{
    auto app = Sample();
    auto addin = Connected(*app);
    long status = -1;
    EXPECT_EQ(addin->DWFPublishEnable(&status), platform::S_OK);
    EXPECT_EQ(status, 1);
    app->setActiveDocument(nullptr);
    EXPECT_EQ(addin->Invoke(u"DWFPublishEnable", &status), platform::S_OK);
    EXPECT_EQ(status, 0);
    // Called anyway, the command has nothing to do.
    EXPECT_EQ(addin->DWFPublish(), platform::S_OK);
    EXPECT_TRUE(platform::ui().dialogs().empty());
    EXPECT_NE(addin->Invoke(u"NoSuchCallback"), platform::S_OK);
    Disconnect(addin);
}

TEST_F(PublishCommand, ADocumentNeverSavedIsRefusedBeforeTheDialog)
{
    auto app = Sample();
    app->documents().front()->documentTitle = u"Draw1";
    auto addin = Connected(*app);
    EXPECT_EQ(addin->DWFPublish(), platform::S_OK);
    ASSERT_EQ(platform::ui().messageBoxes().size(), 1u);
    EXPECT_EQ(platform::ui().messageBoxes()[0].text, *platform::ui().string(208));
    EXPECT_EQ(platform::ui().messageBoxes()[0].caption, *platform::ui().string(210));
    EXPECT_TRUE(platform::ui().dialogs().empty());
    EXPECT_TRUE(LogEntries(*app, "setImageQuality").empty());
    Disconnect(addin);
}

TEST_F(PublishCommand, CancellingTheDialogChangesNothing)
{
    auto app = Sample();
    auto addin = Connected(*app);
    EXPECT_EQ(addin->DWFPublish(), platform::S_OK);
    ASSERT_EQ(platform::ui().dialogs().size(), 1u);
    EXPECT_EQ(platform::ui().dialogs()[0].templateId, 129);
    EXPECT_TRUE(LogEntries(*app, "setImageQuality").empty());
    EXPECT_TRUE(FilesIn(packages_).empty());
    Disconnect(addin);
    ExpectNoTemporaryFiles();
}

TEST_F(PublishCommand, TheResolutionHoldsOnlyWhilePublishing)
{
    auto app = Sample();
    app->documents().front()->documentType = host::kPartDocument;
    auto addin = Connected(*app);
    // The part options: resolution 1.
    platform::DialogAnswer options;
    options.controls[1008] = 1;
    platform::ui().setStandingAnswer(130, options);
    platform::DialogAnswer save;
    save.fileName = platform::path::fromNative(Target("part"));
    save.pressed = {1005};
    platform::ui().setStandingAnswer(129, save);
    EXPECT_EQ(addin->DWFPublish(), platform::S_OK);
    EXPECT_EQ(LogEntries(*app, "setImageQuality"),
              (std::vector<std::string>{"setImageQuality(50)", "setImageQuality(20)"}));
    EXPECT_EQ(LogEntries(*app, "refresh").size(), 2u);
    // The part (of no bodies) is published as a package of its own.
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"part.dwf"});
    Disconnect(addin);
    ExpectNoTemporaryFiles();
}

TEST_F(PublishCommand, AfterAnAssemblyLeavesInStateOneGoRoundOnce)
{
    auto app =
        host::parseHostDocument("<host-document><document type=\"2\" title=\"a.ASM\"><components>"
                                "<component name=\"root\">"
                                "  <component name=\"sub\">"
                                "    <component name=\"leaf1\" state=\"1\"/>"
                                "    <component name=\"stuck\" state=\"1\" set-state-status=\"0\"/>"
                                "    <component name=\"skipped\" state=\"1\"/>"
                                "  </component>"
                                "  <component name=\"leaf2\" state=\"1\"/>"
                                "  <component name=\"other\" state=\"2\"/>"
                                "</component></components></document></host-document>",
                                u"");
    auto addin = Connected(*app);
    AnswerSaveDialog("asm.dwf");
    EXPECT_EQ(addin->DWFPublish(), platform::S_OK);
    const auto calls = LogEntries(*app, "setState");
    // The assembly writer first: leaf1 is written and set back; stuck
    // refuses the change and is left out alone (said in a message), so
    // skipped is still written and set back; then leaf2 the same.
    // Then the command's walk: leaf1 goes round; stuck does not come back,
    // which ends its level; the level above goes on with leaf2.
    EXPECT_EQ(calls, (std::vector<std::string>{"setState(3)", "setState(1)", "setState(3)",
                                               "setState(3)", "setState(1)", "setState(3)",
                                               "setState(1)", "setState(3)", "setState(1)",
                                               "setState(3)", "setState(1)", "setState(3)",
                                               "setState(1)"}));
    const auto& log = app->hostSession().callLog();
    std::vector<std::string> who;
    for (const auto& entry : log)
        if (entry.find("setState") != std::string::npos)
            who.push_back(entry.substr(0, entry.find("::")));
    ASSERT_EQ(who.size(), 13u);
    for (std::size_t at : {0u, 1u, 7u, 8u})
        EXPECT_NE(who[at].find("leaf1"), std::string::npos) << at;
    for (std::size_t at : {2u, 9u, 10u})
        EXPECT_NE(who[at].find("stuck"), std::string::npos) << at;
    for (std::size_t at : {3u, 4u})
        EXPECT_NE(who[at].find("skipped"), std::string::npos) << at;
    for (std::size_t at : {5u, 6u, 11u, 12u})
        EXPECT_NE(who[at].find("leaf2"), std::string::npos) << at;
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"An error occurred while publishing the file. The error occurred "
                             u"in CDWFxAssemblyWriter::GetSubAssemblyItem.");
    EXPECT_EQ(boxes[0].cause, u"Component 'stuck' is left out: the host refused to change its "
                              u"state (it answered 0)");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"asm.dwf"});
    Disconnect(addin);
}

TEST_F(PublishCommand, AHostFailureInTheAssemblyWalkIsReportedAndTheQualityComesBack)
{
    auto app = host::parseHostDocument(
        "<host-document><document type=\"2\" title=\"a.ASM\" image-quality=\"7\"><components>"
        "<component name=\"root\"><component name=\"leaf\" state=\"1\"/></component>"
        "</components></document></host-document>",
        u"");
    auto addin = Connected(*app);
    AnswerSaveDialog("asm.dwf");
    // The writer sets the leaf's state and back; the command's walk fails.
    app->hostSession().failRequest("Component::setState", 3);
    addin->DWFPublish();
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"CDWFPublisherImp::GetSubAssemblyItem."), std::u16string::npos);
    EXPECT_EQ(app->documents().front()->quality, 7);

    // A failure while setting the resolution is reported, and the
    // previous quality still comes back.
    platform::ui().reset();
    platform::ui().setEcho(false);
    AnswerSaveDialog("asm2.dwf");
    app->hostSession().failRequest("Document::setImageQuality");
    addin->DWFPublish();
    ASSERT_FALSE(platform::ui().messageBoxes().empty());
    EXPECT_NE(platform::ui().messageBoxes()[0].text.find(u"CDWFPublisherImp::SetTheResolution."),
              std::u16string::npos);
    EXPECT_EQ(app->documents().front()->quality, 7);
    Disconnect(addin);
}

// ---- the publisher base

struct TestPublisher : CDocumentPublisher
{
    using CDocumentPublisher::CDocumentPublisher;
    int PublishDoc() override { return 0; }
};

TEST_F(PublishCommand, ThePackageIsOpenedOnlyAfterASuccessThatAsksForIt)
{
    PublishOptions options;
    for (const bool published : {false, true})
    {
        for (const int open : {0, 1})
        {
            platform::shell().reset();
            options.openAfterPublish = open;
            {
                TestPublisher publisher(nullptr, u"/p/x.dwf", &options);
                publisher.SetPublished(published);
            }
            EXPECT_EQ(platform::shell().requests().size(), published && open ? 1u : 0u);
        }
    }
}

TEST_F(PublishCommand, ThumbnailFilesAreOursAndGoWithThePublisher)
{
    auto app = Sample();
    host::memory::Document* document = app->documents().front();
    PublishOptions options;
    std::u16string sheetThumbnail;
    std::u16string thumbnail;
    {
        TestPublisher publisher(document, platform::path::fromNative(Target()), &options);
        sheetThumbnail = publisher.GetSheetThumbnailFileName(12);
        thumbnail = publisher.GetThumbnailFileName();
        // In the temporary folder, named from nothing of the document's.
        EXPECT_EQ(platform::path::cutLastComponent(sheetThumbnail),
                  platform::path::fromNative(temporary_));
        EXPECT_EQ(sheetThumbnail.find(u"sample-drawing"), std::u16string::npos);
        EXPECT_NE(sheetThumbnail.find(u"12.jpg"), std::u16string::npos);
        EXPECT_NE(sheetThumbnail, thumbnail);

        publisher.SaveDocumentPicture(sheetThumbnail);
        double width = -1;
        double height = -1;
        EXPECT_EQ(publisher.GetImageSize(sheetThumbnail, width, height), platform::S_OK);
        const auto expected = platform::readPictureSize(sheetThumbnail);
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(width, expected->width);
        EXPECT_EQ(height, expected->height);

        // Empty path: nothing happens. Not an image: the 10 x 10 default.
        EXPECT_EQ(publisher.GetImageSize(u"", width, height), platform::S_OK);
        EXPECT_EQ(width, expected->width);
        EXPECT_EQ(publisher.GetImageSize(thumbnail, width, height), platform::E_FAIL);
        EXPECT_EQ(width, 10.0);
        EXPECT_EQ(height, 10.0);
        EXPECT_EQ(publisher.TemporaryFiles().size(), 2u);
    }
    EXPECT_FALSE(platform::path::fileExists(sheetThumbnail));
    EXPECT_FALSE(platform::path::fileExists(thumbnail));
    ExpectNoTemporaryFiles();
}

TEST_F(PublishCommand, StepsMoveTheBarUntilCancelAndNeedNoDialog)
{
    PublishOptions options;
    TestPublisher publisher(nullptr, u"/p/x.dwf", &options);
    publisher.StepProgress(3); // no dialog yet: nothing happens
    publisher.CreateProgressDlg();
    CProgressDlg* dialog = publisher.ProgressDlg();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetWindowText(), u"Publish DWF File...");
    EXPECT_FALSE(MainWindow().IsWindowEnabled());
    publisher.StepProgress(40);
    EXPECT_EQ(dialog->GetPos(), 40);
    EXPECT_EQ(dialog->PercentText(), u"40%");
    dialog->OnCancel();
    EXPECT_TRUE(dialog->IsWindow());
    publisher.StepProgress(80);
    EXPECT_EQ(dialog->GetPos(), 40);
    publisher.CloseProgressDlg();
    EXPECT_FALSE(dialog->IsWindow());
    EXPECT_TRUE(MainWindow().IsWindowEnabled());
}

TEST_F(PublishCommand, TheGraphicTransformAndSheetScale)
{
    PublishOptions options;
    CDrawingDocumentPublisher publisher(nullptr, u"/p/x.dwf", &options);
    std::array<double, 16> m{};
    publisher.SetPaper(420, 297);
    publisher.ComputeGraphicTransform(m);
    const double s = 13636.5209555 / 420;
    EXPECT_DOUBLE_EQ(m[0], 1 / s);
    EXPECT_DOUBLE_EQ(m[5], 1 / s);
    EXPECT_DOUBLE_EQ(m[10], 1 / s);
    EXPECT_EQ(m[12], -210);
    EXPECT_EQ(m[13], -148.5);
    EXPECT_EQ(m[15], 1);
    EXPECT_DOUBLE_EQ(publisher.SheetContext().scale, s * 1000);

    // A square or portrait sheet divides by its larger side.
    publisher.SetPaper(297, 297);
    publisher.ComputeGraphicTransform(m);
    EXPECT_DOUBLE_EQ(m[0], 297 / 13636.5209555);
    publisher.SetPaper(210, 297);
    publisher.ComputeGraphicTransform(m);
    EXPECT_DOUBLE_EQ(publisher.SheetContext().scale, 1000 * 13636.5209555 / 297);

    // No size at all is refused rather than divided by.
    for (const auto& [w, h] :
         std::vector<std::pair<double, double>>{{0, 0},
                                                {-5, 10},
                                                {10, std::numeric_limits<double>::quiet_NaN()},
                                                {std::numeric_limits<double>::infinity(), 10}})
    {
        publisher.SetPaper(w, h);
        EXPECT_ANY_THROW(publisher.ComputeGraphicTransform(m));
    }
}

TEST_F(PublishCommand, SheetsThatCannotBePublishedLeaveNoPackage)
{
    struct Case
    {
        const char* why;
        std::function<void(host::memory::Drawing&)> spoil;
    };
    const Case cases[] = {
        {"names fewer than the count", [](host::memory::Drawing& d) { d.reportedSheetCount = 5; }},
        {"no sheets", [](host::memory::Drawing& d) { d.reportedSheetCount = 0; }},
        {"zero paper", [](host::memory::Drawing& d) { d.sheets[1]->sheetProperties[5] = 0; }},
        {"short properties",
         [](host::memory::Drawing& d) { d.sheets[0]->sheetProperties.resize(6); }},
        {"infinite paper", [](host::memory::Drawing& d)
         { d.sheets[0]->sheetProperties[6] = std::numeric_limits<double>::infinity(); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.why);
        platform::ui().reset();
        platform::ui().setEcho(false);
        auto app = Sample();
        c.spoil(*app->documents().front()->drawing);
        const PublishOutcome outcome = RunPublishCommand(*app, Request());
        EXPECT_EQ(outcome.status, PublishOutcome::Status::Failed);
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_NE(outcome.messages[0].find(u"CDrawingDocumentPublisher::PublishDoc."),
                  std::u16string::npos);
        EXPECT_TRUE(FilesIn(packages_).empty());
        ExpectNoTemporaryFiles();
    }
}
} // namespace
