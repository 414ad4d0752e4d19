#pragma once
// The correlation a GeoTIFF file carries in its own tags and keys. The
// reader makes one for every frame (valid when the directory is
// geo-referenced); the writer stores one it is given back into the new
// directory as tags and keys (writeTo).
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/geometry/Point2d.h"

#include <cstdint>
#include <memory>

typedef struct tiff TIFF;

namespace Omvi
{

class ImageFormatCodec;

class GeoTiffCorrelation : public FormatCodecGeoCorrelation
{
public:
    // The placement read from the directory `tiff` is on. With `writeFlag`
    // set the correlation is valid whatever the directory holds (it is a
    // template for a directory being written).
    GeoTiffCorrelation(TIFF* tiff, bool writeFlag);
    GeoTiffCorrelation(TIFF* tiff, const StringBuffer& tableFolder, bool writeFlag);
    GeoTiffCorrelation(const GeoTiffCorrelation& other);
    FormatCodecPropertyInterface* clone() const override;

    bool hasCoordinateSystem() const override;
    StringBuffer& getCoordinateSystemName(StringBuffer& out) const override;
    virtual Point2d& getUpperLeft(Point2d& out) const;
    virtual Point2d& getUpperRight(Point2d& out) const;
    virtual Point2d& getLowerLeft(Point2d& out) const;
    virtual Point2d& getLowerRight(Point2d& out) const;

    // Whether the directory it was read from is geo-referenced.
    bool hasGeoKeys() const { return hasGeoKeys_; }
    // Stores the correlation into the directory being written (the image's
    // height must already be set): tags for the placement, keys for the
    // rest. False when libtiff or libgeotiff refused.
    bool writeTo(TIFF* tiff) const;

private:
    void read(TIFF* tiff, bool writeFlag);

    StringBuffer coordinateSystemName_;
    StringBuffer tableFolder_;
    Point2d upperLeft_;
    Point2d upperRight_;
    Point2d lowerLeft_;
    Point2d lowerRight_;
    bool hasGeoKeys_ = false;
};

// The GeoTIFF correlation of a directory, with the TIFF codec's table folder
// when `codec` is the TIFF codec.
std::unique_ptr<GeoTiffCorrelation> createGeoTiffCorrelation(TIFF* tiff, const ImageFormatCodec* codec,
                                                             bool writeFlag);

} // namespace Omvi
