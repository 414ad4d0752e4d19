// The PICT reader on arbitrary bytes: the opcode walk, the frame's answers
// and every rendered row. Every failure must be the codec's answer (no
// rows) or the library's exception, never a crash, a leak, a hang or a
// runaway allocation.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PictFormatCodec codec;
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
        rows->finish();
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
    }
    return 0;
}
