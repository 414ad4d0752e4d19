#pragma once
// Puts an input into the model that the shear-based rotation works on:
// bitonal becomes gray, palette and RGB become 32-bit RGB, gray stays gray
// (or becomes RGB when asked and some gray level is not fully opaque), and
// a plain model passes unchanged.
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>

namespace Omvi
{

class ConvertModel : public ImageFilter
{
public:
    // Takes `input` over. Throws ImageFilterException 1 for a null input or
    // one the conversion cannot take; `input` then stays the caller's.
    ConvertModel(RowProviderInterface* input, bool grayAsRgb);
    ~ConvertModel() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override;
};

} // namespace Omvi
