// Publishing drawings end to end, as the host would run the command: the
// package is checked with tools of its own (python3's zipfile, xmllint,
// identify) and its sheets are read back through the W2D toolkit.
#include "PublishHarness.h"
#include "SheetReadBack.h"
#include "addin/PublishRun.h"
#include "host/memory/Document.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{
using namespace publish_test;
using Status = PublishOutcome::Status;

// The entries of a package in their order, by python3's zipfile, one
// line each: name, then 1 when the entry is encrypted.
std::vector<std::pair<std::string, bool>> EntriesOf(const std::string& package)
{
    std::string listing;
    const int status = RunCommand(
        "python3 -c " +
            Quoted("import sys, zipfile\n"
                   "z = zipfile.ZipFile(sys.argv[1])\n"
                   "bad = z.testzip()\n"
                   "assert bad is None, bad\n"
                   "for i in z.infolist(): print(i.filename + '\\t' + str(i.flag_bits & 1))\n") +
            " " + Quoted(package),
        &listing);
    EXPECT_EQ(status, 0) << listing;
    std::vector<std::pair<std::string, bool>> entries;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line))
    {
        const auto tab = line.find('\t');
        if (tab != std::string::npos)
            entries.emplace_back(line.substr(0, tab), line.substr(tab + 1) == "1");
    }
    return entries;
}

// Copies every entry into `folder`, named by its position, and answers
// the file names in entry order.
std::vector<std::string> Extract(const std::string& package, const std::string& folder)
{
    const int status = RunCommand(
        "python3 -c " +
        Quoted(
            "import sys, zipfile, os\n"
            "z = zipfile.ZipFile(sys.argv[1])\n"
            "for n, i in enumerate(z.infolist()):\n"
            "    ext = os.path.splitext(i.filename)[1]\n"
            "    open(os.path.join(sys.argv[2], '%03d%s' % (n, ext)), 'wb').write(z.read(i))\n") +
        " " + Quoted(package) + " " + Quoted(folder));
    EXPECT_EQ(status, 0);
    std::vector<std::string> files = FilesIn(folder);
    std::sort(files.begin(), files.end());
    for (auto& file : files)
        file = folder + "/" + file;
    return files;
}

std::string Text(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class DrawingPublication : public PublishFixture
{
protected:
    bool NeedPython()
    {
        if (HaveTool("python3"))
            return true;
        return false;
    }
};

TEST_F(DrawingPublication, TheSampleDrawingBecomesOneEPlotSectionPerSheet)
{
    if (!NeedPython())
        GTEST_SKIP() << "python3 is not installed";
    auto app = Sample();
    host::memory::Document& document = *app->documents().front();
    const int quality = document.quality;
    const PublishOutcome outcome = RunPublishCommand(*app, Request());
    ASSERT_EQ(outcome.status, Status::Published);
    EXPECT_TRUE(outcome.messages.empty());

    // The host is as it was: quality back, refreshed after each change.
    EXPECT_EQ(document.quality, quality);
    const auto& log = app->hostSession().callLog();
    std::vector<std::string> qualityCalls;
    for (const auto& entry : log)
        if (entry.find("setImageQuality") != std::string::npos ||
            entry.find("refresh") != std::string::npos)
            qualityCalls.push_back(entry.substr(entry.find("::") + 2));
    EXPECT_EQ(qualityCalls, (std::vector<std::string>{
                                "setImageQuality(99)", "refresh()",
                                "setImageQuality(" + std::to_string(quality) + ")", "refresh()"}));
    EXPECT_EQ(app->menuItems().size(), 0u);
    EXPECT_EQ(app->toolbars().size(), 0u);
    EXPECT_EQ(app->applicationSinks(), 0u);

    // Only the package is left: no sheet file, thumbnail or toolbar image.
    ExpectNoTemporaryFiles();
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
    // The options ask to open the package; the shell was asked, not launched.
    ASSERT_EQ(platform::shell().requests().size(), 1u);
    EXPECT_EQ(platform::shell().requests()[0].verb, u"open");
    EXPECT_EQ(platform::shell().requests()[0].file, platform::path::fromNative(Target()));

    const auto bytes = ReadBytes(Target());
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 12), "(DWF V06.00)");

    const auto entries = EntriesOf(Target());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().first, "manifest.xml");
    // Per sheet: descriptor, thumbnail, graphics, object definition.
    std::map<std::string, std::vector<std::string>> bySection;
    for (const auto& [name, encrypted] : entries)
    {
        EXPECT_FALSE(encrypted) << name;
        const auto slash = name.find('\\');
        if (slash != std::string::npos)
            bySection[name.substr(0, slash)].push_back(name.substr(slash + 1));
    }
    ASSERT_EQ(bySection.size(), 2u);
    for (const auto& [section, names] : bySection)
    {
        EXPECT_EQ(section.rfind("com.morvalex.dwf.ePlot_", 0), 0u) << section;
        EXPECT_EQ(names.size(), 4u);
        EXPECT_EQ(std::count(names.begin(), names.end(), "descriptor.xml"), 1);
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [](const std::string& n) { return EndsWith(n, ".w2d"); }),
                  1);
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [](const std::string& n) { return EndsWith(n, ".jpg"); }),
                  1);
    }

    const std::string contents = root_ + "/contents";
    ::mkdir(contents.c_str(), 0700);
    const auto files = Extract(Target(), contents);
    ASSERT_EQ(files.size(), entries.size());
    const bool haveXmllint = HaveTool("xmllint");
    const bool haveIdentify = HaveTool("identify");
    int sheets = 0;
    int thumbnails = 0;
    std::string descriptors;
    for (const auto& file : files)
    {
        if (EndsWith(file, ".xml"))
        {
            if (haveXmllint)
            {
                EXPECT_EQ(RunCommand("xmllint --noout " + Quoted(file) + " 2>&1"), 0) << file;
            }
            if (Text(file).find("ePlot:Page") != std::string::npos)
                descriptors += Text(file);
        }
        else if (EndsWith(file, ".w2d"))
        {
            ++sheets;
            const sheet_test::Sheet sheet = sheet_test::Read(ReadBytes(file));
            EXPECT_EQ(sheet.end, WT_Result_End_Of_Stream);
            EXPECT_EQ(sheet.units, std::vector<std::string>{"mm"});
            EXPECT_EQ(sheet.viewports.front(), "Clip");
            EXPECT_FALSE(sheet.items.empty());
        }
        else if (EndsWith(file, ".jpg"))
        {
            ++thumbnails;
            const auto size = platform::readPictureSize(platform::path::fromNative(file));
            ASSERT_TRUE(size.has_value());
            EXPECT_GT(size->width, 0);
            if (haveIdentify)
            {
                std::string format;
                EXPECT_EQ(RunCommand("identify -format %m " + Quoted(file), &format), 0);
                EXPECT_EQ(format, "JPEG");
            }
        }
    }
    EXPECT_EQ(sheets, 2);
    EXPECT_EQ(thumbnails, 2);
    if (!haveXmllint)
        std::fprintf(stderr, "xmllint is not installed: XML entries not checked\n");
    if (!haveIdentify)
        std::fprintf(stderr,
                     "identify is not installed: thumbnails checked by their header only\n");

    // The sheets' and the document's properties.
    for (const char* expected : {"Sheet Name", "Sheet1", "Sheet2", "Bracket assembly drawing",
                                 "\"author\"", "\"save data\"", "\"file version\"", "Source Code"})
        EXPECT_NE(descriptors.find(expected), std::string::npos) << expected;
    const std::string manifest = Text(files.front());
    EXPECT_NE(manifest.find("Package Property Value"), std::string::npos);
    EXPECT_NE(manifest.find("title=\"Sheet1\""), std::string::npos);
    EXPECT_NE(manifest.find("title=\"Sheet2\""), std::string::npos);
}

TEST_F(DrawingPublication, TheActiveSheetAloneAndAPasswordThatDoesNotApply)
{
    if (!NeedPython())
        GTEST_SKIP() << "python3 is not installed";
    auto app = Sample();
    PublishRequest request = Request();
    request.activeSheetOnly = true;
    request.password = u"secret";
    const PublishOutcome outcome = RunPublishCommand(*app, request);
    ASSERT_EQ(outcome.status, Status::Published);
    const auto entries = EntriesOf(Target());
    ASSERT_EQ(entries.size(), 5u); // the manifest and one sheet's four
    for (const auto& entry : entries)
        EXPECT_FALSE(entry.second) << "a drawing package is never encrypted";
    const std::string manifest = Text(Extract(Target(), root_).front());
    EXPECT_NE(manifest.find("title=\"Sheet1\""), std::string::npos);
    EXPECT_EQ(manifest.find("title=\"Sheet2\""), std::string::npos);
    // Only the current sheet was looked at: no sheet was activated.
    for (const auto& entry : app->hostSession().callLog())
        EXPECT_EQ(entry.find("activateSheet"), std::string::npos) << entry;
    ExpectNoTemporaryFiles();
}

TEST_F(DrawingPublication, AnExistingPackageIsReplacedWhole)
{
    auto app = Sample();
    {
        std::ofstream(Target()) << "an older package";
    }
    PublishRequest request = Request();
    EXPECT_EQ(RunPublishCommand(*app, request).status, Status::Cancelled);
    EXPECT_EQ(Text(Target()), "an older package");

    request.replaceExisting = true;
    auto again = Sample();
    EXPECT_EQ(RunPublishCommand(*again, request).status, Status::Published);
    EXPECT_EQ(Text(Target()).substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
}

TEST_F(DrawingPublication, AFolderThatCannotBeWrittenLeavesNothingBehind)
{
    std::string target;
    if (::geteuid() == 0)
    {
        // The superuser writes into read-only folders; a folder that is a
        // file refuses everyone alike.
        std::ofstream(packages_ + "/locked") << "not a folder";
        target = packages_ + "/locked/sample.dwf";
    }
    else
    {
        ::mkdir((packages_ + "/locked").c_str(), 0500);
        target = packages_ + "/locked/sample.dwf";
    }
    auto app = Sample();
    PublishRequest request;
    request.target = platform::path::fromNative(target);
    const PublishOutcome outcome = RunPublishCommand(*app, request);
    EXPECT_EQ(outcome.status, Status::Failed);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0], u"An error occurred while publishing the file. The error "
                                   u"occurred in CDrawingDocumentPublisher::PublishDoc.");
    EXPECT_FALSE(platform::path::fileExists(platform::path::fromNative(target)));
    if (::geteuid() != 0)
    {
        EXPECT_EQ(FilesIn(packages_ + "/locked"), std::vector<std::string>{});
    }
    EXPECT_TRUE(platform::shell().requests().empty());
    EXPECT_EQ(app->documents().front()->quality, 20);
    ExpectNoTemporaryFiles();
}

TEST_F(DrawingPublication, HostRequestsFailingOneAtATime)
{
    // Every request the command makes of the host, from connection to
    // disconnection; each is made to fail once in its own run.
    const char* const requests[] = {
        "Application::setAddinCallbackInfo",
        "Application::menuName",
        "Application::activeDocument",
        "Application::addMenuItem",
        "Application::addToolbar",
        "Application::addToolbarButton",
        "Application::adviseApplicationEvents",
        "Application::firstDocument",
        "Document::next",
        "Document::menuProbe",
        "Document::type",
        "Document::adviseDocumentEvents",
        "Document::imageQuality",
        "Document::title",
        "Document::setImageQuality",
        "Document::refresh",
        "Document::asDrawing",
        "Drawing::sheetCount",
        "Drawing::sheetNames",
        "Drawing::activateSheet",
        "Drawing::currentSheet",
        "Sheet::properties",
        "Sheet::name",
        "Document::summaryInfo",
        "Document::savePicture",
        "Drawing::firstView",
        "View::next",
        "View::stateFlag",
        "View::type",
        "Application::removeMenuItem",
        "Application::removeToolbar",
        "Application::unadviseApplicationEvents",
        "Document::unadviseDocumentEvents",
    };
    {
        // The list is honest: every request is made in a clean run.
        auto app = Sample();
        ASSERT_EQ(RunPublishCommand(*app, Request()).status, Status::Published);
        for (const char* request : requests)
            EXPECT_GT(app->hostSession().requestCount(request), 0) << request;
        std::remove(Target().c_str());
    }
    const std::u16string prefix =
        u"An error occurred while publishing the file. The error occurred in ";
    for (const char* request : requests)
    {
        SCOPED_TRACE(request);
        platform::ui().reset();
        platform::ui().setEcho(false);
        platform::shell().reset();
        auto app = Sample();
        app->hostSession().failRequest(request);
        const PublishOutcome outcome = RunPublishCommand(*app, Request());
        // The status tells a written package from a lost one: many of
        // these failures cost a part of a sheet, not the package.
        const bool written = platform::path::fileExists(platform::path::fromNative(Target()));
        EXPECT_EQ(outcome.written, written);
        EXPECT_EQ(outcome.status, written ? Status::PublishedWithErrors : Status::Failed);
        ASSERT_FALSE(outcome.messages.empty());
        EXPECT_EQ(outcome.causes.size(), outcome.messages.size());
        EXPECT_EQ(outcome.messages[0].rfind(prefix, 0), 0u)
            << platform::utf16ToUtf8(outcome.messages[0]);
        // Only a package that was written whole is ever opened (a failure
        // of the connection alone leaves publishing itself untouched).
        if (!platform::shell().requests().empty())
        {
            EXPECT_EQ(ReadBytes(Target()).size() > 12, true);
        }
        EXPECT_EQ(app->documents().front()->quality, 20);
        // Only the one item the host refused to remove stays.
        EXPECT_EQ(app->menuItems().size(),
                  std::string(request) == "Application::removeMenuItem" ? 1u : 0u);
        ExpectNoTemporaryFiles();
        std::remove(Target().c_str());
    }
}

TEST_F(DrawingPublication, NoActiveDocumentMeansNoCommand)
{
    auto app = Sample();
    app->setActiveDocument(nullptr);
    const PublishOutcome outcome = RunPublishCommand(*app, Request());
    EXPECT_EQ(outcome.status, Status::NotAvailable);
    EXPECT_TRUE(FilesIn(packages_).empty());
    ExpectNoTemporaryFiles();
}
} // namespace
