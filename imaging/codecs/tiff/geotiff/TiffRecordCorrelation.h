#pragma once
// The TIFF codec's own correlation: the placement some files keep in a
// record that private tag 33535 points to (origin x and y, a scale s and a
// divisor d, as doubles). Its unit code is 5.
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

#include <cstdint>

namespace Omvi
{

class ZeziZerUruzoredovu : public FormatCodecCorrelation
{
public:
    // The unit code the record's placement is given in.
    static constexpr std::int32_t kRecordUnit = 5;

    // Origin (x, y, 0), scale (s, s), pixel size (1/d, 1/d); a divisor of 0
    // (or one that is not a finite number) gives a pixel size of 1.
    ZeziZerUruzoredovu(double x, double y, double s, double d);
    // The same from five values, the first of which is not used.
    ZeziZerUruzoredovu(double unused, double x, double y, double s, double d);
    FormatCodecPropertyInterface* clone() const override;
};

} // namespace Omvi
