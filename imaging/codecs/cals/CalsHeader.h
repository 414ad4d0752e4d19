#pragma once
// The 2048-byte header of a CALS file: sixteen records of 128 ASCII bytes,
// the first eleven keyed ("srcdocid:", ... "notes:") and the rest blank.
// A record holds its key, one blank, its value and blanks to its end, with
// no terminator. Setters rewrite a record whole; getters parse it and take
// records by position (the keys are not compared).
#include <cstdint>
#include <string>

namespace Omvi
{

class CalsHeader
{
public:
    static constexpr std::size_t kSize = 2048;
    static constexpr std::size_t kRecordSize = 128;
    static constexpr std::int32_t kMaximumPels = 999999;  // six digits
    static constexpr std::int32_t kMaximumDensity = 9999;  // four digits

    enum Record : int
    {
        kSourceDocument = 0,
        kDestinationDocument,
        kTextFile,
        kFigure,
        kSourceGraphics,
        kDocumentClass,
        kRasterType,
        kOrientation,
        kPelCount,
        kDensity,
        kNotes,
        kKeyedRecords
    };

    // The key of a record ("srcdocid:" ...), null past the keyed records.
    static const char* key(int record);
    // The text record of a key (the seven text records only), or -1.
    static int textRecordOfKey(const char* key);

    // Texts "NONE", raster type 1, orientation 000,270, 1 x 1 pels,
    // density 0300; records 12-16 blank.
    CalsHeader();

    std::uint8_t* block() { return block_; }
    const std::uint8_t* block() const { return block_; }

    // A text record; a value too long for the record is cut at its end.
    void setText(int record, const std::string& value);
    void setRasterType(std::int32_t type);
    // Each 0-999; false (nothing changes) otherwise.
    bool setOrientation(std::int32_t primary, std::int32_t secondary);
    // Each 0-999999; false (nothing changes) otherwise.
    bool setPelCount(std::int32_t pels, std::int32_t lines);
    // 0-9999; false (nothing changes) otherwise.
    bool setDensity(std::int32_t density);

    // The value after the key's colon without surrounding blanks.
    std::string text(int record) const;
    // Pels after the colon, lines after the first comma (0 when absent).
    void pelCount(std::int32_t* pels, std::int32_t* lines) const;
    void orientation(std::int32_t* primary, std::int32_t* secondary) const;
    std::int32_t density() const;
    // The orientation code of the imaging library for the rorient record.
    std::int32_t orientationCode() const;

private:
    void writeRecord(int record, const std::string& text);
    const std::uint8_t* record(int index) const { return block_ + index * kRecordSize; }

    std::uint8_t block_[kSize];
};

} // namespace Omvi
