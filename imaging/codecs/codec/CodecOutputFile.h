#pragma once
// A file a codec writer creates: made new (an existing file is refused),
// written at given positions with every write checked, and removed again
// unless the writer declares it complete. A failed write throws
// FileIOException (code 3 for a full disk, 4 otherwise) after removing the
// file, so a truncated image is never left behind as if it were whole.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Omvi
{

class CodecOutputFile
{
public:
    CodecOutputFile() = default;
    // Removes the file unless it was completed.
    ~CodecOutputFile();
    CodecOutputFile(const CodecOutputFile&) = delete;
    CodecOutputFile& operator=(const CodecOutputFile&) = delete;

    // Creates the file exclusively; false when it exists or cannot be made.
    bool create(const std::string& nativePath);
    bool isOpen() const { return descriptor_ >= 0; }

    // Writes all `count` bytes at `offset`; throws as said above.
    void writeAt(std::int64_t offset, const void* bytes, std::size_t count);
    // Closes the file and keeps it; a failing close throws as a write does.
    void complete();
    // Closes and removes the file (nothing when it is not open).
    void discard();

private:
    [[noreturn]] void fail(int error);

    int descriptor_ = -1;
    std::string path_;
};

} // namespace Omvi
