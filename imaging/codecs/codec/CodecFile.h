#pragma once
// A file a codec reads: opened read-only by its path, with reads at given
// positions that never go past its end. Only regular files are opened, so a
// probe handed a device or a pipe answers at once instead of waiting.
#include "imaging/FileSpecifier.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Omvi
{

class CodecFile
{
public:
    // The path the file system takes for a specifier the codecs open: kind 0
    // with at least 2 path bytes (the terminator counts); nothing otherwise.
    static std::optional<std::string> nativePath(const FileSpecifier& file);

    CodecFile() = default;
    ~CodecFile();
    CodecFile(const CodecFile&) = delete;
    CodecFile& operator=(const CodecFile&) = delete;

    // Opens a regular file for reading; false when it cannot.
    bool open(const std::string& nativePath);
    // Opens the file a specifier names (see nativePath); false for one the
    // codecs do not open.
    bool open(const FileSpecifier& file);
    bool isOpen() const { return descriptor_ >= 0; }
    void close();

    // The file's size in bytes (0 when not open).
    std::int64_t size() const { return size_; }
    // Exactly `count` bytes from `offset`; false when fewer are there.
    bool readAt(std::int64_t offset, void* buffer, std::size_t count) const;
    // Up to `count` bytes from `offset`; how many came.
    std::size_t readSomeAt(std::int64_t offset, void* buffer, std::size_t count) const;

private:
    int descriptor_ = -1;
    std::int64_t size_ = 0;
};

} // namespace Omvi
