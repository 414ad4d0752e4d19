#pragma once
// Blending of 32-bit RGBA pixels with a fixed opacity a (0-255): each colour
// byte becomes min(255, S[source] + D[destination]) with S[i] = floor(i a /
// 255) and D[i] = floor(i (255 - a) / 255), computed in integers so that
// opacity 255 copies colour bytes exactly and opacity 0 leaves them alone.
// Alpha bytes never change. The transparent forms skip source pixels whose
// alpha byte is 0.
#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowSplitter.h"

#include <array>
#include <cstdint>

namespace Omvi
{

// The two weight tables of one opacity (clamped to 0-255).
struct BlendTables
{
    explicit BlendTables(std::int32_t opacity);

    // The colour byte that `source` over `destination` gives.
    std::uint8_t blend(std::uint8_t source, std::uint8_t destination) const
    {
        const unsigned sum = unsigned{sourceWeight[source]} + destinationWeight[destination];
        return static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
    }

    std::int32_t opacity;
    std::array<std::uint8_t, 256> sourceWeight;
    std::array<std::uint8_t, 256> destinationWeight;
};

class RgbaBlender : public PixelCopier
{
public:
    explicit RgbaBlender(std::int32_t opacity);

    // Blends `count` source pixels into the destination.
    void copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
              std::int32_t sourceOffset, std::int32_t count) override;
    // Blends the colour of `value` (its three low bytes: red, green, blue)
    // into `count` pixels.
    void fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count) override;

    const BlendTables& tables() const { return tables_; }

protected:
    BlendTables tables_;
};

class RgbaTransparentBlender : public RgbaBlender
{
public:
    RgbaTransparentBlender(std::int32_t opacity, ImagePixel key = ImagePixel());

    void copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
              std::int32_t sourceOffset, std::int32_t count) override;
};

// Blends row pieces into tile lines; direction 1 mirrors the row as the
// opaque splitters do (RowSplitter.h).
class RgbaBlendRowSplitter : public RowSplitter
{
public:
    RgbaBlendRowSplitter(std::int32_t direction, std::int32_t opacity);

    void setSource(const std::uint8_t* row, std::int32_t rowLength) override;
    void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
               std::int32_t count) override;

    const BlendTables& tables() const { return tables_; }

protected:
    template <bool SkipTransparent>
    void blendPiece(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
                    std::int32_t count) const;

    bool mirrored_;
    BlendTables tables_;
    const std::uint8_t* row_ = nullptr;
    std::int32_t length_ = 0;
};

class RgbaTransparentBlendRowSplitter : public RgbaBlendRowSplitter
{
public:
    RgbaTransparentBlendRowSplitter(std::int32_t direction, std::int32_t opacity, ImagePixel key = ImagePixel());

    void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
               std::int32_t count) override;
};

} // namespace Omvi
