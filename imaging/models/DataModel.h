#pragma once
// How an image, a row provider or a codec frame stores its pixels: the
// sample size (data type), how many of the bits carry information, how a
// tiled image is cut into tiles, and for the colour models what the stored
// values mean. Rows of every data type are padded to a multiple of 8 bytes;
// 1-bit pixels are packed most significant bit first.
#include <cstdint>
#include <memory>

namespace Omvi
{

// Sample kinds: 1, 8, 16, 32 and 64 bits per pixel.
enum DataType : std::int32_t
{
    kDataTypeOneBit = 0,
    kDataTypeEightBit = 1,
    kDataTypeSixteenBit = 2,
    kDataTypeThirtyTwoBit = 3,
    kDataTypeSixtyFourBit = 4
};

// What stored values mean; 0 for a plain (raw) model.
enum ColorSpace : std::int32_t
{
    kColorSpaceNone = 0,
    kColorSpaceRgb = 1,
    kColorSpacePalette = 2,
    kColorSpaceGray = 3,
    kColorSpaceBitonal = 4
};

// Tile organisations: square tiles of 64 << code pixels for codes 0-4.
// Image constructors also take kOrganisationFromFile (the first code the
// file's own tiles accept, else the model's default) and
// kOrganisationDefault (the model's default).
enum Organisation : std::int32_t
{
    kOrganisation64 = 0,
    kOrganisation128 = 1,
    kOrganisation256 = 2,
    kOrganisation512 = 3,
    kOrganisation1024 = 4,
    kOrganisationFromFile = 5,
    kOrganisationDefault = 6
};

// 1, 8, 16, 32 or 64 for the five data types; 0 for any other.
std::int32_t bitsPerPixelOf(std::int32_t dataType);
// Bytes of one stored row of `width` pixels, padded to a multiple of 8; 0 for
// an unknown data type or a width below 1.
std::int64_t rowBytes(std::int64_t width, std::int32_t dataType);
// Bytes that `count` pixels occupy without padding (a partial byte counts
// whole); 0 for an unknown data type or a count below 1.
std::int64_t pixelBytes(std::int64_t count, std::int32_t dataType);
// The tile side of an organisation code 0-4; 0 for any other code.
std::int32_t tileSizeOfOrganisation(std::int32_t organisation);

// The five attribute queries every model answers.
class DataModelAttributes
{
public:
    virtual std::int32_t dataType() const = 0;
    virtual std::int32_t bitsUsedPerPixel() const = 0;
    virtual std::int32_t colorSpace() const = 0;
    // The ImagePixel kind of this model's pixels (PixelKind).
    virtual std::int32_t pixelKind() const = 0;
    // 1 in every colour model; for a plain model of a codec frame 0 when the
    // frame has no sample-format property, else that property's value + 1.
    virtual std::int32_t sampleFormat() const = 0;
    virtual ~DataModelAttributes();
};

class DataModel : public DataModelAttributes
{
public:
    // A model of the given colour space. For a data type outside 0-4 the bits
    // per pixel take the colour space's value.
    DataModel(std::int32_t colorSpace, std::int32_t sampleFormat, std::int32_t dataType,
              std::int32_t bitsUsed);
    // A plain model for a codec frame (colour space 0). For a data type
    // outside 0-4 the bits per pixel take the data type's value.
    DataModel(std::int32_t sampleFormat, std::int32_t dataType, std::int32_t bitsUsed);
    DataModel(const DataModel& other) = default;
    DataModel& operator=(const DataModel& other) = delete;
    ~DataModel() override;

    std::int32_t dataType() const override;
    std::int32_t bitsUsedPerPixel() const override;
    std::int32_t colorSpace() const override;
    // Plain models answer their data type.
    std::int32_t pixelKind() const override;
    std::int32_t sampleFormat() const override;

    // A new model equal to this one, of the same class (colour models copy
    // their tables).
    virtual std::unique_ptr<DataModel> clone() const;
    // 1-bit 3, 8-bit 2, 16- and 32-bit 1, 64-bit 0 (and 0 for any other).
    virtual std::int32_t defaultOrganisation() const;
    // 1-bit 3-4; 8-bit 1-4; 16-bit 1-3; 32-bit 0-4; 64-bit 0-2; others none.
    virtual bool supportsOrganisation(std::int32_t organisation) const;
    virtual bool isDataType(std::int32_t type) const;
    // Equal colour space, data type and bits used (the sample format is not
    // compared).
    virtual bool operator==(const DataModel& other) const;
    virtual bool operator!=(const DataModel& other) const;

    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
    // Bytes of one stored (padded) row of this model.
    std::int64_t bytesPerRow(std::int64_t width) const { return rowBytes(width, dataType_); }

private:
    std::int32_t colorSpace_;
    std::int32_t sampleFormat_;
    std::int32_t dataType_;
    std::int32_t bitsPerPixel_;
    std::int32_t bitsUsed_;
};

} // namespace Omvi
