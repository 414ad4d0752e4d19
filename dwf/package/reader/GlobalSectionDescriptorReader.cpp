#include "dwf/package/reader/GlobalSectionDescriptorReader.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/Bookmark.h"
#include "dwf/package/reader/ElementName.h"

#include <memory>

namespace DWFToolkit
{

using DWFElementName::Is;

namespace
{

const unsigned int kPrefixes = DWFElementName::eDWF | DWFElementName::eCommon |
                               DWFElementName::eEPlot | DWFElementName::eEModel;

} // namespace

DWFGlobalSectionDescriptorReader::DWFGlobalSectionDescriptorReader(DWFPackageReader* packageReader,
                                                                   std::uint32_t provideMask)
    : DWFSectionDescriptorReader(packageReader, 0xFF, provideMask,
                                 Bits{"Global", kPrefixes, eProvideProperties, eProvideResources,
                                      eProvideResource, eProvideFontResource,
                                      eProvideGraphicResource, eProvideImageResource})
{
}

DWFGlobalSectionDescriptorReader::~DWFGlobalSectionDescriptorReader()
{
    delete _root;
}

void DWFGlobalSectionDescriptorReader::_provideAttributes(const char** attributes)
{
    // Bits 4 and 8 belong to no item here but still open the root's attributes.
    if ((_mask & (eProvideName | eProvideVersion | 4 | 8)) == 0)
    {
        return;
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFElementName::Local(attributes[i], kPrefixes);
        const char* value = attributes[i + 1];
        _forwardNameOrVersion(name, value, once);
    }
}

void DWFGlobalSectionDescriptorReader::_startElement(const char* local, const char** attributes,
                                                     unsigned int depth)
{
    if (!(_mask & eProvideBookmarks) || !Is(local, "Bookmark"))
    {
        return;
    }
    if (depth == 1)
    {
        delete _root;
        _root = nullptr;
        _open.clear();
        _root = _builder().buildBookmark(attributes);
        if (_root)
        {
            _open.push_back(_root);
            _mode = eProvideBookmarks;
        }
        return;
    }
    // A bookmark belongs to the bookmark element directly around it; one
    // under any other element, or too deep, is left out.
    if (_mode != eProvideBookmarks || _open.size() != depth - 1 || depth > kMaximumNesting)
    {
        return;
    }
    std::unique_ptr<DWFBookmark> bookmark(_builder().buildBookmark(attributes));
    if (bookmark)
    {
        DWFBookmark* const added = bookmark.get();
        _open.back()->addChildBookmark(bookmark.release());
        _open.push_back(added);
    }
}

void DWFGlobalSectionDescriptorReader::_endElement(const char*, unsigned int depth)
{
    if (depth >= 2 && _open.size() >= depth)
    {
        _open.resize(depth - 1);
        return;
    }
    if (depth == 1 && _root)
    {
        _open.clear();
        DWFBookmark* root = _root;
        _root = nullptr;
        DWFGlobalSectionDescriptorReader* const filter =
            static_cast<DWFGlobalSectionDescriptorReader*>(_filter());
        provideBookmark(filter ? filter->provideBookmark(root) : root);
    }
}

DWFBookmark* DWFGlobalSectionDescriptorReader::provideBookmark(DWFBookmark* root)
{
    delete root;
    return nullptr;
}

} // namespace DWFToolkit
