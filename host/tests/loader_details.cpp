// Details of the loader that a hand-written document relies on.
#include "host/Annotation.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/Sketch.h"
#include "host/View.h"
#include "host/memory/Document.h"

#include <gtest/gtest.h>

using namespace host;

namespace
{
std::unique_ptr<memory::Application> load(const std::string& body, const std::u16string& base = u"")
{
    return parseHostDocument("<host-document>\n" + body + "</host-document>\n", base);
}

// The line of the refusal; the document's own lines start at 2.
int refusedAt(const std::string& body)
{
    try
    {
        load(body);
    }
    catch (const LoadError& error)
    {
        return error.line();
    }
    return -1;
}
} // namespace

TEST(LoaderDetails, DefaultsFillWhatIsLeftOut)
{
    auto application = load("<document type=\"7\" path=\"C:\\work\\part.XYZ\"/>\n");
    Document* document = application->activeDocument();
    EXPECT_EQ(document->type(), 7) << "unknown types are kept for the publisher to judge";
    EXPECT_EQ(document->title(), u"part.XYZ") << "the title defaults to the path's last component";
    EXPECT_EQ(document->imageQuality(), 0);
    EXPECT_EQ(document->menuProbe(), 1);
    EXPECT_EQ(document->asDrawing(), nullptr);
    EXPECT_EQ(document->componentTree(), nullptr);
    EXPECT_EQ(document->layerManager(), nullptr);
    EXPECT_TRUE(document->summaryInfo(3).empty());
    EXPECT_EQ(application->userPreferenceInt(108), 0);
}

TEST(LoaderDetails, TheActiveDocumentNeedNotBeTheFirst)
{
    auto application = load(
        "<document type=\"1\" title=\"a.P\"/>\n<document type=\"1\" title=\"b.P\" active=\"1\"/>\n"
        "<document type=\"1\" title=\"c.P\"/>\n");
    EXPECT_EQ(application->activeDocument()->title(), u"b.P");
    std::vector<std::u16string> titles;
    for (Document* d = application->firstDocument(); d; d = d->next())
        titles.push_back(d->title());
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"a.P", u"b.P", u"c.P"}));
}

TEST(LoaderDetails, PicturesResolveAgainstTheDocumentsFolder)
{
    auto relative = load("<document type=\"1\" picture=\"img\\p.png\"/>\n", u"/srv/docs");
    auto* document = static_cast<memory::Document*>(relative->activeDocument());
    EXPECT_EQ(document->picture, u"/srv/docs/img/p.png");
    auto absolute = load("<document type=\"1\" picture=\"/abs/p.png\"/>\n", u"/srv/docs");
    EXPECT_EQ(static_cast<memory::Document*>(absolute->activeDocument())->picture, u"/abs/p.png");
}

TEST(LoaderDetails, ColoursMayBeHexadecimalAndTextKeepsLineBreaks)
{
    auto application =
        load("<document type=\"3\"><drawing><sheet name=\"S\" properties=\"0 0 0 0 0 1 1\">\n"
             "<view type=\"1\"><annotation colour=\"0xFF0000\"><display-data>\n"
             "<text height=\"0.01\">A&#10;B \xC3\xA9</text>\n"
             "</display-data></annotation></view>\n"
             "</sheet></drawing></document>\n");
    Annotation* note = application->activeDocument()->asDrawing()->firstView()->firstAnnotation();
    EXPECT_EQ(note->colour(), 0xFF0000);
    EXPECT_EQ(note->displayData()->text(0), u"A\nB \u00e9");
    EXPECT_EQ(note->displayData()->textFont(0), u"Arial");
    EXPECT_TRUE(note->displayData()->text(1).empty()) << "an index past the list gives nothing";
    EXPECT_EQ(note->displayData()->textHeight(-1), 0.0);
}

TEST(LoaderDetails, EmptyListsAreFine)
{
    auto application =
        load("<document type=\"3\"><drawing>\n"
             "<sheet name=\"Empty\" properties=\"0 0 0 0 0 0.2 0.1\"><view type=\"1\"/></sheet>\n"
             "<sheet name=\"Lists\" properties=\"0 0 0 0 0 0.2 0.1\"><view type=\"1\">\n"
             "<sketch><lines kind=\"1\" count=\"0\"/><arcs count=\"0\"></arcs></sketch>\n"
             "<splines count=\"0\"/><polylines count=\"0\"/><break-lines count=\"0\"/>\n"
             "<dimensions/><detail-circles count=\"0\"/>\n"
             "</view></sheet></drawing></document>\n");
    Drawing* drawing = application->activeDocument()->asDrawing();
    ASSERT_NE(drawing->firstView(), nullptr);
    EXPECT_EQ(drawing->firstView()->next(), nullptr);
    ASSERT_TRUE(drawing->activateSheet(u"Lists"));
    View* view = drawing->firstView();
    EXPECT_EQ(view->sketch()->lineCount(1), 0);
    EXPECT_EQ(view->splineCount(), 0);
    EXPECT_TRUE(view->dimensionData().empty());
    EXPECT_EQ(view->dimensionDataShape()[1], 0);
    EXPECT_EQ(view->detailOutline(), nullptr);
    EXPECT_EQ(view->bomTable(), nullptr);
    EXPECT_EQ(view->firstWeldItem(1), nullptr);
}

TEST(LoaderDetails, AbsurdInputIsRefusedWithoutBeingBuilt)
{
    // A count far beyond the text is refused by comparison, not allocation.
    EXPECT_EQ(
        refusedAt("<document type=\"3\"><drawing><sheet name=\"S\" properties=\"0 0 0 0 0 1 1\">\n"
                  "<view type=\"1\"><sketch><lines kind=\"1\" "
                  "count=\"2000000000\">1</lines></sketch></view>\n"
                  "</sheet></drawing></document>\n"),
        3);
    std::string nested = "<document type=\"2\"><components>\n";
    for (int i = 0; i < 80; ++i)
        nested += "<component>";
    for (int i = 0; i < 80; ++i)
        nested += "</component>";
    nested += "\n</components></document>\n";
    EXPECT_EQ(refusedAt(nested), 3) << "nesting is limited";
    EXPECT_EQ(refusedAt("<document type=\"99999999999\"/>\n"), 2);
    EXPECT_THROW(parseHostDocument(std::string(kMaxHostDocumentBytes + 1, ' '), u""), LoadError);
}

TEST(LoaderDetails, TheMemoryOfObjectsBoundsADocumentNotItsElementCount)
{
    // Far more elements than a small assembly has: they take little memory.
    std::string many = "<document type=\"1\" title=\"many.PRT\">";
    for (int i = 0; i <= 250000; ++i)
        many += "<configuration name=\"c\"/>";
    many += "</document>\n";
    const auto application = load(many);
    ASSERT_EQ(application->documents().size(), 1u);
    EXPECT_EQ(application->documents().front()->configurations.size(), 250001u);

    // Components count what publishing them takes: a budget of a few of them
    // refuses the document at the component that passes it, with its line.
    std::string components = "<host-document>\n<document type=\"2\"><components>\n"
                             "<component name=\"top\">\n";
    for (int i = 0; i < 40; ++i)
        components += "<component name=\"c\"/>\n";
    components += "</component>\n</components></document>\n</host-document>\n";
    EXPECT_NO_THROW(parseHostDocument(components, u"", kMaxHostDocumentBytes, 64 * 1024 * 1024));
    const std::size_t budget = 10 * kComponentPublishBytes;
    try
    {
        parseHostDocument(components, u"", kMaxHostDocumentBytes, budget);
        ADD_FAILURE() << "the budget is not kept";
    }
    catch (const LoadError& error)
    {
        // The top component and the eight components after it fit, the
        // tenth one does not.
        EXPECT_EQ(error.line(), 12);
        EXPECT_STREQ(error.what(), "line 12: the document's objects need more than 61440 bytes "
                                   "of memory");
    }
}

TEST(LoaderDetails, ElementsThatMayAppearOnceAreCheckedOnce)
{
    EXPECT_EQ(refusedAt("<application/>\n<application/>\n<document type=\"1\"/>\n"), 3);
    EXPECT_EQ(refusedAt("<document type=\"1\"/>\n<application/>\n"), 3)
        << "the application comes first";
    EXPECT_EQ(refusedAt("<document type=\"1\"><layer id=\"1\"/>\n<layer id=\"1\"/></document>\n"),
              3);
    EXPECT_EQ(refusedAt("<document type=\"3\"><drawing/>\n</document>\n"), 2)
        << "a drawing needs a sheet";
    EXPECT_EQ(
        refusedAt("<document type=\"3\"><drawing><sheet name=\"A\" properties=\"0 0 0 0 0 1 1\">"
                  "<view type=\"1\"/></sheet>\n"
                  "<sheet name=\"A\" properties=\"0 0 0 0 0 1 1\"><view type=\"1\"/></sheet>"
                  "</drawing></document>\n"),
        3);
    EXPECT_EQ(refusedAt("<document type=\"3\"><drawing>\n"
                        "<sheet name=\"A\" properties=\"0 0 0 0 0 1 1\"><format-sketch/>\n"
                        "</sheet></drawing></document>\n"),
              3)
        << "a sheet needs its own view";
    EXPECT_EQ(
        refusedAt("<document type=\"1\"><block-definition id=\"b\"/>\n<block-definition id=\"b\"/>"
                  "</document>\n"),
        3);
}
