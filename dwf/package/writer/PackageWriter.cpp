#include "dwf/package/writer/PackageWriter.h"

#include "dwf/package/CustomSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/Section.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwf/package/writer/extensions/6.01/PackageVersionExtension.h"
#include "dwfcore/Exception.h"
#include "dwfcore/SystemError.h"
#include "dwfcore/TempFileRegistry.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/PackageFileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace DWFToolkit
{

namespace
{

const char16_t* const kContentRoleOrder[] = {
    DWFResource::kRoleThumbnail, DWFResource::kRoleFont, DWFResource::kRole2DStreamingGraphics,
    DWFResource::kRole3DStreamingGraphics, DWFResource::kRoleTexture};

bool isOrderedRole(const DWFCore::DWFString& role)
{
    if (role == DWFResource::kRoleDescriptor)
    {
        return true;
    }
    for (const char16_t* ordered : kContentRoleOrder)
    {
        if (role == ordered)
        {
            return true;
        }
    }
    return false;
}

const DWFCustomSection* asCustom(const DWFSection* section)
{
    return dynamic_cast<const DWFCustomSection*>(section);
}

bool assignsName(const DWFSection* section)
{
    const DWFCustomSection* custom = asCustom(section);
    return custom == nullptr || custom->packedFlags().assignName != 0;
}

bool writesDescriptor(const DWFSection* section)
{
    const DWFCustomSection* custom = asCustom(section);
    return custom == nullptr || custom->packedFlags().writeDescriptor != 0;
}

DWFCore::DWFString descriptorEntryName(const DWFSection& section)
{
    DWFCore::DWFString name(section.name());
    name.append(u"\\descriptor.xml");
    return name;
}

// The folder that holds `path`: what a rename in it changes.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

//
// The package file being written: created exclusively beside the target,
// listed among the process's temporary files until it is put in the
// target's place, and removed unless it was. Its descriptor stays open
// until then, so that the flush before the rename learns of every write
// the system failed to put on the disk since the file was made.
//
class PendingPackageFile
{
public:
    explicit PendingPackageFile(const std::string& target) : _target(target)
    {
        std::string path = target + ".XXXXXX";
        const int fd = DWFCore::DWFTempFileRegistry::create(path);
        if (fd < 0)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to create the package file beside",
                                 target, error, "DWFToolkit::DWFPackageWriter::write");
        }
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        _fd = fd;
        _path = path;
    }

    ~PendingPackageFile()
    {
        if (_fd >= 0)
        {
            ::close(_fd);
        }
        if (!_path.empty())
        {
            DWFCore::DWFTempFileRegistry::remove(_path);
        }
    }

    PendingPackageFile(const PendingPackageFile&) = delete;
    PendingPackageFile& operator=(const PendingPackageFile&) = delete;

    const std::string& path() const noexcept { return _path; }

    //
    // Gives the file the permissions a newly created file would get (or the
    // target's own), flushes it to the disk and moves it over the target,
    // then flushes the folder, which holds the rename. Without the first
    // flush a power loss after the rename may leave the target with the
    // new name but not all of the new bytes; a failure there is a failed
    // write and leaves the target alone. A failure of the second comes
    // when the target is already replaced: it is answered, not thrown.
    //
    DWFCore::DWFString commit()
    {
        const char* function = "DWFToolkit::DWFPackageWriter::write";
        struct stat existing;
        mode_t mode;
        if (::stat(_target.c_str(), &existing) == 0)
        {
            mode = existing.st_mode & 07777;
        }
        else
        {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(_fd, mode);
        if (::fsync(_fd) != 0)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to flush the package file", _path, error,
                                 function);
        }
        const int fd = _fd;
        _fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to close the package file", _path, error,
                                 function);
        }
        // Renamed and unlisted in one step: an interrupting signal finds
        // either the finished target or a listed file to remove.
        if (!DWFCore::DWFTempFileRegistry::renameOver(_path, _target))
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to replace the package file", _target,
                                 error, function);
        }
        _path.clear();
        return flushFolder();
    }

private:
    // Empty when the target's folder reached the disk, else what failed.
    DWFCore::DWFString flushFolder() const
    {
        const std::string folder = folderOf(_target);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int error = fd < 0 ? errno : 0;
        if (fd >= 0)
        {
            if (::fsync(fd) != 0)
            {
                error = errno;
            }
            ::close(fd);
        }
        // EINVAL: the file system keeps its folders without a flush to ask for.
        if (error == 0 || error == EINVAL)
        {
            return DWFCore::DWFString();
        }
        return DWFCore::describeSystemError(u"Failed to flush the folder", folder, error);
    }

    std::string _target;
    std::string _path;
    int _fd = -1;
};

} // namespace

DWFPackageWriter::DWFPackageWriter(const DWFCore::DWFFile& target,
                                   const DWFCore::DWFString& password,
                                   DWFPackageVersionExtension* extension)
    : _target(target), _password(password), _extension(extension)
{
}

DWFPackageWriter::~DWFPackageWriter()
{
    _extension.reset();
    _serializer.reset();
    _packageDescriptor.reset();
    _manifest.reset();
}

void DWFPackageWriter::_ensureManifest()
{
    if (_manifest)
    {
        return;
    }
    _manifest.reset(new (std::nothrow) DWFManifest(_uuid.uuid(true)));
    if (!_manifest)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to create manifest",
                      "DWFToolkit::DWFPackageWriter::_ensureManifest");
    }
}

DWFPropertyContainer* DWFPackageWriter::getManifestProperties()
{
    _ensureManifest();
    return _manifest.get();
}

void DWFPackageWriter::_attachDescriptor(DWFSection& section, const char* function)
{
    DWFCore::DWFString href(section.name());
    href.append(u"\\descriptor.xml");
    std::unique_ptr<DWFResource> descriptor(new (std::nothrow) DWFResource(
        DWFCore::DWFString(), DWFResource::kRoleDescriptor, u"text/xml", href));
    if (!descriptor)
    {
        throw DWFCore::DWFMemoryException(u"Failed to allocate desriptor resource", function,
                                          u"" __FILE__, __LINE__);
    }
    section.removeResourcesByRole(DWFResource::kRoleDescriptor, true);
    section.addResource(descriptor.get(), true, true, true);
    descriptor.release();
}

void DWFPackageWriter::addSection(DWFSection* section, DWFInterface* interface)
{
    const char* function = "DWFToolkit::DWFPackageWriter::addSection";
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No section provided", function);
    }
    if (_extension && !_extension->addSection(section, interface))
    {
        return;
    }
    if (DWFGlobalSection* global = dynamic_cast<DWFGlobalSection*>(section))
    {
        addGlobalSection(global);
        return;
    }
    _ensureManifest();

    if (interface != nullptr)
    {
        _manifest->provideInterface(interface);
    }
    else if (DWFInterface* built = section->buildInterface())
    {
        _manifest->provideInterface(built);
    }

    if (assignsName(section))
    {
        section->rename(_uuid.next(true));
    }
    if (writesDescriptor(section))
    {
        section->setPlotOrder(_nextPlotOrder);
        _nextPlotOrder += 1.0;
        _attachDescriptor(*section, function);
    }
    _manifest->provideSection(section);
    _contentSections.push_back(section);
}

void DWFPackageWriter::addGlobalSection(DWFGlobalSection* section)
{
    const char* function = "DWFToolkit::DWFPackageWriter::addGlobalSection";
    if (section == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No section provided", function);
    }
    if (_extension && !_extension->addGlobalSection(section))
    {
        return;
    }
    _ensureManifest();

    for (auto kind : {std::make_pair(DWFEPlotGlobalSection::kType, &_ePlotGlobalAdded),
                      std::make_pair(DWFEModelGlobalSection::kType, &_eModelGlobalAdded)})
    {
        if (section->type() == kind.first)
        {
            if (*kind.second)
            {
                DWFCore::DWFString message(u"Global section already exists [");
                message.append(kind.first);
                message.append(u"]");
                throw DWFCore::DWFUnexpectedException(message, function, u"" __FILE__, __LINE__);
            }
            *kind.second = true;
        }
    }
    _attachDescriptor(*section, function);
    _manifest->provideSection(section);
    _globalSections.push_back(section);
}

DWFCore::DWFString DWFPackageWriter::_entryName(const DWFCore::DWFString& sectionName,
                                                const DWFResource& resource)
{
    if (resource.zipPath().chars() > 0)
    {
        return resource.zipPath();
    }
    DWFCore::DWFString name(sectionName);
    name.append(u"\\");
    name.append(resource.href());
    return name;
}

void DWFPackageWriter::_checkEntryNames() const
{
    const char* function = "DWFToolkit::DWFPackageWriter::write";
    auto refuse = [function](const DWFCore::DWFString& name)
    {
        DWFCore::DWFString message(u"Package entry name is not unique [");
        message.append(name);
        message.append(u"]");
        throw DWFCore::DWFUnexpectedException(message, function, u"" __FILE__, __LINE__);
    };

    std::set<DWFCore::DWFString> names{DWFCore::DWFString(u"manifest.xml")};
    std::map<const DWFResource*, const DWFSection*> resources;
    auto check = [&](const std::vector<DWFSection*>& sections, bool content)
    {
        for (const DWFSection* section : sections)
        {
            if (!content || writesDescriptor(section))
            {
                const DWFCore::DWFString name = descriptorEntryName(*section);
                if (!names.insert(name).second)
                {
                    refuse(name);
                }
            }
            std::unique_ptr<DWFResourceContainer::ResourceKVIterator> all(
                section->getResourcesByRole());
            for (; all->valid(); all->next())
            {
                const DWFResource* resource = all->value();
                if (resource->role() == DWFResource::kRoleDescriptor)
                {
                    continue;
                }
                // A resource listed by two sections (or twice) would be
                // written twice under one name.
                if (!resources.emplace(resource, section).second)
                {
                    refuse(_entryName(section->name(), *resource));
                }
            }
        }
    };
    check(_globalSections, false);
    check(_contentSections, true);

    // A package with more entries than the format can count would fail only
    // after everything before the last entry had been written: refuse it
    // before the first byte.
    if (names.size() + resources.size() > DWFCore::zipio::zipLimits().entries)
    {
        DWFCORE_THROW(DWFOverflowException,
                      u"The package would pass the ZIP format's limit of 65,535 entries", function);
    }
}

void DWFPackageWriter::_claimEntryName(const DWFCore::DWFString& name)
{
    if (!_entryNames.insert(name.toUTF8()).second)
    {
        DWFCore::DWFString message(u"Package entry name is not unique [");
        message.append(name);
        message.append(u"]");
        DWFCORE_THROW(DWFUnexpectedException, message, "DWFToolkit::DWFPackageWriter::write");
    }
}

void DWFPackageWriter::_writeDocument(const DWFCore::DWFString& name, DWFXMLSerializable& document,
                                      unsigned int flags)
{
    _claimEntryName(name);
    std::unique_ptr<DWFCore::DWFZippingOutputStream> entry(
        _packageDescriptor->zip(name, _password));
    // Declared after the entry, so that on failure the serializer lets go
    // of the stream (dropping what it buffered) before the stream dies.
    struct Attachment
    {
        DWFXMLSerializer& serializer;
        bool finished = false;
        ~Attachment()
        {
            if (!finished)
            {
                serializer.abandon();
            }
        }
    } attachment{*_serializer};
    _serializer->attach(*entry);
    document.serializeXML(*_serializer, flags);
    _serializer->detach();
    attachment.finished = true;
    entry->close();
}

void DWFPackageWriter::_writeSectionDescriptor(DWFSection& section)
{
    _writeDocument(descriptorEntryName(section), section, DWFXMLSerializable::eDescriptor);
}

void DWFPackageWriter::_serializeResource(const DWFCore::DWFString& sectionName,
                                          DWFResource* resource)
{
    const char* function = "DWFToolkit::DWFPackageWriter::_serializeResource";
    if (!_packageDescriptor)
    {
        DWFCORE_THROW(DWFNullPointerException, u"No package descriptor exists", function);
    }
    const DWFCore::DWFString name = _entryName(sectionName, *resource);

    // The stream first: a resource without data must not leave a begun entry.
    std::unique_ptr<DWFCore::DWFInputStream> input(resource->getInputStream(false));
    if (!input)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Error acquiring resource streams", function);
    }
    _claimEntryName(name);
    std::unique_ptr<DWFCore::DWFZippingOutputStream> entry(
        _packageDescriptor->zip(name, _password));
    if (!entry)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Error acquiring resource streams", function);
    }
    if (_copyBuffer.empty())
    {
        _copyBuffer.resize(kCopyBufferBytes);
    }
    while (input->available() > 0)
    {
        const std::size_t bytes = input->read(_copyBuffer.data(), _copyBuffer.size());
        if (bytes == 0)
        {
            // A stream that claims more than it gives must not spin the loop.
            break;
        }
        entry->write(_copyBuffer.data(), bytes);
    }
    entry->flush();
    entry->close();
}

void DWFPackageWriter::_writeContents()
{
    for (DWFSection* section : _globalSections)
    {
        _writeSectionDescriptor(*section);
        std::unique_ptr<DWFResourceContainer::ResourceKVIterator> all(
            section->getResourcesByRole());
        for (; all->valid(); all->next())
        {
            if (all->key() != DWFResource::kRoleDescriptor)
            {
                _serializeResource(section->name(), all->value());
            }
        }
    }
    for (DWFSection* section : _contentSections)
    {
        if (writesDescriptor(section))
        {
            _writeSectionDescriptor(*section);
        }
        for (const char16_t* role : kContentRoleOrder)
        {
            std::unique_ptr<DWFResourceContainer::ResourceIterator> ofRole(
                section->findResourcesByRole(role));
            for (; ofRole->valid(); ofRole->next())
            {
                _serializeResource(section->name(), ofRole->get());
            }
        }
        std::unique_ptr<DWFResourceContainer::ResourceKVIterator> all(
            section->getResourcesByRole());
        for (; all->valid(); all->next())
        {
            if (!isOrderedRole(all->key()))
            {
                _serializeResource(section->name(), all->value());
            }
        }
    }
}

void DWFPackageWriter::write(const DWFCore::DWFString& sourceProductVendor,
                             const DWFCore::DWFString& sourceProductName,
                             const DWFCore::DWFString& sourceProductVersion,
                             const DWFCore::DWFString& dwfProductVendor,
                             const DWFCore::DWFString& dwfProductVersion, int compressionLevel)
{
    const char* function = "DWFToolkit::DWFPackageWriter::write";
    if (_extension &&
        !_extension->write(sourceProductVendor, sourceProductName, sourceProductVersion,
                           dwfProductVendor, dwfProductVersion, compressionLevel))
    {
        return;
    }
    if (!_manifest)
    {
        DWFCORE_THROW(DWFNullPointerException, u"Cannot write package - no manifest exists",
                      function);
    }
    if (_packageDescriptor)
    {
        // The package was written and closed already.
        DWFCORE_THROW(DWFIOException, u"No archive open for zipping", function);
    }
    if (!_serializer)
    {
        _serializer.reset(new (std::nothrow) DWFXMLSerializer(_uuid));
        if (!_serializer)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate serializer", function);
        }
    }
    _checkEntryNames();

    PendingPackageFile pending(_target.nativePath());
    // Parenthesised names: glibc may define function-like macros major and minor.
    const unsigned short majorVersion = _extension ? (_extension->major)() : 6;
    const unsigned short minorVersion = _extension ? (_extension->minor)() : 0;
    _packageDescriptor.reset(new (std::nothrow) DWFPackageFileDescriptor(
        DWFCore::DWFFile(pending.path().c_str()), compressionLevel, majorVersion, minorVersion));
    if (!_packageDescriptor)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file descriptor", function);
    }
    _entryNames.clear();
    _folderFlushFailure = DWFCore::DWFString();
    try
    {
        _packageDescriptor->open();
        if (_extension)
        {
            _extension->prewriteManifest(*this, *_packageDescriptor, *_serializer, _password);
        }

        const DWFCore::DWFString toolkitVersion(kToolkitVersion);
        const struct
        {
            const char16_t* name;
            const DWFCore::DWFString& value;
        } products[] = {{u"SourceProductVendor", sourceProductVendor},
                        {u"SourceProductName", sourceProductName},
                        {u"SourceProductVersion", sourceProductVersion},
                        {u"DWFProductVendor", dwfProductVendor},
                        {u"DWFProductVersion", dwfProductVersion},
                        {u"DWFToolkitVersion", toolkitVersion}};
        for (const auto& product : products)
        {
            if (product.value.chars() == 0)
            {
                continue;
            }
            std::unique_ptr<DWFProperty> property(
                new (std::nothrow) DWFProperty(product.name, product.value, DWFCore::DWFString(),
                                               DWFCore::DWFString(), DWFCore::DWFString()));
            if (!property)
            {
                DWFCORE_THROW(DWFMemoryException, u"Failed to allocate property", function);
            }
            _manifest->addProperty(property.get(), true);
            property.release();
        }
        _writeDocument(u"manifest.xml", *_manifest, DWFXMLSerializable::eManifest);

        if (_extension)
        {
            _extension->postwriteManifest(*this, *_packageDescriptor, *_serializer, _password);
        }
        _writeContents();
        if (_extension)
        {
            _extension->postwrite(*this, *_packageDescriptor, *_serializer, _password);
        }
        _packageDescriptor->close();
    }
    catch (...)
    {
        _serializer->abandon();
        // The unfinished file is removed with `pending`; the writer may try again.
        _packageDescriptor.reset();
        throw;
    }
    _folderFlushFailure = pending.commit();
}

} // namespace DWFToolkit
