#include "host/Annotation.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/View.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "host/memory/View.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <unistd.h>

using namespace host;

namespace
{

std::unique_ptr<memory::Application> sample()
{
    return loadHostDocument(platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) +
                                                       "/examples/sample-drawing.xml"));
}

std::string temporaryName(const char* suffix)
{
    std::string pattern = std::string(::testing::TempDir()) + "/quillcast-host-XXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), static_cast<int>(std::string(suffix).size()));
    if (fd >= 0)
        ::close(fd);
    return buffer.data();
}

// The JPEG's size as libjpeg itself reads it, independent of our reader.
bool jpegSize(const std::string& file, unsigned& width, unsigned& height)
{
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in)
        return false;
    unsigned char marker[3] = {};
    const bool isJpeg = std::fread(marker, 1, 3, in) == 3 && marker[0] == 0xFF && marker[1] == 0xD8;
    std::rewind(in);
    if (!isJpeg)
    {
        std::fclose(in);
        return false;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    jpeg_read_header(&info, TRUE);
    width = info.image_width;
    height = info.image_height;
    jpeg_destroy_decompress(&info);
    std::fclose(in);
    return true;
}

} // namespace

TEST(CallLog, StateChangingRequestsAreLoggedInOrder)
{
    auto application = sample();
    Document* document = application->activeDocument();
    Drawing* drawing = document->asDrawing();
    document->setImageQuality(50);
    document->refresh();
    drawing->activateSheet(u"Sheet2");
    drawing->activateSheet(u"Sheet1");
    View* view = drawing->firstView()->next();
    view->setDisplayMode(0, 2, 0, 1);
    view->bomTable()->close();
    // Reading does not log.
    document->title();
    view->splineData();
    const std::vector<std::string> expected = {
        "Document[sample-drawing.DRW]::setImageQuality(50)",
        "Document[sample-drawing.DRW]::refresh()",
        "Document[sample-drawing.DRW].drawing::activateSheet(Sheet2)",
        "Document[sample-drawing.DRW].drawing::activateSheet(Sheet1)",
        "View[Drawing View1]::setDisplayMode(0,2,0,1)",
        "BomTable::close()",
    };
    EXPECT_EQ(application->hostSession().callLog(), expected);
    EXPECT_EQ(document->imageQuality(), 50);
    EXPECT_EQ(view->displayMode(), 2);
    EXPECT_EQ(application->hostSession().requestCount("View::splineData"), 1);
}

TEST(CallLog, LongNamesAreCutInTheLog)
{
    // Every entry names its object: a name of any length is cut there, so
    // that a long title is not copied into every entry. Cuts fall between
    // characters (the 64th and 65th code units here are one surrogate pair).
    const std::string longTitle =
        std::string(63, 't') + "\xF0\x9D\x84\x9E" + std::string(1 << 20, 'u');
    auto application =
        parseHostDocument("<host-document>\n<document type=\"2\" title=\"" + longTitle +
                              "\">\n<components>\n<component name=\"" + std::string(64, 'c') +
                              "\">\n<component name=\"" + std::string(65, 'd') +
                              "\" state=\"1\"/>\n</component>\n</components>\n"
                              "</document>\n</host-document>\n",
                          u"");
    Document* document = application->activeDocument();
    EXPECT_EQ(document->title().size(), longTitle.size() - 2);
    document->refresh();
    Component* root = document->componentTree()->rootComponent();
    int status = 0;
    root->setState(1, status);
    root->children()[0]->setState(1, status);
    EXPECT_EQ(
        application->hostSession().callLog(),
        (std::vector<std::string>{"Document[" + std::string(63, 't') + "...]::refresh()",
                                  "Component[" + std::string(64, 'c') + "]::setState(1)",
                                  "Component[" + std::string(64, 'd') + "...]::setState(1)"}));
}

TEST(FaultInjection, ExactlyThePlannedRequestFails)
{
    auto application = sample();
    Session& session = application->hostSession();
    View* view = application->activeDocument()->asDrawing()->firstView()->next();
    view->splineData();
    session.failRequest("View::splineData", 2); // the second call from now
    EXPECT_NO_THROW(view->splineData());
    try
    {
        view->splineData();
        FAIL() << "the planned request did not fail";
    }
    catch (const HostFailure& failure)
    {
        EXPECT_EQ(failure.operation(), "View::splineData");
    }
    EXPECT_NO_THROW(view->splineData()) << "a planned failure happens once";
    EXPECT_NO_THROW(view->splineCount()) << "other requests are not touched";

    session.failAlways("Document::title");
    EXPECT_THROW(application->activeDocument()->title(), HostFailure);
    EXPECT_THROW(application->activeDocument()->title(), HostFailure);
    session.clearFaults();
    EXPECT_NO_THROW(application->activeDocument()->title());
}

TEST(FaultInjection, AFailedStateChangeIsNotLogged)
{
    auto application = sample();
    application->hostSession().failRequest("Document::setImageQuality");
    EXPECT_THROW(application->activeDocument()->setImageQuality(0), HostFailure);
    EXPECT_TRUE(application->hostSession().callLog().empty());
    EXPECT_EQ(application->activeDocument()->imageQuality(), 20);
}

TEST(Picture, SavePictureWritesTheDocumentsPreviewAsJpeg)
{
    auto application = sample();
    Document* document = application->activeDocument();
    const std::string target = temporaryName(".JPG");
    int status = 1;
    ASSERT_TRUE(document->savePicture(platform::path::fromNative(target), status));
    EXPECT_EQ(status, 1);
    unsigned width = 0, height = 0;
    ASSERT_TRUE(jpegSize(target, width, height));
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 141u);
    const auto size = platform::readPictureSize(platform::path::fromNative(target));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 200);
    std::remove(target.c_str());
}

TEST(Picture, WithoutAPreviewTheRequestFails)
{
    auto application = parseHostDocument(
        "<host-document><document type=\"1\" title=\"p.PRT\"/></host-document>", u"");
    const std::string target = temporaryName(".jpg");
    std::remove(target.c_str());
    int status = 1;
    EXPECT_FALSE(
        application->activeDocument()->savePicture(platform::path::fromNative(target), status));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(platform::path::fileExists(platform::path::fromNative(target)));

    auto broken = parseHostDocument(
        "<host-document><document type=\"1\" picture=\"missing-preview.png\"/></host-document>",
        u"/nonexistent");
    EXPECT_FALSE(broken->activeDocument()->savePicture(platform::path::fromNative(target), status));
}

namespace
{
struct RecordingSink : ApplicationEvents, DocumentEvents
{
    std::vector<std::pair<int, std::u16string>> events;
    std::int32_t onApplicationEvent(int id, const std::u16string& argument) override
    {
        events.emplace_back(id, argument);
        return 0;
    }
    std::int32_t onDocumentEvent(int) override { return 0; }
};
} // namespace

TEST(Events, FileOpenReachesAdvisedSinksOnly)
{
    auto application = sample();
    RecordingSink sink;
    const auto cookie = application->adviseApplicationEvents(&sink);
    ASSERT_NE(cookie, 0u);
    EXPECT_EQ(application->adviseApplicationEvents(nullptr), 0u);
    application->notifyFileOpened(u"/samples/other.DRW");
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].first, 5);
    EXPECT_EQ(sink.events[0].second, u"/samples/other.DRW");
    EXPECT_TRUE(application->unadviseApplicationEvents(cookie));
    EXPECT_FALSE(application->unadviseApplicationEvents(cookie));
    application->notifyFileOpened(u"x");
    EXPECT_EQ(sink.events.size(), 1u);

    Document* document = application->activeDocument();
    EXPECT_EQ(document->adviseDocumentEvents(kPartDocument, &sink), 0u)
        << "a drawing has no part events";
    const auto documentCookie = document->adviseDocumentEvents(kDrawingDocument, &sink);
    EXPECT_NE(documentCookie, 0u);
    EXPECT_TRUE(document->unadviseDocumentEvents(documentCookie));
}

TEST(Menus, ItemsAndToolbarsComeAndGo)
{
    auto application = sample();
    EXPECT_TRUE(application->addMenuItem(3, 7, u"Publish DWF@File", 5, u"DWFPublish",
                                         u"DWFPublishEnable", u"hint", u"icon.bmp"));
    EXPECT_TRUE(application->removeMenuItem(3, u"Publish DWF@File", 0));
    EXPECT_FALSE(application->removeMenuItem(3, u"Publish DWF@File", 0));
    const int toolbar = application->addToolbar(7, u"Publish DWF", u"s.bmp", u"l.bmp", 0, 15);
    EXPECT_TRUE(application->addToolbarButton(7, toolbar, 0, u"DWFPublish", u"DWFPublishEnable",
                                              u"Publish DWF", u""));
    EXPECT_FALSE(application->addToolbarButton(7, toolbar + 1, 0, u"a", u"b", u"c", u""));
    EXPECT_EQ(application->toolbars().at(toolbar).buttons, 1);
    EXPECT_TRUE(application->removeToolbar(7, toolbar));
    EXPECT_TRUE(application->toolbars().empty());
}

TEST(Components, StateRoundTripAnswersTwo)
{
    auto application = parseHostDocument("<host-document>\n"
                                         "<document type=\"2\" title=\"a.ASM\">\n"
                                         "<components>\n"
                                         "<component name=\"top\">\n"
                                         "  <component name=\"leaf1\" state=\"1\"/>\n"
                                         "  <component name=\"sub\"><component name=\"leaf2\" "
                                         "state=\"1\" set-state-status=\"0\"/></component>\n"
                                         "</component>\n"
                                         "</components>\n"
                                         "</document>\n"
                                         "</host-document>\n",
                                         u"");
    Component* root = application->activeDocument()->componentTree()->rootComponent();
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->childCount(), 2);
    Component* leaf = root->children()[0];
    EXPECT_EQ(leaf->state(), 1);
    int status = 0;
    leaf->setState(3, status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(leaf->state(), 3);
    leaf->setState(1, status);
    EXPECT_EQ(leaf->state(), 1);
    Component* stubborn = root->children()[1]->children()[0];
    stubborn->setState(3, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(stubborn->state(), 1);
    EXPECT_EQ(
        application->hostSession().callLog(),
        (std::vector<std::string>{"Component[leaf1]::setState(3)", "Component[leaf1]::setState(1)",
                                  "Component[leaf2]::setState(3)"}));
}

TEST(Model, ABuiltDocumentCanDisagreeWithItselfForTheWritersChecks)
{
    // The loader keeps documents consistent; tests of the publisher's own
    // checks build inconsistent host data directly.
    memory::Application application;
    auto* document = application.make<memory::Document>(application);
    document->drawing = application.make<memory::Drawing>();
    document->drawing->sheets.push_back(application.make<memory::Sheet>());
    document->drawing->reportedSheetCount = 3;
    application.addDocument(document);
    EXPECT_EQ(application.activeDocument()->asDrawing()->sheetCount(), 3);
    EXPECT_EQ(application.activeDocument()->asDrawing()->sheetNames().size(), 1u);

    auto* view = application.make<memory::View>();
    view->splines = {4, {0, 0, 0, 0, 0, 0, 100}};
    EXPECT_EQ(view->splineCount(), 4);
    EXPECT_FALSE(layout::splines(view->splineCount(), view->splineData()).ok());
}

TEST(Curves, PointAtFollowsTheTessellationByLength)
{
    memory::Application application;
    auto* curve = application.make<memory::Curve>();
    curve->range = {0.0, 2.0};
    curve->points = {0, 0, 0, 3, 0, 0, 3, 1, 0}; // lengths 3 and 1
    EXPECT_EQ(curve->pointAt(0.0), (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(curve->pointAt(2.0), (std::array<double, 3>{3, 1, 0}));
    EXPECT_EQ(curve->pointAt(1.0), (std::array<double, 3>{2, 0, 0}));
    EXPECT_EQ(curve->pointAt(1.75), (std::array<double, 3>{3, 0.5, 0}));
    EXPECT_EQ(curve->pointAt(-5.0), (std::array<double, 3>{0, 0, 0})) << "clamped to the range";
    curve->points.clear();
    EXPECT_EQ(curve->pointAt(1.0), (std::array<double, 3>{0, 0, 0}));
}
