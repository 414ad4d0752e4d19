#pragma once
// A file a codec writer creates and fills, removed again unless the writer
// declares it complete, so a failed or abandoned write never leaves a
// truncated image behind as if it were whole. Only a regular file is ever
// removed: a device or pipe named as the output stays where it is.
//
// A writer fills it in one of two ways:
// - at given positions (writeAt, then complete): every write reaches the
//   file at once, and a failure removes the file and throws
//   FileIOException (code 3 for a full disk, 4 otherwise);
// - front to back through a buffer (write and put, then finish): every
//   failure is remembered, and finish() answers false when any write, the
//   flush or the close failed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

class CodecOutputFile
{
public:
    enum class Creation
    {
        kReplace,   // create, or empty an existing file
        kExclusive  // create a new file only
    };
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CodecOutputFile() = default;
    // Removes the file unless it was completed.
    ~CodecOutputFile();
    CodecOutputFile(const CodecOutputFile&) = delete;
    CodecOutputFile& operator=(const CodecOutputFile&) = delete;

    // Opens `nativePath` for writing; false when it exists (exclusive
    // creation) or cannot be made.
    bool create(const std::string& nativePath, Creation creation = Creation::kExclusive);
    bool isOpen() const { return descriptor_ >= 0; }

    // Writes all `count` bytes at `offset`; throws as said above.
    void writeAt(std::int64_t offset, const void* bytes, std::size_t count);
    // Closes the file and keeps it; a failing close throws as a write does.
    void complete();

    // Queues the bytes; false once anything failed.
    bool write(const void* bytes, std::size_t count);
    bool put(std::uint8_t byte)
    {
        if (buffer_.size() < kBufferSize)
        {
            buffer_.push_back(byte);
            return !failed_;
        }
        return write(&byte, 1);
    }
    // Writes what is queued and closes the file; true when every byte
    // reached it. On false the file has been removed.
    bool finish();

    // Closes and removes the file (nothing when it is not open).
    void discard();

private:
    bool flush();
    [[noreturn]] void fail(int error);

    std::string path_;
    int descriptor_ = -1;
    bool removable_ = false;
    bool failed_ = false;
    int error_ = 0;  // the system's error of the first failure
    std::vector<std::uint8_t> buffer_;
};

} // namespace Omvi
