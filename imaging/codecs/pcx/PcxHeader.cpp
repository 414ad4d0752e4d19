#include "imaging/codecs/pcx/PcxHeader.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

bool PcxHeader::followsTheRules() const
{
    const std::uint8_t v = version();
    return manufacturer() == kManufacturer && (v == 0 || v == 2 || v == 3 || v == 5) &&
           encoding() == kRunLengthEncoding;
}

bool PcxHeader::lineLengthFitsTheWidth() const
{
    const std::int32_t needed = neededBytesPerLine();
    const std::int32_t stored = bytesPerLine();
    return stored >= needed && stored <= ((needed + 1) & ~1) + kLinePaddingSlack;
}

template <typename Emit> std::uint64_t PcxRunDecoder::walk(std::uint64_t length, Emit emit)
{
    std::uint64_t done = 0;
    while (done < length)
    {
        if (pendingCount_ > 0)
        {
            const auto take =
                static_cast<std::size_t>(std::min<std::uint64_t>(pendingCount_, length - done));
            emit(done, pendingByte_, take);
            done += take;
            pendingCount_ -= take;
            continue;
        }
        const int byte = reader_.get();
        if (byte < 0)
            break;
        if (byte < 0xC0)
        {
            emit(done, static_cast<std::uint8_t>(byte), 1);
            ++done;
            continue;
        }
        const int value = reader_.get();
        if (value < 0)
            break;
        pendingCount_ = static_cast<std::size_t>(byte & 0x3F);
        pendingByte_ = static_cast<std::uint8_t>(value);
    }
    return done;
}

std::size_t PcxRunDecoder::decode(std::uint8_t* out, std::size_t length)
{
    const std::uint64_t done = walk(length,
                                    [out](std::uint64_t at, std::uint8_t byte, std::size_t count)
                                    {
                                        if (count == 1)
                                            out[at] = byte;
                                        else
                                            std::memset(out + at, byte, count);
                                    });
    return static_cast<std::size_t>(done);
}

std::uint64_t PcxRunDecoder::skip(std::uint64_t length)
{
    return walk(length, [](std::uint64_t, std::uint8_t, std::size_t) {});
}

void appendPcxRuns(const std::uint8_t* row, std::size_t length, std::vector<std::uint8_t>& out)
{
    std::size_t at = 0;
    while (at < length)
    {
        const std::uint8_t value = row[at];
        std::size_t run = 1;
        while (at + run < length && run < 63 && row[at + run] == value)
            ++run;
        if (run > 1 || value >= 0xC0)
            out.push_back(static_cast<std::uint8_t>(0xC0 | run));
        out.push_back(value);
        at += run;
    }
}

} // namespace Omvi
