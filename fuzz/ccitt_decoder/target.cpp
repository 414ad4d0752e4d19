// The bilevel decoder on arbitrary code. The first bytes choose the mode
// (Group 3 1-D, Group 3 2-D, Group 4), the fill order, the width and the
// rows asked for; the rest is the code. Rows must stay inside their buffer,
// and rows the decoder delivers must come back unchanged through the
// encoder and the decoder again.
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/cals/DecodeBlockStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr std::size_t kSettingBytes = 4;

void checkRoundTrip(const std::vector<std::uint8_t>& rows, std::int32_t width, std::int32_t rowBytes, int mode)
{
    Omvi::Encoder encoder;
    if (!encoder.setup(mode, 1, 0, width))
        std::abort();
    const auto count = static_cast<std::int32_t>(rows.size()) / rowBytes;
    std::vector<std::uint8_t> code(static_cast<std::size_t>(Omvi::Encoder::worstCaseRowBytes(width) * (count + 1)));
    std::int32_t produced = 0;
    if (!encoder.encodeBlock(rows.data(), static_cast<std::int32_t>(rows.size()), code.data(),
                             static_cast<std::int32_t>(code.size()), &produced))
        std::abort();
    Omvi::Decoder decoder;
    decoder.setup(mode, 1, width);
    std::vector<std::uint8_t> back(rows.size(), 0xA5);
    if (!decoder.decodeBlock(code.data(), produced, back.data(), static_cast<std::int32_t>(back.size())) ||
        back != rows)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto silenced = Omvi::setCcittDiagnosticSink(nullptr);
    (void)silenced;
    if (size < kSettingBytes)
        return 0;
    const int mode = data[0] % 3;
    const int fillOrder = (data[0] >> 2) & 1;
    const std::int32_t width = 1 + ((data[1] << 8 | data[2]) % 5000);
    const std::int32_t rows = 1 + data[3] % 64;
    const std::int32_t rowBytes = (width + 7) / 8;
    const std::uint8_t* code = data + kSettingBytes;
    const auto codeSize = static_cast<std::int32_t>(size - kSettingBytes);

    Omvi::Decoder decoder;
    if (!decoder.setup(mode, fillOrder, width))
        std::abort();
    // One guard byte past the rows must stay as it is.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(rows * rowBytes) + 1, 0xEE);
    decoder.decodeBlock(code, codeSize, buffer.data(), rows * rowBytes);
    if (buffer.back() != 0xEE)
        std::abort();
    if (width % 8 != 0)
    {
        for (std::int32_t r = 0; r < rows; ++r)
            if (buffer[static_cast<std::size_t>(r * rowBytes + rowBytes - 1)] & (0xFF >> (width % 8)))
                std::abort();
    }

    // Row by row from a stream gives the same rows.
    Omvi::DecodeBlockStream stream(code, codeSize);
    stream.open(Omvi::DataStreamInterface::kRead);
    decoder.setStream(&stream);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (std::int32_t r = 0; r < rows; ++r)
    {
        decoder.decodeRows(row.data(), rowBytes);
        if (std::memcmp(row.data(), buffer.data() + static_cast<std::size_t>(r) * rowBytes, row.size()) != 0)
            std::abort();
    }

    buffer.pop_back();
    checkRoundTrip(buffer, width, rowBytes, mode);
    return 0;
}
