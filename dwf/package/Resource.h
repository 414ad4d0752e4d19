#ifndef DWFPACKAGE_RESOURCE_H
#define DWFPACKAGE_RESOURCE_H

#include "dwf/package/XML.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/Owner.h"
#include "dwfcore/String.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace DWFToolkit
{

class DWFPackageReader;
class DWFResourceContainer;

//
// One part of a package other than the manifest, with its metadata and the
// stream that supplies its bytes. Its own properties live in its property
// container base.
//
class DWFResource : public DWFXMLBuildable,
                    public DWFXMLSerializable,
                    public DWFPropertyContainer,
                    public DWFCore::DWFOwnable
{
public:
    static constexpr const char16_t* kRole2DStreamingGraphics = u"2d streaming graphics";
    static constexpr const char16_t* kRole3DStreamingGraphics = u"3d streaming graphics";
    static constexpr const char16_t* kRoleDescriptor = u"descriptor";
    static constexpr const char16_t* kRoleThumbnail = u"thumbnail";
    static constexpr const char16_t* kRole2DVectorOverlay = u"2d vector overlay";
    static constexpr const char16_t* kRole2DVectorMarkup = u"2d vector markup";
    static constexpr const char16_t* kRoleRMLMarkup = u"RML markup";
    static constexpr const char16_t* kRolePreview = u"preview";
    static constexpr const char16_t* kRoleOverlayPreview = u"overlay preview";
    static constexpr const char16_t* kRoleMarkupPreview = u"markup preview";
    static constexpr const char16_t* kRoleRasterOverlay = u"raster overlay";
    static constexpr const char16_t* kRoleRasterMarkup = u"raster markup";
    static constexpr const char16_t* kRoleFont = u"font";
    static constexpr const char16_t* kRoleMetadata = u"metadata";
    static constexpr const char16_t* kRolePackageSignature = u"package signature";
    static constexpr const char16_t* kRoleSectionSignature = u"section signature";
    static constexpr const char16_t* kRoleFilesetSignature = u"fileset signature";
    static constexpr const char16_t* kRoleObjectDefinition = u"object definition";
    static constexpr const char16_t* kRoleMarkupObjectDefinition = u"markup object definition";
    static constexpr const char16_t* kRoleTexture = u"texture";

    // For reading: the resource later fetches its bytes from `reader` (not owned).
    explicit DWFResource(DWFPackageReader* reader = nullptr);
    DWFResource(const DWFCore::DWFString& title, const DWFCore::DWFString& role,
                const DWFCore::DWFString& mime,
                const DWFCore::DWFString& href = DWFCore::DWFString());
    // Tells the containers that index this resource, then releases everything.
    ~DWFResource() override;

    DWFResource(const DWFResource&) = delete;
    DWFResource& operator=(const DWFResource&) = delete;

    std::int32_t size() const noexcept { return _size; }
    const DWFCore::DWFString& title() const noexcept { return _title; }
    const DWFCore::DWFString& role() const noexcept { return _role; }
    const DWFCore::DWFString& mime() const noexcept { return _mime; }
    const DWFCore::DWFString& href() const noexcept { return _href; }
    // The entry name inside the package, assigned when the manifest is written.
    const DWFCore::DWFString& zipPath() const noexcept { return _zipPath; }
    const DWFCore::DWFString& objectID() const noexcept { return _objectID; }
    const DWFCore::DWFString& parentObjectID() const noexcept { return _parentObjectID; }
    DWFPackageReader* packageReader() const noexcept { return _reader; }

    void setTitle(const DWFCore::DWFString& title) { _title = title; }
    void setRole(const DWFCore::DWFString& role) { _role = role; }
    void setMIME(const DWFCore::DWFString& mime) { _mime = mime; }
    void setHREF(const DWFCore::DWFString& href) { _href = href; }
    void setObjectID(const DWFCore::DWFString& objectID) { _objectID = objectID; }

    //
    // Takes ownership of `stream` until getInputStream hands it out. A byte
    // count of 0 takes the size from the stream (at most 2^31 - 1 bytes).
    //
    void setInputStream(DWFCore::DWFInputStream* stream, std::size_t bytes = 0);

    //
    // The resource's bytes as a stream the caller owns: the stream that was
    // set (only once), else the package reader's stream for the href, else null.
    //
    virtual DWFCore::DWFInputStream* getInputStream(bool cache = false);

    // The parent object id becomes the parent's object id (empty for null).
    void setParentResource(const DWFResource* parent);

    void parseAttributeList(const char** attributes) override;
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

protected:
    // The attribute "href" as written: the zip path once assigned, else the href.
    const DWFCore::DWFString& _writtenHREF() const noexcept;
    // True for the object definition roles, whose properties are not listed.
    bool _isObjectDefinition() const noexcept;

private:
    friend class DWFResourceContainer;

    std::int32_t _size = 0;
    DWFCore::DWFString _title;
    DWFCore::DWFString _role;
    DWFCore::DWFString _mime;
    DWFCore::DWFString _href;
    DWFCore::DWFString _zipPath;
    DWFCore::DWFString _objectID;
    DWFCore::DWFString _parentObjectID;
    std::unique_ptr<DWFCore::DWFInputStream> _stream;
    DWFPackageReader* _reader = nullptr;
};

} // namespace DWFToolkit

#endif
