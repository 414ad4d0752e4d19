#pragma once
// Bytes held in memory and seen as a file: the codecs read paths, so tests
// and fuzz targets hand them a file made with memfd_create and named
// "/proc/self/fd/N". Nothing is written to disk; the file goes away with the
// object. Header-only, so fuzz targets include it as well.
#include "imaging/FileSpecifier.h"
#include "imaging/StringBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace OmviTest
{

class MemoryFile
{
public:
    MemoryFile() : descriptor_(::memfd_create("codec-input", MFD_CLOEXEC)) {}
    MemoryFile(const void* bytes, std::size_t size) : MemoryFile() { assign(bytes, size); }
    explicit MemoryFile(const std::vector<std::uint8_t>& bytes) : MemoryFile(bytes.data(), bytes.size()) {}
    explicit MemoryFile(const std::string& bytes) : MemoryFile(bytes.data(), bytes.size()) {}
    ~MemoryFile()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }

    // Replaces the contents; false when they could not all be written.
    bool assign(const void* bytes, std::size_t size)
    {
        if (descriptor_ < 0 || ::ftruncate(descriptor_, 0) != 0)
            return false;
        const auto* data = static_cast<const std::uint8_t*>(bytes);
        std::size_t done = 0;
        while (done < size)
        {
            const ssize_t written = ::pwrite(descriptor_, data + done, size - done, static_cast<off_t>(done));
            if (written <= 0)
                return false;
            done += static_cast<std::size_t>(written);
        }
        return true;
    }

    // The name under which the file opens.
    std::string path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }
    // A specifier of kind 0 naming the file.
    Omvi::FileSpecifier specifier() const
    {
        return Omvi::FileSpecifier(Omvi::AsciiStringBuffer(path()), Omvi::FileSpecifier::kFile);
    }

private:
    int descriptor_;
};

} // namespace OmviTest
