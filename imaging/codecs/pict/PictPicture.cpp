#include "imaging/codecs/pict/PictPicture.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/pict/PictCursor.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

namespace Omvi
{
namespace
{

constexpr std::uint32_t kEndOfPicture = 0x00FF;
constexpr std::uint8_t kVersionOpcode = 0x11;
constexpr std::int32_t kDitherFlag = 64;
// The flag bits of a stored row length: bit 15 marks a pixel map.
constexpr std::uint16_t kPixMapFlag = 0x8000;
constexpr std::uint16_t kRowBytesMask = 0x3FFF;
constexpr std::size_t kPixMapRestBytes = 44; // a PixMap after its row bytes
constexpr std::int32_t kMostTableEntries = 256;
// Canvas paper where no raster operation lands: white, as QuickDraw's.
constexpr std::uint16_t kPaper = 0xFFFF;

// Steps over a region or polygon: its 16-bit size counts the size word.
void skipSized(PictCursor& cursor)
{
    const std::uint16_t size = cursor.u16();
    if (size < 2)
        throw PictOverrun{};
    cursor.skip(size - 2u);
}

void skipText(PictCursor& cursor, std::size_t before)
{
    cursor.skip(before);
    cursor.skip(cursor.u8());
}

bool inRange(std::uint32_t value, std::uint32_t first, std::uint32_t last)
{
    return value >= first && value <= last;
}

} // namespace

PictPicture::PictPicture(const std::string& nativePath)
{
    CodecFile file;
    if (!file.open(nativePath) || file.size() < static_cast<std::int64_t>(kPreambleBytes) ||
        file.size() > kMaxFileBytes)
        return;
    try
    {
        bytes_.resize(static_cast<std::size_t>(file.size()));
    }
    catch (const std::bad_alloc&)
    {
        return;
    }
    if (!file.readAt(0, bytes_.data(), bytes_.size()))
        return;
    walk();
}

PictPicture::PictPicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes))
{
    if (bytes_.size() >= kPreambleBytes &&
        static_cast<std::int64_t>(bytes_.size()) <= kMaxFileBytes)
        walk();
}

void PictPicture::walk()
{
    PictCursor cursor(bytes_.data(), bytes_.size(), kPreambleBytes);
    try
    {
        cursor.skip(2); // the picture size: too small to hold today's pictures
        frame_ = readPictRect(cursor);
        width_ = std::max(frame_.width(), 0);
        height_ = std::max(frame_.height(), 0);
        std::uint8_t byte = cursor.u8();
        while (byte == 0)
            byte = cursor.u8();
        if (byte != kVersionOpcode)
            return;
        version_ = cursor.u8();
        if (version_ == 2)
            cursor.skip(1); // 0xFF: the rest of the version-2 opcode
        else if (version_ != 1)
            return;

        // Only the end opcode ends the picture: a stream that stops before
        // it was cut, and what it drew so far is not the picture.
        while (true)
        {
            std::uint32_t opcode = 0;
            if (version_ == 2)
            {
                cursor.alignEven();
                opcode = cursor.u16();
            }
            else
            {
                opcode = cursor.u8();
            }
            if (opcode == kEndOfPicture)
                break;
            readOpcode(cursor, opcode);
        }
    }
    catch (const PictOverrun&)
    {
        records_.clear();
        return;
    }
    catch (const std::bad_alloc&)
    {
        records_.clear();
        return;
    }

    if (width_ < 1 || height_ < 1)
    {
        sizeRefusal_ = "The PICT picture's frame holds no pixels";
        return;
    }
    if (std::int64_t{width_} * height_ > kMaxCanvasPixels)
    {
        sizeRefusal_ = "The PICT picture's size is beyond what the reader decodes";
        return;
    }
    // Scaled copies are not drawn: the whole picture is refused.
    for (const PictRasterRecord& record : records_)
        if (record.source.width() != record.destination.width() ||
            record.source.height() != record.destination.height())
        {
            records_.clear();
            return;
        }
    usable_ = true;
    settleOutput();
}

void PictPicture::readOpcode(PictCursor& cursor, std::uint32_t opcode)
{
    switch (opcode)
    {
    case 0x0000:
        return;
    case 0x0001:
        skipSized(cursor);
        return;
    case 0x0003:
    case 0x0005:
    case 0x0008:
    case 0x000D:
    case 0x0015:
    case 0x0016:
    case 0x0023:
    case 0x00A0:
        cursor.skip(2);
        return;
    case 0x0004:
    case 0x0011:
        cursor.skip(1);
        return;
    case 0x0006:
    case 0x0007:
    case 0x000B:
    case 0x000C:
    case 0x000E:
    case 0x000F:
    case 0x0021:
        cursor.skip(4);
        return;
    case 0x0002:
    case 0x0009:
    case 0x000A:
    case 0x0010:
    case 0x0020:
        cursor.skip(8);
        return;
    case 0x0012:
    case 0x0013:
    case 0x0014:
        readPixelPattern(cursor);
        return;
    case 0x001A:
        foreground_ = readPictColor(cursor);
        return;
    case 0x001B:
        background_ = readPictColor(cursor);
        return;
    case 0x001F:
        opColor_ = readPictColor(cursor);
        return;
    case 0x001D:
    case 0x0022:
        cursor.skip(6);
        return;
    case 0x0028:
        skipText(cursor, 4);
        return;
    case 0x0029:
    case 0x002A:
        skipText(cursor, 1);
        return;
    case 0x002B:
        skipText(cursor, 2);
        return;
    case 0x0090:
    case 0x0098:
        readBits(cursor, false);
        return;
    case 0x0091:
    case 0x0099:
        readBits(cursor, true);
        return;
    case 0x009A:
        readDirectBits(cursor);
        return;
    case 0x00A1:
        cursor.skip(2);
        cursor.skip(cursor.u16());
        return;
    default:
        break;
    }
    if (inRange(opcode, 0x0024, 0x0027) || inRange(opcode, 0x002C, 0x002F) ||
        inRange(opcode, 0x0092, 0x0097) || inRange(opcode, 0x009B, 0x009F) ||
        inRange(opcode, 0x00A2, 0x00AF))
        cursor.skip(cursor.u16());
    else if (inRange(opcode, 0x0030, 0x0037) || inRange(opcode, 0x0040, 0x0047) ||
             inRange(opcode, 0x0050, 0x0057))
        cursor.skip(8);
    else if (inRange(opcode, 0x0060, 0x0067))
        cursor.skip(12);
    else if (inRange(opcode, 0x0068, 0x006F))
        cursor.skip(4);
    else if (inRange(opcode, 0x0070, 0x0077) || inRange(opcode, 0x0080, 0x0087))
        skipSized(cursor);
    else if (inRange(opcode, 0x00D0, 0x00FE) || opcode >= 0x8100)
        cursor.skip(cursor.u32());
    else if (inRange(opcode, 0x0100, 0x7FFF))
        cursor.skip((opcode >> 7) & 0xFF);
    // Everything else (0x00B0-0x00CF, 0x8000-0x80FF, the "same shape"
    // opcodes) carries no data.
}

void PictPicture::readPixMap(PictCursor& cursor, PictRasterRecord& record) const
{
    const std::uint8_t* pixMap = cursor.take(kPixMapRestBytes);
    PictCursor fields(pixMap, kPixMapRestBytes);
    record.bounds = readPictRect(fields);
    fields.skip(2); // version
    record.packType = fields.s16();
    fields.skip(4 + 4 + 4 + 2); // pack size, resolutions, pixel type
    record.pixelSize = fields.s16();
    record.componentCount = fields.s16();
}

void PictPicture::readColorTable(PictCursor& cursor, PictRasterRecord& record) const
{
    cursor.skip(4); // seed
    const std::uint16_t flags = cursor.u16();
    const std::int32_t count = cursor.s16() + 1;
    if (count < 0)
        throw PictOverrun{};
    record.tableCount = count;
    const std::int32_t entries =
        record.pixelSize >= 1 && record.pixelSize <= 8 ? 1 << record.pixelSize : 0;
    record.table.assign(static_cast<std::size_t>(std::min(entries, kMostTableEntries)),
                        PictColor{});
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint16_t value = cursor.u16();
        const PictColor color = readPictColor(cursor);
        // A device table lists its entries in order and ignores the values.
        const std::size_t slot = (flags & 0x8000) != 0 ? static_cast<std::size_t>(i) : value;
        if (slot < record.table.size())
            record.table[slot] = color;
    }
}

namespace
{

// Whether every stored row of the record passes `check`; `cursor` ends
// after the rows when they do.
bool rowsPass(PictCursor& cursor, const PictRasterRecord& record, PictRowCheck check)
{
    const PictRowLayout layout(record);
    if (!layout.valid())
        return false;
    std::vector<std::uint8_t> row(std::max<std::size_t>(layout.unpackedBytes(), 1));
    try
    {
        for (std::int32_t r = 0; r < record.bounds.height(); ++r)
            if (!layout.readRow(cursor, row.data(), check))
                return false;
    }
    catch (const PictOverrun&)
    {
        return false;
    }
    return true;
}

} // namespace

void PictPicture::stepOverRows(PictCursor& cursor, PictRasterRecord& record) const
{
    if (record.bounds.width() < 0 || record.bounds.height() < 0)
        throw PictOverrun{};
    // Writers near the 250-byte limit do not all agree with the row bytes
    // on how wide a packed row's length is, and a writer keeps to one
    // width through an image. The width whose every row unpacks exactly is
    // taken, the rule's first; failing both, the rule's if its rows still
    // yield their pixels (a writer's surplus bytes are dropped). Each trial
    // reads the rows once.
    const PictRowLayout layout(record);
    const std::pair<bool, PictRowCheck> trials[] = {{false, PictRowCheck::kExact},
                                                    {true, PictRowCheck::kExact},
                                                    {false, PictRowCheck::kEnough}};
    for (std::size_t i = 0; i < std::size(trials); ++i)
    {
        // Unpacked rows have no length to be wrong about.
        if (i > 0 && !layout.packed())
            break;
        record.otherLengthWidth = trials[i].first;
        PictCursor trial = cursor;
        if (rowsPass(trial, record, trials[i].second))
        {
            cursor = trial;
            return;
        }
    }
    throw PictOverrun{};
}

void PictPicture::readBits(PictCursor& cursor, bool withRegion)
{
    PictRasterRecord record;
    const std::uint16_t rowBytes = cursor.u16();
    record.rowBytes = rowBytes & kRowBytesMask;
    if ((rowBytes & kPixMapFlag) != 0)
    {
        readPixMap(cursor, record);
        readColorTable(cursor, record);
    }
    else
    {
        // A bitmap: one bit a pixel, 0 white and 1 black.
        record.bounds = readPictRect(cursor);
        record.pixelSize = 1;
        record.table = {PictColor{0xFFFF, 0xFFFF, 0xFFFF}, PictColor{0, 0, 0}};
        record.tableCount = 2;
    }
    record.source = readPictRect(cursor);
    record.destination = readPictRect(cursor);
    record.transfer.mode = cursor.u16() & ~kDitherFlag;
    if (withRegion)
        skipSized(cursor);
    record.dataOffset = cursor.position();
    stepOverRows(cursor, record);
    addRecord(std::move(record));
}

void PictPicture::readDirectBits(PictCursor& cursor)
{
    PictRasterRecord record;
    cursor.skip(4); // base address
    record.rowBytes = cursor.u16() & kRowBytesMask;
    readPixMap(cursor, record);
    record.source = readPictRect(cursor);
    record.destination = readPictRect(cursor);
    record.transfer.mode = cursor.u16() & ~kDitherFlag;
    record.dataOffset = cursor.position();
    stepOverRows(cursor, record);
    addRecord(std::move(record));
}

void PictPicture::readPixelPattern(PictCursor& cursor)
{
    const std::uint16_t type = cursor.u16();
    cursor.skip(8); // the one-bit pattern
    if (type == 2)
    {
        cursor.skip(6); // the dither colour
        return;
    }
    if (type != 1)
        return;
    // A full pixel pattern: its pixel map, colour table and rows are
    // stepped over.
    PictRasterRecord pattern;
    const std::uint16_t rowBytes = cursor.u16();
    pattern.rowBytes = rowBytes & kRowBytesMask;
    if ((rowBytes & kPixMapFlag) != 0)
    {
        readPixMap(cursor, pattern);
        readColorTable(cursor, pattern);
    }
    else
    {
        pattern.bounds = readPictRect(cursor);
        pattern.pixelSize = 1;
    }
    stepOverRows(cursor, pattern);
}

void PictPicture::addRecord(PictRasterRecord record)
{
    record.transfer.foreground = foreground_;
    record.transfer.background = background_;
    record.transfer.op = opColor_;
    records_.push_back(std::move(record));
}

void PictPicture::settleOutput()
{
    outputBits_ = 24;
    palette_.clear();
    if (records_.size() != 1)
        return;
    const PictRasterRecord& only = records_.front();
    if (only.pixelSize > 8 || only.tableCount >= 2)
        return;
    outputBits_ = 8;
    // Every pixel value gets an entry: the table's where it lists one (a
    // table of fewer than two entries lists at most one), else a grey ramp.
    const std::int32_t entries = 1 << only.pixelSize;
    palette_.resize(static_cast<std::size_t>(entries) * 3);
    for (std::int32_t i = 0; i < entries; ++i)
    {
        std::uint8_t* entry = &palette_[static_cast<std::size_t>(i) * 3];
        if (only.tableCount >= 1)
        {
            const PictColor& color = only.table[static_cast<std::size_t>(i)];
            entry[0] = narrowPictChannel(color.red);
            entry[1] = narrowPictChannel(color.green);
            entry[2] = narrowPictChannel(color.blue);
        }
        else
        {
            entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i * 255 / (entries - 1));
        }
    }
}

void PictPicture::render()
{
    if (rendered_)
        return;
    if (!usable_)
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    try
    {
        if (outputBits_ == 8)
            indices_.assign(pixels, 0);
        else
            canvas_.assign(3 * pixels, kPaper);
        for (const PictRasterRecord& record : records_)
            renderRecord(record);
    }
    catch (const std::bad_alloc&)
    {
        indices_.clear();
        canvas_.clear();
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    }
    catch (const PictOverrun&)
    {
        indices_.clear();
        canvas_.clear();
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    }
    records_.clear();
    records_.shrink_to_fit();
    rendered_ = true;
}

void PictPicture::renderRecord(const PictRasterRecord& record)
{
    // One region for source and destination alike: the source clipped to
    // its pixel map and to the part that lands inside the frame.
    const std::int32_t dx = record.destination.left - record.source.left;
    const std::int32_t dy = record.destination.top - record.source.top;
    const PictRect region =
        record.source.intersect(record.bounds).intersect(frame_.moved(-dx, -dy));
    if (region.isEmpty())
        return;
    const PictRowLayout layout(record);
    std::vector<std::uint8_t> row(std::max<std::size_t>(layout.unpackedBytes(), 1));
    PictCursor cursor(bytes_.data(), bytes_.size(), record.dataOffset);
    for (std::int32_t y = record.bounds.top; y < region.bottom; ++y)
    {
        if (!layout.readRow(cursor, row.data()))
            throw PictOverrun{};
        if (y < region.top)
            continue;
        const std::size_t canvasRow =
            static_cast<std::size_t>(y + dy - frame_.top) * static_cast<std::size_t>(width_);
        for (std::int32_t x = region.left; x < region.right; ++x)
        {
            const std::int32_t column = x - record.bounds.left;
            const std::size_t at = canvasRow + static_cast<std::size_t>(x + dx - frame_.left);
            if (outputBits_ == 8)
            {
                indices_[at] = layout.index(row.data(), column);
                continue;
            }
            std::uint16_t* target = &canvas_[3 * at];
            const PictColor source = layout.pixel(record, row.data(), column);
            const PictColor result =
                record.transfer.mode == PictTransferState::kSrcCopy
                    ? source
                    : record.transfer.combine(source, {target[0], target[1], target[2]});
            target[0] = result.red;
            target[1] = result.green;
            target[2] = result.blue;
        }
    }
}

void PictPicture::copyRow(std::int32_t row, std::uint8_t* out) const
{
    const std::size_t width = static_cast<std::size_t>(width_);
    const std::size_t first = static_cast<std::size_t>(row) * width;
    if (outputBits_ == 8)
    {
        std::memcpy(out, &indices_[first], width);
        return;
    }
    const std::uint16_t* source = &canvas_[3 * first];
    for (std::size_t x = 0; x < width; ++x)
    {
        out[4 * x] = narrowPictChannel(source[3 * x]);
        out[4 * x + 1] = narrowPictChannel(source[3 * x + 1]);
        out[4 * x + 2] = narrowPictChannel(source[3 * x + 2]);
        out[4 * x + 3] = 255;
    }
}

} // namespace Omvi
