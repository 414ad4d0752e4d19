#include "imaging/placement/ResampleToSize.h"

#include "imaging/conversions/ColorModelRule.h"
#include "imaging/filters/Scale.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/resampling/VerticalResamplers.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace Omvi
{

namespace
{
using Provider = std::unique_ptr<RowProviderInterface>;

// Puts the filter `make` builds over `current` in its place; when `make`
// throws, `current` still holds the chain.
template <class Make>
void wrap(Provider& current, Make make)
{
    RowProviderInterface* next = make(current.get());
    static_cast<void>(current.release());
    current.reset(next);
}

void scaleTo(Provider& current, const PixelPair& size)
{
    wrap(current, [&size](RowProviderInterface* input) { return new Scale(input, size); });
}

enum class Pair
{
    None,
    Nearest, // raw bits: no levels to weigh
    Gray,
    Bitonal,
    Data16,
    Float32,
    Rgb
};

Pair pairFor(const DataModel& model, bool grayAsRgb)
{
    switch (model.colorSpace())
    {
    case kColorSpaceNone:
        switch (model.dataType())
        {
        case kDataTypeOneBit:
            return Pair::Nearest;
        case kDataTypeEightBit:
            return Pair::Gray;
        case kDataTypeSixteenBit:
            // Samples without a declared format are unsigned integers, as
            // those declared so.
            return model.sampleFormat() <= 1 ? Pair::Data16 : Pair::None;
        case kDataTypeThirtyTwoBit:
            return model.sampleFormat() == 3 ? Pair::Float32 : Pair::None;
        default:
            return Pair::None;
        }
    case kColorSpaceBitonal:
        return Pair::Bitonal;
    case kColorSpaceGray:
    {
        const auto* gray = dynamic_cast<const RgbGrayModel*>(&model);
        return grayAsRgb && gray != nullptr && !gray->isOpaque() ? Pair::Rgb : Pair::Gray;
    }
    case kColorSpaceRgb:
    case kColorSpacePalette:
        return Pair::Rgb;
    default:
        return Pair::None;
    }
}

void resampleWidth(Provider& current, Pair pair, std::int32_t width, std::int32_t kind, const float* noData)
{
    wrap(current, [&](RowProviderInterface* input) -> RowProviderInterface* {
        switch (pair)
        {
        case Pair::Bitonal:
            return new BitonalXResampler(input, width, kind);
        case Pair::Data16:
            return new Data16XResampler(input, width, kind);
        case Pair::Float32:
            return new Float32XResampler(input, width, kind, noData);
        case Pair::Rgb:
            return new RgbXResampler(input, width, kind);
        default:
            return new GrayXResampler(input, width, kind);
        }
    });
}

void resampleHeight(Provider& current, Pair pair, std::int32_t height, std::int32_t kind, const float* noData)
{
    wrap(current, [&](RowProviderInterface* input) -> RowProviderInterface* {
        switch (pair)
        {
        case Pair::Data16:
            return new Data16YResampler(input, height, kind);
        case Pair::Float32:
            return new Float32YResampler(input, height, kind, noData);
        case Pair::Rgb:
            return new RgbYResampler(input, height, kind);
        default:
            // Gray levels, and bitonal rows, which the vertical pass takes
            // as gray.
            return new GrayYResampler(input, height, kind);
        }
    });
}

double relativeChange(std::int32_t from, std::int32_t to)
{
    return std::fabs(static_cast<double>(to) - from) / from;
}
} // namespace

bool hasResamplerPair(const DataModel& model, bool grayAsRgb)
{
    return pairFor(model, grayAsRgb) != Pair::None;
}

RowProviderInterface* resampleToSize(RowProviderInterface* source, const PixelPair& target, std::int32_t kind,
                                     bool twoStage, bool grayAsRgb, bool keepModel, const float* noData)
{
    Provider current(source);
    if (!current || target.x < 1 || target.y < 1)
        return nullptr;
    if (noData != nullptr)
    {
        const DataModel& model = current->dataModel();
        if (model.colorSpace() != kColorSpaceNone || model.sampleFormat() != 3 ||
            model.dataType() != kDataTypeThirtyTwoBit)
            return nullptr;
    }
    const PixelPair size = current->size();
    if (size == target)
        return current.release();
    if (kind == kResampleNearest || size.x < 1 || size.y < 1)
    {
        // Scale refuses a source without pixels with its own error.
        scaleTo(current, target);
        return current.release();
    }

    // Where a kernel gains nothing, nearest neighbour does.
    const std::int32_t windowX = resamplingWindow(size.x, target.x, kind);
    const std::int32_t windowY = resamplingWindow(size.y, target.y, kind);
    if (windowX > size.x || windowY > size.y || target.x == 1 || target.y == 1 ||
        (relativeChange(size.x, target.x) < 0.1 && relativeChange(size.y, target.y) < 0.1))
    {
        scaleTo(current, target);
        return current.release();
    }

    PixelPair before = size; // scaled to first
    PixelPair after = target; // resampled to
    if (twoStage)
    {
        const auto plan = [](std::int32_t from, std::int32_t to, std::int32_t& first, std::int32_t& resampled) {
            const double ratio = static_cast<double>(to) / from;
            if (ratio > 0.3 && ratio < 3.0)
                first = to;
            else if (ratio < 0.1)
                first = ratio < 0.025 ? from / 2 / 2 : from / 2;
            else if (ratio > 15.0)
                resampled = to / 2;
        };
        plan(size.x, target.x, before.x, after.x);
        plan(size.y, target.y, before.y, after.y);
    }

    if (!keepModel)
    {
        RowProviderInterface* original = current.get();
        RowProviderInterface* converted = applyColorModelRule(original);
        if (converted != original)
        {
            static_cast<void>(current.release());
            current.reset(converted);
        }
    }
    if (before != current->size())
    {
        scaleTo(current, before);
        if (before == target)
            return current.release();
    }

    const Pair pair = pairFor(current->dataModel(), grayAsRgb);
    if (pair == Pair::None)
        return nullptr;
    if (pair == Pair::Nearest)
    {
        scaleTo(current, target);
        return current.release();
    }
    // An axis is resampled only where the size still changes: after a
    // first scaling to the target along it, a kernel at ratio 1 would only
    // blur.
    const PixelPair now = current->size();
    const bool widthChanges = now.x != after.x;
    const bool heightChanges = now.y != after.y;
    const bool heightFirst = heightChanges && now.x < after.x;
    if (heightFirst)
        resampleHeight(current, pair, after.y, kind, noData);
    if (widthChanges)
        resampleWidth(current, pair, after.x, kind, noData);
    if (heightChanges && !heightFirst)
        resampleHeight(current, pair, after.y, kind, noData);

    if (after != target)
        scaleTo(current, target);
    return current.release();
}

} // namespace Omvi
