#pragma once
// The face of a row provider over an image region that can pass over a row
// without composing it: filters that know they will not need a row (a
// nearest-neighbour scale, a vertical resampler reading through a horizontal
// one) ask for it with skipRow, so that the tiles under the row are not
// touched. Every tiled composer has this as its first base; callers find it
// with a dynamic cast from the provider.
namespace Omvi
{

class RowComposer
{
public:
    virtual ~RowComposer();

    // Moves on by one row exactly as a delivered row would, without
    // producing it; the next row delivered is the one after it.
    virtual void skipRow() = 0;
};

} // namespace Omvi
