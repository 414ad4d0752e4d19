#include "dwf/package/FontResource.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"

#include <cstring>

namespace DWFToolkit
{

namespace
{

const char16_t* privilegeWord(DWFFontResource::tePrivilege privilege)
{
    switch (privilege)
    {
    case DWFFontResource::ePreviewPrint:
        return u"previewPrint";
    case DWFFontResource::eEditable:
        return u"editable";
    case DWFFontResource::eInstallable:
        return u"installable";
    default:
        return u"noEmbedding";
    }
}

const char16_t* characterCodeWord(DWFFontResource::teCharacterCode code)
{
    switch (code)
    {
    case DWFFontResource::eUnicode:
        return u"unicode";
    case DWFFontResource::eSymbol:
        return u"symbol";
    default:
        return u"glyphIdx";
    }
}

} // namespace

DWFFontResource::DWFFontResource(DWFPackageReader* reader) : DWFResource(reader) {}

DWFFontResource::DWFFontResource(std::int32_t request, tePrivilege privilege,
                                 teCharacterCode characterCode,
                                 const DWFCore::DWFString& canonicalName,
                                 const DWFCore::DWFString& logfontName)
    : DWFResource(DWFCore::DWFString(), kRoleFont, u"application/x-font"), _request(request),
      _privilege(privilege), _characterCode(characterCode), _logfontName(logfontName),
      _canonicalName(canonicalName)
{
}

void DWFFontResource::parseAttributeList(const char** attributes)
{
    DWFResource::parseAttributeList(attributes);

    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "canonicalName") == 0 && once.first(0))
        {
            _canonicalName = value;
        }
        else if (std::strcmp(name, "logfontName") == 0 && once.first(1))
        {
            _logfontName = value;
        }
        else if (std::strcmp(name, "request") == 0 && once.first(2))
        {
            _request = DWFAttributeText::ParseInteger(value);
        }
        else if (std::strcmp(name, "privilege") == 0 && once.first(3))
        {
            if (std::strcmp(value, "previewPrint") == 0)
            {
                _privilege = ePreviewPrint;
            }
            else if (std::strcmp(value, "editable") == 0)
            {
                _privilege = eEditable;
            }
            else if (std::strcmp(value, "installable") == 0)
            {
                _privilege = eInstallable;
            }
            else if (std::strcmp(value, "noEmbedding") == 0)
            {
                _privilege = eNoEmbedding;
            }
        }
        else if (std::strcmp(name, "characterCode") == 0 && once.first(4))
        {
            if (std::strcmp(value, "unicode") == 0)
            {
                _characterCode = eUnicode;
            }
            else if (std::strcmp(value, "symbol") == 0)
            {
                _characterCode = eSymbol;
            }
            else if (std::strcmp(value, "glyphIdx") == 0)
            {
                _characterCode = eGlyphIndex;
            }
        }
    }
}

void DWFFontResource::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if ((flags & eManifest) || !(flags & eDescriptor) || role() == kRoleDescriptor)
    {
        DWFResource::serializeXML(serializer, flags);
        return;
    }

    const bool ownElement = !(flags & eElementOpen);
    if (ownElement)
    {
        serializer.startElement(u"FontResource", namespaceXML(flags));
    }
    DWFResource::serializeXML(serializer, flags | eElementOpen);

    serializer.addAttribute(u"request", DWFFormatInteger(_request));
    serializer.addAttribute(u"privilege", privilegeWord(_privilege));
    serializer.addAttribute(u"characterCode", characterCodeWord(_characterCode));
    serializer.addAttribute(u"logfontName", _logfontName);
    serializer.addAttribute(u"canonicalName", _canonicalName);

    if (ownElement)
    {
        getSerializable().serializeXML(serializer, flags);
        serializer.endElement();
    }
}

} // namespace DWFToolkit
