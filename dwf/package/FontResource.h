#ifndef DWFPACKAGE_FONTRESOURCE_H
#define DWFPACKAGE_FONTRESOURCE_H

#include "dwf/package/Resource.h"

#include <cstdint>

namespace DWFToolkit
{

// An embedded font with what a viewer may do with it.
class DWFFontResource : public DWFResource
{
public:
    enum tePrivilege : std::int32_t
    {
        ePreviewPrint = 1,
        eEditable = 2,
        eInstallable = 3,
        eNoEmbedding = 4
    };

    enum teCharacterCode : std::int32_t
    {
        eUnicode = 1,
        eSymbol = 2,
        eGlyphIndex = 3
    };

    explicit DWFFontResource(DWFPackageReader* reader = nullptr);
    // Role "font", MIME type "application/x-font", empty title and href.
    DWFFontResource(std::int32_t request, tePrivilege privilege, teCharacterCode characterCode,
                    const DWFCore::DWFString& canonicalName, const DWFCore::DWFString& logfontName);

    std::int32_t request() const noexcept { return _request; }
    tePrivilege privilege() const noexcept { return _privilege; }
    teCharacterCode characterCode() const noexcept { return _characterCode; }
    const DWFCore::DWFString& logfontName() const noexcept { return _logfontName; }
    const DWFCore::DWFString& canonicalName() const noexcept { return _canonicalName; }

    void parseAttributeList(const char** attributes) override;
    // A "FontResource" element in descriptor form, else a plain resource.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    std::int32_t _request = 0;
    tePrivilege _privilege = eNoEmbedding;
    teCharacterCode _characterCode = eUnicode;
    DWFCore::DWFString _logfontName;
    DWFCore::DWFString _canonicalName;
};

} // namespace DWFToolkit

#endif
