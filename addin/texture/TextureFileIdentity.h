#pragma once
// What tells one texture file from another: the file itself, not the
// spelling of its path. "t/w.png", "./t/w.png", "t//w.png", "t/../t/w.png",
// a path through a symbolic link to the folder and a hard link all lead to
// one file, which a publish reads, converts and stores once; two files stay
// two, whatever their names or bytes.
//
// A file is known by its device and inode, taken from a descriptor open on
// it: the one its bytes are read through, or, where a reader opens the file
// by its path, one held open around the reading (HeldTextureFile), so that
// the inode cannot pass to another file meanwhile and a file replaced under
// the path is noticed. The time of the file's last change goes with them:
// the inode of a file removed during a publish may be given to a new file,
// which must not be taken for the old one (a file changed in place is then
// another file too, as its picture may be). A path that cannot be opened (a missing file, a
// FIFO, a folder) has no identity; it is known by its spelling, as the
// message that names it is.
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <variant>

struct TextureFileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;

    bool operator==(const TextureFileIdentity& other) const
    {
        return device == other.device && inode == other.inode &&
               changedSeconds == other.changedSeconds &&
               changedNanoseconds == other.changedNanoseconds;
    }
    bool operator!=(const TextureFileIdentity& other) const { return !(*this == other); }
    bool operator<(const TextureFileIdentity& other) const
    {
        return std::tie(device, inode, changedSeconds, changedNanoseconds) <
               std::tie(other.device, other.inode, other.changedSeconds, other.changedNanoseconds);
    }
};

// What a publish remembers a texture file by: its identity, or the path as
// written when the file could not be opened.
using TextureFileKey = std::variant<TextureFileIdentity, std::u16string>;

// The identity of the file open as `descriptor`; none when the system
// cannot say.
std::optional<TextureFileIdentity> IdentifyOpenFile(int descriptor);

// A texture file held open from before it is read by its path until after:
// opened as every file the publisher reads is (a regular file only, never
// waiting on a FIFO or a device).
class HeldTextureFile
{
public:
    explicit HeldTextureFile(const std::u16string& path);
    ~HeldTextureFile();
    HeldTextureFile(const HeldTextureFile&) = delete;
    HeldTextureFile& operator=(const HeldTextureFile&) = delete;

    const std::u16string& path() const { return path_; }
    TextureFileKey key() const;
    // Whether what was read through the path meanwhile can be taken as the
    // held file's: the path still leads to it. False once the file was
    // replaced or removed, when what was read may be another file's. True
    // for a file known by its spelling: there is nothing to tell apart.
    bool unchanged() const;

private:
    std::u16string path_;
    int descriptor_ = -1;
    std::optional<TextureFileIdentity> identity_;
};
