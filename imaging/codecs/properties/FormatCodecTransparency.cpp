#include "imaging/codecs/properties/FormatCodecTransparency.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

FormatCodecTransparency::FormatCodecTransparency() : FormatCodecPropertyInterface(kTransparency, kCompound)
{
    setCodes(-1, 1);
}

std::int32_t FormatCodecTransparency::kind() const
{
    return kind_;
}

std::int32_t FormatCodecTransparency::entryCount() const
{
    return entryCount_;
}

std::int32_t FormatCodecTransparency::keyWidth() const
{
    return keyWidth_;
}

std::int32_t FormatCodecTransparency::byteSize() const
{
    return static_cast<std::int32_t>(data_.size());
}

void FormatCodecTransparency::setAlphaChannel()
{
    kind_ = kAlphaChannel;
    entryCount_ = 0;
    keyWidth_ = 0;
    data_.clear();
}

bool FormatCodecTransparency::getAlphaTable(std::uint8_t* table) const
{
    if ((kind_ != kPaletteAlpha && kind_ != kGrayAlpha) || table == nullptr)
        return false;
    std::memcpy(table, data_.data(), kTableSize);
    return true;
}

bool FormatCodecTransparency::setAlphaTable(std::int32_t kind, const std::uint8_t* table)
{
    if ((kind != kPaletteAlpha && kind != kGrayAlpha) || table == nullptr)
        return false;
    data_.assign(table, table + kTableSize);
    kind_ = kind;
    entryCount_ = kTableSize;
    keyWidth_ = 8;
    return true;
}

bool FormatCodecTransparency::getKeys(std::int32_t width, void* keys, std::int32_t capacity) const
{
    if (kind_ != kColorKeys || keyWidth_ != width || keys == nullptr || capacity < 0)
        return false;
    const std::size_t count = static_cast<std::size_t>(std::min(capacity, entryCount_));
    if (count > 0)
        std::memcpy(keys, data_.data(), count * static_cast<std::size_t>(width / 8));
    return true;
}

bool FormatCodecTransparency::setKeys(std::int32_t width, std::int32_t count, const void* keys)
{
    if (count < 0 || (count > 0 && keys == nullptr))
        return false;
    const std::size_t bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(width / 8);
    const auto* first = static_cast<const std::uint8_t*>(keys);
    data_.assign(first, first + bytes);
    kind_ = kColorKeys;
    entryCount_ = count;
    keyWidth_ = width;
    return true;
}

bool FormatCodecTransparency::getRgbKeys(std::uint8_t* rgb, std::int32_t capacity) const
{
    return getKeys(24, rgb, capacity);
}

bool FormatCodecTransparency::getRgbKeyWords(std::uint32_t* words, std::int32_t capacity) const
{
    if (kind_ != kColorKeys || keyWidth_ != 24 || words == nullptr || capacity < 0)
        return false;
    const std::int32_t count = std::min(capacity, entryCount_);
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint8_t bytes[4] = {data_[3 * i], data_[3 * i + 1], data_[3 * i + 2], 0};
        std::memcpy(&words[i], bytes, sizeof bytes);
    }
    return true;
}

bool FormatCodecTransparency::setRgbKeys(std::int32_t count, const std::uint8_t* rgb)
{
    return setKeys(24, count, rgb);
}

bool FormatCodecTransparency::getShortKeys(std::uint16_t* keys, std::int32_t capacity) const
{
    return getKeys(16, keys, capacity);
}

bool FormatCodecTransparency::setShortKeys(std::int32_t count, const std::uint16_t* keys)
{
    return setKeys(16, count, keys);
}

bool FormatCodecTransparency::getWordKeys(std::uint32_t* keys, std::int32_t capacity) const
{
    return getKeys(32, keys, capacity);
}

bool FormatCodecTransparency::setWordKeys(std::int32_t count, const std::uint32_t* keys)
{
    return setKeys(32, count, keys);
}

bool FormatCodecTransparency::getLongKeys(std::uint64_t* keys, std::int32_t capacity) const
{
    return getKeys(64, keys, capacity);
}

bool FormatCodecTransparency::setLongKeys(std::int32_t count, const std::uint64_t* keys)
{
    return setKeys(64, count, keys);
}

} // namespace Omvi
