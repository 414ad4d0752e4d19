#ifndef DWFPACKAGE_READER_PACKAGEREADER_H
#define DWFPACKAGE_READER_PACKAGEREADER_H

#include "dwf/package/ToolkitMemory.h"
#include "dwf/package/reader/SectionBuilder.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/String.h"

#include <memory>

namespace DWFToolkit
{

//
// Source of the bytes of a package that is being read. Resources built from
// its documents fetch their data through it by href, and its section
// builder makes the sections its manifest lists.
//
class DWFPackageReader : public DWFToolkitMemory
{
public:
    virtual ~DWFPackageReader() = default;

    //
    // A new stream over the data stored under `href` (the caller owns it), or
    // null when the package holds no such data. `cache` asks the reader to
    // keep the bytes for later requests.
    //
    virtual DWFCore::DWFInputStream* getInputStream(const DWFCore::DWFString& href, bool cache) = 0;

    // The reader's section builder, made on first use.
    DWFSectionBuilder& getSectionBuilder();

protected:
    // Makes the section builder, once, with the factories of the section kinds.
    void _makeSectionBuilder();

    std::unique_ptr<DWFSectionBuilder> _sectionBuilder;
};

} // namespace DWFToolkit

#endif
