#include "imaging/codecs/cals/CalsWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/cals/CalsStreamIo.h"
#include "imaging/codecs/cals/CalsWriteFileFrame.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Omvi
{
namespace
{

void writeOrThrow(DataStreamInterface& stream, const std::uint8_t* bytes, std::int32_t count)
{
    if (!stream.write(count, bytes))
        throwFormatCodecException("Unable to write the image file", kCodecCorruptImage);
}

} // namespace

CalsWriteFile::CalsWriteFile(const CalsFormatCodec* codec) : CodecWriteFile(codec) {}

CalsWriteFile::CalsWriteFile(const CalsFormatCodec* codec, DataStreamInterface* stream)
    : CodecWriteFile(codec, true), stream_(stream)
{
}

CalsWriteFile::~CalsWriteFile() = default;

WriteImageFileFrameInterface* CalsWriteFile::createFrame()
{
    return new CalsWriteFileFrame(newWritingCorrelations());
}

bool CalsWriteFile::open(const FileSpecifier& file)
{
    if (writesStream() || file.kind() != FileSpecifier::kFile)
        return false;
    setFileSpecifier(file);
    return true;
}

int CalsWriteFile::writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows)
{
    if (frame == nullptr || rows == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    auto* calsFrame = dynamic_cast<CalsWriteFileFrame*>(frame);
    if (calsFrame == nullptr)
        throwFormatCodecException("Invalid Frame Attributes", kCodecNullParameter);
    if (!calsFrame->requiredPropertiesSet())
        throwFormatCodecException("Required Properties Not Set", kCodecRequiredPropertiesNotSet);
    if (rows->width() <= 0 || rows->rowCount() <= 0)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    if (calsFrame->pels() != rows->width() || calsFrame->lines() != rows->rowCount() ||
        rows->bytesPerRow() < (rows->width() + 7) / 8)
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);
    if (written_)
        throwFormatCodecException("Cals does not support multiple frames", kCodecMultipleFrames);
    if (calsFrame->pels() > Encoder::kMaximumWidth)
        throwFormatCodecException("Invalid image size", kCodecInvalidSize);

    if (writesStream())
    {
        if (stream_ == nullptr)
            throwFormatCodecException("NULL parameter", kCodecNullParameter);
        written_ = true;
        writeRaster(*calsFrame, *rows, *stream_);
        stream_->close();
    }
    else
    {
        // A file that exists is left alone: nothing is written, no side-car.
        CalsStreamIo output;
        if (!output.openFile(fileSpecifier(), true))
            throwFormatCodecException("Unable to create the image file", kCodecCorruptImage);
        written_ = true;
        try
        {
            writeRaster(*calsFrame, *rows, output);
        }
        catch (...)
        {
            output.discardCreatedFile();
            throw;
        }
        output.close();
    }

    // The side-car files, once the image is there.
    writeExternalCorrelations(calsFrame->correlations(), calsFrame->lines(), calsFrame->pels(), 1);
    return 1;
}

void CalsWriteFile::writeRaster(const CalsWriteFileFrame& frame, RowIteratorInterface& rows,
                                DataStreamInterface& stream)
{
    CalsHeader header = frame.header();
    writeOrThrow(stream, header.block(), static_cast<std::int32_t>(CalsHeader::kSize));

    const std::int32_t pels = frame.pels();
    Encoder encoder;
    if (!encoder.setup(CcittMode::kGroup4, CcittFillOrder::kMostSignificantFirst, 0, pels))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    // The coded bytes are written out once more than half of the pels are
    // pending; the buffer holds that much and the largest code of one more
    // line, so a line never finds it full.
    const std::int32_t threshold = pels / 2;
    const std::int64_t capacity =
        std::max<std::int64_t>(16, threshold + Encoder::worstCaseRowBytes(pels) + 16);
    std::vector<std::uint8_t> output(static_cast<std::size_t>(capacity), 0);
    encoder.setOutput(output.data(), static_cast<std::int32_t>(capacity));

    const std::int32_t bytesPerLine = (pels + 7) / 8;
    DataBuffer line(std::max(rows.bytesPerRow(), bytesPerLine));
    std::memset(line.data(), 0, static_cast<std::size_t>(line.size()));
    std::int32_t pending = 0;
    rows.start();
    for (std::int32_t r = 0; r < rows.rowCount(); ++r)
    {
        rows.getRow(line);
        rows.next();
        std::int32_t produced = 0;
        if (!encoder.encodeRows(line.data(), bytesPerLine, &produced))
            throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
        pending += produced;
        if (pending > threshold)
        {
            writeOrThrow(stream, output.data(), pending);
            encoder.resetOutput();
            pending = 0;
        }
    }
    rows.finish();
    std::int32_t produced = 0;
    if (!encoder.finish(&produced))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    pending += produced;
    writeOrThrow(stream, output.data(), pending);
}

} // namespace Omvi
