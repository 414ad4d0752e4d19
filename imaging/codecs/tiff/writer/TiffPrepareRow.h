#pragma once
// Row preparers of the TIFF writer: they pack a delivered row, in place,
// into the samples the directory stores.
#include <cstdint>
#include <memory>

namespace Omvi
{

class TiffPrepareRow
{
public:
    virtual ~TiffPrepareRow() = default;
    // Packs a row of `width` pixels in place.
    virtual void prepare(std::uint8_t* row, std::int64_t width) const = 0;

    // The preparer for rows of `bitsPerPixel` stored as `storedBits` bits a
    // pixel in a model of `colorModel`; null when rows are written as
    // delivered.
    static std::unique_ptr<TiffPrepareRow> create(int colorModel, int bitsPerPixel, int storedBits);
};

// Four-byte RGB(A) pixels to three bytes: red, green, blue stay, the fourth
// byte goes.
class TiffCompress32to24 : public TiffPrepareRow
{
public:
    void prepare(std::uint8_t* row, std::int64_t width) const override;
};

// One-byte pixels to half bytes, the first pixel in the high nibble (each
// pixel's low four bits); an odd last pixel leaves the low nibble 0.
class TiffCompress8to4 : public TiffPrepareRow
{
public:
    void prepare(std::uint8_t* row, std::int64_t width) const override;
};

// One-byte pixels to two bits each (their low two bits), the first pixel in
// the highest pair.
class TiffCompress8to2 : public TiffPrepareRow
{
public:
    void prepare(std::uint8_t* row, std::int64_t width) const override;
};

} // namespace Omvi
