#include "imaging/codecs/pcx/PcxWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/pcx/PcxWriteFileFrame.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Omvi
{

PcxWriteFile::PcxWriteFile(const PcxFormatCodec* codec) : CodecWriteFile(codec) {}

PcxWriteFile::~PcxWriteFile() = default;

WriteImageFileFrameInterface* PcxWriteFile::createFrame()
{
    return new PcxWriteFileFrame(newWritingCorrelations());
}

bool PcxWriteFile::open(const FileSpecifier& file)
{
    const std::optional<std::string> path = CodecFile::nativePath(file);
    if (!path || output_.isOpen() || written_)
        return false;
    setFileSpecifier(file);
    return output_.create(*path, CodecOutputFile::Creation::kExclusive);
}

int PcxWriteFile::writeFrame(WriteImageFileFrameInterface* frameInterface, RowIteratorInterface* rows)
{
    if (frameInterface == nullptr || rows == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    auto* frame = dynamic_cast<PcxWriteFileFrame*>(frameInterface);
    if (frame == nullptr)
        throwFormatCodecException("Invalid Frame Attributes", kCodecNullParameter);
    if (!frame->requiredPropertiesSet())
        throwFormatCodecException("Required Properties Not Set", kCodecRequiredPropertiesNotSet);
    PcxHeader header = frame->header();
    if (rows->width() < 1 || rows->rowCount() < 1)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    if (header.xmax() + 1 != rows->width() || header.ymax() + 1 != rows->rowCount())
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);

    const int bits = header.bitsPerPlane();
    const std::int32_t width = rows->width();
    // Lines are stored with an even byte count, as the format asks (the
    // one width whose even count would not fit the field keeps its odd one).
    const std::int64_t neededPerLine = bits == 1 ? (std::int64_t(width) + 7) / 8 : width;
    const std::int64_t bytesPerLine = neededPerLine + (neededPerLine % 2 != 0 && neededPerLine < 0xFFFF ? 1 : 0);
    bool consistent = neededPerLine <= 0xFFFF;
    switch (frame->kind())
    {
    case kColorSpacePalette:
    case kColorSpaceGray:
        consistent = consistent && bits == 8;
        break;
    case kColorSpaceBitonal:
        consistent = consistent && bits == 1 && frame->paletteCount() == 2;
        break;
    default:
        consistent = false;
        break;
    }
    if (!consistent)
        throwFormatCodecException("Parameters Set mismatch", kCodecParametersMismatch);
    if (written_)
        throwFormatCodecException("PCX does not support multiple frames", kCodecMultipleFrames);
    if (!output_.isOpen())
        throw new FileIOException("The PCX file is not open", FileIOException::kOtherFailure);

    header.set16(66, static_cast<std::uint16_t>(bytesPerLine));
    bool ok = output_.write(header.bytes.data(), header.bytes.size());

    const std::int32_t rowBytes = std::max(rows->bytesPerRow(), static_cast<std::int32_t>(bytesPerLine));
    DataBuffer row(rowBytes);
    std::memset(row.data(), 0, static_cast<std::size_t>(rowBytes));
    std::vector<std::uint8_t> coded;
    coded.reserve(static_cast<std::size_t>(bytesPerLine) * 2 + 2);
    rows->start();
    for (std::int32_t r = 0; r < rows->rowCount() && ok; ++r)
    {
        rows->getRow(row);
        std::uint8_t* bytes = row.data();
        if (bits == 1)
        {
            // A set bit is ink; the file's set bits are white.
            for (std::int64_t i = 0; i < neededPerLine; ++i)
                bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
        }
        std::fill(bytes + neededPerLine, bytes + bytesPerLine, std::uint8_t{0});
        coded.clear();
        appendPcxRuns(bytes, static_cast<std::size_t>(bytesPerLine), coded);
        ok = output_.write(coded.data(), coded.size());
        rows->next();
    }
    rows->finish();
    ok = ok && output_.put(PcxHeader::kPaletteMarker) && output_.write(frame->palette(), 768);
    if (!ok || !output_.finish())
    {
        output_.discard();
        throw new FileIOException("Unable to write the PCX file", FileIOException::kOtherFailure);
    }
    written_ = true;

    // The format keeps no bits a pixel for its side-car files.
    writeExternalCorrelations(frame->correlations(), rows->rowCount(), rows->width(), std::nullopt);
    return 1;
}

} // namespace Omvi
