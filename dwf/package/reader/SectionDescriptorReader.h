#ifndef DWFPACKAGE_READER_SECTIONDESCRIPTORREADER_H
#define DWFPACKAGE_READER_SECTIONDESCRIPTORREADER_H

#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <memory>

namespace DWFToolkit
{

class DWFAttributeOnce;
class DWFFontResource;
class DWFGraphicResource;
class DWFImageResource;
class DWFPackageReader;
class DWFProperty;
class DWFResource;

//
// Common part of the section descriptor readers: the root element's
// attributes, the element builder in use, and the resource list that every
// kind of descriptor carries.
//
// Objects are handed to the provide operations together with their
// ownership. The operations here keep nothing: they free what they receive
// and return null. A class that stores what it is given overrides them and
// returns the stored object. A provide filter, when set, sees every value
// first and its result goes on to the reader's own operation.
//
class DWFSectionDescriptorReader : public DWFXMLCallback
{
public:
    enum : unsigned char
    {
        eProvideRootAttributes = 1
    };

    // Objects nested deeper than this are ignored (bookmark trees).
    static constexpr unsigned int kMaximumNesting = 256;

    DWFSectionDescriptorReader(DWFPackageReader* packageReader, unsigned char rootFlags);
    ~DWFSectionDescriptorReader() override;

    void notifyStartElement(const char* name, const char** attributes) override;
    void notifyEndElement(const char* name) override;
    void notifyStartNamespace(const char*, const char*) override {}
    void notifyEndNamespace(const char*) override {}
    void notifyCharacters(const char*, int) override {}

    // Whether the document's root is acceptable; the readers accept every root.
    virtual bool acceptRootElement(const char* name);

    // The builder that makes the objects of the document (not owned; null restores the own).
    void setElementBuilder(DWFXMLElementBuilder* builder) noexcept;
    // A reader asked first about the root element (not owned).
    void setRootFilter(DWFSectionDescriptorReader* filter) noexcept { _rootFilter = filter; }

    DWFPackageReader* packageReader() const noexcept { return _packageReader; }
    std::uint32_t provideMask() const noexcept { return _mask; }

    virtual DWFCore::DWFString provideName(const DWFCore::DWFString& name);
    virtual double provideVersion(double version);
    virtual DWFProperty* provideProperty(DWFProperty* property);
    virtual DWFResource* provideResource(DWFResource* resource);
    virtual DWFFontResource* provideFontResource(DWFFontResource* resource);
    virtual DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource);
    virtual DWFImageResource* provideImageResource(DWFImageResource* resource);

protected:
    // The mask bits of one kind of descriptor.
    struct Bits
    {
        const char* root;
        unsigned int prefixes;
        std::uint32_t properties;
        std::uint32_t resources;
        std::uint32_t resource;
        std::uint32_t fontResource;
        std::uint32_t graphicResource;
        std::uint32_t imageResource;
    };

    DWFSectionDescriptorReader(DWFPackageReader* packageReader, unsigned char rootFlags,
                               std::uint32_t mask, const Bits& bits);

    virtual void _provideAttributes(const char** attributes);
    // The elements the common part does not handle, by local name and depth.
    virtual void _startElement(const char* localName, const char** attributes, unsigned int depth);
    virtual void _endElement(const char* localName, unsigned int depth);

    // Forwarders through the provide filter.
    DWFCore::DWFString _forwardName(const DWFCore::DWFString& name);
    double _forwardVersion(double version);
    // Forwards the root's "name" or "version" attribute (mask bits 1 and 2 in
    // every section's reader), each only the first time; true when the
    // attribute was one of them.
    bool _forwardNameOrVersion(const char* name, const char* value, DWFAttributeOnce& once);

    DWFXMLElementBuilder& _builder() noexcept { return *_inUse; }
    void _setProvideFilter(DWFSectionDescriptorReader* filter) noexcept { _provideFilter = filter; }
    DWFSectionDescriptorReader* _filter() const noexcept { return _provideFilter; }

    std::uint32_t _mask = 0;
    std::uint32_t _mode = 0;

private:
    enum class ResourceKind
    {
        ePlain,
        eFont,
        eGraphic,
        eImage
    };

    void _startResource(const char* localName, const char** attributes);
    void _endResource();

    Bits _bits{};
    DWFXMLElementBuilder _ownBuilder;
    DWFXMLElementBuilder* _inUse;
    DWFPackageReader* _packageReader;
    unsigned char _rootFlags;
    DWFSectionDescriptorReader* _rootFilter = nullptr;
    DWFSectionDescriptorReader* _provideFilter = nullptr;
    std::unique_ptr<DWFResource> _resource;
    ResourceKind _resourceKind = ResourceKind::ePlain;
};

} // namespace DWFToolkit

#endif
