#pragma once
// The typed base of transparency properties. It holds one of these layouts:
// kind 0 an alpha channel of the pixels themselves (no data); kinds 1 and 2
// a table of 256 alpha bytes (1 by palette index, 2 by grey level); kind 3
// colour keys of 16, 24, 32 or 64 bits (24-bit keys are stored as red,
// green, blue bytes; the others as whole words). Each getter and setter
// belongs to one layout and refuses (false) a property of another kind.
// Setting a layout replaces whatever was held before.
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

#include <cstdint>
#include <vector>

namespace Omvi
{

class FormatCodecTransparency : public FormatCodecPropertyInterface
{
public:
    enum Kind : std::int32_t
    {
        kAlphaChannel = 0,
        kPaletteAlpha = 1,
        kGrayAlpha = 2,
        kColorKeys = 3
    };
    static constexpr int kTableSize = 256;

    // 11-13: the kind, the number of keys (256 for a table) and the key width
    // in bits (8 for a table, 0 without data).
    virtual std::int32_t kind() const;
    virtual std::int32_t entryCount() const;
    virtual std::int32_t keyWidth() const;
    // 14: the bytes held.
    virtual std::int32_t byteSize() const;
    // 15: an alpha channel of the pixels; the data is dropped.
    virtual void setAlphaChannel();
    // 16 and 17: the 256-byte table of kinds 1 and 2 (always 256 bytes).
    virtual bool getAlphaTable(std::uint8_t* table) const;
    virtual bool setAlphaTable(std::int32_t kind, const std::uint8_t* table);
    // 18-20: 24-bit keys as red, green, blue bytes; the word form gives each
    // key a fourth byte 0 (bytes red, green, blue, 0 in memory). The getters
    // copy at most `capacity` keys.
    virtual bool getRgbKeys(std::uint8_t* rgb, std::int32_t capacity) const;
    virtual bool getRgbKeyWords(std::uint32_t* words, std::int32_t capacity) const;
    virtual bool setRgbKeys(std::int32_t count, const std::uint8_t* rgb);
    // 21 and 22: 16-bit keys.
    virtual bool getShortKeys(std::uint16_t* keys, std::int32_t capacity) const;
    virtual bool setShortKeys(std::int32_t count, const std::uint16_t* keys);
    // 23 and 24: 32-bit keys.
    virtual bool getWordKeys(std::uint32_t* keys, std::int32_t capacity) const;
    virtual bool setWordKeys(std::int32_t count, const std::uint32_t* keys);
    // 25 and 26: 64-bit keys.
    virtual bool getLongKeys(std::uint64_t* keys, std::int32_t capacity) const;
    virtual bool setLongKeys(std::int32_t count, const std::uint64_t* keys);

protected:
    // An alpha channel until a layout is set.
    FormatCodecTransparency();

private:
    bool getKeys(std::int32_t width, void* keys, std::int32_t capacity) const;
    bool setKeys(std::int32_t width, std::int32_t count, const void* keys);

    std::int32_t kind_ = kAlphaChannel;
    std::int32_t entryCount_ = 0;
    std::int32_t keyWidth_ = 0;
    std::vector<std::uint8_t> data_;
};

} // namespace Omvi
