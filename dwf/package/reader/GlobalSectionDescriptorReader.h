#ifndef DWFPACKAGE_READER_GLOBALSECTIONDESCRIPTORREADER_H
#define DWFPACKAGE_READER_GLOBALSECTIONDESCRIPTORREADER_H

#include "dwf/package/reader/SectionDescriptorReader.h"

#include <vector>

namespace DWFToolkit
{

class DWFBookmark;

//
// Reads a global section's descriptor (root "Global"): its attributes,
// properties, resources and bookmark tree. The tree is provided whole, as
// its root, when the root "Bookmark" element ends; bookmarks nested deeper
// than kMaximumNesting are left out.
//
class DWFGlobalSectionDescriptorReader : public DWFSectionDescriptorReader
{
public:
    enum : std::uint32_t
    {
        eProvideName = 1,
        eProvideVersion = 2,
        eProvideProperties = 16,
        eProvideResources = 32,
        eProvideBookmarks = 64,
        eProvideResource = 128,
        eProvideFontResource = 256,
        eProvideGraphicResource = 512,
        eProvideImageResource = 1024,
        eProvideAll = 0xFFF
    };

    explicit DWFGlobalSectionDescriptorReader(DWFPackageReader* packageReader = nullptr,
                                              std::uint32_t provideMask = eProvideAll);
    ~DWFGlobalSectionDescriptorReader() override;

    // Sees every value before this reader does (not owned).
    void setProvideFilter(DWFGlobalSectionDescriptorReader* filter) noexcept
    {
        _setProvideFilter(filter);
    }

    virtual DWFBookmark* provideBookmark(DWFBookmark* root);

protected:
    void _provideAttributes(const char** attributes) override;
    void _startElement(const char* localName, const char** attributes, unsigned int depth) override;
    void _endElement(const char* localName, unsigned int depth) override;

private:
    // The tree being read; _open[i] is the open bookmark element at depth i + 1.
    DWFBookmark* _root = nullptr;
    std::vector<DWFBookmark*> _open;
};

} // namespace DWFToolkit

#endif
