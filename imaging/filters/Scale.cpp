#include "imaging/filters/Scale.h"

#include "imaging/OMVIException.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowComposer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Omvi
{

namespace
{
// Reductions in height beyond this factor merge bitonal rows.
constexpr std::int32_t kMergeFactor = 5;
constexpr std::int32_t kMaxMergedRows = 20;

std::int32_t mergeLimitFor(std::int32_t q)
{
    const std::int32_t limit = q < 100 ? q - q / 4 : q / 2;
    return std::min(limit, kMaxMergedRows);
}
} // namespace

Scale::Scale(RowProviderInterface* input, const PixelPair& size)
{
    if (size.x < 1 || size.y < 1)
        return;
    constructGivingBack(input, [&] { construct(input, size); });
}

Scale::~Scale() = default;

void Scale::construct(RowProviderInterface* input, const PixelPair& size)
{
    connected_ = connectInput(input);
    RowProviderInterface* source = this->input(0);
    const PixelPair inputSize = source->size();
    // Nothing can be picked from an input without pixels.
    if (inputSize.x < 1 || inputSize.y < 1)
        throw static_cast<OMVIException*>(
            new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
    init(size);
    inputRow_.resize(source->bytesPerRow());

    const std::int32_t dataType = source->dataModel().dataType();
    mapColumns_ = inputSize.x != size.x;
    if (mapColumns_)
    {
        columnMapper_ = RowPixel::create(dataType);
        if (!columnMapper_)
            throw static_cast<OMVIException*>(
                new ImageFilterException("Scale", ImageFilterException::kInvalidArgument));
        columnMapper_->setup(inputSize.x, size.x);
    }
    inHeight_ = inputSize.y;
    outHeight_ = size.y;
    rowRatio_ = static_cast<double>(inHeight_) / static_cast<double>(outHeight_);

    const std::int32_t q = inHeight_ / outHeight_;
    if (dataModel().colorSpace() == kColorSpaceBitonal && static_cast<std::int64_t>(inHeight_) > 5LL * outHeight_ &&
        q > kMergeFactor)
    {
        mergeLimit_ = mergeLimitFor(q);
        merge_ = true;
        if (!mapColumns_)
        {
            columnMapper_ = RowPixel::create(dataType);
            if (!columnMapper_)
                throw static_cast<OMVIException*>(
                    new ImageFilterException("Scale", ImageFilterException::kInvalidArgument));
            columnMapper_->setup(inputSize.x, size.x);
            mapColumns_ = true;
        }
    }
}

std::int32_t Scale::targetRow(std::int32_t row) const
{
    const double centre = (static_cast<double>(row) + 0.5) * rowRatio_;
    const auto target = static_cast<std::int64_t>(std::floor(centre));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(target, 0, inHeight_ - 1));
}

void Scale::pullRow()
{
    input(0)->getNextRow(inputRow_);
    ++lastRead_;
}

void Scale::skipRow()
{
    // Only called with a composer input.
    dynamic_cast<RowComposer*>(input(0))->skipRow();
    ++lastRead_;
}

std::int32_t Scale::getNextRow(DataBuffer& out)
{
    if (!isInitialised())
        throw static_cast<OMVIException*>(
            new ImageFilterException("Init has not been called", ImageFilterException::kInitNotCalled));
    if (outRow_ >= outHeight_)
        return 0;
    requireRowBytes(out, bytesPerRow());

    const std::int32_t target = targetRow(outRow_);
    if (merge_)
        deliverMerged(out, target);
    else
        deliver(out, target);

    // The padding after the last pixel is never left with stale bytes.
    const std::int64_t used = pixelBytes(size().x, dataModel().dataType());
    if (used < bytesPerRow())
        std::memset(out.data() + used, 0, static_cast<std::size_t>(bytesPerRow() - used));
    ++outRow_;
    return outHeight_ - outRow_;
}

void Scale::deliver(DataBuffer& out, std::int32_t target)
{
    if (lastRead_ < target)
    {
        if (dynamic_cast<RowComposer*>(input(0)) != nullptr)
        {
            while (lastRead_ < target - 1)
                skipRow();
            pullRow();
        }
        else
        {
            while (lastRead_ < target)
                pullRow();
        }
    }
    // When lastRead_ already equals the target, inputRow_ still holds it.
    if (mapColumns_)
    {
        columnMapper_->setRows(inputRow_.data(), out.data());
        columnMapper_->mapRow();
    }
    else
    {
        copyRowBytes(out.data(), inputRow_.data(), bytesPerRow());
    }
}

void Scale::deliverMerged(DataBuffer& out, std::int32_t target)
{
    columnMapper_->setRows(inputRow_.data(), out.data());
    std::int32_t merged = 0;
    if (dynamic_cast<RowComposer*>(input(0)) != nullptr)
    {
        while (lastRead_ < target - 1)
        {
            if (merged < mergeLimit_ && ((lastRead_ + 1) & 1) == 1)
            {
                pullRow();
                columnMapper_->mapRow();
                ++merged;
            }
            else
            {
                skipRow();
            }
        }
        if (lastRead_ < target)
            pullRow();
    }
    else
    {
        while (lastRead_ < target)
        {
            pullRow();
            if (merged < mergeLimit_ && lastRead_ < target && (lastRead_ & 1) == 1)
            {
                columnMapper_->mapRow();
                ++merged;
            }
        }
    }
    columnMapper_->mapRow();
}

} // namespace Omvi
