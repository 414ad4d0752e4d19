#include "imaging/codecs/tiff/geotiff/TiffRecordCorrelation.h"

#include "imaging/codecs/tiff/TiffStrings.h"

#include <cmath>

namespace Omvi
{

ZeziZerUruzoredovu::ZeziZerUruzoredovu(double x, double y, double s, double d)
{
    setCodes(1, 1);
    loadTexts(TiffStringId::kTiffCorrelationName, TiffStringId::kTiffCorrelationDescription);
    setOrigin(Point3d{x, y, 0.0});
    setScale(Vector2d(s, s));
    const double size = d != 0.0 && std::isfinite(1.0 / d) ? 1.0 / d : 1.0;
    setPixelSize(Vector2d(size, size));
    setUnit(kRecordUnit);
    setValid(true);
}

ZeziZerUruzoredovu::ZeziZerUruzoredovu(double, double x, double y, double s, double d)
    : ZeziZerUruzoredovu(x, y, s, d)
{
}

FormatCodecPropertyInterface* ZeziZerUruzoredovu::clone() const
{
    return new ZeziZerUruzoredovu(*this);
}

} // namespace Omvi
