#ifndef DWFPACKAGE_WRITER_EXTENSIONS_601_PACKAGEVERSIONEXTENSION_H
#define DWFPACKAGE_WRITER_EXTENSIONS_601_PACKAGEVERSIONEXTENSION_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/String.h"

// glibc's <sys/sysmacros.h> defines function-like macros with the names of
// the version operations below.
#ifdef major
#undef major
#endif
#ifdef minor
#undef minor
#endif

namespace DWFToolkit
{

class DWFGlobalSection;
class DWFInterface;
class DWFPackageFileDescriptor;
class DWFPackageWriter;
class DWFSection;
class DWFXMLSerializer;

//
// Changes what a package writer makes: the package version, a veto on
// sections and on the write, and entries of its own before and after the
// manifest.
//
class DWFPackageVersionExtension
{
public:
    virtual ~DWFPackageVersionExtension() = default;

    virtual unsigned short major() const = 0;
    virtual unsigned short minor() const = 0;

    // False keeps the section out of the package (it stays the caller's).
    virtual bool addSection(DWFSection* section, DWFInterface* interface) = 0;
    virtual bool addGlobalSection(DWFGlobalSection* section) = 0;
    // False makes the write return at once, creating no file.
    virtual bool write(const DWFCore::DWFString& sourceProductVendor,
                       const DWFCore::DWFString& sourceProductName,
                       const DWFCore::DWFString& sourceProductVersion,
                       const DWFCore::DWFString& dwfProductVendor,
                       const DWFCore::DWFString& dwfProductVersion, int compressionLevel) = 0;

    // After the package is opened, before "manifest.xml".
    virtual void prewriteManifest(DWFPackageWriter& writer, DWFPackageFileDescriptor& descriptor,
                                  DWFXMLSerializer& serializer,
                                  const DWFCore::DWFString& password) = 0;
    // After "manifest.xml", before any descriptor.
    virtual void postwriteManifest(DWFPackageWriter& writer, DWFPackageFileDescriptor& descriptor,
                                   DWFXMLSerializer& serializer,
                                   const DWFCore::DWFString& password) = 0;
    // After the last resource, before the package is closed.
    virtual void postwrite(DWFPackageWriter& writer, DWFPackageFileDescriptor& descriptor,
                           DWFXMLSerializer& serializer, const DWFCore::DWFString& password) = 0;
};

//
// Makes a version 06.01 package whose first entry is an empty one named by
// a document type and ".TYPEINFO".
//
class DWFPackageVersionTypeInfoExtension : public DWFPackageVersionExtension,
                                           public DWFToolkitMemory
{
public:
    explicit DWFPackageVersionTypeInfoExtension(const DWFCore::DWFString& documentType);

    const DWFCore::DWFString& documentType() const noexcept { return _documentType; }

    unsigned short major() const override { return 6; }
    unsigned short minor() const override { return 1; }
    bool addSection(DWFSection*, DWFInterface*) override { return true; }
    bool addGlobalSection(DWFGlobalSection*) override { return true; }
    bool write(const DWFCore::DWFString&, const DWFCore::DWFString&, const DWFCore::DWFString&,
               const DWFCore::DWFString&, const DWFCore::DWFString&, int) override
    {
        return true;
    }

    // Writes the empty type entry (encrypted with `password` like every entry).
    void prewriteManifest(DWFPackageWriter& writer, DWFPackageFileDescriptor& descriptor,
                          DWFXMLSerializer& serializer,
                          const DWFCore::DWFString& password) override;
    void postwriteManifest(DWFPackageWriter&, DWFPackageFileDescriptor&, DWFXMLSerializer&,
                           const DWFCore::DWFString&) override
    {
    }
    void postwrite(DWFPackageWriter&, DWFPackageFileDescriptor&, DWFXMLSerializer&,
                   const DWFCore::DWFString&) override
    {
    }

private:
    DWFCore::DWFString _documentType;
};

} // namespace DWFToolkit

#endif
