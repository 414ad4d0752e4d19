#pragma once
// Adapts a row provider to the row-iterator side that codec writers consume.
// The provider hands out padded rows; the iterator hands out their unpadded
// prefix. While rows go by, the progress reporter (when there is one) is told
// where the writer stands, and its answer becomes the writer's go-on flag.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <memory>

namespace Omvi
{

class ProgressReporterInterface;
class RowProviderInterface;

class RowProviderToRowIterator : public RowIteratorInterface
{
public:
    // Takes ownership of `provider` (which must not be null) and reports to
    // the session's progress reporter, if there is one.
    explicit RowProviderToRowIterator(RowProviderInterface* provider);
    // As above, reporting to `reporter` (null for none; not owned).
    RowProviderToRowIterator(RowProviderInterface* provider, ProgressReporterInterface* reporter);
    ~RowProviderToRowIterator() override;

    // (width * bits per pixel + 7) / 8.
    std::int32_t bytesPerRow() const override;
    // Throws ImageFilterException code 6 when `row` is shorter than a row.
    void getRow(DataBuffer& row) override;
    // Pulls the next row (none once the last row was pulled), reports
    // progress and answers whether to go on.
    bool next() override;
    std::int32_t rowCount() const override { return rowCount_; }
    std::int32_t width() const override { return width_; }
    // Pulls the first row. A provider is read once: calling start again
    // after rows were pulled changes nothing.
    void start() override;
    // Deletes the provider.
    void finish() override;

    std::int32_t rowIndex() const { return rowIndex_; }
    // Rows between two reports (rowCount / 100, at least 1).
    std::int32_t reportInterval() const { return interval_; }

private:
    void pull();

    std::unique_ptr<RowProviderInterface> provider_;
    DataBuffer row_;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t rowCount_ = 0;
    std::int32_t width_ = 0;
    std::int32_t rowIndex_ = 0;
    std::int32_t rowsPulled_ = 0;
    ProgressReporterInterface* reporter_ = nullptr;
    std::int32_t interval_ = 1;
    std::int32_t countdown_ = 0;
    bool goOn_ = true;
};

} // namespace Omvi
