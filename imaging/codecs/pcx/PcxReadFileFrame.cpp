#include "imaging/codecs/pcx/PcxReadFileFrame.h"

#include "imaging/codecs/codec/BufferedFileReader.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/pcx/PcxProperties.h"
#include "imaging/codecs/pcx/PcxRowIterators.h"
#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/geometry/Vector2d.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace Omvi
{
namespace
{

std::int32_t paletteEntriesOf(std::int32_t depth)
{
    switch (depth)
    {
    case 1:
        return 2;
    case 2:
        return 4;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

constexpr const char* kNoWholePalette = "The PCX file does not end in a whole 256-colour palette after its image data";

// Where the run-length coded lines end: the position after the last coded
// byte of the last line; nothing when the file ends first.
std::optional<std::int64_t> imageDataEnd(const CodecFile& file, const PcxHeader& header)
{
    BufferedFileReader reader(file);
    reader.seek(PcxHeader::kSize);
    PcxRunDecoder decoder(reader);
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(std::max(header.height(), 0)) * header.planes() * header.bytesPerLine();
    if (decoder.skip(bytes) < bytes)
        return std::nullopt;
    return reader.position();
}

bool isColour(const std::uint8_t* entry, std::uint8_t level)
{
    return entry[0] == level && entry[1] == level && entry[2] == level;
}

} // namespace

PcxReadFileFrame::Layout PcxReadFileFrame::layoutOf(const PcxHeader& header)
{
    const int bits = header.bitsPerPlane();
    const int planes = header.planes();
    if (bits == 1 && planes == 1)
        return Layout::kBits;
    if (bits == 4 && planes == 1)
        return Layout::kNibbles;
    if (bits == 1 && planes == 4)
        return Layout::kBitPlanes;
    if (bits == 8 && planes == 1)
        return Layout::kBytes;
    if (bits == 8 && planes == 3)
        return Layout::kColourPlanes;
    return Layout::kNone;
}

PcxReadFileFrame::PcxReadFileFrame(const FileSpecifier& specifier, const CodecFile& file, const PcxHeader& header,
                                   std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : specifier_(specifier), header_(header), correlations_(std::move(correlations))
{
    depth_ = header.depth();
    layout_ = layoutOf(header);
    paletteCount_ = paletteEntriesOf(depth_);

    // The entries no table gives are a grey ramp.
    for (std::size_t i = 0; i < 256; ++i)
        std::memset(palette_.data() + 3 * i, static_cast<int>(i), 3);
    if (paletteCount_ > 0)
    {
        if (header.version() == 5 && depth_ == 8)
        {
            // The 256-entry table at the file's end, after its marker byte.
            // Without the marker there, the file was cut (or padded) and its
            // last bytes are no palette: taking them would colour every pixel
            // wrongly. A marker byte alone proves nothing (a cut can leave
            // one there by chance, among the palette's own entries or the
            // image data): the image data must also end before it.
            std::uint8_t trailer[PcxHeader::kTrailerSize];
            const std::int64_t at = file.size() - static_cast<std::int64_t>(PcxHeader::kTrailerSize);
            if (at < static_cast<std::int64_t>(PcxHeader::kSize) || !file.readAt(at, trailer, sizeof trailer) ||
                trailer[0] != PcxHeader::kPaletteMarker)
                throwCorruptImage(kNoWholePalette);
            const std::optional<std::int64_t> dataEnd = imageDataEnd(file, header);
            if (!dataEnd)
                throwCorruptImage("The PCX file ends within its image data");
            if (*dataEnd > at)
                throwCorruptImage(kNoWholePalette);
            std::memcpy(palette_.data(), trailer + 1, 768);
            fromTrailer_ = true;
        }
        else
        {
            std::memcpy(palette_.data(), header.headerPalette(), 3 * 16);
        }
    }

    switch (depth_)
    {
    case 1:
    {
        std::uint8_t* second = palette_.data() + 3;
        if (std::equal(palette_.data(), palette_.data() + 3, second))
            for (int c = 0; c < 3; ++c)
                second[c] = static_cast<std::uint8_t>(palette_[static_cast<std::size_t>(c)] - 1);
        // Black and white is bitonal, the black entry being ink; any other
        // pair of colours stays a palette.
        const bool blackFirst = isColour(palette_.data(), 0) && isColour(second, 255);
        const bool whiteFirst = isColour(palette_.data(), 255) && isColour(second, 0);
        kind_ = blackFirst || whiteFirst ? kColorSpaceBitonal : kColorSpacePalette;
        lightBitsSet_ = !whiteFirst;
        break;
    }
    case 2:
    case 4:
    case 8:
    {
        bool ramp = true;
        for (std::int32_t i = 0; i < paletteCount_ && ramp; ++i)
            ramp = isColour(palette_.data() + 3 * i, static_cast<std::uint8_t>(i));
        kind_ = header.paletteInfo() == 2 || ramp ? kColorSpaceGray : kColorSpacePalette;
        break;
    }
    case 24:
    case 32:
        kind_ = kColorSpaceRgb;
        break;
    default:
        kind_ = kColorSpaceNone;
        break;
    }

    const double horizontal = header.horizontalDensity();
    const double vertical = header.verticalDensity();
    const Vector2d pixelSize = horizontal != 0 && vertical != 0 ? Vector2d(1.0 / horizontal, 1.0 / vertical)
                                                                 : Vector2d(1.0, 1.0);
    readExternalCorrelations(correlations_.get(), header.height(), header.width(),
                             [&pixelSize](FormatCodecExternalCorrelation& external) {
                                 external.setPixelSize(pixelSize);
                                 external.setUnit(5);
                             });
}

PcxReadFileFrame::~PcxReadFileFrame() = default;

void PcxReadFileFrame::getSize(int* height, int* width) const
{
    if (height != nullptr)
        *height = header_.height();
    if (width != nullptr)
        *width = header_.width();
}

int PcxReadFileFrame::sampleKind() const
{
    switch (kind_)
    {
    case kColorSpaceBitonal:
        return kDataTypeOneBit;
    case kColorSpacePalette:
    case kColorSpaceGray:
        return kDataTypeEightBit;
    case kColorSpaceRgb:
        return kDataTypeThirtyTwoBit;
    default:
        return kDataTypeOneBit;
    }
}

int PcxReadFileFrame::bitsPerPixel() const
{
    return depth_ == 16 || depth_ == 32 ? 24 : depth_;
}

void PcxReadFileFrame::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1)
        return;
    std::memcpy(rgb, palette_.data(), static_cast<std::size_t>(std::min(count, paletteCount_)) * 3);
}

RowIteratorInterface* PcxReadFileFrame::newRowIterator()
{
    std::unique_ptr<PcxRowIteratorUC> rows;
    switch (layout_)
    {
    case Layout::kBits:
        if (kind_ == kColorSpaceBitonal)
            rows = std::make_unique<PcxRowIterator_1_1>(specifier_, header_, lightBitsSet_);
        else
            rows = std::make_unique<PcxRowIterator_1_8>(specifier_, header_);
        break;
    case Layout::kNibbles:
    case Layout::kBitPlanes:
        rows = std::make_unique<PcxRowIterator_4_8>(specifier_, header_, layout_ == Layout::kBitPlanes,
                                                    kind_ == kColorSpaceGray);
        break;
    case Layout::kBytes:
        rows = std::make_unique<PcxRowIterator_8_8>(specifier_, header_, kind_ == kColorSpaceGray, palette_.data());
        break;
    case Layout::kColourPlanes:
        rows = std::make_unique<PcxRowIterator_24_32>(specifier_, header_);
        break;
    case Layout::kNone:
        return nullptr;
    }
    return rows->isUsable() ? rows.release() : nullptr;
}

FormatCodecPropertySetIterator* PcxReadFileFrame::getProperties()
{
    auto set = std::make_unique<PcxPropertySetIterator>();
    if (header_.horizontalDensity() > 0 && header_.verticalDensity() > 0)
    {
        const PcxDensityProperty density(header_.horizontalDensity(), header_.verticalDensity());
        set->append(&density);
    }
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* PcxReadFileFrame::getProperty(const StringBuffer& name)
{
    if (!equalsCodecString(name, PcxStringId::kDensityName))
        return nullptr;
    return getPropertyOfType(FormatCodecPropertyInterface::kDensity);
}

FormatCodecPropertyInterface* PcxReadFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType == FormatCodecPropertyInterface::kDensity)
    {
        if (header_.horizontalDensity() > 0 && header_.verticalDensity() > 0)
            return new PcxDensityProperty(header_.horizontalDensity(), header_.verticalDensity());
        return nullptr;
    }
    if (propertyType == FormatCodecPropertyInterface::kCorrelation)
        return cloneFirstValidCorrelation(correlations_.get());
    return nullptr;
}

} // namespace Omvi
