#pragma once
// The data model of a frame being read, derived from what the frame
// reports: its colour kind, depth, palette and sample format.
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataModel;
class ReadImageFileFrameInterface;

// Colour kind 1 gives an RgbModel whose bits used are the frame's depth
// (kept within 1-32); 2 an RgbPaletteModel of the frame's palette (entries
// opaque, red, green, blue as the frame gives them, at most 256 and at most
// as many as the depth addresses; no entries gives entry 0 black); 3 an
// RgbGrayModel; 4 a BitonalModel; anything else a plain DataModel of the
// frame's data type and depth, whose sample format is 0 without a sample
// format property, else the property's value 0, 1 or 2 plus 1. Null when a
// plain frame names no data type 0-4 (no rows could be held for it).
std::unique_ptr<DataModel> dataModelOfFrame(ReadImageFileFrameInterface& frame);

// How many palette entries a frame of `bitsUsed` bits with `count` entries
// may hand over: within 0 and 2 to the power of the bits (kept within 1-8).
std::int32_t paletteEntriesToRead(std::int32_t bitsUsed, std::int32_t count);

} // namespace Omvi
