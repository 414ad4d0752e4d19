#pragma once
// The shared shape of the colour conversion filters: each pulls exactly one
// row of its input per row it hands out, converts it from the input's model
// into its own, and counts the rows left. Single pixel values (clear colours)
// are converted the same way by convertPixel.
//
// A conversion filter owns its input once it is built; when its construction
// fails, the input (and only it) stays the caller's.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>

namespace Omvi
{

class ConversionFilter : public ImageFilter
{
public:
    ~ConversionFilter() override;

    // Pulls one input row and converts it; returns the rows left after it.
    // With no row left the buffer is left alone and 0 is returned; a buffer
    // shorter than a row throws ImageFilterException code 6.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_; }
    // Converts through the input chain first, then with convertPixel.
    void convertSourcePixel(ImagePixel& pixel) override;
    // Converts one pixel value from the input's model into the output model.
    virtual void convertPixel(ImagePixel& pixel) = 0;

    // The colour space the filter converts from or to (its other side is
    // the one its constructor names).
    std::int32_t convertedColorSpace() const { return colorSpace_; }

protected:
    explicit ConversionFilter(std::int32_t colorSpace);

    // Connects `input` as it is; its model must be of colour space
    // `expected` (else ImageFilterException code 1). Returns its model.
    const DataModel& connectDirectly(RowProviderInterface* input, std::int32_t expected);
    // Connects `input` through a conversion into `required` when its model
    // differs (code 1 when no conversion exists). Returns the connected
    // model.
    const DataModel& connectAs(RowProviderInterface* input, const DataModel& required);
    // The last step of every constructor: initialise with the input's size
    // and `output`, and size the input row buffer. `inPlace` filters pull
    // the input row straight into the caller's buffer and convert it there.
    void complete(const DataModel& output, bool inPlace);

    // Converts one row of `width` pixels. For in-place filters `in` and `out`
    // are the same buffer.
    virtual void convertRow(const std::uint8_t* in, std::uint8_t* out) = 0;

    std::int32_t width() const { return width_; }

private:
    RowProviderInterface* original_ = nullptr;
    std::int32_t colorSpace_;
    std::int32_t width_ = 0;
    std::int32_t rowsLeft_ = 0;
    std::int32_t inputRowBytes_ = 0;
    bool inPlace_ = false;
    bool complete_ = false;
    DataBuffer inputRow_;
};

} // namespace Omvi
