#ifndef DWFPACKAGE_WRITER_PACKAGEWRITER_H
#define DWFPACKAGE_WRITER_PACKAGEWRITER_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/File.h"
#include "dwfcore/String.h"
#include "dwfcore/UUID.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace DWFToolkit
{

class DWFGlobalSection;
class DWFInterface;
class DWFManifest;
class DWFPackageFileDescriptor;
class DWFPackageVersionExtension;
class DWFPropertyContainer;
class DWFResource;
class DWFSection;
class DWFXMLSerializable;
class DWFXMLSerializer;

//
// Writes a set of sections as one DWF package: the version header, then
// the manifest, each section's descriptor and every resource, in a fixed
// entry order. It names the sections it is given, numbers their plot
// orders and gives them their descriptor resources; its manifest owns them.
//
// The package is written to a new file beside the target, created
// exclusively and written only through the descriptor that made it,
// flushed to the disk and moved to the target's name only once it is
// complete, and the folder is flushed after: a write (or flush) that fails
// leaves the target as it was and no file behind (or a note names what
// could not be removed), and the failure reaches the caller. A file that
// holds the target's name when the package is moved there is replaced only
// with the consent of setReplaceConsent. The write fails as well when,
// after the move, the target's name holds another file than the one
// written (its name was given to a file of someone else's just before the
// move), or none.
//
// A new package gets the mode any new file gets in the target's folder;
// one that replaces a regular file takes that file's permission bits. When
// the target's name cannot be looked at to learn them, the package gets
// 0600 and a note says why.
//
class DWFPackageWriter : public DWFToolkitMemory
{
public:
    static constexpr const char16_t* kToolkitVersion = u"7.0.1.155";
    // Bytes copied from a resource stream at a time.
    static constexpr std::size_t kCopyBufferBytes = 16384;

    // Nothing touches the file until write; `extension` (may be null) becomes owned.
    DWFPackageWriter(const DWFCore::DWFFile& target,
                     const DWFCore::DWFString& password = DWFCore::DWFString(),
                     DWFPackageVersionExtension* extension = nullptr);
    virtual ~DWFPackageWriter();

    DWFPackageWriter(const DWFPackageWriter&) = delete;
    DWFPackageWriter& operator=(const DWFPackageWriter&) = delete;

    //
    // Takes a content section: names it, gives it the next plot order and
    // a descriptor resource, and hands it with `interface` (or the one the
    // section builds) to the manifest. A global section goes to
    // addGlobalSection. An extension's veto leaves both with the caller.
    //
    void addSection(DWFSection* section, DWFInterface* interface = nullptr);
    // At most one ePlot and one eModel global section; others without limit.
    void addGlobalSection(DWFGlobalSection* section);

    //
    // Asked when the finished package is to take the target's name and a
    // file (or a link, even one that leads nowhere) holds it by then: true
    // lets the package replace it. Without an answer, or on false, that
    // file is left as it is and write throws DWFIOException saying that the
    // target exists.
    //
    void setReplaceConsent(std::function<bool()> consent) { _mayReplace = std::move(consent); }

    // The package-level properties (written in the manifest).
    DWFPropertyContainer* getManifestProperties();

    //
    // Writes the whole package. The product strings that are not empty
    // become manifest properties; `compressionLevel` is the deflate level
    // of every entry. Entries with the same name are refused before
    // anything is written. A writer writes its package once.
    //
    void write(const DWFCore::DWFString& sourceProductVendor = DWFCore::DWFString(),
               const DWFCore::DWFString& sourceProductName = DWFCore::DWFString(),
               const DWFCore::DWFString& sourceProductVersion = DWFCore::DWFString(),
               const DWFCore::DWFString& dwfProductVendor = DWFCore::DWFString(),
               const DWFCore::DWFString& dwfProductVersion = DWFCore::DWFString(),
               int compressionLevel = 9);

    const DWFCore::DWFFile& target() const noexcept { return _target; }
    // After a write that returned: empty, or why the folder holding the
    // target could not be flushed to the disk after the package was moved
    // there. The package is in place then, but a power loss before the
    // system writes the folder out may still undo the move: bring back the
    // file it replaced, or lose the package where it replaced none.
    const DWFCore::DWFString& folderFlushFailure() const noexcept { return _folderFlushFailure; }
    // After a write that returned: empty, or why the target's name could not
    // be looked at after the package was moved there. The package was moved
    // there, but whether the name still holds it is not known.
    const DWFCore::DWFString& checkFailure() const noexcept { return _checkFailure; }
    // After a write that returned: whether the package took the place of a
    // file (or link) that held the target's name.
    bool replacedTarget() const noexcept { return _replacedTarget; }
    // After a write, whether it returned or threw: what the package did not
    // get as it should (its mode; its unfinished name removed), and any
    // file of the write that stays beside the target, each naming the file
    // and the reason.
    const std::vector<DWFCore::DWFString>& notes() const noexcept { return _notes; }
    // Null before the first section or request for properties.
    DWFManifest* manifest() const noexcept { return _manifest.get(); }

protected:
    void _ensureManifest();
    // Writes one resource's bytes as the entry of its zip path.
    void _serializeResource(const DWFCore::DWFString& sectionName, DWFResource* resource);

private:
    void _attachDescriptor(DWFSection& section, const char* function);
    void _checkEntryNames() const;
    // The entry name of a resource of `sectionName`.
    static DWFCore::DWFString _entryName(const DWFCore::DWFString& sectionName,
                                         const DWFResource& resource);
    void _claimEntryName(const DWFCore::DWFString& name);
    void _writeDocument(const DWFCore::DWFString& name, DWFXMLSerializable& document,
                        unsigned int flags);
    void _writeSectionDescriptor(DWFSection& section);
    void _writeContents();

    DWFCore::DWFFile _target;
    DWFCore::DWFString _password;
    DWFCore::DWFUUID _uuid;
    std::unique_ptr<DWFXMLSerializer> _serializer;
    std::unique_ptr<DWFPackageVersionExtension> _extension;
    std::unique_ptr<DWFPackageFileDescriptor> _packageDescriptor;
    std::unique_ptr<DWFManifest> _manifest;
    double _nextPlotOrder = 1.0;
    bool _ePlotGlobalAdded = false;
    bool _eModelGlobalAdded = false;
    std::vector<DWFSection*> _contentSections;
    std::vector<DWFSection*> _globalSections;
    std::vector<unsigned char> _copyBuffer;
    std::set<std::string> _entryNames;
    DWFCore::DWFString _folderFlushFailure;
    DWFCore::DWFString _checkFailure;
    bool _replacedTarget = false;
    std::vector<DWFCore::DWFString> _notes;
    std::function<bool()> _mayReplace;
};

} // namespace DWFToolkit

#endif
