#pragma once
// Rows of a file, top to bottom, through a codec's row iterator. The
// iterator always stands one row ahead of what was delivered: it is started
// (its first row read) at construction, and each getNextRow copies the
// current row and then moves the iterator on, except after the last row.
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class RowIteratorInterface;

class ReadRowProviderImp : public RowProviderInterface
{
public:
    // Takes over `iterator`, also when construction fails (null gives a
    // provider of no rows that is not valid), and keeps its own copy of `model`, the model of the rows.
    // Throws ImageFilterException kInvalidSize when the iterator reports a
    // negative size or rows longer than `model` stores for its width.
    ReadRowProviderImp(RowIteratorInterface* iterator, const DataModel& model);
    // Finishes and deletes the iterator, whether or not every row was read.
    ~ReadRowProviderImp() override;

    // Copies the current row into `row` (its padding bytes cleared) and
    // answers the rows still to come. Past the last row nothing is written
    // and 0 is answered. A row buffer shorter than the iterator's rows
    // throws ImageFilterException kRowBufferTooSmall; an iterator that stops
    // before its last row throws FileIOException kEndOfFile.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override;
    PixelPair size() const override;
    const DataModel& dataModel() const override;
    std::int32_t bytesPerRow() const override;
    bool isValid() const override;

private:
    std::unique_ptr<RowIteratorInterface> iterator_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::unique_ptr<DataModel> model_;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t iteratorRowBytes_ = 0;
    std::int32_t rowsRemaining_ = 0;
    bool stoppedEarly_ = false;
};

} // namespace Omvi
