#include "dwf/w3dtk/edgebreaker/side_table.h"

#include "dwf/w3dtk/edgebreaker/shell_header.h"

#include <cstring>

namespace w3d::eb
{
namespace
{
bool is_default(const int bits[3])
{
    return bits[0] == SideTable::Default_Bits && bits[1] == SideTable::Default_Bits &&
           bits[2] == SideTable::Default_Bits;
}

std::uint32_t float_bits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bits_float(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Reads words from a table of known length; every read is bounded.
class Words
{
public:
    Words(const std::uint8_t* bytes, int length) : m_bytes(bytes), m_words(length / 4) {}
    bool next(std::uint32_t& word)
    {
        if (m_at >= m_words)
            return false;
        word = get_le32(m_bytes + 4 * static_cast<long long>(m_at++));
        return true;
    }
    bool next(int& value)
    {
        std::uint32_t word;
        if (!next(word))
            return false;
        value = static_cast<int>(word);
        return true;
    }
    int left() const { return m_words - m_at; }
    int read() const { return m_at; }

private:
    const std::uint8_t* m_bytes;
    int m_words;
    int m_at = 0;
};
} // namespace

std::uint32_t SideTable::flags() const
{
    std::uint32_t flags = 0;
    if (!dummies.empty())
        flags |= List_D;
    if (!repeats.empty())
        flags |= List_E;
    if (has_box)
        flags |= Has_Box;
    if (!is_default(point_bits))
        flags |= Has_Point_Bits;
    if (!is_default(normal_bits))
        flags |= Has_Normal_Bits;
    return flags;
}

long long SideTable::size() const
{
    std::uint32_t const f = flags();
    long long words = 1;
    if (f & List_D)
        words += 1 + dummies.size();
    if (f & List_E)
        words += 1 + repeats.size();
    if (f & Has_Box)
        words += 6;
    if (f & Has_Point_Bits)
        words += 3;
    if (f & Has_Normal_Bits)
        words += 3;
    return 4 * words;
}

void SideTable::write(std::uint8_t* out) const
{
    std::uint32_t const f = flags();
    auto put = [&out](std::uint32_t word) {
        put_le32(out, word);
        out += 4;
    };
    put(f);
    if (f & List_D)
        put(static_cast<std::uint32_t>(dummies.size()));
    if (f & List_E)
        put(static_cast<std::uint32_t>(repeats.size()));
    int previous = 0;
    for (int i = 0; i < dummies.size(); ++i)
    {
        put(static_cast<std::uint32_t>(dummies[i] - previous));
        previous = dummies[i];
    }
    previous = 0;
    for (int i = 0; i + 1 < repeats.size(); i += 2)
    {
        put(static_cast<std::uint32_t>(repeats[i] - previous));
        put(static_cast<std::uint32_t>(repeats[i + 1]));
        previous = repeats[i];
    }
    if (f & Has_Box)
        for (float const value : box)
            put(float_bits(value));
    if (f & Has_Point_Bits)
        for (int const bits : point_bits)
            put(static_cast<std::uint32_t>(bits));
    if (f & Has_Normal_Bits)
        for (int const bits : normal_bits)
            put(static_cast<std::uint32_t>(bits));
}

void SideTable::clear()
{
    dummies.clear();
    repeats.clear();
    has_box = false;
    for (int axis = 0; axis < 3; ++axis)
        point_bits[axis] = normal_bits[axis] = Default_Bits;
}

bool SideTable::read(const std::uint8_t* bytes, int length)
{
    clear();
    if (!bytes || length < 4 || length % 4 != 0)
        return false;
    Words words(bytes, length);
    std::uint32_t f = 0;
    words.next(f);
    if (f & ~static_cast<std::uint32_t>(List_D | List_E | Has_Box | Has_Point_Bits |
                                         Has_Normal_Bits))
        return false;
    int dummy_count = 0;
    int repeat_words = 0;
    if ((f & List_D) && (!words.next(dummy_count) || dummy_count < 0))
        return false;
    if ((f & List_E) && (!words.next(repeat_words) || repeat_words < 0 || repeat_words % 2 != 0))
        return false;
    // Every entry takes a word of the table: counts beyond what is left are lies.
    if (dummy_count > words.left() || repeat_words > words.left() - dummy_count)
        return false;
    long long previous = -1;
    long long position = 0;
    for (int i = 0; i < dummy_count; ++i)
    {
        int delta = 0;
        words.next(delta);
        position += delta;
        if (position <= previous || position > 0x7FFFFFFF)
            return false;
        dummies.push(static_cast<int>(position));
        previous = position;
    }
    previous = -1;
    position = 0;
    for (int i = 0; i < repeat_words; i += 2)
    {
        int delta = 0;
        int first = 0;
        words.next(delta);
        words.next(first);
        position += delta;
        if (position <= previous || position > 0x7FFFFFFF || first < 0)
            return false;
        repeats.push(static_cast<int>(position));
        repeats.push(first);
        previous = position;
    }
    if (f & Has_Box)
    {
        has_box = true;
        for (float& value : box)
        {
            std::uint32_t word = 0;
            if (!words.next(word))
                return false;
            value = bits_float(word);
        }
    }
    for (std::uint32_t const flag : {Has_Point_Bits, Has_Normal_Bits})
    {
        if (!(f & flag))
            continue;
        int* const bits = flag == Has_Point_Bits ? point_bits : normal_bits;
        for (int axis = 0; axis < 3; ++axis)
            if (!words.next(bits[axis]) || bits[axis] < 1 || bits[axis] > 32)
                return false;
    }
    return words.left() == 0;
}

} // namespace w3d::eb
