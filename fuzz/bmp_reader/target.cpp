// The BMP reader on arbitrary bytes: a frame, its properties, and every
// row of the whole image and of a region. Every failure must be the
// codec's exception, never a crash, a leak or a runaway allocation.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::BmpFormatCodec codec;
    try
    {
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
        std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
        if (!rows)
            return 0;
        Omvi::DataBuffer row(rows->bytesPerRow());
        rows->start();
        for (std::int32_t r = 0; r < rows->rowCount(); ++r)
        {
            rows->getRow(row);
            rows->next();
        }
        auto* region = dynamic_cast<Omvi::SubRegionRowIteratorInterface*>(rows.get());
        if (region != nullptr && size > 2)
        {
            region->setTopLeft(data[size - 1] % 7, data[size - 2] % 13);
            Omvi::DataBuffer part(region->bytesPerRow());
            region->start();
            for (std::int32_t r = 0; r < region->rowCount(); ++r)
            {
                region->getRow(part);
                region->next();
            }
        }
        rows->finish();
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
    }
    return 0;
}
