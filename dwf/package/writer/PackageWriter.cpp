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
#include "dwfcore/RegularFile.h"
#include "dwfcore/StreamFileDescriptor.h"
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

// The unfinished package's name in the target's folder: short and of one
// length whatever the target is called, so that any name the folder takes
// can be published; hidden, and not a package's name.
constexpr const char kPendingPattern[] = ".qc-XXXXXX.tmp";
constexpr int kPendingSuffixLength = 4;

// The note on a file of the write at `path` that stays beside the target,
// `stays` saying as what, since removing it failed with `error`.
DWFCore::DWFString leftBeside(const std::string& path, const std::u16string& stays, int error)
{
    return DWFCore::describeFile(u"The file ", path,
                                 stays + u": removing it failed: " + DWFCore::reasonOf(error));
}

// What putting the package in place came to, when it did.
struct Placement
{
    // Empty, or why the folder could not be flushed after the move.
    DWFCore::DWFString folderFlushFailure;
    // Empty, or why the target's name could not be looked at after the move.
    DWFCore::DWFString checkFailure;
    // The package took the place of a file that held the target's name.
    bool replaced = false;
};

//
// The package file being written: created exclusively in the target's
// folder, listed among the process's temporary files until it is put in the
// target's place, and removed unless it was. The folder is held open, and
// every step on a name (making the file, moving it, removing it) is taken
// in that folder, whatever its path comes to lead to meanwhile. The file is
// written only through the descriptor that made it, never opened by its
// name again: in a folder where others may write, the name can be made to
// lead elsewhere. That descriptor stays open until the move, so that the
// flush before it learns of every write the system failed to put on the
// disk since the file was made, and a copy of it until the target's name is
// checked to hold the file after the move.
//
// Where no regular file holds the target's name, the file is made as any
// new file in that folder is (asked for 0666, the umask or the folder's
// default ACL acting on that), and keeps that mode: whoever the folder lets
// read the package may read it while it is written. Where one does, the
// package is to take that file's permission bits, which may be narrower: it
// is made 0600 and given them once complete.
//
class PendingPackageFile
{
public:
    explicit PendingPackageFile(const std::string& target)
        : _target(target), _targetName(DWFCore::nameOf(target))
    {
        const char* function = "DWFToolkit::DWFPackageWriter::write";
        _folder = ::open(DWFCore::folderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        std::string name = kPendingPattern;
        int fd = -1;
        if (_folder >= 0)
        {
            struct stat existing;
            const bool looked =
                ::fstatat(_folder, _targetName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
            // A target that cannot be looked at may be a file to replace.
            _madePrivate = looked ? S_ISREG(existing.st_mode) : errno != ENOENT;
            fd = DWFCore::DWFTempFileRegistry::createIn(_folder, name, kPendingSuffixLength,
                                                        _madePrivate ? 0600 : 0666);
        }
        if (fd < 0)
        {
            const int error = errno;
            if (_folder >= 0)
            {
                ::close(_folder);
            }
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to create the package file beside",
                                 target, error, function);
        }
        _fd = fd;
        _name = name;
        _path = pathIn(name);
    }

    ~PendingPackageFile()
    {
        closeFiles();
        if (!_name.empty())
        {
            DWFCore::DWFTempFileRegistry::removeIn(_folder, _name);
        }
        ::close(_folder);
    }

    PendingPackageFile(const PendingPackageFile&) = delete;
    PendingPackageFile& operator=(const PendingPackageFile&) = delete;

    // The file's path, for messages (it may be longer than a path the
    // system takes).
    const std::string& path() const noexcept { return _path; }

    // A descriptor that writes to the file made, through a descriptor of its
    // own on it (closing it leaves the file's first descriptor open).
    std::unique_ptr<DWFCore::DWFFileDescriptor> output() const
    {
        const char* function = "DWFToolkit::DWFPackageWriter::write";
        const int copy = ::fcntl(_fd, F_DUPFD_CLOEXEC, 0);
        FILE* handle = copy < 0 ? nullptr : ::fdopen(copy, "wb");
        if (handle == nullptr)
        {
            const int error = errno;
            if (copy >= 0)
            {
                ::close(copy);
            }
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to open the package file", _path, error,
                                 function);
        }
        std::unique_ptr<DWFCore::DWFFileDescriptor> descriptor(
            new (std::nothrow) DWFCore::DWFStreamFileDescriptor(DWFCore::DWFFile(_path.c_str()),
                                                                DWFCore::DWFString(u"wb"), handle));
        if (!descriptor)
        {
            std::fclose(handle);
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file descriptor", function);
        }
        return descriptor;
    }

    //
    // Gives the file its mode (see giveMode), flushes it to the disk and
    // moves it to the target's name, then flushes the folder, which holds
    // the move. Without the first flush a power loss after the move may
    // leave the target with the new name but not all of the new bytes; a
    // failure there is a failed write and leaves the target alone. The move
    // replaces a file that holds the target's name by then only when
    // `mayReplace` (asked only then) agrees; otherwise that file stays as it
    // is and the write fails. The write fails too when the target's name
    // holds another file than the one written, or none, after the move; a
    // look at it that fails says nothing of that, and is answered with the
    // system's reason, as a failure of the folder's flush is: the package
    // is in place by then. What the package did not get as it should, and
    // a name of it that stays beside the target, go to `notes`, thrown or
    // not.
    //
    Placement commit(const std::function<bool()>& mayReplace,
                     std::vector<DWFCore::DWFString>& notes)
    {
        const char* function = "DWFToolkit::DWFPackageWriter::write";
        Placement placed;
        giveMode(notes);
        if (::fsync(_fd) != 0)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to flush the package file", _path, error,
                                 function);
        }
        // Only the file written may be moved: should its name lead to
        // anything else by now, that is left where it is.
        struct stat written;
        if (::fstat(_fd, &written) != 0)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to look at the package file", _path,
                                 error, function);
        }
        int lookedAtName = 0;
        if (!holds(_name, written, &lookedAtName))
        {
            // A look that fails tells nothing of another file.
            if (lookedAtName != 0 && lookedAtName != ENOENT)
            {
                DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to look at the package file", _path,
                                     lookedAtName, function);
            }
            // The name is still the one this run made: what leads from it
            // goes with it (a link, never what it leads to).
            DWFCORE_THROW(DWFIOException,
                          DWFCore::describeFile(u"The package file ", _path,
                                                u" was removed or replaced by another file while "
                                                u"it was written"),
                          function);
        }
        // Held open past the move, so that the file's inode number cannot
        // pass to another file before the target's name is checked.
        _held = ::fcntl(_fd, F_DUPFD_CLOEXEC, 0);
        if (_held < 0)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to keep the package file open", _path,
                                 error, function);
        }
        const int fd = _fd;
        _fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
        {
            const int error = errno;
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to close the package file", _path, error,
                                 function);
        }
        // Moved and unlisted in one step: an interrupting signal finds
        // either the finished target or a listed file to remove.
        DWFCore::DWFTempFileRegistry::MoveLeftovers left;
        bool moved =
            DWFCore::DWFTempFileRegistry::moveIn(_folder, _name, _targetName, false, &left);
        if (!moved && errno == EEXIST && mayReplace && mayReplace())
        {
            moved = DWFCore::DWFTempFileRegistry::moveIn(_folder, _name, _targetName, true);
            placed.replaced = moved;
        }
        if (!moved)
        {
            const int error = errno;
            if (left.claim != 0)
            {
                // The next run without consent to replace will find the name taken.
                notes.push_back(DWFCore::describeFile(
                    u"The empty file ", _target,
                    u" that claimed the name for the package stays: removing it failed: " +
                        DWFCore::reasonOf(left.claim)));
            }
            else if (left.claimUnseen != 0)
            {
                notes.push_back(DWFCore::describeFile(
                    u"The empty file that claimed the name ", _target,
                    u" for the package may still hold it: the name could not be looked at, so "
                    u"nothing was removed: " +
                        DWFCore::reasonOf(left.claimUnseen)));
            }
            DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to put the package in place of", _target,
                                 error, function);
        }
        const int secondName = left.secondName;
        const std::string pendingName = _name;
        _name.clear();
        // The check above and the move are two steps: in a folder where
        // others may write, the name can be given to a file of theirs in
        // between, and that file then took the target's name. A look that
        // fails tells nothing of that.
        int looked = 0;
        const bool inPlace = holds(_targetName, written, &looked);
        if (!inPlace && looked != 0 && looked != ENOENT)
        {
            placed.checkFailure =
                DWFCore::describeSystemError(u"Failed to look at", _target, looked);
        }
        const bool lost = !inPlace && placed.checkFailure.chars() == 0;
        if (secondName != 0)
        {
            const char16_t* stays = !lost ? u" stays beside the package as a second name of it"
                                    : holds(pendingName, written)
                                        ? u" stays beside the target, and holds the package"
                                        : u" stays beside the target";
            notes.push_back(leftBeside(_path, stays, secondName));
        }
        if (lost)
        {
            DWFCORE_THROW(DWFIOException,
                          DWFCore::describeFile(u"Another file took the place of the package at ",
                                                _target, u" as it was moved there"),
                          function);
        }
        placed.folderFlushFailure = flushFolder();
        return placed;
    }

    // Removes the file unless it was put in place; one that stays is named
    // in `notes` with the reason. Never throws.
    void discard(std::vector<DWFCore::DWFString>& notes) noexcept
    {
        closeFiles();
        if (_name.empty() || DWFCore::DWFTempFileRegistry::removeIn(_folder, _name))
        {
            _name.clear();
            return;
        }
        const int error = errno;
        _name.clear();
        try
        {
            notes.push_back(leftBeside(_path, u" stays beside the target", error));
        }
        catch (...)
        {
            // Without room for the note the file is still left as it is.
        }
    }

private:
    void closeFiles() noexcept
    {
        for (int* fd : {&_fd, &_held})
        {
            if (*fd >= 0)
            {
                ::close(*fd);
                *fd = -1;
            }
        }
    }

    std::string pathIn(const std::string& name) const
    {
        const std::string folder = DWFCore::folderOf(_target);
        return folder + (folder == "/" ? "" : "/") + name;
    }

    // Whether `name` in the folder is the file `file` (see holdsFile).
    bool holds(const std::string& name, const struct stat& file, int* error = nullptr) const
    {
        return DWFCore::holdsFile(_folder, name.c_str(), file, error);
    }

    // Empty when the target's folder reached the disk, else what failed.
    DWFCore::DWFString flushFolder() const
    {
        const int fd = ::openat(_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        return DWFCore::describeSystemError(u"Failed to flush the folder",
                                            DWFCore::folderOf(_target), error);
    }

    //
    // The permission bits of the regular file whose place the package takes
    // (not of what a link there leads to, and without the set-ID and sticky
    // bits given to that file alone). Where none holds the name, a package
    // made as any new file keeps its mode; one made 0600 for a file that is
    // gone by now is given the mode a new file gets in the folder (see
    // newFileMode). A look at the name that fails for another reason than
    // its absence says neither: what holds the name may be a file the
    // package replaces, readable by fewer than a new file is, so the
    // package has 0600 then. Should a mode not be set, the package keeps the
    // one it has; in both cases a note says so.
    //
    void giveMode(std::vector<DWFCore::DWFString>& notes) const
    {
        struct stat existing;
        const int looked =
            ::fstatat(_folder, _targetName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 ? 0
                                                                                         : errno;
        mode_t mode = 0;
        int error = 0;
        std::u16string giving;
        if (looked == 0 && S_ISREG(existing.st_mode))
        {
            mode = existing.st_mode & 0777;
        }
        else if (looked != 0 && looked != ENOENT)
        {
            givePrivateMode(looked, notes);
            return;
        }
        else if (!_madePrivate)
        {
            return;
        }
        else if (!newFileMode(mode, error, notes))
        {
            giving = u"the mode of a new file in its folder could not be learned: ";
        }
        if (error == 0 && ::fchmod(_fd, mode) != 0)
        {
            error = errno;
        }
        if (error == 0)
        {
            return;
        }
        if (giving.empty())
        {
            char modes[32];
            std::snprintf(modes, sizeof modes, "giving it %04o failed: ",
                          static_cast<unsigned>(mode));
            giving = DWFCore::DWFString(modes).toU16String();
        }
        notes.push_back(keptModeNote(giving + DWFCore::reasonOf(error)));
    }

    // After the look at the target's name failed with `error`: the package
    // made 0600 keeps that mode, one made as any new file is given it.
    void givePrivateMode(int error, std::vector<DWFCore::DWFString>& notes) const
    {
        const std::u16string unknown =
            u"the mode of the file it may replace could not be learned: " +
            DWFCore::reasonOf(error);
        if (_madePrivate)
        {
            notes.push_back(keptModeNote(unknown));
        }
        else if (::fchmod(_fd, 0600) == 0)
        {
            notes.push_back(DWFCore::describeFile(u"The package ", _target,
                                                  u" is given the mode 0600: " + unknown));
        }
        else
        {
            const int refused = errno;
            notes.push_back(
                keptModeNote(unknown + u"; giving it 0600 failed: " + DWFCore::reasonOf(refused)));
        }
    }

    // The note that the package keeps the mode it has, `why` saying why.
    DWFCore::DWFString keptModeNote(const std::u16string& why) const
    {
        struct stat made;
        const unsigned kept = ::fstat(_fd, &made) == 0 ? made.st_mode & 07777 : 0600;
        char modes[32];
        std::snprintf(modes, sizeof modes, "%04o", kept);
        return DWFCore::describeFile(u"The package ", _target,
                                     u" keeps the mode " + DWFCore::DWFString(modes).toU16String() +
                                         u" it was made with: " + why);
    }

    //
    // The mode the system gives a new file in the target's folder, as an
    // empty file made there for the purpose and removed at once shows it:
    // the umask, or the folder's default ACL, acts on it as on the package
    // itself. The ACL's other entries came with the package when it was
    // made; its mode bits are what is left to match. False with `error`
    // set when no such file can be made.
    //
    bool newFileMode(mode_t& mode, int& error, std::vector<DWFCore::DWFString>& notes) const
    {
        std::string name = kPendingPattern;
        const int fd =
            DWFCore::DWFTempFileRegistry::createIn(_folder, name, kPendingSuffixLength, 0666);
        if (fd < 0)
        {
            error = errno;
            return false;
        }
        struct stat made{};
        const bool known = ::fstat(fd, &made) == 0;
        error = known ? 0 : errno;
        ::close(fd);
        if (!DWFCore::DWFTempFileRegistry::removeIn(_folder, name))
        {
            const int left = errno;
            notes.push_back(leftBeside(pathIn(name), u" stays beside the target", left));
        }
        mode = made.st_mode & 0777;
        return known;
    }

    std::string _target;
    std::string _targetName;
    // The target's folder (a path descriptor) and the file's name in it.
    int _folder = -1;
    std::string _name;
    std::string _path;
    int _fd = -1;
    // The file, from its flush until the package's place is checked.
    int _held = -1;
    // Made 0600 for a regular file at the target, not as any new file.
    bool _madePrivate = false;
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
        DWFCore::DWFFile(pending.path().c_str()), compressionLevel, majorVersion, minorVersion,
        pending.output()));
    if (!_packageDescriptor)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate file descriptor", function);
    }
    _entryNames.clear();
    _folderFlushFailure = DWFCore::DWFString();
    _checkFailure = DWFCore::DWFString();
    _replacedTarget = false;
    _notes.clear();
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
        // The writer may try again.
        _packageDescriptor.reset();
        pending.discard(_notes);
        throw;
    }
    Placement placed;
    try
    {
        placed = pending.commit(_mayReplace, _notes);
    }
    catch (...)
    {
        pending.discard(_notes);
        throw;
    }
    _folderFlushFailure = placed.folderFlushFailure;
    _checkFailure = placed.checkFailure;
    _replacedTarget = placed.replaced;
}

} // namespace DWFToolkit
