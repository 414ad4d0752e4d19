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
    try
    {
        segment.getLineHandler();
        FAIL() << "no exception";
    }
    catch (const DWFCore::DWFUnexpectedException& e)
    {
        EXPECT_EQ(utf8(e.message()), "Segment must be open");
        EXPECT_STREQ(e.function(), "DWFToolkit::DWFSegment::getLineHandler");
    }
    segment.open();
    for (auto getter : {&DWFSegment::getCameraHandler, &DWFSegment::getViewHandler})
    {
        try
        {
            (segment.*getter)();
            ADD_FAILURE() << "no exception";
        }
        catch (const DWFCore::DWFNotImplementedException& e)
        {
            EXPECT_EQ(utf8(e.message()), "Handler not available in this builder");
        }
    }
    segment.close();
    model.close();
}

// Calls a getter that must throw DWFNotImplementedException naming `function`.
template <class Call> void expectNotAvailable(Call call, const std::string& function)
{
    try
    {
        call();
        ADD_FAILURE() << function << " did not throw";
    }
    catch (const DWFCore::DWFNotImplementedException& e)
    {
        EXPECT_EQ(utf8(e.message()), "Handler not available in this builder");
        EXPECT_EQ(std::string(e.function()), function);
    }
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
