#ifndef DWFPUBLISHER_EMBEDDEDFONT_H
#define DWFPUBLISHER_EMBEDDEDFONT_H

#include "dwf/package/FontResource.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/String.h"

#include <cstdint>

namespace DWFToolkit
{

//
// What a font embedding technique supplies: the font's bytes once it is
// embedded, and what its font resource says about it.
//
class DWFEmbeddedFontImpl
{
public:
    virtual ~DWFEmbeddedFontImpl();

    // Prepares the bytes of the font for getInputStream.
    virtual void embed() = 0;
    // A new stream over the embedded bytes, owned by the caller.
    virtual DWFCore::DWFInputStream* getInputStream() = 0;
    virtual const DWFCore::DWFString& getFaceName() = 0;
    virtual const DWFCore::DWFString& getLogfontName() = 0;
    virtual std::int32_t getRequest() = 0;
    virtual DWFFontResource::tePrivilege getPrivilege() = 0;
    virtual DWFFontResource::teCharacterCode getCharacterCode() = 0;
};

//
// A font that a section embeds. A handle that forwards every operation to its
// implementation, which it owns; without one each operation throws
// DWFNullPointerException "No implementation provided".
//
class DWFEmbeddedFont
{
public:
    // Takes ownership of `implementation`, which may be null.
    explicit DWFEmbeddedFont(DWFEmbeddedFontImpl* implementation = nullptr);
    virtual ~DWFEmbeddedFont();

    DWFEmbeddedFont(const DWFEmbeddedFont&) = delete;
    DWFEmbeddedFont& operator=(const DWFEmbeddedFont&) = delete;

    void embed();
    DWFCore::DWFInputStream* getInputStream();
    const DWFCore::DWFString& getFaceName();
    const DWFCore::DWFString& getLogfontName();
    std::int32_t getRequest();
    DWFFontResource::tePrivilege getPrivilege();
    DWFFontResource::teCharacterCode getCharacterCode();

private:
    DWFEmbeddedFontImpl& _implementation(const char* function);

    DWFEmbeddedFontImpl* _impl;
};

} // namespace DWFToolkit

#endif
