#include "dwf/package/reader/PackageReader.h"

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
}

} // namespace DWFToolkit
