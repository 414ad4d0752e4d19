// The publish sequence a closed model drives a publisher through.
#include "PackageTestSupport.h"

#include "dwf/publisher/Publisher.h"

#include <gtest/gtest.h>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

class Publish : public TempFolderTest
{
};

// Logs every step a model drives it through.
class RecordingPublisher : public DWFPublisher,
                           public DWFPublishedObject::Visitor,
                           public DWFPropertyVisitor,
                           public DWFEmbeddedFontVisitor
{
public:
    bool giveVisitors = true;
    DWFPublishedObject::tKey throwAt = 0;
    std::vector<std::string> log;

    DWFPublishedObject::Visitor* getPublishedObjectVisitor() override
    {
        return giveVisitors ? this : nullptr;
    }
    DWFPropertyVisitor* getPropertyVisitor() override { return giveVisitors ? this : nullptr; }
    DWFEmbeddedFontVisitor* getEmbeddedFontVisitor() override
    {
        return giveVisitors ? this : nullptr;
    }
    void preprocess(DWFPublishable* publishable) override
    {
        log.push_back(dynamic_cast<DWFModel*>(publishable) ? "pre model" : "pre ?");
    }
    void postprocess(DWFPublishable* publishable) override
    {
        log.push_back(dynamic_cast<DWFModel*>(publishable) ? "post model" : "post ?");
    }
    void visitPublishedObject(DWFPublishedObject& object) override
    {
        if (object.key() == throwAt)
            DWFCORE_THROW(DWFUnexpectedException, u"visitor failed", "RecordingPublisher");
        std::string entry = "object " + utf8(object.name()) + " @" +
                            std::to_string(static_cast<std::int32_t>(object.instanceKey()));
        for (const auto& reference : object.references())
            entry += " ref@" + std::to_string(static_cast<std::int32_t>(reference->index));
        log.push_back(entry);
    }
    void visitPropertyContainer(DWFPropertyContainer& container) override
    {
        log.push_back("properties " + utf8(dynamic_cast<DWFPublishedObject&>(container).name()));
    }
    void visitEmbeddedFont(DWFEmbeddedFont& font) override
    {
        log.push_back("font " + utf8(font.getFaceName()));
    }
};

// A closed model with two segments written under their keys (stream indices 0
// and 1) and objects made for them out of key order, one object whose key the
// stream never saw, and two fonts.
struct Scene
{
    DWFModel model{u"Part", u"", u""};
    DWFSegment::tKey first = 0;
    DWFSegment::tKey second = 0;

    explicit Scene()
    {
        model.open(0, 1, nullptr, true, true);
        DWFSegment a = model.openSegment();
        DWFSegment b = model.openSegment();
        b.open();
        b.close();
        a.open();
        a.close();
        first = a.key();
        second = b.key();
        DWFPublishedObject* late = model.makePublishedObject(second, u"second");
        DWFPublishedObject* early = model.makePublishedObject(first, u"first");
        late->setParent(early);
        DWFCore::DWFString const instance(u"inst");
        early->addReference(late, second, &instance, false);
        early->addReference(late, 0x7FFFFFF0, nullptr, false);
        model.makePublishedObject(0x7FFFFFFF, u"unwritten");
        model.embedFont(new DWFEmbeddedFont(new TestFont(u"A")));
        model.embedFont(new DWFEmbeddedFont(new TestFont(u"B")));
        model.close();
    }
};

TEST_F(Publish, ObjectsAreVisitedInKeyOrderWithTheirStreamIndicesThenFonts)
{
    Scene scene;
    RecordingPublisher publisher;
    scene.model.publish(publisher);
    // b was opened first (index 0) but made after a, so its key is larger.
    EXPECT_EQ(publisher.log, (std::vector<std::string>{
                                 "pre model", "object first @1 ref@0 ref@-1", "properties first",
                                 "object second @0", "properties second", "object unwritten @-1",
                                 "properties unwritten", "font A", "font B", "post model"}));
}

TEST_F(Publish, WithoutVisitorsOnlyTheStepsRunButIndicesAreStillSet)
{
    Scene scene;
    RecordingPublisher publisher;
    publisher.giveVisitors = false;
    scene.model.publish(publisher);
    EXPECT_EQ(publisher.log, (std::vector<std::string>{"pre model", "post model"}));
    EXPECT_EQ(scene.model.findPublishedObject(scene.first)->instanceKey(), 1u);
    EXPECT_EQ(scene.model.findPublishedObject(scene.second)->instanceKey(), 0u);
    EXPECT_EQ(scene.model.findPublishedObject(0x7FFFFFFF)->instanceKey(),
              DWFPublishedObject::kNoIndex);

    DWFPublisher bare; // the base: no visitors, steps that do nothing
    scene.model.publish(bare);
}

TEST_F(Publish, AModelWithoutObjectsStillRunsEveryStep)
{
    DWFModel model(u"Empty", u"", u"");
    model.open();
    model.close();
    RecordingPublisher publisher;
    model.publish(publisher);
    EXPECT_EQ(publisher.log, (std::vector<std::string>{"pre model", "post model"}));
}

TEST_F(Publish, AFailingVisitEndsTheSequenceWithoutPostprocess)
{
    Scene scene;
    RecordingPublisher publisher;
    publisher.throwAt = scene.second;
    EXPECT_THROW(scene.model.publish(publisher), DWFCore::DWFUnexpectedException);
    EXPECT_EQ(publisher.log, (std::vector<std::string>{"pre model", "object first @1 ref@0 ref@-1",
                                                       "properties first"}));
}

} // namespace
