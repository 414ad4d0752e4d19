#ifndef DWFPUBLISHER_MODEL_ATTRIBUTEHANDLERBUILDER_H
#define DWFPUBLISHER_MODEL_ATTRIBUTEHANDLERBUILDER_H

class TK_Camera;
class TK_Color;
class TK_Color_Map;
class TK_Color_RGB;
class TK_Enumerated;
class TK_Heuristics;
class TK_Linear_Pattern;
class TK_Matrix;
class TK_Point;
class TK_Rendering_Options;
class TK_Selectability;
class TK_Size;
class TK_Text_Font;
class TK_Unicode_Options;
class TK_User_Options;
class TK_Visibility;

namespace DWFToolkit
{

//
// Hands out the W3D handlers of attributes, options and views.
// A caller fills the handler it gets and serializes it, which appends the
// record to the stream the handler reports to; the handler stays with the
// builder. Every getter of this base throws DWFNotImplementedException
// "Handler not available in this builder".
//
class DWFAttributeHandlerBuilder
{
public:
    virtual ~DWFAttributeHandlerBuilder();

    virtual TK_Color& getColorHandler();
    virtual TK_Color_Map& getColorMapHandler();
    virtual TK_Color_RGB& getColorRGBHandler();
    virtual TK_Linear_Pattern& getEdgePatternHandler();
    virtual TK_Size& getEdgeWeightHandler();
    virtual TK_Enumerated& getFacePatternHandler();
    virtual TK_Enumerated& getHandednessHandler();
    virtual TK_Heuristics& getHeuristicsHandler();
    virtual TK_Linear_Pattern& getLinePatternHandler();
    virtual TK_Size& getLineWeightHandler();
    virtual TK_Size& getMarkerSizeHandler();
    virtual TK_Enumerated& getMarkerSymbolHandler();
    virtual TK_Matrix& getModellingMatrixHandler();
    virtual TK_Rendering_Options& getRenderingOptionsHandler();
    virtual TK_Selectability& getSelectabilityHandler();
    virtual TK_Enumerated& getTextAlignmentHandler();
    virtual TK_Text_Font& getTextFontHandler();
    virtual TK_Point& getTextPathHandler();
    virtual TK_Size& getTextSpacingHandler();
    virtual TK_User_Options& getUserOptionsHandler();
    virtual TK_Unicode_Options& getUnicodeOptionsHandler();
    virtual TK_Visibility& getVisibilityHandler();
    virtual TK_Camera& getCameraHandler();
    virtual TK_Camera& getViewHandler();
};

} // namespace DWFToolkit

#endif
