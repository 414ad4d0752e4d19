#include "imaging/codecs/correlation/FrameCorrelations.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

namespace Omvi
{
namespace
{

// The correlations of `set` (the valid ones only when asked) in order.
template <typename Visit>
void forEachCorrelation(const CorrelationPropertySetIterator* set, bool validOnly, Visit visit)
{
    if (set == nullptr)
        return;
    for (std::int32_t i = 0; i < set->count(); ++i)
    {
        const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(set->at(i));
        if (correlation != nullptr && (!validOnly || correlation->isValid()) && !visit(*correlation))
            return;
    }
}

} // namespace

std::unique_ptr<CorrelationPropertySetIterator> copyCorrelations(const CorrelationPropertySetIterator* set)
{
    if (set == nullptr)
        return nullptr;
    return std::make_unique<CorrelationPropertySetIterator>(*set);
}

void readExternalCorrelations(CorrelationPropertySetIterator* set, std::int32_t height, std::int32_t width,
                              const std::function<void(FormatCodecExternalCorrelation&)>& prepare)
{
    if (set == nullptr)
        return;
    for (std::int32_t i = 0; i < set->count(); ++i)
    {
        auto* external = dynamic_cast<FormatCodecExternalCorrelation*>(set->at(i));
        if (external == nullptr)
            continue;
        external->setImageSize(height, width);
        if (prepare)
            prepare(*external);
        external->read();
    }
}

void pixelsWithoutUnit(FormatCodecExternalCorrelation& correlation)
{
    correlation.setPixelSize(Vector2d(1.0, 1.0));
    correlation.setUnit(FormatCodecCorrelation::kUnitNone);
}

const FormatCodecCorrelation* firstValidCorrelation(const CorrelationPropertySetIterator* set)
{
    const FormatCodecCorrelation* first = nullptr;
    forEachCorrelation(set, true, [&first](const FormatCodecCorrelation& correlation) {
        first = &correlation;
        return false;
    });
    return first;
}

FormatCodecPropertyInterface* cloneFirstValidCorrelation(const CorrelationPropertySetIterator* set)
{
    const FormatCodecCorrelation* correlation = firstValidCorrelation(set);
    return correlation != nullptr ? correlation->clone() : nullptr;
}

void writeExternalCorrelations(const FormatCodecPropertySetIterator& set, std::int32_t height, std::int32_t width,
                               std::optional<std::int32_t> bitsPerPixel)
{
    for (std::int32_t i = 0; i < set.count(); ++i)
    {
        auto* external = dynamic_cast<FormatCodecExternalCorrelation*>(set.at(i));
        if (external == nullptr || !external->isValid())
            continue;
        external->setImageSize(height, width);
        if (bitsPerPixel)
            external->setBitsPerPixel(*bitsPerPixel);
        external->write();
    }
}

void appendValidCorrelations(const CorrelationPropertySetIterator* set, FormatCodecPropertySetIterator& to)
{
    forEachCorrelation(set, true, [&to](const FormatCodecCorrelation& correlation) {
        to.append(&correlation);
        return true;
    });
}

void appendCorrelations(const CorrelationPropertySetIterator* set, FormatCodecPropertySetIterator& to)
{
    forEachCorrelation(set, false, [&to](const FormatCodecCorrelation& correlation) {
        to.append(&correlation);
        return true;
    });
}

FormatCodecPropertyInterface* cloneFirstCorrelation(const CorrelationPropertySetIterator* set)
{
    FormatCodecPropertyInterface* first = nullptr;
    forEachCorrelation(set, false, [&first](const FormatCodecCorrelation& correlation) {
        first = correlation.clone();
        return false;
    });
    return first;
}

} // namespace Omvi
