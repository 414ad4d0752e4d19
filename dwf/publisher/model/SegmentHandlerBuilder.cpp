#include "dwf/publisher/model/SegmentHandlerBuilder.h"

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

DWFSegmentHandlerBuilder::~DWFSegmentHandlerBuilder() = default;

TK_Close_Segment& DWFSegmentHandlerBuilder::getCloseSegmentHandler()
{
    notAvailable("DWFToolkit::DWFSegmentHandlerBuilder::getCloseSegmentHandler");
}

TK_Open_Segment& DWFSegmentHandlerBuilder::getOpenSegmentHandler()
{
    notAvailable("DWFToolkit::DWFSegmentHandlerBuilder::getOpenSegmentHandler");
}

TK_Referenced_Segment& DWFSegmentHandlerBuilder::getIncludeSegmentHandler()
{
    notAvailable("DWFToolkit::DWFSegmentHandlerBuilder::getIncludeSegmentHandler");
}

TK_Referenced_Segment& DWFSegmentHandlerBuilder::getStyleSegmentHandler()
{
    notAvailable("DWFToolkit::DWFSegmentHandlerBuilder::getStyleSegmentHandler");
}

} // namespace DWFToolkit
