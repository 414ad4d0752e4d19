#include "imaging/codecs/tiff/TiffHeaderView.h"

#include "dwfcore/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi
{
namespace
{

// A classic header: byte order, 42, and the 32-bit offset at 4. A BigTIFF
// header: byte order, 43, offset size 8, 0, and the 64-bit offset at 8.
constexpr std::uint16_t kClassicVersion = 42;
constexpr std::uint16_t kBigVersion = 43;

// Reads `count` bytes at `at`, on through short reads; false when the file
// ends first or the system fails.
bool readWhole(int descriptor, std::uint64_t at, std::uint8_t* buffer, std::size_t count)
{
    while (count > 0)
    {
        const ssize_t got = ::pread(descriptor, buffer, count, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        at += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

std::unique_ptr<TiffHeaderView> TiffHeaderView::open(const std::string& nativePath, std::uint64_t firstDirectory)
{
    // Only regular files: a pipe or a device would make the reads wait.
    const int descriptor = DWFCore::openRegularFile(nativePath);
    if (descriptor < 0)
        return nullptr;
    std::uint8_t header[8];
    if (!readWhole(descriptor, 0, header, sizeof header) || header[0] != header[1] ||
        (header[0] != 'I' && header[0] != 'M'))
    {
        ::close(descriptor);
        return nullptr;
    }
    const bool bigEndian = header[0] == 'M';
    const auto version =
        static_cast<std::uint16_t>(bigEndian ? header[2] << 8 | header[3] : header[3] << 8 | header[2]);
    std::uint64_t patchAt = 0;
    std::size_t patchLength = 0;
    if (version == kClassicVersion && firstDirectory <= std::numeric_limits<std::uint32_t>::max())
    {
        patchAt = 4;
        patchLength = 4;
    }
    else if (version == kBigVersion)
    {
        patchAt = 8;
        patchLength = 8;
    }
    else
    {
        ::close(descriptor);
        return nullptr;
    }
    std::array<std::uint8_t, 8> patch{};
    for (std::size_t i = 0; i < patchLength; ++i)
    {
        const std::size_t shift = 8 * (bigEndian ? patchLength - 1 - i : i);
        patch[i] = static_cast<std::uint8_t>(firstDirectory >> shift);
    }
    return std::unique_ptr<TiffHeaderView>(new TiffHeaderView(descriptor, patchAt, patchLength, patch));
}

TiffHeaderView::TiffHeaderView(int descriptor, std::uint64_t patchAt, std::size_t patchLength,
                               const std::array<std::uint8_t, 8>& patch)
    : descriptor_(descriptor), patchAt_(patchAt), patchLength_(patchLength), patch_(patch)
{
}

TiffHeaderView::~TiffHeaderView()
{
    ::close(descriptor_);
}

std::int64_t TiffHeaderView::read(void* buffer, std::uint64_t count)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const auto farthest = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    std::uint64_t done = 0;
    while (done < count && position_ <= farthest)
    {
        // A chunk at a time: pread takes no more than SSIZE_MAX.
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, 1u << 30));
        const ssize_t got = ::pread(descriptor_, bytes + done, chunk, static_cast<off_t>(position_));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        // The header's offset as the view has it.
        const std::uint64_t start = position_;
        const std::uint64_t end = position_ + static_cast<std::uint64_t>(got);
        const std::uint64_t from = std::max(start, patchAt_);
        const std::uint64_t to = std::min(end, patchAt_ + patchLength_);
        if (from < to)
            std::memcpy(bytes + done + (from - start), patch_.data() + (from - patchAt_),
                        static_cast<std::size_t>(to - from));
        done += static_cast<std::uint64_t>(got);
        position_ = end;
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t TiffHeaderView::seek(std::int64_t offset, int whence)
{
    std::int64_t base = 0;
    switch (whence)
    {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = static_cast<std::int64_t>(std::min<std::uint64_t>(position_, std::numeric_limits<std::int64_t>::max()));
        break;
    case SEEK_END:
        base = static_cast<std::int64_t>(std::min<std::uint64_t>(size(), std::numeric_limits<std::int64_t>::max()));
        break;
    default:
        return -1;
    }
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) || base + offset < 0)
        return -1;
    position_ = static_cast<std::uint64_t>(base + offset);
    return base + offset;
}

std::uint64_t TiffHeaderView::size() const
{
    struct stat status;
    if (::fstat(descriptor_, &status) != 0 || status.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

} // namespace Omvi
