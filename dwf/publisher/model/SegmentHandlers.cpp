// The segment's handler getters forward to the model's builders once the
// segment is open, so that records land inside it; and the records a segment
// writes itself besides its open and close records.
#include "dwf/publisher/model/Segment.h"

#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/user_options.h"

#include "dwfcore/Exception.h"

namespace DWFToolkit
{

#define DWF_SEGMENT_FORWARD(Class, getter, builder)                                                \
    Class& DWFSegment::getter()                                                                    \
    {                                                                                              \
        _requireOpen("DWFToolkit::DWFSegment::" #getter);                                          \
        return builder->getter();                                                                  \
    }

// ---- attributes
DWF_SEGMENT_FORWARD(TK_Color, getColorHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Color_Map, getColorMapHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Color_RGB, getColorRGBHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Linear_Pattern, getEdgePatternHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Size, getEdgeWeightHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Enumerated, getFacePatternHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Enumerated, getHandednessHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Heuristics, getHeuristicsHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Linear_Pattern, getLinePatternHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Size, getLineWeightHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Size, getMarkerSizeHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Enumerated, getMarkerSymbolHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Matrix, getModellingMatrixHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Rendering_Options, getRenderingOptionsHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Selectability, getSelectabilityHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Enumerated, getTextAlignmentHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Text_Font, getTextFontHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Point, getTextPathHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Size, getTextSpacingHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_User_Options, getUserOptionsHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Unicode_Options, getUnicodeOptionsHandler, _attributeBuilder)
DWF_SEGMENT_FORWARD(TK_Visibility, getVisibilityHandler, _attributeBuilder)

// ---- geometry
DWF_SEGMENT_FORWARD(TK_Area_Light, getAreaLightHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Circle, getCircleHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Circle, getCircularArcHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Circle, getCircularChordHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Circle, getCircularWedgeHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Cutting_Plane, getCuttingPlaneHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Point, getDistantLightHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Ellipse, getEllipseHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Ellipse, getEllipticalArcHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Image, getImageHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Line, getLineHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Point, getLocalLightHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_NURBS_Curve, getNURBSCurveHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_NURBS_Surface, getNURBSSurfaceHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_PolyCylinder, getPolyCylinderHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Polypoint, getPolygonHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Polypoint, getPolylineHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Spot_Light, getSpotLightHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Text, getTextHandler, _geometryBuilder)
DWF_SEGMENT_FORWARD(TK_Text, getTextWithEncodingHandler, _geometryBuilder)

TK_Shell& DWFSegment::getShellHandler(bool triangleStrips, bool disableOptimization)
{
    _requireOpen("DWFToolkit::DWFSegment::getShellHandler");
    return _geometryBuilder->getShellHandler(triangleStrips, disableOptimization);
}

// ---- features
DWF_SEGMENT_FORWARD(TK_Texture, getTextureHandler, _featureBuilder)
DWF_SEGMENT_FORWARD(TK_Matrix, getTextureMatrixHandler, _featureBuilder)

#undef DWF_SEGMENT_FORWARD

// ---- the segment's own records

void DWFSegment::_writeStyleReference()
{
    TK_Referenced_Segment& style = _segmentBuilder->getStyleSegmentHandler();
    style.SetSegment(kPublishedEdgesStyle);
    style.serialize(0);
}

void DWFSegment::_writeIncludeReference(const char* path)
{
    TK_Referenced_Segment& include = _segmentBuilder->getIncludeSegmentHandler();
    include.SetSegment(path);
    include.serialize(0);
}

void DWFSegment::_writeUserOptions(const char* options)
{
    TK_User_Options& handler = getUserOptionsHandler();
    handler.SetOptions(options);
    handler.serialize(0);
}

} // namespace DWFToolkit
