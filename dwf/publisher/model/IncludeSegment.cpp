#include "dwf/publisher/model/IncludeSegment.h"

namespace DWFToolkit
{

const char16_t* const DWFIncludeSegment::kLibraryPath = u"?Include Library/";

DWFIncludeSegment::DWFIncludeSegment(DWFSegmentHandlerBuilder* segmentBuilder,
                                     DWFGeometryHandlerBuilder* geometryBuilder,
                                     DWFFeatureHandlerBuilder* featureBuilder,
                                     DWFAttributeHandlerBuilder* attributeBuilder,
                                     DWFPublishedObject::Factory* factory)
    : DWFSegment(segmentBuilder, geometryBuilder, featureBuilder, attributeBuilder, factory,
                 nullptr)
{
    _setPathPrefix(kLibraryPath);
}

void DWFIncludeSegment::open(const DWFCore::DWFString& name, bool)
{
    DWFSegment::open(name, false);
    publishedObject()->setIncluded(true);
}

void DWFIncludeSegment::open(const DWFCore::DWFString* name, bool)
{
    open(name != nullptr ? *name : DWFCore::DWFString(), false);
}

} // namespace DWFToolkit
