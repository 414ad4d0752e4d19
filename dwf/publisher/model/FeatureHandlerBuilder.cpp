#include "dwf/publisher/model/FeatureHandlerBuilder.h"

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

DWFFeatureHandlerBuilder::~DWFFeatureHandlerBuilder() = default;

TK_Texture& DWFFeatureHandlerBuilder::getTextureHandler()
{
    notAvailable("DWFToolkit::DWFFeatureHandlerBuilder::getTextureHandler");
}

TK_Matrix& DWFFeatureHandlerBuilder::getTextureMatrixHandler()
{
    notAvailable("DWFToolkit::DWFFeatureHandlerBuilder::getTextureMatrixHandler");
}

} // namespace DWFToolkit
