// Segments: keys, nesting, states, property rules and the builders' bases.
#include "TestSupport.h"

#include "dwf/package/Property.h"
#include "dwf/publisher/model/IncludeSegment.h"
#include "dwf/publisher/model/Segment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

// Hands out keys from the segments' counter.
class KeySource : public DWFSegment
{
public:
    static tKey next() { return _nextKey(); }
};

// Taken while the test program starts, before any segment exists.
DWFSegment::tKey const firstKeyOfTheProcess = KeySource::next();

class Segment : public TempFolderTest
{
};

TEST(SegmentKeys, TheFirstKeyOfAProcessIsOne)
{
    EXPECT_EQ(firstKeyOfTheProcess, 1u);
}

TEST(SegmentKeys, KeysComeFromOneCounterAndCopiesKeepTheirs)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment root = model.openSegment();
    DWFSegment other = model.openSegment();
    EXPECT_EQ(other.key(), root.key() + 1);
    DWFSegment copy(root);
    EXPECT_EQ(copy.key(), root.key());
    root.open();
    DWFSegment child = root.openSegment();
    EXPECT_EQ(child.key(), other.key() + 1) << "a child takes the next key";
    DWFIncludeSegment include = model.openIncludeSegment();
    EXPECT_EQ(include.key(), child.key() + 1);
    DWFSegment assigned = other;
    assigned = child;
    EXPECT_EQ(assigned.key(), child.key());
    root.close();
    model.close();
}

TEST(SegmentKeys, SegmentsMadeOnSeveralThreadsGetDistinctKeys)
{
    std::vector<std::vector<DWFSegment::tKey>> keys(4);
    std::vector<std::thread> threads;
    for (auto& list : keys)
        threads.emplace_back(
            [&list]
            {
                for (int i = 0; i < 2000; ++i)
                    list.push_back(KeySource::next());
            });
    for (auto& thread : threads)
        thread.join();
    std::set<DWFSegment::tKey> all;
    for (const auto& list : keys)
    {
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), 8000u);
}

TEST_F(Segment, UnnamedSegmentsNestAndAreWrittenWithEmptyNamesAndTheirTags)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment root = model.openSegment();
    root.open();
    DWFSegment child = root.openSegment();
    child.open(nullptr, false);
    DWFSegment grandchild = child.openSegment();
    grandchild.open();
    EXPECT_EQ(root.publishedObject(), nullptr) << "an unnamed open makes no object";
    EXPECT_EQ(grandchild.parentObject(), nullptr);
    grandchild.close();
    child.close();
    DWFSegment sibling = root.openSegment();
    sibling.open();
    sibling.close();
    root.close();
    model.close();

    int tags = 0;
    EXPECT_EQ(modelRecords(model, {}, &tags), concat({streamHead(),
                                                      {{'(', ""},
                                                       {'q', ""},
                                                       {'(', ""},
                                                       {'q', ""},
                                                       {'(', ""},
                                                       {'q', ""},
                                                       {')', ""},
                                                       {')', ""},
                                                       {'(', ""},
                                                       {'q', ""},
                                                       {')', ""},
                                                       {')', ""}},
                                                      streamTail()}));
    EXPECT_EQ(tags, 4) << "one index per segment";
}

TEST_F(Segment, AClosedSegmentStaysClosed)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment segment = model.openSegment();
    EXPECT_FALSE(segment.isOpen());
    EXPECT_DWF_THROW(segment.close(), DWFUnexpectedException, "Segment must be open");
    EXPECT_DWF_THROW(segment.openSegment(), DWFUnexpectedException, "Segment must be open");
    segment.open();
    EXPECT_TRUE(segment.isOpen());
    EXPECT_DWF_THROW(segment.open(), DWFUnexpectedException, "Segment already open");
    EXPECT_DWF_THROW(segment.open(u"named"), DWFUnexpectedException, "Segment already open");

    DWFSegment copy = segment; // an open copy, as the writers pass segments on
    EXPECT_TRUE(copy.isOpen());
    segment.close();
    EXPECT_TRUE(segment.isClosed());
    EXPECT_DWF_THROW(segment.close(), DWFUnexpectedException, "Segment must be open");
    EXPECT_DWF_THROW(segment.open(), DWFUnexpectedException, "Segment already open");
    EXPECT_DWF_THROW(segment.openSegment(), DWFUnexpectedException, "Segment must be open");
    EXPECT_DWF_THROW(segment.include(1), DWFUnexpectedException, "Segment must be open");
    EXPECT_DWF_THROW(segment.getColorHandler(), DWFUnexpectedException, "Segment must be open");
    model.close();
    // The segment was closed once: the stream is balanced.
    EXPECT_EQ(modelRecords(model),
              concat({streamHead(), {{'(', ""}, {'q', ""}, {')', ""}}, streamTail()}));
}

TEST_F(Segment, AnUnnamedTopLevelSegmentHasNowhereToKeepProperties)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment segment = model.openSegment();
    DWFProperty property(u"Mass", u"1 kg", u"Physical");
    DWFPropertyContainer::tList list;
    DWFPropertyContainer other;

    // Before open the open check comes first.
    EXPECT_DWF_THROW(segment.addProperty(property), DWFUnexpectedException, "Segment must be open");
    EXPECT_DWF_THROW(segment.copyProperties(other), DWFUnexpectedException, "Segment must be open");
    EXPECT_EQ(segment.findProperty(u"Mass", u"Physical"), nullptr);

    segment.open();
    EXPECT_DWF_THROW(segment.addProperty(property), DWFUnexpectedException,
                     "Cannot add property to non-rooted segment");
    EXPECT_DWF_THROW(segment.addProperty(&property, false), DWFUnexpectedException,
                     "Cannot add property to non-rooted segment");
    EXPECT_DWF_THROW(segment.addPropertyContainer(&other), DWFUnexpectedException,
                     "Cannot add property to non-rooted segment");
    EXPECT_DWF_THROW(segment.referencePropertyContainer(&other), DWFUnexpectedException,
                     "Cannot add property to non-rooted segment");
    EXPECT_DWF_THROW(segment.removeOwnedPropertyContainers(list), DWFUnexpectedException,
                     "Cannot remove property from non-rooted segment");
    EXPECT_DWF_THROW(segment.removeReferencedPropertyContainers(list), DWFUnexpectedException,
                     "Cannot remove property from non-rooted segment");
    EXPECT_DWF_THROW(segment.removeAllPropertyContainers(list), DWFUnexpectedException,
                     "Cannot remove property from non-rooted segment");
    EXPECT_DWF_THROW(segment.copyProperties(other), DWFUnexpectedException,
                     "Cannot copy property to non-rooted segment");
    EXPECT_EQ(segment.findProperty(u"Mass", u"Physical"), nullptr);
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> none(segment.getProperties());
    EXPECT_TRUE(!none || !none->valid());
    segment.close();
    model.close();
}

TEST_F(Segment, HandlerGettersNeedAnOpenSegmentAndCameraAndViewAreNotForwarded)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment segment = model.openSegment();
    EXPECT_DWF_THROW_FROM(segment.getLineHandler(), DWFUnexpectedException, "Segment must be open",
                          "DWFToolkit::DWFSegment::getLineHandler");
    segment.open();
    for (auto getter : {&DWFSegment::getCameraHandler, &DWFSegment::getViewHandler})
        EXPECT_DWF_THROW((segment.*getter)(), DWFNotImplementedException,
                         "Handler not available in this builder");
    segment.close();
    model.close();
}

std::string decimal(DWFSegment::tKey key)
{
    return std::to_string(key);
}

std::string const kStyle = "?Style Library/_dwfw3d_PublishedEdges";
std::string const kLibrary = "?Include Library/";

TEST_F(Segment, ANamedSegmentIsWrittenUnderItsKeyAndItsNameGoesToItsObject)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment body = model.openSegment();
    body.open(u"Body 1");
    DWFPublishedObject* object = body.publishedObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->key(), body.key());
    EXPECT_EQ(utf8(object->name()), "Body 1");
    EXPECT_EQ(object->parent(), nullptr);
    EXPECT_FALSE(object->isIncluded());
    EXPECT_EQ(model.findPublishedObject(body.key()), object);
    body.close();
    model.close();
    EXPECT_EQ(modelRecords(model),
              concat({streamHead(),
                      {{'(', decimal(body.key())}, {'q', ""}, {'U', "node"}, {')', ""}},
                      streamTail()}));
}

TEST_F(Segment, PublishedEdgesGoBeforeANamedOpenAndInsideAnUnnamedOne)
{
    DWFModel model(u"Part", u"", u"");
    model.open(0, 1, nullptr, true, true);
    DWFSegment named = model.openSegment();
    named.open(u"Named", true);
    DWFSegment unnamed = named.openSegment();
    unnamed.open(nullptr, true);
    unnamed.close();
    named.close();
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(),
                                           {{'(', kStyle},
                                            {')', ""},
                                            {'{', kStyle},
                                            {'(', decimal(named.key())},
                                            {'q', ""},
                                            {'U', "node,edges"},
                                            {'(', ""},
                                            {'q', ""},
                                            {'{', kStyle},
                                            {'U', "edges"},
                                            {')', ""},
                                            {')', ""}},
                                           streamTail()}));
}

TEST_F(Segment, ChildrenHangUnderTheNearestNamedAncestor)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment assembly = model.openSegment();
    assembly.open(u"Assembly");
    DWFSegment group = assembly.openSegment();
    group.open();
    EXPECT_EQ(group.parentObject(), assembly.publishedObject());
    DWFSegment part = group.openSegment();
    EXPECT_EQ(part.parentObject(), assembly.publishedObject()) << "through the unnamed group";
    part.open(u"Part");
    EXPECT_EQ(part.publishedObject()->parent(), assembly.publishedObject());
    DWFCore::DWFString path;
    part.publishedObject()->getPath(path);
    EXPECT_EQ(utf8(path), decimal(assembly.key()) + "/" + decimal(part.key()));
    DWFSegment face = part.openSegment();
    EXPECT_EQ(face.parentObject(), part.publishedObject());
    face.open();
    face.close();
    part.close();
    group.close();
    assembly.close();
    model.close();
}

TEST_F(Segment, AnUnnamedChildGivesItsPropertiesToTheNamedAncestor)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFSegment named = model.openSegment();
    named.open(u"Named");
    DWFSegment child = named.openSegment();
    child.open();
    DWFProperty const mass(u"Mass", u"2 kg", u"Physical");
    child.addProperty(mass);
    DWFProperty* kept = named.publishedObject()->findProperty(u"Mass", u"Physical");
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(kept, &mass) << "the object keeps a copy";
    EXPECT_EQ(child.findProperty(u"Mass", u"Physical"), kept);
    EXPECT_EQ(named.findProperty(u"Mass", u"Physical"), kept);
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> all(child.getProperties());
    ASSERT_TRUE(all && all->valid());
    EXPECT_EQ(all->get(), kept);

    child.addProperty(new DWFProperty(u"Owned", u"yes"), true);
    EXPECT_NE(named.findProperty(u"Owned"), nullptr);
    DWFPropertyContainer source;
    source.addProperty(new DWFProperty(u"Copied", u"1"), true);
    child.copyProperties(source);
    EXPECT_NE(named.findProperty(u"Copied"), nullptr);
    child.close();
    named.close();
    model.close();
}

TEST_F(Segment, AnIncludeSegmentLivesInTheLibraryUnderItsKey)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    DWFIncludeSegment shared = model.openIncludeSegment();
    shared.open(u"Bolt", true);
    ASSERT_NE(shared.publishedObject(), nullptr);
    EXPECT_TRUE(shared.publishedObject()->isIncluded());
    EXPECT_EQ(shared.parentObject(), nullptr);
    shared.close();

    // Opened through the base it is still an include segment, and always named.
    DWFIncludeSegment other = model.openIncludeSegment();
    DWFSegment& base = other;
    base.open(nullptr, true);
    EXPECT_TRUE(other.publishedObject()->isIncluded());
    EXPECT_EQ(utf8(other.publishedObject()->name()), "");
    other.close();
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(),
                                           {{'(', kLibrary + decimal(shared.key())},
                                            {'q', ""},
                                            {'U', "node"},
                                            {')', ""},
                                            {'(', kLibrary + decimal(other.key())},
                                            {'q', ""},
                                            {'U', "node"},
                                            {')', ""}},
                                           streamTail()}));
}

// A model with a closed include segment "Bolt" carrying one property.
struct Library
{
    DWFModel model{u"Part", u"", u""};
    DWFIncludeSegment bolt;

    Library() : bolt((model.open(), model.openIncludeSegment()))
    {
        bolt.open(u"Bolt");
        bolt.addProperty(DWFProperty(u"Material", u"Steel", u"Physical"));
        bolt.close();
    }
    std::string path() const { return kLibrary + decimal(bolt.key()); }
};

TEST_F(Segment, IncludingIntoANamedSegmentCopiesTheIncludedProperties)
{
    Library library;
    DWFSegment named = library.model.openSegment();
    named.open(u"Holder");
    named.include(library.bolt);
    EXPECT_NE(named.findProperty(u"Material", u"Physical"), nullptr);
    EXPECT_TRUE(named.publishedObject()->references().empty());
    named.close();
    library.model.close();
    std::vector<Record> const all = modelRecords(library.model);
    std::vector<Record> const tail(all.end() - 7, all.end());
    EXPECT_EQ(tail, concat({{{'(', decimal(named.key())},
                             {'q', ""},
                             {'U', "node"},
                             {'<', library.path()},
                             {')', ""}},
                            streamTail()}))
        << "no \"node\" after the include";
}

TEST_F(Segment, IncludingIntoAnUnnamedChildRecordsAnInstanceInTheNamedAncestor)
{
    Library library;
    DWFSegment named = library.model.openSegment();
    named.open(u"Holder");
    DWFSegment child = named.openSegment();
    child.open();
    child.include(library.bolt, u"bolt 1");
    child.close();
    DWFSegment second = named.openSegment();
    second.open();
    second.include(library.bolt.publishedObject()->key());
    second.close();
    named.close();
    library.model.close();

    auto const& references = named.publishedObject()->references();
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(references[0]->key, child.key());
    EXPECT_EQ(references[0]->object, library.bolt.publishedObject());
    EXPECT_EQ(utf8(references[0]->name), "bolt 1");
    EXPECT_EQ(references[1]->key, second.key());
    EXPECT_EQ(references[1]->name.chars(), 0u) << "the key form names no instance";
    EXPECT_EQ(child.publishedObject(), nullptr);
    EXPECT_EQ(named.findProperty(u"Material", u"Physical"), nullptr) << "an instance, not a copy";

    std::vector<Record> const all = modelRecords(library.model);
    std::vector<Record> const tail(all.end() - 16, all.end());
    EXPECT_EQ(tail, concat({{{'(', decimal(named.key())},
                             {'q', ""},
                             {'U', "node"},
                             {'(', ""},
                             {'q', ""},
                             {'<', library.path()},
                             {'U', "node"},
                             {')', ""},
                             {'(', ""},
                             {'q', ""},
                             {'<', library.path()},
                             {'U', "node"},
                             {')', ""},
                             {')', ""}},
                            streamTail()}));
}

TEST_F(Segment, IncludingIntoAnUnrootedSegmentMakesItsObject)
{
    Library library;
    DWFSegment root = library.model.openSegment();
    root.open();
    root.include(library.bolt, u"Title");
    DWFPublishedObject* object = root.publishedObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->key(), root.key());
    EXPECT_EQ(utf8(object->name()), "Title");
    EXPECT_FALSE(object->isIncluded());
    EXPECT_NE(object->findProperty(u"Material", u"Physical"), nullptr);
    root.addProperty(DWFProperty(u"Rooted", u"now"));
    EXPECT_NE(object->findProperty(u"Rooted"), nullptr);

    DWFSegment byKey = library.model.openSegment();
    byKey.open();
    byKey.include(library.bolt.publishedObject()->key());
    ASSERT_NE(byKey.publishedObject(), nullptr);
    EXPECT_EQ(utf8(byKey.publishedObject()->name()), "Bolt") << "the included object's name";
    byKey.close();
    root.close();
    library.model.close();
}

TEST_F(Segment, IncludesAreRefusedForWhatIsNoIncludeSegment)
{
    Library library;
    DWFSegment plain = library.model.openSegment();
    plain.open(u"Plain");
    DWFSegment target = library.model.openSegment();
    target.open();
    EXPECT_DWF_THROW(target.include(plain.key()), DWFUnexpectedException,
                     "The key provided doesn't refer to an IncludeSegment");
    EXPECT_DWF_THROW(target.include(0xFFFFFFF0u), DWFDoesNotExistException, "Object not found");
    DWFIncludeSegment unopened = library.model.openIncludeSegment();
    EXPECT_THROW(target.include(unopened), DWFCore::DWFUnexpectedException);
    target.close();
    plain.close();
    library.model.close();
    std::vector<Record> const all = modelRecords(library.model);
    EXPECT_EQ(
        std::count_if(all.begin(), all.end(), [](const Record& r) { return r.opcode == '<'; }), 0)
        << "a refused include writes nothing";
}

// Calls a getter that must throw DWFNotImplementedException naming `function`.
template <class Call> void expectNotAvailable(Call call, const std::string& function)
{
    EXPECT_DWF_THROW_FROM(call(), DWFNotImplementedException,
                          "Handler not available in this builder", function.c_str());
}

TEST(HandlerBuilders, EveryGetterOfTheBasesIsUnavailableAndSaysWhich)
{
    DWFSegmentHandlerBuilder segment;
    DWFGeometryHandlerBuilder geometry;
    DWFFeatureHandlerBuilder feature;
    DWFAttributeHandlerBuilder attribute;
#define EXPECT_UNAVAILABLE(builder, Class, getter, ...)                                            \
    expectNotAvailable([&] { builder.getter(__VA_ARGS__); }, "DWFToolkit::" #Class "::" #getter)
    EXPECT_UNAVAILABLE(segment, DWFSegmentHandlerBuilder, getCloseSegmentHandler);
    EXPECT_UNAVAILABLE(segment, DWFSegmentHandlerBuilder, getOpenSegmentHandler);
    EXPECT_UNAVAILABLE(segment, DWFSegmentHandlerBuilder, getIncludeSegmentHandler);
    EXPECT_UNAVAILABLE(segment, DWFSegmentHandlerBuilder, getStyleSegmentHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getAreaLightHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getCircleHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getCircularArcHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getCircularChordHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getCircularWedgeHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getCuttingPlaneHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getDistantLightHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getEllipseHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getEllipticalArcHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getImageHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getLineHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getLocalLightHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getNURBSCurveHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getNURBSSurfaceHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getPolyCylinderHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getPolygonHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getPolylineHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getShellHandler, true, true);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getSpotLightHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getTextHandler);
    EXPECT_UNAVAILABLE(geometry, DWFGeometryHandlerBuilder, getTextWithEncodingHandler);
    EXPECT_UNAVAILABLE(feature, DWFFeatureHandlerBuilder, getTextureHandler);
    EXPECT_UNAVAILABLE(feature, DWFFeatureHandlerBuilder, getTextureMatrixHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getColorHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getColorMapHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getColorRGBHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getEdgePatternHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getEdgeWeightHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getFacePatternHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getHandednessHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getHeuristicsHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getLinePatternHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getLineWeightHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getMarkerSizeHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getMarkerSymbolHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getModellingMatrixHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getRenderingOptionsHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getSelectabilityHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getTextAlignmentHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getTextFontHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getTextPathHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getTextSpacingHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getUserOptionsHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getUnicodeOptionsHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getVisibilityHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getCameraHandler);
    EXPECT_UNAVAILABLE(attribute, DWFAttributeHandlerBuilder, getViewHandler);
#undef EXPECT_UNAVAILABLE
}

} // namespace
