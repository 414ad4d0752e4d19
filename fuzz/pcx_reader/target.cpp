// Reads the fuzzer's bytes as a PCX through the codec's reader: frame,
// palette, properties and rows. Rows are read until 4 MB of them have been
// delivered, so a small input declaring a huge image costs time in
// proportion.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include "imaging/codecs/tests/MemoryFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::PcxFormatCodec codec;
    constexpr std::int64_t kRowBudget = 4 << 20;
    const OmviTest::MemoryFile file(data, size);
    if (!file.isOpen())
        return 0;
    codec.probe(file.specifier(), nullptr);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    if (!reader)
        return 0;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader->openFrame(0));
    if (!frame)
        return 0;
    std::uint8_t palette[256 * 3];
    frame->getPalette(256, palette);
    delete frame->getProperties();
    delete frame->getPropertyOfType(7);
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
    if (!rows)
        return 0;
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
    return 0;
}
