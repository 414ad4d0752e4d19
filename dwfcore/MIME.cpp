#include "dwfcore/MIME.h"

#include "dwfcore/Exception.h"
#include "dwfcore/Pointer.h"
#include "dwfcore/SkipList.h"

#include <memory>

namespace DWFCore
{

namespace
{

struct MIMEEntry
{
    const char16_t* type;
    const char16_t* extension;
};

constexpr MIMEEntry kTable[] = {
    {u"model/vnd.dwf", u"dwf"},
    {u"application/x-dwf", u"dwf"},
    {u"drawing/x-dwf", u"dwf"},
    {u"application/x-w2d", u"w2d"},
    {u"application/x-w3d", u"w3d"},
    {u"application/x-dsd", u"dsd"},
    {u"application/x-dwg-state", u"pia"},
    {u"image/png", u"png"},
    {u"image/jpeg", u"jpg"},
    {u"text/plain", u"txt"},
    {u"text/xml", u"xml"},
    {u"application/x-font", u"ef_"},
};

using ExtensionMap = DWFWCharKeySkipList<const char16_t*>;

// Built on first use and released when the program ends.
DWFPointer<ExtensionMap> extensions;

} // namespace

const char16_t* DWFMIME::GetExtension(const char16_t* mimeType)
{
    if (extensions.isNull())
    {
        _Build();
    }
    const char16_t** extension = extensions->find(mimeType);
    return extension == nullptr ? nullptr : *extension;
}

void DWFMIME::_Build()
{
    std::unique_ptr<ExtensionMap> map(new (std::nothrow) ExtensionMap);
    if (!map)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate object", "DWFCore::DWFMIME::_Build");
    }
    for (const MIMEEntry& entry : kTable)
    {
        map->insert(entry.type, entry.extension, true);
    }
    extensions.reset(map.release());
}

} // namespace DWFCore
