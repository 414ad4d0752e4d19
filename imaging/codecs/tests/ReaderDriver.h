#pragma once
// What the codec readers' fuzz targets do with their bytes: the probe, the
// reader, and for each frame every answer a reader's user asks for (size,
// palette, properties, each property type) and its rows. A damaged input
// may only end a frame with the library's exception; anything else (a
// crash, a leak, a hang, a runaway allocation) is the fuzzer's find.
// Header-only, so fuzz targets include it as well.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace OmviTest
{

struct ReaderLimits
{
    // Frames opened: the reader's count, at most this many.
    int frames = 1;
    // A frame of more pixels is opened and asked, but its rows are not read
    // (a small input may claim a huge picture that decodes from nothing).
    std::int64_t pixels = std::numeric_limits<std::int64_t>::max();
    // Rows are read until this many bytes of them have been delivered.
    std::int64_t rowBytes = std::numeric_limits<std::int64_t>::max();
    // Times the rows are read from the start (decoders that start over).
    int passes = 1;
    // When set, a sub-region iterator's rows are read again from this
    // corner (row, column).
    std::optional<std::pair<int, int>> regionTopLeft;
};

// Reads the rows front to back within the byte budget, then finishes.
inline void drainRows(Omvi::RowIteratorInterface& rows, std::int64_t byteBudget)
{
    Omvi::DataBuffer row(std::max(rows.bytesPerRow(), 1));
    rows.start();
    std::int64_t delivered = 0;
    for (std::int32_t r = 0; r < rows.rowCount() && delivered < byteBudget; ++r)
    {
        rows.getRow(row);
        rows.next();
        delivered += rows.bytesPerRow();
    }
    rows.finish();
}

// Everything a reader's user asks of frame `index`, its rows within the
// limits; the library's exception ends the frame.
inline void exerciseFrame(Omvi::ReadImageFileInterface& reader, int index, const ReaderLimits& limits)
{
    try
    {
        std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader.openFrame(index));
        if (!frame)
            return;
        int height = 0;
        int width = 0;
        frame->getSize(&height, &width);
        const int entries = std::max(frame->paletteCount(), 0);
        std::vector<std::uint8_t> palette(static_cast<std::size_t>(std::max(entries, 256)) * 3);
        frame->getPalette(entries, palette.data());
        frame->getPalette(256, palette.data());
        delete frame->getProperties();
        for (int type = 0; type < 9; ++type)
            delete frame->getPropertyOfType(type);
        if (static_cast<std::int64_t>(height) * width > limits.pixels)
            return;
        std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
        if (!rows)
            return;
        for (int pass = 0; pass < limits.passes; ++pass)
            drainRows(*rows, limits.rowBytes);
        auto* region = dynamic_cast<Omvi::SubRegionRowIteratorInterface*>(rows.get());
        if (region != nullptr && limits.regionTopLeft)
        {
            region->setTopLeft(limits.regionTopLeft->first, limits.regionTopLeft->second);
            drainRows(*region, limits.rowBytes);
        }
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
    }
}

// Every frame of a reader the codec opened (or nothing when it did not).
inline void exerciseReader(Omvi::ReadImageFileInterface* opened, const ReaderLimits& limits)
{
    const std::unique_ptr<Omvi::ReadImageFileInterface> reader(opened);
    if (!reader)
        return;
    const int frames = std::min(reader->frameCount(), limits.frames);
    // A reader that counts no frame is still asked for its first.
    for (int index = 0; index < std::max(frames, 1); ++index)
        exerciseFrame(*reader, index, limits);
}

// The codec's probe and reader on the bytes seen as a file.
inline void exerciseFile(const Omvi::ImageFormatCodec& codec, const std::uint8_t* data, std::size_t size,
                         const ReaderLimits& limits)
{
    const MemoryFile file(data, size);
    if (!file.isOpen())
        return;
    codec.probe(file.specifier(), nullptr);
    exerciseReader(codec.openForRead(file.specifier()), limits);
}

// The codec's reader on the bytes as a data stream that hands out at most
// `piece` bytes a read.
inline void exerciseStream(const Omvi::ImageFormatCodecStreamingInterface& codec, const std::uint8_t* data,
                           std::size_t size, std::size_t piece, const ReaderLimits& limits)
{
    MemoryStream stream(Pixels(data, data + size));
    stream.readChunk = piece;
    exerciseReader(codec.openStreamForRead(&stream), limits);
}

} // namespace OmviTest
