// Reads the fuzzer's bytes as a PNG: as a file through the codec's reader
// (frame, properties, rows), then as a stream handed out one byte per read.
// Rows are read until 4 MB of them have been delivered, so a small input
// declaring a huge image costs time in proportion.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/pipeline/DataStreamInterface.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include "imaging/codecs/tests/MemoryFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace
{

constexpr std::int64_t kRowBudget = 4 << 20;

class OneByteStream : public Omvi::DataStreamInterface
{
public:
    OneByteStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override
    {
        const bool any = count > 0 && position_ < size_;
        if (any)
            std::memcpy(buffer, data_ + position_++, 1);
        *bytesRead = any ? 1 : 0;
    }
    bool write(std::int32_t, const void*) override { return false; }
    bool open(std::int32_t) override { return true; }
    bool rewind() override
    {
        position_ = 0;
        return true;
    }
    void close() override {}

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

void readFrame(Omvi::ReadImageFileInterface& reader)
{
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader.openFrame(0));
    if (!frame)
        return;
    int height = 0;
    int width = 0;
    frame->getSize(&height, &width);
    std::uint8_t palette[256 * 3];
    frame->getPalette(256, palette);
    delete frame->getProperties();
    for (int type = 0; type < 9; ++type)
        delete frame->getPropertyOfType(type);
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
    if (!rows)
        return;
    try
    {
        Omvi::DataBuffer row(std::max(rows->bytesPerRow(), 1));
        rows->start();
        std::int64_t delivered = 0;
        for (int r = 0; r < rows->rowCount() && delivered < kRowBudget; ++r)
        {
            rows->getRow(row);
            rows->next();
            delivered += rows->bytesPerRow();
        }
        rows->finish();
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PngFormatCodec codec;
    const OmviTest::MemoryFile file(data, size);
    if (file.isOpen())
    {
        codec.probe(file.specifier(), nullptr);
        std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
        if (reader)
            readFrame(*reader);
    }
    OneByteStream stream(data, size);
    std::unique_ptr<Omvi::ReadImageFileInterface> streamed(codec.openStreamForRead(&stream));
    if (streamed)
        readFrame(*streamed);
    return 0;
}
