#pragma once
// The fast resizing filter: an image of any requested width and height made
// by picking, for every output row, one input row and, for every output
// column, one input column (nearest neighbour), without filtering.
//
// Output row r takes input row floor((r + 0.5) * inHeight / outHeight) (the
// centre of the output row mapped back), at most the last row. Input rows
// are pulled only forwards and each once; a row used by several output rows
// (an enlargement) is kept, and rows that no output row needs are skipped
// without being composed when the input is a RowComposer.
//
// Merge mode: a bitonal image reduced more than five times in height would
// lose its thin lines, so each output row is the OR of its own row and of up
// to mergeLimit odd-numbered rows between the previous output row's and its
// own (q = inHeight / outHeight above 5: mergeLimit = q - q / 4 below 100,
// else q / 2, at most 20).
#include "imaging/DataBuffer.h"
#include "imaging/filters/RowPixel.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class Scale : public ImageFilter
{
public:
    // With a width or height below 1 nothing is connected or initialised:
    // the filter is not valid, `input` stays the caller's, and its size and
    // rows fail as an uninitialised filter's do. Otherwise the filter owns
    // `input`. An input without pixels (width or height below 1) throws
    // ImageFilterException 5, a null input code 1; on any throw `input`
    // stays the caller's.
    Scale(RowProviderInterface* input, const PixelPair& size);
    ~Scale() override;

    // One output row into `out` (at least bytesPerRow bytes, else code 6);
    // answers the rows still to come. Past the last row nothing is written
    // and 0 is answered.
    std::int32_t getNextRow(DataBuffer& out) override;
    std::int32_t rowsRemaining() const override { return outHeight_ - outRow_; }

    // What the filter decided at construction, and how far it has read.
    bool isConnected() const { return connected_; }
    bool mapsColumns() const { return mapColumns_; }
    bool merges() const { return merge_; }
    std::int32_t mergeLimit() const { return mergeLimit_; }
    std::int32_t lastRead() const { return lastRead_; }
    const RowPixel* columnMapper() const { return columnMapper_.get(); }

    // The input row that output row `outRow` takes.
    std::int32_t targetRow(std::int32_t outRow) const;

private:
    void construct(RowProviderInterface* input, const PixelPair& size);
    // Pulls the next input row into inputRow_.
    void pullRow();
    void skipRow();
    void deliver(DataBuffer& out, std::int32_t target);
    void deliverMerged(DataBuffer& out, std::int32_t target);

    DataBuffer inputRow_;
    std::unique_ptr<RowPixel> columnMapper_;
    std::int32_t inHeight_ = 0;
    std::int32_t outHeight_ = 0;
    double rowRatio_ = 0.0;
    std::int32_t lastRead_ = -1;
    std::int32_t outRow_ = 0;
    std::int32_t mergeLimit_ = 0;
    bool connected_ = false;
    bool mapColumns_ = false;
    bool merge_ = false;
};

} // namespace Omvi
