#pragma once
// The push side of rows: codec readers hand rows out through it and codec
// writers consume rows through it (RowProviderToRowIterator adapts a
// provider). Rows handed out are unpadded: bytesPerRow is the exact size.
#include <cstdint>

namespace Omvi
{

class DataBuffer;

class RowIteratorInterface
{
public:
    virtual ~RowIteratorInterface() = default;

    virtual std::int32_t bytesPerRow() const = 0;
    // Copies the current row into `row`, which holds at least bytesPerRow.
    virtual void getRow(DataBuffer& row) = 0;
    // Moves on to the next row; false asks the consumer to stop.
    virtual bool next() = 0;
    // The number of rows handed out (the height).
    virtual std::int32_t rowCount() const = 0;
    // Pixels per row.
    virtual std::int32_t width() const = 0;
    // Goes (back) to the first row.
    virtual void start() = 0;
    // Releases what start set up.
    virtual void finish() = 0;
};

} // namespace Omvi
