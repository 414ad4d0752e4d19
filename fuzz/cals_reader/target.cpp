// The CALS reader on arbitrary bytes, through a file and through a data
// stream: every failure must be the codec's exception, never a crash, a
// leak or a runaway allocation. Frames of more than a few million pixels
// are opened but not decoded, which keeps each input quick.
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace
{

constexpr std::int64_t kPixelBudget = 4 * 1024 * 1024;

void readFrame(Omvi::ReadImageFileInterface& reader)
{
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader.openFrame(0));
    if (!frame)
        return;
    int height = 0;
    int width = 0;
    frame->getSize(&height, &width);
    delete frame->getProperties();
    delete frame->getPropertyOfType(3);
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
    static Omvi::CalsFormatCodec codec;
    static const auto silenced = Omvi::setCcittDiagnosticSink(nullptr);
    (void)silenced;
    try
    {
        OmviTest::MemoryFile file(data, size);
        std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
        if (reader)
            readFrame(*reader);
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
    }
    if (size % 2 == 1)
    {
        try
        {
            OmviTest::MemoryStream stream(OmviTest::Pixels(data, data + size));
            stream.readChunk = 1 + size % 7;
            std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
            if (reader)
                readFrame(*reader);
        }
        catch (Omvi::OMVIException* failure)
        {
            delete failure;
        }
    }
    return 0;
}
