#include "dwf/publisher/Publishable.h"

#include "dwfcore/Exception.h"

namespace DWFToolkit
{

DWFPublishable::~DWFPublishable() = default;

void DWFPublishableSection::embedFont(DWFEmbeddedFont*)
{
    DWFCORE_THROW(DWFNotImplementedException, u"Font embedding not supported by this object",
                  "DWFToolkit::DWFPublishableSection::embedFont");
}

void DWFPublishableSection::addResource(DWFPublishableResource*)
{
    DWFCORE_THROW(DWFNotImplementedException,
                  u"Additional resources are not supported by this object",
                  "DWFToolkit::DWFPublishableSection::addResource");
}

DWFCore::DWFIterator<DWFPublishableResource*>* DWFPublishableSection::getResources()
{
    DWFCORE_THROW(DWFNotImplementedException,
                  u"Additional resources are not supported by this object",
                  "DWFToolkit::DWFPublishableSection::getResources");
}

} // namespace DWFToolkit
