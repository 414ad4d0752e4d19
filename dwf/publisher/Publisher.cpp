#include "dwf/publisher/Publisher.h"

namespace DWFToolkit
{

DWFPublisher::~DWFPublisher() = default;

void DWFPublisher::publish() {}

DWFPublishedObject::Visitor* DWFPublisher::getPublishedObjectVisitor()
{
    return _objectVisitor;
}

DWFPropertyVisitor* DWFPublisher::getPropertyVisitor()
{
    return _propertyVisitor;
}

DWFEmbeddedFontVisitor* DWFPublisher::getEmbeddedFontVisitor()
{
    return _fontVisitor;
}

void DWFPublisher::preprocess(DWFPublishable*) {}

void DWFPublisher::postprocess(DWFPublishable*) {}

} // namespace DWFToolkit
