#pragma once
// What frames do with the side-car correlations of their image: a reader's
// frame takes its own copy, sizes and reads the external ones once the
// image's size is known, and hands out the valid ones as properties; a
// writer writes the side-car files once the image is written.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace Omvi
{

class CorrelationPropertySetIterator;
class FormatCodecCorrelation;
class FormatCodecExternalCorrelation;
class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;

// A copy for a frame to own; null for no set.
std::unique_ptr<CorrelationPropertySetIterator> copyCorrelations(const CorrelationPropertySetIterator* set);

// Gives every external correlation of `set` (which may be null) the image's
// size, lets `prepare` (if any) set what the format knows of its pixels,
// then reads the correlation's file.
void readExternalCorrelations(CorrelationPropertySetIterator* set, std::int32_t height, std::int32_t width,
                              const std::function<void(FormatCodecExternalCorrelation&)>& prepare = {});

// A `prepare` for formats that know nothing of their pixels' size: one unit
// a pixel, no unit.
void pixelsWithoutUnit(FormatCodecExternalCorrelation& correlation);

// The first valid correlation of `set`; null when there is none (or no set).
const FormatCodecCorrelation* firstValidCorrelation(const CorrelationPropertySetIterator* set);

// A clone of the first valid correlation: the answer to a frame's request
// for a property of the correlation type. Null when there is none.
FormatCodecPropertyInterface* cloneFirstValidCorrelation(const CorrelationPropertySetIterator* set);

// After a writer has written its image: gives every valid external
// correlation of the frame's `set` the image's size and (when given) the
// bits a pixel, then writes its side-car file.
void writeExternalCorrelations(const FormatCodecPropertySetIterator& set, std::int32_t height, std::int32_t width,
                               std::optional<std::int32_t> bitsPerPixel);

// Appends (clones of) the valid correlations of `set` to a frame's
// property set.
void appendValidCorrelations(const CorrelationPropertySetIterator* set, FormatCodecPropertySetIterator& to);

// What a writer's frame offers: every correlation of `set`, valid (its
// side-car file found) or not, appended to the frame's property set; and a
// clone of the first, null when there is none.
void appendCorrelations(const CorrelationPropertySetIterator* set, FormatCodecPropertySetIterator& to);
FormatCodecPropertyInterface* cloneFirstCorrelation(const CorrelationPropertySetIterator* set);

} // namespace Omvi
