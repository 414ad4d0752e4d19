#pragma once
// The first frame of a FLI or FLC animation, decoded whole: the palette and
// one palette index a pixel, rows top-down. The chunks before the second
// frame chunk are applied in file order. A file whose chunks run past its
// end, whose packets run past their chunk, a line or the image, or that
// ends before its first frame is complete is damaged: it keeps its size
// but gives no rows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Omvi
{

class CodecFile;
class FlicChunkReader;

class FlicImage
{
public:
    static constexpr std::size_t kHeaderBytes = 128;
    static constexpr std::size_t kChunkHeaderBytes = 6;
    // Images above this many pixels are refused: the size a texture may
    // have (one byte a pixel, so 64 MiB at the most).
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

    enum ChunkType : std::uint16_t
    {
        kColor256 = 4,
        kWordDelta = 7,
        kColor64 = 11,
        kLineDelta = 12,
        kBlack = 13,
        kByteRun = 15,
        kLiteral = 16,
        kFrame = 0xF1FA
    };

    // Reads the header's frame count, width and height (all 0 when the
    // file is shorter than its header).
    explicit FlicImage(const CodecFile& file);

    // Decodes the first frame.
    void decode(const CodecFile& file);

    std::int32_t frameCount() const { return frameCount_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    bool decoded() const { return decoded_; }
    // Why the first frame was not decoded, in words about the file; null
    // once it was.
    const char* refusal() const { return decoded_ ? nullptr : refusal_; }
    // Red, green, blue for each of the 256 entries.
    const std::array<std::uint8_t, 768>& palette() const { return palette_; }
    const std::uint8_t* row(std::int32_t y) const
    {
        return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }

private:
    // The chunks up to the second frame; false when the file is damaged.
    bool applyFirstFrame(const CodecFile& file);
    void applyChunk(std::uint16_t type, const std::uint8_t* data, std::size_t size);
    void readColors(FlicChunkReader& reader, int scale);
    void readByteRun(FlicChunkReader& reader);
    void readLineDelta(FlicChunkReader& reader);
    void readWordDelta(FlicChunkReader& reader);
    std::uint8_t* pixelsAt(std::int32_t x, std::int32_t y, std::int32_t count);

    std::int32_t frameCount_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool decoded_ = false;
    const char* refusal_ = "The FLIC file's first frame has not been decoded";
    std::array<std::uint8_t, 768> palette_{};
    std::vector<std::uint8_t> pixels_;
};

} // namespace Omvi
