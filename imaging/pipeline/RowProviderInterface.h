#pragma once
// A pull source of rows: images move through the library as rows handed out
// one at a time, top to bottom, on demand.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>

namespace Omvi
{

class DataBuffer;
class DataModel;

class RowProviderInterface
{
public:
    virtual ~RowProviderInterface();

    // Writes the next row into `row` (sized by the caller to at least
    // bytesPerRow) and returns the number of rows still to come after it.
    // Once no row is left, the buffer is left alone and 0 is returned.
    virtual std::int32_t getNextRow(DataBuffer& row) = 0;
    virtual std::int32_t rowsRemaining() const = 0;
    // Width (x) and height (y) of the rows handed out.
    virtual PixelPair size() const = 0;
    // The model of the rows handed out, owned by the provider.
    virtual const DataModel& dataModel() const = 0;

    // Sparse rows: a provider whose rows carry pixels only in runs (the rest
    // to be left alone by whoever pastes them) answers true here, and then
    // runCount and nextRun describe the runs of the row last handed out.
    virtual bool hasSparseRows() const;
    // The next run of the current row: its first pixel and its length; the
    // answer is whether the run is valid. A dense row is one run (0, width).
    virtual bool nextRun(std::int32_t& first, std::int32_t& count);
    // Starts the runs of the current row over again.
    virtual void restartRuns();
    // The number of runs of the current row: 1 for a dense row.
    virtual std::int32_t runCount() const;

    // Bytes of one padded row of the output (see rowBytes).
    virtual std::int32_t bytesPerRow() const = 0;
    virtual bool isValid() const = 0;
};

} // namespace Omvi
