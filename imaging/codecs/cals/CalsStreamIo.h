#pragma once
// A CALS file as a data stream: read through a 64 KB buffer, or created
// new (a file that exists is never overwritten) and written. Mode 0 none,
// 1 reading, 2 writing.
#include "imaging/pipeline/DataStreamInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

class FileSpecifier;

class CalsStreamIo : public DataStreamInterface
{
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CalsStreamIo();
    // Opens the file for reading (a regular file of kind 0); without one
    // the stream has no file and every read reports -1.
    explicit CalsStreamIo(const FileSpecifier& file);
    ~CalsStreamIo() override;
    CalsStreamIo(const CalsStreamIo&) = delete;
    CalsStreamIo& operator=(const CalsStreamIo&) = delete;

    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override;
    bool write(std::int32_t count, const void* buffer) override;
    // False when a mode is set already or there is no file.
    bool open(std::int32_t mode) override;
    bool rewind() override;
    void close() override;

    // Only while no file is open: reading as the constructor, or writing a
    // new file (false when it exists or cannot be made).
    bool openFile(const FileSpecifier& file, bool forWriting);
    bool hasFile() const { return descriptor_ >= 0; }
    // Closes and removes a file this stream created (after a failure).
    void discardCreatedFile();

private:
    int descriptor_ = -1;
    std::int32_t mode_ = 0;
    std::string createdPath_;
    std::vector<std::uint8_t> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
};

} // namespace Omvi
