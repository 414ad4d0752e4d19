#pragma once
// The base of the row filters: a row provider that pulls from one or more
// input providers. A filter is built unconnected, gets its inputs, is
// initialised once with its output size and model, then serves rows. It owns
// its inputs and its output model, so deleting the last filter of a chain
// deletes the whole chain.
//
// Misuse throws ImageFilterException (codes in OMVIException.h); a refused
// connection is reported only by a false result.
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <memory>
#include <vector>

namespace Omvi
{

class ImageFilter : public RowProviderInterface
{
public:
    ImageFilter();
    ImageFilter(const ImageFilter&) = delete;
    ImageFilter& operator=(const ImageFilter&) = delete;
    ~ImageFilter() override;

    // Code 0 before init.
    PixelPair size() const override;
    const DataModel& dataModel() const override;
    std::int32_t bytesPerRow() const override;
    // Initialised, at least one input, and every input valid.
    bool isValid() const override;

    // Answered by the input when there is exactly one input of this filter's
    // size, else the interface's defaults (dense rows, one run of the width).
    bool hasSparseRows() const override;
    bool nextRun(std::int32_t& first, std::int32_t& count) override;
    // Forwarded whenever there is exactly one input, whatever its size.
    void restartRuns() override;
    std::int32_t runCount() const override;

    // Converts a pixel given in the model of the chain's source into this
    // filter's output model, in place: the pixel is passed to the first input
    // that is itself a filter (inputs that are not are skipped). A filter
    // that changes the model converts the result further; others leave it.
    virtual void convertSourcePixel(ImagePixel& pixel);

    // Before init: appends `input` (a null one is refused). After init: as
    // the form below, with the output model as the required model. On
    // success the filter owns what `input` names; on refusal it stays the
    // caller's.
    bool connectInput(RowProviderInterface*& input);
    // Appends `input`, first putting a conversion filter in front of it when
    // its model differs from `required` (the caller's pointer then names the
    // new filter, which owns the input it replaced). False, and nothing
    // connected, when neither model converts to the other or one of them is
    // not a colour model.
    bool connectInput(RowProviderInterface*& input, const DataModel& required);

    // Output model = a clone of the one input's model. Code 1 without an
    // input, 3 with more than one, 4 when already initialised, 5 for a
    // negative size or one whose rows cannot be held.
    void init(const PixelPair& size);
    // Output model = a clone of `model`; any number of inputs.
    void init(const PixelPair& size, const DataModel& model);

    // Input `index`; code 1 when there is none.
    RowProviderInterface* input(std::int32_t index) const;
    std::int32_t inputCount() const { return static_cast<std::int32_t>(inputs_.size()); }
    // Room for five inputs at first, grown five at a time.
    std::int32_t inputCapacity() const { return capacity_; }
    bool isInitialised() const { return model_ != nullptr; }

    // Gives `original` back to whoever connected it: the filter forgets it
    // (or the conversion filter put in front of it, which lets go of it and
    // is deleted). For constructors that fail after connecting their input,
    // so that the input stays their caller's, and for whoever unwinds a
    // chain that could not be completed.
    void returnInput(RowProviderInterface* original);

protected:
    // Forgets every input without deleting it: for a constructor that fails
    // after connecting its input, so that the input stays its caller's.
    void releaseInputs();
    // Runs `construct` (a constructor's work after its checks); when it
    // throws, `input` goes back to the caller (returnInput) and the
    // exception passes on.
    template <class Construct>
    void constructGivingBack(RowProviderInterface* input, Construct construct)
    {
        try
        {
            construct();
        }
        catch (...)
        {
            returnInput(input);
            throw;
        }
    }
    // Code 6 when `row` is shorter than `bytes`.
    static void requireRowBytes(const DataBuffer& row, std::int64_t bytes);
    // The single input a pass-through query may ask, or null.
    RowProviderInterface* soleInputOfSameSize() const;

private:
    void append(RowProviderInterface* input);

    std::vector<std::unique_ptr<RowProviderInterface>> inputs_;
    std::int32_t capacity_ = 5;
    std::unique_ptr<DataModel> model_;
    PixelPair size_;
    std::int32_t bytesPerRow_ = 0;
};

} // namespace Omvi
