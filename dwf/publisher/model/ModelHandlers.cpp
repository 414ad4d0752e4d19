// The model's handler getters: each hands out the toolkit's own handler for one
// opcode, wired to the model's stream writer.
#include "dwf/publisher/model/Model.h"

#include "dwf/publisher/Texture.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/text.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwfcore/Exception.h"

namespace DWFToolkit
{

template <class Handler> Handler& DWFModel::_handler(int opcode, const char* function)
{
    _requireOpen(function);
    auto* handler = dynamic_cast<Handler*>(&_toolkit.GetOpcodeHandler(opcode));
    if (handler == nullptr)
    {
        _unavailable(function);
    }
    handler->SetObserver(_writer.get());
    return *handler;
}

void DWFModel::_unavailable(const char* function)
{
    _requireOpen(function);
    DWFCORE_THROW(DWFNotImplementedException, u"Handler not available in this builder", function);
}

#define DWF_MODEL_HANDLER(Class, getter, opcode)                                                   \
    Class& DWFModel::getter()                                                                      \
    {                                                                                              \
        return _handler<Class>(opcode, "DWFToolkit::DWFModel::" #getter);                          \
    }

// A getter whose handler class the toolkit does not have.
#define DWF_MODEL_UNAVAILABLE(Class, getter)                                                       \
    Class& DWFModel::getter()                                                                      \
    {                                                                                              \
        _unavailable("DWFToolkit::DWFModel::" #getter);                                            \
    }

// ---- segments
DWF_MODEL_HANDLER(TK_Close_Segment, getCloseSegmentHandler, ')')
DWF_MODEL_HANDLER(TK_Open_Segment, getOpenSegmentHandler, '(')
DWF_MODEL_HANDLER(TK_Referenced_Segment, getIncludeSegmentHandler, '<')
DWF_MODEL_HANDLER(TK_Referenced_Segment, getStyleSegmentHandler, '{')

// ---- geometry
DWF_MODEL_UNAVAILABLE(TK_Area_Light, getAreaLightHandler)
DWF_MODEL_HANDLER(TK_Circle, getCircleHandler, 'C')
DWF_MODEL_HANDLER(TK_Circle, getCircularArcHandler, 'c')
DWF_MODEL_HANDLER(TK_Circle, getCircularChordHandler, '\\')
DWF_MODEL_HANDLER(TK_Circle, getCircularWedgeHandler, 'w')
DWF_MODEL_UNAVAILABLE(TK_Cutting_Plane, getCuttingPlaneHandler)
DWF_MODEL_UNAVAILABLE(TK_Point, getDistantLightHandler)
DWF_MODEL_HANDLER(TK_Ellipse, getEllipseHandler, 'E')
DWF_MODEL_HANDLER(TK_Ellipse, getEllipticalArcHandler, 'e')
DWF_MODEL_UNAVAILABLE(TK_Image, getImageHandler)
DWF_MODEL_HANDLER(TK_Line, getLineHandler, 'l')
DWF_MODEL_UNAVAILABLE(TK_Point, getLocalLightHandler)
DWF_MODEL_HANDLER(TK_NURBS_Curve, getNURBSCurveHandler, 'N')
DWF_MODEL_UNAVAILABLE(TK_NURBS_Surface, getNURBSSurfaceHandler)
DWF_MODEL_UNAVAILABLE(TK_PolyCylinder, getPolyCylinderHandler)
DWF_MODEL_HANDLER(TK_Polypoint, getPolygonHandler, 'G')
DWF_MODEL_HANDLER(TK_Polypoint, getPolylineHandler, 'L')
DWF_MODEL_UNAVAILABLE(TK_Spot_Light, getSpotLightHandler)
DWF_MODEL_HANDLER(TK_Text, getTextHandler, 'T')
DWF_MODEL_HANDLER(TK_Text, getTextWithEncodingHandler, 'x')

TK_Shell& DWFModel::getShellHandler(bool, bool)
{
    _unavailable("DWFToolkit::DWFModel::getShellHandler");
}

// ---- features
DWF_MODEL_UNAVAILABLE(TK_Texture, getTextureHandler)
DWF_MODEL_UNAVAILABLE(TK_Matrix, getTextureMatrixHandler)

// ---- attributes
DWF_MODEL_HANDLER(TK_Color, getColorHandler, '"')
DWF_MODEL_HANDLER(TK_Color_Map, getColorMapHandler, 0x0C)
DWF_MODEL_HANDLER(TK_Color_RGB, getColorRGBHandler, '~')
DWF_MODEL_UNAVAILABLE(TK_Linear_Pattern, getEdgePatternHandler)
DWF_MODEL_UNAVAILABLE(TK_Size, getEdgeWeightHandler)
DWF_MODEL_UNAVAILABLE(TK_Enumerated, getFacePatternHandler)
DWF_MODEL_UNAVAILABLE(TK_Enumerated, getHandednessHandler)
DWF_MODEL_UNAVAILABLE(TK_Heuristics, getHeuristicsHandler)
DWF_MODEL_UNAVAILABLE(TK_Linear_Pattern, getLinePatternHandler)
DWF_MODEL_UNAVAILABLE(TK_Size, getLineWeightHandler)
DWF_MODEL_UNAVAILABLE(TK_Size, getMarkerSizeHandler)
DWF_MODEL_UNAVAILABLE(TK_Enumerated, getMarkerSymbolHandler)
DWF_MODEL_UNAVAILABLE(TK_Matrix, getModellingMatrixHandler)
DWF_MODEL_UNAVAILABLE(TK_Rendering_Options, getRenderingOptionsHandler)
DWF_MODEL_UNAVAILABLE(TK_Selectability, getSelectabilityHandler)
DWF_MODEL_UNAVAILABLE(TK_Enumerated, getTextAlignmentHandler)
DWF_MODEL_UNAVAILABLE(TK_Text_Font, getTextFontHandler)
DWF_MODEL_UNAVAILABLE(TK_Point, getTextPathHandler)
DWF_MODEL_UNAVAILABLE(TK_Size, getTextSpacingHandler)
DWF_MODEL_UNAVAILABLE(TK_User_Options, getUserOptionsHandler)
DWF_MODEL_UNAVAILABLE(TK_Unicode_Options, getUnicodeOptionsHandler)
DWF_MODEL_UNAVAILABLE(TK_Visibility, getVisibilityHandler)
DWF_MODEL_UNAVAILABLE(TK_Camera, getCameraHandler)
DWF_MODEL_UNAVAILABLE(TK_Camera, getViewHandler)

#undef DWF_MODEL_HANDLER
#undef DWF_MODEL_UNAVAILABLE

void DWFModel::_writeImageRecord(const DWFTexture& texture)
{
    if (texture.name().chars() == 0)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Texture images must be named",
                      "DWFToolkit::DWFModel::addResource");
    }
}

} // namespace DWFToolkit
