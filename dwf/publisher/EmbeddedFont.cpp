#include "dwf/publisher/EmbeddedFont.h"

#include "dwfcore/Exception.h"

namespace DWFToolkit
{

DWFEmbeddedFontImpl::~DWFEmbeddedFontImpl() = default;

DWFEmbeddedFont::DWFEmbeddedFont(DWFEmbeddedFontImpl* implementation) : _impl(implementation) {}

DWFEmbeddedFont::~DWFEmbeddedFont()
{
    delete _impl;
}

DWFEmbeddedFontImpl& DWFEmbeddedFont::_implementation(const char* function)
{
    if (_impl == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No implementation provided", function);
    }
    return *_impl;
}

void DWFEmbeddedFont::embed()
{
    _implementation("DWFToolkit::DWFEmbeddedFont::embed").embed();
}

DWFCore::DWFInputStream* DWFEmbeddedFont::getInputStream()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getInputStream").getInputStream();
}

const DWFCore::DWFString& DWFEmbeddedFont::getFaceName()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getFaceName").getFaceName();
}

const DWFCore::DWFString& DWFEmbeddedFont::getLogfontName()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getLogfontName").getLogfontName();
}

std::int32_t DWFEmbeddedFont::getRequest()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getRequest").getRequest();
}

DWFFontResource::tePrivilege DWFEmbeddedFont::getPrivilege()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getPrivilege").getPrivilege();
}

DWFFontResource::teCharacterCode DWFEmbeddedFont::getCharacterCode()
{
    return _implementation("DWFToolkit::DWFEmbeddedFont::getCharacterCode").getCharacterCode();
}

} // namespace DWFToolkit
