#pragma once
// A regular file read as a TIFF file whose header names another directory
// as the first: the bytes of the header's first-directory offset read as
// the chosen directory's offset, every other byte as it is in the file.
//
// libtiff finds a directory by its number by walking the chain of
// directories from the first, and works out the number of a directory it
// is sent to by offset the same way; reaching every page of a file of n
// pages in turn would read n * n / 2 directories. A handle opened on this
// view starts at the chosen directory and reads nothing before it.
//
// The view is read only, by one handle at a time; it keeps its own position
// and reads with pread.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Omvi
{

class TiffHeaderView
{
public:
    // The regular file at `nativePath` with `firstDirectory` as its first
    // directory; null when the file cannot be opened, its header is no TIFF
    // header, or the offset does not fit in the header (beyond 4 GB in a
    // classic file).
    static std::unique_ptr<TiffHeaderView> open(const std::string& nativePath, std::uint64_t firstDirectory);

    TiffHeaderView(const TiffHeaderView&) = delete;
    TiffHeaderView& operator=(const TiffHeaderView&) = delete;
    // Closes the file.
    ~TiffHeaderView();

    // Up to `count` bytes from the position on (fewer only at the end of
    // the file); the bytes read, or -1 when the system fails to read.
    std::int64_t read(void* buffer, std::uint64_t count);
    // Moves the position as lseek does (SEEK_SET, SEEK_CUR, SEEK_END); the
    // new position, or -1 for one before the start or an unknown `whence`.
    std::int64_t seek(std::int64_t offset, int whence);
    // The file's size; 0 when it cannot be had.
    std::uint64_t size() const;

private:
    TiffHeaderView(int descriptor, std::uint64_t patchAt, std::size_t patchLength,
                   const std::array<std::uint8_t, 8>& patch);

    int descriptor_;
    std::uint64_t position_ = 0;
    // Where the header's first-directory offset lies, and the bytes read
    // there instead.
    std::uint64_t patchAt_;
    std::size_t patchLength_;
    std::array<std::uint8_t, 8> patch_;
};

} // namespace Omvi
