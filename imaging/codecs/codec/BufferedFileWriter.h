#pragma once
// An output file that a codec writer fills through a buffer. A file that is
// not finished (finish() answered true) is removed again when the writer
// lets it go, so a failed or abandoned write never leaves a truncated image
// behind. Every failure is remembered: finish() answers false when any
// write, the flush or the close failed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

class BufferedFileWriter
{
public:
    enum class Creation
    {
        kReplace,   // create, or empty an existing file
        kExclusive  // create a new file only
    };
    static constexpr std::size_t kBufferSize = 64 * 1024;

    BufferedFileWriter() = default;
    // Removes the file unless it was finished.
    ~BufferedFileWriter();
    BufferedFileWriter(const BufferedFileWriter&) = delete;
    BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

    // Opens `nativePath` for writing; false when it cannot be created.
    bool create(const std::string& nativePath, Creation creation);
    bool isOpen() const { return descriptor_ >= 0; }
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
    // Closes and removes the file.
    void discard();

private:
    bool flush();

    std::string path_;
    int descriptor_ = -1;
    // Only a regular file is removed: a device or pipe named as the output
    // stays where it is.
    bool removable_ = false;
    bool failed_ = false;
    std::vector<std::uint8_t> buffer_;
};

} // namespace Omvi
