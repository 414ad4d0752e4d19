#ifndef DWFPUBLISHER_MODEL_GEOMETRYHANDLERBUILDER_H
#define DWFPUBLISHER_MODEL_GEOMETRYHANDLERBUILDER_H

class TK_Area_Light;
class TK_Circle;
class TK_Cutting_Plane;
class TK_Ellipse;
class TK_Image;
class TK_Line;
class TK_NURBS_Curve;
class TK_NURBS_Surface;
class TK_Point;
class TK_PolyCylinder;
class TK_Polypoint;
class TK_Shell;
class TK_Spot_Light;
class TK_Text;

namespace DWFToolkit
{

//
// Hands out the W3D handlers of geometry and lights.
// A caller fills the handler it gets and serializes it, which appends the
// record to the stream the handler reports to; the handler stays with the
// builder. Every getter of this base throws DWFNotImplementedException
// "Handler not available in this builder".
//
class DWFGeometryHandlerBuilder
{
public:
    virtual ~DWFGeometryHandlerBuilder();

    virtual TK_Area_Light& getAreaLightHandler();
    virtual TK_Circle& getCircleHandler();
    virtual TK_Circle& getCircularArcHandler();
    virtual TK_Circle& getCircularChordHandler();
    virtual TK_Circle& getCircularWedgeHandler();
    virtual TK_Cutting_Plane& getCuttingPlaneHandler();
    virtual TK_Point& getDistantLightHandler();
    virtual TK_Ellipse& getEllipseHandler();
    virtual TK_Ellipse& getEllipticalArcHandler();
    virtual TK_Image& getImageHandler();
    virtual TK_Line& getLineHandler();
    virtual TK_Point& getLocalLightHandler();
    virtual TK_NURBS_Curve& getNURBSCurveHandler();
    virtual TK_NURBS_Surface& getNURBSSurfaceHandler();
    virtual TK_PolyCylinder& getPolyCylinderHandler();
    virtual TK_Polypoint& getPolygonHandler();
    virtual TK_Polypoint& getPolylineHandler();
    // `triangleStrips`: the face list is given as triangle strips;
    // `disableOptimization`: coincident vertices are not merged before writing.
    virtual TK_Shell& getShellHandler(bool triangleStrips, bool disableOptimization);
    virtual TK_Spot_Light& getSpotLightHandler();
    virtual TK_Text& getTextHandler();
    virtual TK_Text& getTextWithEncodingHandler();
};

} // namespace DWFToolkit

#endif
