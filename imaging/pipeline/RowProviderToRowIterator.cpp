#include "imaging/pipeline/RowProviderToRowIterator.h"

#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

#include <cstring>

namespace Omvi
{

namespace
{
ProgressReporterInterface* sessionReporter()
{
    const OMVISession* session = OMVISession::get();
    return session != nullptr ? session->progressReporter() : nullptr;
}
} // namespace

RowProviderToRowIterator::RowProviderToRowIterator(RowProviderInterface* provider)
    : RowProviderToRowIterator(provider, sessionReporter())
{
}

RowProviderToRowIterator::RowProviderToRowIterator(RowProviderInterface* provider,
                                                   ProgressReporterInterface* reporter)
    : provider_(provider), reporter_(reporter)
{
    if (provider_ == nullptr)
        throw static_cast<OMVIException*>(
            new ImageFilterException("No valid inputs", ImageFilterException::kNoValidInputs));
    const PixelPair size = provider_->size();
    width_ = size.x;
    rowCount_ = size.y;
    bytesPerRow_ = static_cast<std::int32_t>(pixelBytes(width_, provider_->dataModel().dataType()));
    row_.resize(provider_->bytesPerRow());
    interval_ = rowCount_ >= 100 ? rowCount_ / 100 : 1;
}

RowProviderToRowIterator::~RowProviderToRowIterator() = default;

std::int32_t RowProviderToRowIterator::bytesPerRow() const
{
    return bytesPerRow_;
}

void RowProviderToRowIterator::getRow(DataBuffer& row)
{
    if (bytesPerRow_ < 1)
        return;
    if (row.size() < bytesPerRow_ || row.data() == nullptr)
        throw static_cast<OMVIException*>(
            new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall));
    std::memcpy(row.data(), row_.data(), static_cast<std::size_t>(bytesPerRow_));
}

void RowProviderToRowIterator::pull()
{
    if (provider_ == nullptr || rowsPulled_ >= rowCount_)
        return;
    provider_->getNextRow(row_);
    ++rowsPulled_;
}

bool RowProviderToRowIterator::next()
{
    if (rowIndex_ < rowCount_)
        ++rowIndex_;
    if (rowIndex_ < rowCount_)
        pull();
    if (reporter_ != nullptr && ++countdown_ > interval_)
    {
        goOn_ = reporter_->reportProgress(rowIndex_, rowCount_);
        countdown_ = 0;
    }
    return goOn_;
}

void RowProviderToRowIterator::start()
{
    if (rowsPulled_ > 0)
        return;
    rowIndex_ = 0;
    pull();
}

void RowProviderToRowIterator::finish()
{
    provider_.reset();
}

} // namespace Omvi
