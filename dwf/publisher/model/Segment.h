#ifndef DWFPUBLISHER_MODEL_SEGMENT_H
#define DWFPUBLISHER_MODEL_SEGMENT_H

#include "dwf/package/ToolkitMemory.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwf/publisher/PublishedObject.h"
#include "dwf/publisher/model/AttributeHandlerBuilder.h"
#include "dwf/publisher/model/FeatureHandlerBuilder.h"
#include "dwf/publisher/model/GeometryHandlerBuilder.h"
#include "dwf/publisher/model/SegmentHandlerBuilder.h"
#include "dwfcore/String.h"

#include <atomic>
#include <cstdint>

namespace DWFToolkit
{

class DWFIncludeSegment;

//
// One node of a model's scene graph. Opening it writes its open-segment
// record; the handlers it hands out write records inside it; closing it writes
// the close record. A segment opened with a name becomes a published object of
// the model (its W3D name is its key, the name goes to the object); an unnamed
// one only groups geometry and gives its properties to its nearest named
// ancestor. Shared geometry lives in include segments (DWFIncludeSegment) and
// is brought in with include.
//
// Segments are small values: the model and parent segments return them by
// value, and a copy has the key, builders and published objects of the
// original (but a state of its own). Every segment takes a new key from one
// process-wide counter when it is made, so a parent's key is below its
// children's.
//
// A segment is new, then open, then closed; it cannot be opened a second time.
// Everything except findProperty and getProperties needs it open.
//
class DWFSegment : public DWFToolkitMemory,
                   public DWFAttributeHandlerBuilder,
                   public DWFGeometryHandlerBuilder,
                   public DWFFeatureHandlerBuilder,
                   public DWFPropertyContainer
{
public:
    typedef DWFPublishedObject::tKey tKey;

    // The path of the style segment that segments with published edges use;
    // the model writes it, empty, at the start of its stream.
    static const char* const kPublishedEdgesStyle;

    // The builders and the factory are not owned (the model provides all of
    // them); `parentObject` is the published object of the nearest named
    // ancestor, or null.
    DWFSegment(DWFSegmentHandlerBuilder* segmentBuilder, DWFGeometryHandlerBuilder* geometryBuilder,
               DWFFeatureHandlerBuilder* featureBuilder,
               DWFAttributeHandlerBuilder* attributeBuilder, DWFPublishedObject::Factory* factory,
               DWFPublishedObject* parentObject);
    // Same key, builders, objects and state; a property container of its own.
    DWFSegment(const DWFSegment& other);
    DWFSegment& operator=(const DWFSegment& other);
    ~DWFSegment() override;

    tKey key() const noexcept { return _key; }
    bool isOpen() const noexcept { return _state == _eOpen; }
    bool isClosed() const noexcept { return _state == _eClosed; }
    // The object this segment made, or null.
    DWFPublishedObject* publishedObject() const noexcept { return _object; }
    // The nearest named ancestor's object, or null.
    DWFPublishedObject* parentObject() const noexcept { return _parentObject; }

    // A new child (not open yet) below this open segment.
    DWFSegment openSegment();

    //
    // Opens the segment as a published object named `name`. With
    // `publishEdges` the enclosing segment first gets a reference to the
    // published-edges style, and the segment is marked for edges.
    //
    virtual void open(const DWFCore::DWFString& name, bool publishEdges = false);
    // With a name as above; with null an unnamed segment, which makes no
    // published object (with `publishEdges` the style goes inside it).
    virtual void open(const DWFCore::DWFString* name = nullptr, bool publishEdges = false);

    // Writes the close record; the segment is closed from then on.
    void close();

    //
    // Includes the include segment whose published object has key `key`
    // (DWFDoesNotExistException when the model has none; an object that is not
    // an include segment's is refused).
    //
    virtual void include(tKey key);
    // Includes `segment`, which must have been opened.
    virtual void include(DWFIncludeSegment& segment);
    // The same, giving the instance `instanceName`.
    void include(DWFIncludeSegment& segment, const DWFCore::DWFString& instanceName);

    // ---- properties: kept by this segment's object, else by the nearest
    // named ancestor's
    DWFProperty*
    findProperty(const DWFCore::DWFString& name,
                 const DWFCore::DWFString& category = DWFCore::DWFString()) const override;
    // Adds a copy of `property`.
    virtual void addProperty(const DWFProperty& property);
    DWFCore::DWFIterator<DWFProperty*>*
    getProperties(const DWFCore::DWFString& category = DWFCore::DWFString()) override;
    void addProperty(DWFProperty* property, bool own) override;
    void addPropertyContainer(DWFPropertyContainer* container) override;
    void referencePropertyContainer(DWFPropertyContainer* container) override;
    void removeOwnedPropertyContainers(tList& containers, bool makeReferences = false) override;
    void removeReferencedPropertyContainers(tList& containers) override;
    void removeAllPropertyContainers(tList& containers) override;
    void copyProperties(DWFPropertyContainer& source, bool takeOwnership = false,
                        bool keepReferences = false) override;

    // ---- attribute handlers (the camera and view getters are not forwarded)
    TK_Color& getColorHandler() override;
    TK_Color_Map& getColorMapHandler() override;
    TK_Color_RGB& getColorRGBHandler() override;
    TK_Linear_Pattern& getEdgePatternHandler() override;
    TK_Size& getEdgeWeightHandler() override;
    TK_Enumerated& getFacePatternHandler() override;
    TK_Enumerated& getHandednessHandler() override;
    TK_Heuristics& getHeuristicsHandler() override;
    TK_Linear_Pattern& getLinePatternHandler() override;
    TK_Size& getLineWeightHandler() override;
    TK_Size& getMarkerSizeHandler() override;
    TK_Enumerated& getMarkerSymbolHandler() override;
    TK_Matrix& getModellingMatrixHandler() override;
    TK_Rendering_Options& getRenderingOptionsHandler() override;
    TK_Selectability& getSelectabilityHandler() override;
    TK_Enumerated& getTextAlignmentHandler() override;
    TK_Text_Font& getTextFontHandler() override;
    TK_Point& getTextPathHandler() override;
    TK_Size& getTextSpacingHandler() override;
    TK_User_Options& getUserOptionsHandler() override;
    TK_Unicode_Options& getUnicodeOptionsHandler() override;
    TK_Visibility& getVisibilityHandler() override;

    // ---- geometry handlers
    TK_Area_Light& getAreaLightHandler() override;
    TK_Circle& getCircleHandler() override;
    TK_Circle& getCircularArcHandler() override;
    TK_Circle& getCircularChordHandler() override;
    TK_Circle& getCircularWedgeHandler() override;
    TK_Cutting_Plane& getCuttingPlaneHandler() override;
    TK_Point& getDistantLightHandler() override;
    TK_Ellipse& getEllipseHandler() override;
    TK_Ellipse& getEllipticalArcHandler() override;
    TK_Image& getImageHandler() override;
    TK_Line& getLineHandler() override;
    TK_Point& getLocalLightHandler() override;
    TK_NURBS_Curve& getNURBSCurveHandler() override;
    TK_NURBS_Surface& getNURBSSurfaceHandler() override;
    TK_PolyCylinder& getPolyCylinderHandler() override;
    TK_Polypoint& getPolygonHandler() override;
    TK_Polypoint& getPolylineHandler() override;
    TK_Shell& getShellHandler(bool triangleStrips, bool disableOptimization) override;
    TK_Spot_Light& getSpotLightHandler() override;
    TK_Text& getTextHandler() override;
    TK_Text& getTextWithEncodingHandler() override;

    // ---- feature handlers
    TK_Texture& getTextureHandler() override;
    TK_Matrix& getTextureMatrixHandler() override;

protected:
    // The next key of the process-wide counter (the first is 1).
    static tKey _nextKey() noexcept;

    // What an include segment adds: its W3D path prefix.
    void _setPathPrefix(const DWFCore::DWFString& prefix) { _prefix = prefix; }

private:
    enum _teState
    {
        _eNew,
        _eOpen,
        _eClosed
    };

    void _requireOpen(const char* function) const;
    // The object that keeps this segment's properties: its own, else the
    // nearest named ancestor's; null for a segment with neither.
    DWFPublishedObject* _propertyTarget() const noexcept
    {
        return _object ? _object : _parentObject;
    }
    DWFPublishedObject& _rootedTarget(const char16_t* message, const char* function) const;
    DWFPublishedObject& _includeTarget(DWFIncludeSegment& segment) const;
    void _include(DWFPublishedObject& target, const DWFCore::DWFString* instanceName);

    // The records a segment writes besides its open and close records.
    void _writeStyleReference();
    void _writeIncludeReference(const char* path);
    void _writeUserOptions(const char* options);

    static std::atomic<tKey> _keyCounter;

    DWFSegmentHandlerBuilder* _segmentBuilder;
    DWFGeometryHandlerBuilder* _geometryBuilder;
    DWFFeatureHandlerBuilder* _featureBuilder;
    DWFAttributeHandlerBuilder* _attributeBuilder;
    DWFPublishedObject::Factory* _factory;
    DWFPublishedObject* _object = nullptr;
    DWFPublishedObject* _parentObject;
    DWFCore::DWFString _prefix;
    _teState _state = _eNew;
    tKey _key;
};

} // namespace DWFToolkit

#endif
