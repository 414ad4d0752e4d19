#ifndef DWFPACKAGE_DEPENDENCY_H
#define DWFPACKAGE_DEPENDENCY_H

#include "dwf/package/XML.h"

namespace DWFToolkit
{

// A manifest "Dependency" entry; it carries nothing the package model uses.
class DWFDependency : public DWFXMLBuildable
{
public:
    void parseAttributeList(const char**) override {}
};

} // namespace DWFToolkit

#endif
