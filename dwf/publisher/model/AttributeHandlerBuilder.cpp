#include "dwf/publisher/model/AttributeHandlerBuilder.h"

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

DWFAttributeHandlerBuilder::~DWFAttributeHandlerBuilder() = default;

TK_Color& DWFAttributeHandlerBuilder::getColorHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getColorHandler");
}

TK_Color_Map& DWFAttributeHandlerBuilder::getColorMapHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getColorMapHandler");
}

TK_Color_RGB& DWFAttributeHandlerBuilder::getColorRGBHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getColorRGBHandler");
}

TK_Linear_Pattern& DWFAttributeHandlerBuilder::getEdgePatternHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getEdgePatternHandler");
}

TK_Size& DWFAttributeHandlerBuilder::getEdgeWeightHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getEdgeWeightHandler");
}

TK_Enumerated& DWFAttributeHandlerBuilder::getFacePatternHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getFacePatternHandler");
}

TK_Enumerated& DWFAttributeHandlerBuilder::getHandednessHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getHandednessHandler");
}

TK_Heuristics& DWFAttributeHandlerBuilder::getHeuristicsHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getHeuristicsHandler");
}

TK_Linear_Pattern& DWFAttributeHandlerBuilder::getLinePatternHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getLinePatternHandler");
}

TK_Size& DWFAttributeHandlerBuilder::getLineWeightHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getLineWeightHandler");
}

TK_Size& DWFAttributeHandlerBuilder::getMarkerSizeHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getMarkerSizeHandler");
}

TK_Enumerated& DWFAttributeHandlerBuilder::getMarkerSymbolHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getMarkerSymbolHandler");
}

TK_Matrix& DWFAttributeHandlerBuilder::getModellingMatrixHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getModellingMatrixHandler");
}

TK_Rendering_Options& DWFAttributeHandlerBuilder::getRenderingOptionsHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getRenderingOptionsHandler");
}

TK_Selectability& DWFAttributeHandlerBuilder::getSelectabilityHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getSelectabilityHandler");
}

TK_Enumerated& DWFAttributeHandlerBuilder::getTextAlignmentHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getTextAlignmentHandler");
}

TK_Text_Font& DWFAttributeHandlerBuilder::getTextFontHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getTextFontHandler");
}

TK_Point& DWFAttributeHandlerBuilder::getTextPathHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getTextPathHandler");
}

TK_Size& DWFAttributeHandlerBuilder::getTextSpacingHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getTextSpacingHandler");
}

TK_User_Options& DWFAttributeHandlerBuilder::getUserOptionsHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getUserOptionsHandler");
}

TK_Unicode_Options& DWFAttributeHandlerBuilder::getUnicodeOptionsHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getUnicodeOptionsHandler");
}

TK_Visibility& DWFAttributeHandlerBuilder::getVisibilityHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getVisibilityHandler");
}

TK_Camera& DWFAttributeHandlerBuilder::getCameraHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getCameraHandler");
}

TK_Camera& DWFAttributeHandlerBuilder::getViewHandler()
{
    notAvailable("DWFToolkit::DWFAttributeHandlerBuilder::getViewHandler");
}

} // namespace DWFToolkit
