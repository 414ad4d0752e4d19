#include "imaging/codecs/correlation/ResourceFileFormat.h"

#include <algorithm>
#include <string_view>

namespace Omvi::ResourceFileFormat
{

const std::uint8_t kMagic[kMagicSize] = {'D', 'A', 'V', ' ', 'R', 'E', 'S', 'O', 'U', 'R',
                                         'C', 'E', ' ', 'F', 'I', 'L', 'E', 0x0D, 0x1A, 0x0D};

namespace
{

constexpr std::size_t kShift = 10;

const char* const kLayouts[20] = {
    "",
    "",
    "ssss(2d2ddssssssl144c)",
    "ssss256l",
    "2d2ddssssssl144c",
    "2cs4c20d",
    "ssss(2d2d2d2dddsscc144c16c2c)",
    "",
    "ssss(2d2ddssssssl144c)",
    "",
    "ssss(2d2ddssssssl144c)",
    "",
    "s256c",
    "ss256l",
    "ssss(ddddddsssssss50c144c)",
    "s6cl4cd32c32c",
    "",
    "",
    "ddddddsssssss50c144c",
    "s256c256c256c",
};

// Walks a layout over a buffer; every step stays inside it.
class LayoutWalker
{
public:
    LayoutWalker(std::string_view layout, std::uint8_t* buffer, std::size_t size)
        : layout_(layout), buffer_(buffer), size_(size)
    {
    }

    // Runs the items from `position` up to the end of the layout or the
    // closing parenthesis of the current group; false ends the whole
    // conversion. Groups nest at most a few levels in the known layouts, and
    // `depth` keeps any other text from recursing without bound.
    bool run(std::size_t& position, int depth)
    {
        if (depth > 8)
            return false;
        while (position < layout_.size())
        {
            std::size_t count = 0;
            bool counted = false;
            while (position < layout_.size() && layout_[position] >= '0' && layout_[position] <= '9')
            {
                count = std::min<std::size_t>(count * 10 + static_cast<std::size_t>(layout_[position] - '0'), 1u << 20);
                counted = true;
                ++position;
            }
            if (!counted)
                count = 1;
            if (position >= layout_.size())
                return false;
            const char code = layout_[position++];
            switch (code)
            {
            case 'c':
                if (!advance(count, 1, false))
                    return false;
                break;
            case 's':
                if (!advance(count, 2, true))
                    return false;
                break;
            case 'l':
                if (!advance(count, 4, true))
                    return false;
                break;
            case 'd':
                if (!advance(count, 8, true))
                    return false;
                break;
            case '(':
            {
                const std::size_t groupStart = position;
                for (std::size_t i = 0; i < count; ++i)
                {
                    position = groupStart;
                    if (!run(position, depth + 1))
                        return false;
                }
                break;
            }
            case ')':
                return depth > 0;
            default:
                return false;
            }
        }
        return depth == 0;
    }

private:
    // Reverses (or skips) `count` values of `width` bytes from the cursor.
    bool advance(std::size_t count, std::size_t width, bool reverse)
    {
        for (std::size_t i = 0; i < count; ++i)
        {
            if (cursor_ + width > size_)
                return false;
            if (reverse)
                std::reverse(buffer_ + cursor_, buffer_ + cursor_ + width);
            cursor_ += width;
        }
        return true;
    }

    std::string_view layout_;
    std::uint8_t* buffer_;
    std::size_t size_;
    std::size_t cursor_ = 0;
};

std::uint8_t rotateLeft3(std::uint8_t byte)
{
    return static_cast<std::uint8_t>((byte << 3) | (byte >> 5));
}

std::uint8_t rotateRight3(std::uint8_t byte)
{
    return static_cast<std::uint8_t>((byte >> 3) | (byte << 5));
}

} // namespace

void unscramble(std::uint8_t record[kRecordSize])
{
    std::uint8_t rotated[kRecordSize];
    for (std::size_t i = 0; i < kRecordSize; ++i)
        rotated[i] = rotateLeft3(record[i]);
    for (std::size_t i = 0; i < kRecordSize; ++i)
        record[i] = rotated[(i + kShift) % kRecordSize];
}

void scramble(std::uint8_t record[kRecordSize])
{
    std::uint8_t moved[kRecordSize];
    for (std::size_t i = 0; i < kRecordSize; ++i)
        moved[(i + kShift) % kRecordSize] = record[i];
    for (std::size_t i = 0; i < kRecordSize; ++i)
        record[i] = rotateRight3(moved[i]);
}

void convertByteOrder(int layout, std::uint8_t* buffer, std::size_t size)
{
    if (layout < 0 || layout >= 20 || buffer == nullptr)
        return;
    LayoutWalker walker(kLayouts[layout], buffer, size);
    std::size_t position = 0;
    walker.run(position, 0);
}

} // namespace Omvi::ResourceFileFormat
