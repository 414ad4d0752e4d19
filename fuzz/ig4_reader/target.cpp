// The IG4 reader on arbitrary bytes seen as a file: its raster is
// opened, its properties made and its rows read strip by strip. Failures
// must be the codec's exception, never a crash, a leak or a runaway
// allocation.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace
{

constexpr std::int64_t kPixelBudget = 4 * 1024 * 1024;

void readFrame(Omvi::ReadImageFileInterface& reader, int index)
{
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader.openFrame(index));
    if (!frame)
        return;
    int height = 0;
    int width = 0;
    frame->getSize(&height, &width);
    delete frame->getProperties();
    delete frame->getPropertyOfType(7);
    if (static_cast<std::int64_t>(height) * width > kPixelBudget)
        return;
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame->newRowIterator());
    if (!rows)
        return;
    Omvi::DataBuffer row(rows->bytesPerRow());
    rows->start();
    for (std::int32_t r = 0; r < rows->rowCount(); ++r)
    {
        rows->getRow(row);
        rows->next();
    }
    rows->finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Omvi::Ig4FormatCodec codec;
    static const auto silenced = Omvi::setCcittDiagnosticSink(nullptr);
    (void)silenced;
    OmviTest::MemoryFile file(data, size);
    codec.probe(file.specifier(), nullptr);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    if (!reader)
        return 0;
    for (int index = 0; index < reader->frameCount(); ++index)
    {
        try
        {
            readFrame(*reader, index);
        }
        catch (Omvi::OMVIException* failure)
        {
            delete failure;
        }
    }
    return 0;
}
