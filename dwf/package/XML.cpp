#include "dwf/package/XML.h"

namespace DWFToolkit
{

DWFXMLSerializable::DWFXMLSerializable(const DWFCore::DWFString& defaultNamespace)
    : _defaultNamespace(defaultNamespace)
{
}

DWFCore::DWFString DWFXMLSerializable::namespaceXML(unsigned int flags) const
{
    if (flags & eEPlot)
    {
        return DWFCore::DWFString(u"ePlot:");
    }
    if (flags & eEModel)
    {
        return DWFCore::DWFString(u"eModel:");
    }
    if (_defaultNamespace.chars() == 0)
    {
        return DWFCore::DWFString(u"dwf:");
    }
    return _defaultNamespace;
}

void DWFXMLSerializable::setDefaultNamespace(const DWFCore::DWFString& defaultNamespace)
{
    _defaultNamespace = defaultNamespace;
}

} // namespace DWFToolkit
