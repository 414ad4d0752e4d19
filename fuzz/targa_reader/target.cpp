// The Targa reader on arbitrary bytes: the probe, a frame, its palette and
// every row, twice (the run-length decoder starts over). Every failure must
// be the codec's exception, never a crash, a leak or a runaway allocation.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{

// Frames of more pixels are opened but not decoded, which keeps each input
// quick; the sizes of a Targa file go up to 65535 each way.
constexpr std::int64_t kPixelBudget = 4 * 1024 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::TargaFormatCodec codec;
    OmviTest::MemoryFile file(data, size);
    codec.probe(file.specifier(), nullptr);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    if (!reader)
        return 0;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader->openFrame(0));
    if (!frame)
        return 0;
    delete frame->getProperties();
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(frame->paletteCount()) * 3 + 1);
    frame->getPalette(frame->paletteCount(), palette.data());
    int height = 0;
    int width = 0;
    frame->getSize(&height, &width);
    if (static_cast<std::int64_t>(height) * width > kPixelBudget)
        return 0;
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
    if (!rows)
        return 0;
    Omvi::DataBuffer row(rows->bytesPerRow());
    for (int pass = 0; pass < 2; ++pass)
    {
        try
        {
            rows->start();
            for (std::int32_t r = 0; r < rows->rowCount(); ++r)
            {
                rows->getRow(row);
                rows->next();
            }
            rows->finish();
        }
        catch (Omvi::OMVIException* failure)
        {
            delete failure;
        }
    }
    return 0;
}
