#include "dwf/package/reader/PackageReader.h"

#include "dwf/package/Section.h"
#include "dwfcore/Exception.h"

#include <new>

namespace DWFToolkit
{

DWFSectionBuilder& DWFPackageReader::getSectionBuilder()
{
    _makeSectionBuilder();
    return *_sectionBuilder;
}

void DWFPackageReader::_makeSectionBuilder()
{
    if (_sectionBuilder)
    {
        return;
    }
    _sectionBuilder.reset(new (std::nothrow) DWFSectionBuilder);
    if (!_sectionBuilder)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate section builder",
                      "DWFToolkit::DWFPackageReader::_makeSectionBuilder");
    }
    // A reader knows every section kind this library builds.
    DWFSection::RegisterFactories(*_sectionBuilder);
}

} // namespace DWFToolkit
