#ifndef DWFPACKAGE_TOOLKITMEMORY_H
#define DWFPACKAGE_TOOLKITMEMORY_H

namespace DWFToolkit
{

//
// Common (empty) base of the package classes. Allocation behaviour comes from
// the core classes that package objects also derive from; this base only marks
// a class as part of the package layer.
//
class DWFToolkitMemory
{
};

} // namespace DWFToolkit

#endif
