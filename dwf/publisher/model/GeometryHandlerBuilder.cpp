#include "dwf/publisher/model/GeometryHandlerBuilder.h"

#include "dwfcore/Exception.h"

namespace DWFToolkit
{

namespace
{
[[noreturn]] void notAvailable(const char* function)
{
    DWFCORE_THROW(DWFNotImplementedException, u"Handler not available in this builder", function);
}
} // namespace

DWFGeometryHandlerBuilder::~DWFGeometryHandlerBuilder() = default;

TK_Area_Light& DWFGeometryHandlerBuilder::getAreaLightHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getAreaLightHandler");
}

TK_Circle& DWFGeometryHandlerBuilder::getCircleHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getCircleHandler");
}

TK_Circle& DWFGeometryHandlerBuilder::getCircularArcHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getCircularArcHandler");
}

TK_Circle& DWFGeometryHandlerBuilder::getCircularChordHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getCircularChordHandler");
}

TK_Circle& DWFGeometryHandlerBuilder::getCircularWedgeHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getCircularWedgeHandler");
}

TK_Cutting_Plane& DWFGeometryHandlerBuilder::getCuttingPlaneHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getCuttingPlaneHandler");
}

TK_Point& DWFGeometryHandlerBuilder::getDistantLightHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getDistantLightHandler");
}

TK_Ellipse& DWFGeometryHandlerBuilder::getEllipseHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getEllipseHandler");
}

TK_Ellipse& DWFGeometryHandlerBuilder::getEllipticalArcHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getEllipticalArcHandler");
}

TK_Image& DWFGeometryHandlerBuilder::getImageHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getImageHandler");
}

TK_Line& DWFGeometryHandlerBuilder::getLineHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getLineHandler");
}

TK_Point& DWFGeometryHandlerBuilder::getLocalLightHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getLocalLightHandler");
}

TK_NURBS_Curve& DWFGeometryHandlerBuilder::getNURBSCurveHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getNURBSCurveHandler");
}

TK_NURBS_Surface& DWFGeometryHandlerBuilder::getNURBSSurfaceHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getNURBSSurfaceHandler");
}

TK_PolyCylinder& DWFGeometryHandlerBuilder::getPolyCylinderHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getPolyCylinderHandler");
}

TK_Polypoint& DWFGeometryHandlerBuilder::getPolygonHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getPolygonHandler");
}

TK_Polypoint& DWFGeometryHandlerBuilder::getPolylineHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getPolylineHandler");
}

TK_Shell& DWFGeometryHandlerBuilder::getShellHandler(bool, bool)
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getShellHandler");
}

TK_Spot_Light& DWFGeometryHandlerBuilder::getSpotLightHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getSpotLightHandler");
}

TK_Text& DWFGeometryHandlerBuilder::getTextHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getTextHandler");
}

TK_Text& DWFGeometryHandlerBuilder::getTextWithEncodingHandler()
{
    notAvailable("DWFToolkit::DWFGeometryHandlerBuilder::getTextWithEncodingHandler");
}

} // namespace DWFToolkit
