#pragma once
// What the current directory of a TIFF file stores for a tag, read from the
// file's own directory entries. libtiff repairs some tags as it reads a
// directory and answers only the repaired values: the sample layout among
// them, where samples the file never declared become extra samples.
#include <cstddef>
#include <cstdint>
#include <optional>

typedef struct tiff TIFF;

namespace Omvi
{

// The value count of `tag`'s entry in the directory `tiff` is on; nullopt
// when the directory has no such entry or its entries cannot be read.
std::optional<std::uint64_t> storedValueCount(TIFF* tiff, std::uint16_t tag);

// Reads `bytes` bytes at file offset `at` through the handle's own seek and
// read procedures, as stored (no byte swapping); false when they are not
// all there.
bool readStoredBytes(TIFF* tiff, std::uint64_t at, void* buffer, std::size_t bytes);

} // namespace Omvi
