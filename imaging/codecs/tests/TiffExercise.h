#pragma once
// Reads everything a TIFF file offers through the codec: every frame's
// size, model, palette, orientation and properties (GeoTIFF keys and the
// private placement record among them), every row of every frame, and
// every tile read directly. Damaged input must come back as codec
// exceptions (a corrupt image, code 8; a buffer refused, code 6) or as
// refusals, never as a crash, a hang or a leak. Shared by the damaged-input
// tests and the fuzz target; header-only.
#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace OmviTest::Tiff
{

struct ExerciseResult
{
    int frames = 0;
    std::int64_t rows = 0;
    int tiles = 0;
    int corrupt = 0;    // codec exceptions with code 8
    int unexpected = 0; // codec exceptions with any other code
};

// Bounds that keep one run short whatever sizes a damaged file claims.
struct ExerciseLimits
{
    int frames = 8;
    std::int64_t pixels = std::int64_t{1} << 22;  // per frame, rows and tiles alike
};

inline void exerciseFrame(Omvi::ReadImageFileFrameInterface& frame, const ExerciseLimits& limits,
                          ExerciseResult& result)
{
    int height = 0;
    int width = 0;
    frame.getSize(&height, &width);
    frame.dataModelKind();
    frame.sampleKind();
    frame.bitsPerPixel();
    frame.getOrientation();
    frame.isTiled();
    for (int kind = 0; kind < 4; ++kind)
        frame.isRowAccessSupported(kind);
    const int entries = frame.paletteCount();
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(std::max(entries, 1)) * 3);
    frame.getPalette(entries, palette.data());

    std::unique_ptr<Omvi::FormatCodecPropertySetIterator> properties(frame.getProperties());
    if (properties)
        for (properties->start(); !properties->isDone(); properties->next())
        {
            Omvi::StringBuffer text;
            properties->current()->valueAsText(text);
        }
    Omvi::StringBuffer name;
    Omvi::TiffFormatCodec::privateTagName(33535, name);
    std::unique_ptr<Omvi::FormatCodecPropertyInterface> privateTag(frame.getProperty(name));
    std::unique_ptr<Omvi::FormatCodecPropertyInterface> correlation(frame.getPropertyOfType(7));

    const std::int64_t area = std::int64_t{std::max(height, 0)} * std::max(width, 0);
    if (area > limits.pixels)
        return;
    try
    {
        std::unique_ptr<Omvi::RowIteratorInterface> rows(frame.newRowIterator());
        if (rows && rows->bytesPerRow() > 0)
        {
            Omvi::DataBuffer row(rows->bytesPerRow());
            rows->start();
            for (int y = 0; y < rows->rowCount(); ++y)
            {
                rows->getRow(row);
                ++result.rows;
                rows->next();
            }
            rows->finish();
        }
    }
    catch (Omvi::OMVIException* error)
    {
        ++(error->code() == 8 ? result.corrupt : result.unexpected);
        delete error;
    }

    auto* tiles = dynamic_cast<Omvi::DirectTileReadInterface*>(&frame);
    const int side = tiles ? tiles->tileSize() : 0;
    if (side <= 0 || std::int64_t{side} * side * 8 > limits.pixels * 8)
        return;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(side) * side * 8);
    const int across = static_cast<int>((std::int64_t{width} + side - 1) / side);
    const int down = static_cast<int>((std::int64_t{height} + side - 1) / side);
    for (int r = 0; r < down; ++r)
        for (int c = 0; c < across; ++c)
            if (tiles->readTile(r, c, tile.data()))
                ++result.tiles;
}

// Every frame of the file through `codec`.
inline ExerciseResult exercise(const Omvi::TiffFormatCodec& codec, const Omvi::FileSpecifier& file,
                               const ExerciseLimits& limits = ExerciseLimits())
{
    ExerciseResult result;
    codec.probe(file, nullptr);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file));
    if (!reader)
        return result;
    const int count = std::min(reader->frameCount(), limits.frames);
    for (int i = 0; i < count; ++i)
    {
        std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader->openFrame(i));
        if (!frame)
            continue;
        ++result.frames;
        exerciseFrame(*frame, limits, result);
    }
    return result;
}

} // namespace OmviTest::Tiff
