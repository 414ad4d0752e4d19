// The model's handler getters: each hands out the toolkit's own handler for one
// opcode, wired to the model's stream writer.
#include "dwf/publisher/model/Model.h"

#include "dwf/publisher/Texture.h"
#include "dwf/w3dtk/geometry/poly_cylinder.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/camera.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/image.h"
#include "dwf/w3dtk/records/lights.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/nurbs_surface.h"
#include "dwf/w3dtk/records/point.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/rendering_options.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/solids.h"
#include "dwf/w3dtk/records/text.h"
#include "dwf/w3dtk/records/text_font.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/user_options.h"
#include "dwf/w3dtk/records/visibility.h"
#include "dwf/w3dtk/records/w3d_image.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwfcore/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

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

// A light: once one is asked for, the model no longer reports default
// lighting unless it was opened with it.
#define DWF_MODEL_LIGHT(Class, getter, opcode)                                                     \
    Class& DWFModel::getter()                                                                      \
    {                                                                                              \
        Class& handler = _handler<Class>(opcode, "DWFToolkit::DWFModel::" #getter);                \
        _lightsUsed = true;                                                                        \
        return handler;                                                                            \
    }

// ---- segments
DWF_MODEL_HANDLER(TK_Close_Segment, getCloseSegmentHandler, ')')
DWF_MODEL_HANDLER(TK_Open_Segment, getOpenSegmentHandler, '(')
DWF_MODEL_HANDLER(TK_Referenced_Segment, getIncludeSegmentHandler, '<')
DWF_MODEL_HANDLER(TK_Referenced_Segment, getStyleSegmentHandler, '{')

// ---- geometry
DWF_MODEL_LIGHT(TK_Area_Light, getAreaLightHandler, 'a')
DWF_MODEL_HANDLER(TK_Circle, getCircleHandler, 'C')
DWF_MODEL_HANDLER(TK_Circle, getCircularArcHandler, 'c')
DWF_MODEL_HANDLER(TK_Circle, getCircularChordHandler, '\\')
DWF_MODEL_HANDLER(TK_Circle, getCircularWedgeHandler, 'w')
DWF_MODEL_HANDLER(TK_Cutting_Plane, getCuttingPlaneHandler, '/')
DWF_MODEL_LIGHT(TK_Point, getDistantLightHandler, 'd')
DWF_MODEL_HANDLER(TK_Ellipse, getEllipseHandler, 'E')
DWF_MODEL_HANDLER(TK_Ellipse, getEllipticalArcHandler, 'e')
DWF_MODEL_HANDLER(TK_Image, getImageHandler, 'i')
DWF_MODEL_HANDLER(TK_Line, getLineHandler, 'l')
DWF_MODEL_LIGHT(TK_Point, getLocalLightHandler, '.')
DWF_MODEL_HANDLER(TK_NURBS_Curve, getNURBSCurveHandler, 'N')
DWF_MODEL_HANDLER(TK_NURBS_Surface, getNURBSSurfaceHandler, 'A')
DWF_MODEL_HANDLER(TK_PolyCylinder, getPolyCylinderHandler, 'Q')
DWF_MODEL_HANDLER(TK_Polypoint, getPolygonHandler, 'G')
DWF_MODEL_HANDLER(TK_Polypoint, getPolylineHandler, 'L')
DWF_MODEL_LIGHT(TK_Spot_Light, getSpotLightHandler, '^')
DWF_MODEL_HANDLER(TK_Text, getTextHandler, 'T')
DWF_MODEL_HANDLER(TK_Text, getTextWithEncodingHandler, 'x')

TK_Shell& DWFModel::getShellHandler(bool triangleStrips, bool disableOptimization)
{
    TK_Shell& shell = _handler<TK_Shell>('S', "DWFToolkit::DWFModel::getShellHandler");
    // Compression as the model's write options say; with them the face list
    // is plain unless the caller gives strips.
    shell.InitSubop(_toolkit, 0, true);
    if (triangleStrips)
    {
        shell.SetSubop(shell.GetSubop() | TK_Polyhedron::Subop_Triangle_Strips);
    }
    // Only vertices that coincide exactly are merged.
    shell.SetTolerances(0.0, 0.0, 0.0);
    shell.SetOptimize(!disableOptimization);
    return shell;
}

// ---- features
DWF_MODEL_HANDLER(TK_Texture, getTextureHandler, 't')
DWF_MODEL_HANDLER(TK_Matrix, getTextureMatrixHandler, '$')

// ---- attributes
DWF_MODEL_HANDLER(TK_Color, getColorHandler, '"')
DWF_MODEL_HANDLER(TK_Color_Map, getColorMapHandler, 0x0C)
DWF_MODEL_HANDLER(TK_Color_RGB, getColorRGBHandler, '~')
DWF_MODEL_HANDLER(TK_Linear_Pattern, getEdgePatternHandler, 0x0D)
DWF_MODEL_HANDLER(TK_Size, getEdgeWeightHandler, 0x0E)
DWF_MODEL_HANDLER(TK_Enumerated, getFacePatternHandler, 'P')
DWF_MODEL_HANDLER(TK_Enumerated, getHandednessHandler, 'h')
DWF_MODEL_HANDLER(TK_Heuristics, getHeuristicsHandler, 'H')
DWF_MODEL_HANDLER(TK_Linear_Pattern, getLinePatternHandler, '-')
DWF_MODEL_HANDLER(TK_Size, getLineWeightHandler, '=')
DWF_MODEL_HANDLER(TK_Size, getMarkerSizeHandler, '+')
DWF_MODEL_HANDLER(TK_Enumerated, getMarkerSymbolHandler, 0x40)
DWF_MODEL_HANDLER(TK_Matrix, getModellingMatrixHandler, '%')
DWF_MODEL_HANDLER(TK_Rendering_Options, getRenderingOptionsHandler, 'R')
DWF_MODEL_HANDLER(TK_Selectability, getSelectabilityHandler, '!')
DWF_MODEL_HANDLER(TK_Enumerated, getTextAlignmentHandler, '*')
DWF_MODEL_HANDLER(TK_Text_Font, getTextFontHandler, 'F')
DWF_MODEL_HANDLER(TK_Point, getTextPathHandler, '|')
DWF_MODEL_HANDLER(TK_Size, getTextSpacingHandler, ' ')
DWF_MODEL_HANDLER(TK_User_Options, getUserOptionsHandler, 'U')
DWF_MODEL_HANDLER(TK_Unicode_Options, getUnicodeOptionsHandler, 0x16)
DWF_MODEL_HANDLER(TK_Visibility, getVisibilityHandler, 'V')
DWF_MODEL_HANDLER(TK_Camera, getCameraHandler, '>')
DWF_MODEL_HANDLER(TK_Camera, getViewHandler, '}')

#undef DWF_MODEL_HANDLER
#undef DWF_MODEL_LIGHT

namespace
{
// A size in pixels as the image record's 32-bit integer: truncated toward
// zero, clamped to the integer's range, and 0 for NaN.
int pixelCount(double value)
{
    if (std::isnan(value))
    {
        return 0;
    }
    double const limited = std::clamp(value, double(INT32_MIN), double(INT32_MAX));
    return static_cast<int>(limited);
}
} // namespace

void DWFModel::_writeImageRecord(const DWFTexture& texture)
{
    if (texture.name().chars() == 0)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Texture images must be named",
                      "DWFToolkit::DWFModel::addResource");
    }
    // Without an open stream there is nowhere for the record to go: before
    // the first open, or after close, which ended the stream.
    if (!_open)
    {
        return;
    }
    std::unique_ptr<W3D_Image> image(new W3D_Image);
    image->SetName(texture.name().toUTF8().c_str());
    image->SetSize(pixelCount(texture.width()), pixelCount(texture.height()));
    image->SetBitDepth(texture.colorDepth());
    _serializeOwn(*image);
}

} // namespace DWFToolkit
