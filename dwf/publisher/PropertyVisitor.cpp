#include "dwf/publisher/PropertyVisitor.h"

namespace DWFToolkit
{

DWFPropertyVisitor::~DWFPropertyVisitor() = default;

void DWFPropertyVisitor::visitProperty(DWFProperty& property)
{
    if (_chained != nullptr)
    {
        _chained->visitProperty(property);
    }
}

void DWFPropertyVisitor::visitPropertyContainer(DWFPropertyContainer& container)
{
    if (_chained != nullptr)
    {
        _chained->visitPropertyContainer(container);
    }
}

} // namespace DWFToolkit
