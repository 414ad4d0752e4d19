#include "imaging/codecs/tiff/TiffStoredEntry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tiffio.h>
#include <vector>

namespace Omvi
{
namespace
{

// The entries read at a time.
constexpr std::uint64_t kEntriesPerRead = 256;

} // namespace

bool readStoredBytes(TIFF* tiff, std::uint64_t at, void* buffer, std::size_t bytes)
{
    const thandle_t client = TIFFClientdata(tiff);
    return TIFFGetSeekProc(tiff)(client, at, SEEK_SET) == at &&
           TIFFGetReadProc(tiff)(client, buffer, static_cast<tmsize_t>(bytes)) ==
               static_cast<tmsize_t>(bytes);
}

std::optional<std::uint64_t> storedValueCount(TIFF* tiff, std::uint16_t tag)
{
    if (!tiff)
        return std::nullopt;
    const bool big = TIFFIsBigTIFF(tiff) != 0;
    const bool swapped = TIFFIsByteSwapped(tiff) != 0;
    auto readAt = [tiff](std::uint64_t at, void* buffer, std::size_t bytes)
    { return readStoredBytes(tiff, at, buffer, bytes); };

    // Classic directories: a 16-bit entry count and 12-byte entries whose
    // count is 32-bit; BigTIFF: a 64-bit entry count and 20-byte entries
    // whose count is 64-bit. Either way the count follows the tag and type.
    const std::uint64_t directory = TIFFCurrentDirOffset(tiff);
    std::uint64_t entries = 0;
    if (big)
    {
        if (!readAt(directory, &entries, sizeof entries))
            return std::nullopt;
        if (swapped)
            TIFFSwabLong8(&entries);
    }
    else
    {
        std::uint16_t count = 0;
        if (!readAt(directory, &count, sizeof count))
            return std::nullopt;
        if (swapped)
            TIFFSwabShort(&count);
        entries = count;
    }
    // libtiff reads no longer directory than a classic one can be.
    if (entries > 0xFFFF)
        return std::nullopt;
    const std::size_t entryBytes = big ? 20 : 12;
    const std::uint64_t first = directory + (big ? 8 : 2);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kEntriesPerRead) * entryBytes);
    for (std::uint64_t done = 0; done < entries;)
    {
        const std::uint64_t now = std::min(kEntriesPerRead, entries - done);
        if (!readAt(first + done * entryBytes, block.data(), static_cast<std::size_t>(now) * entryBytes))
            return std::nullopt;
        for (std::uint64_t i = 0; i < now; ++i)
        {
            const std::uint8_t* entry = block.data() + i * entryBytes;
            std::uint16_t entryTag;
            std::memcpy(&entryTag, entry, sizeof entryTag);
            if (swapped)
                TIFFSwabShort(&entryTag);
            if (entryTag != tag)
                continue;
            if (big)
            {
                std::uint64_t count;
                std::memcpy(&count, entry + 4, sizeof count);
                if (swapped)
                    TIFFSwabLong8(&count);
                return count;
            }
            std::uint32_t count;
            std::memcpy(&count, entry + 4, sizeof count);
            if (swapped)
                TIFFSwabLong(&count);
            return count;
        }
        done += now;
    }
    return std::nullopt;
}

} // namespace Omvi
