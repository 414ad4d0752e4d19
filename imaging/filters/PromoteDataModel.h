#pragma once
// Delivers its input in a wider data model: palette to RGB; gray to palette
// or RGB; bitonal to gray, palette or RGB. The texture conversion puts it in
// front of the JPEG writer. An input already in the target model passes
// through unchanged. Any other pair (or a conversion that cannot be made)
// gives an invalid filter: isValid() answers false, no rows are delivered, and
// the input is still owned (and deleted) by the filter.
#include "imaging/pipeline/ImageFilter.h"

namespace OmviFilters
{

class PromoteDataModel : public Omvi::ImageFilter
{
public:
    PromoteDataModel(Omvi::RowProviderInterface* input, const Omvi::DataModel& target);

    // The connected input's row and result; nothing (0) when invalid.
    std::int32_t getNextRow(Omvi::DataBuffer& row) override;
    std::int32_t rowsRemaining() const override;
    bool isValid() const override { return valid_; }

    // Whether the target model is reached from `source` by a promotion.
    static bool isPromotion(const Omvi::DataModel& source, const Omvi::DataModel& target);

private:
    bool valid_ = false;
};

} // namespace OmviFilters
