#ifndef DWFCORE_UTF8_H
#define DWFCORE_UTF8_H

#include <cstddef>
#include <string>
#include <string_view>

namespace DWFCore
{

//
// The UTF-8 reading and writing that every converter between our UTF-16
// text and bytes shares. The converters differ only in what they do with
// what is not valid (replace it, carry its bytes, pair up surrogate halves),
// so they take one sequence or one character at a time from here.
//

// The UTF-8 sequence at the start of some bytes.
struct UTF8Sequence
{
    // A valid sequence: its bytes. An invalid one: the lead byte and the
    // continuation bytes after it that still fitted a valid sequence (at
    // least 1), so a reader that replaces the broken sequence goes on at the
    // byte that broke it.
    std::size_t length = 0;
    // The code point of a valid sequence.
    char32_t point = 0;
    bool valid = false;
};

// Whether the three-byte forms of surrogates (ED A0..BF xx) are valid.
enum class UTF8Surrogates
{
    // Refused, as UTF-8 requires.
    Refused,
    // Read as code points U+D800..U+DFFF, for a reader that pairs the halves
    // itself.
    Read
};

// Reads the sequence at the start of `bytes`, of which `available` (at least
// one) may be read. Overlong forms and values above U+10FFFF are never valid.
inline UTF8Sequence readUTF8Sequence(const unsigned char* bytes, std::size_t available,
                                     UTF8Surrogates surrogates);

// Writes the UTF-8 form of `point` (at most U+10FFFF) and returns its length.
inline std::size_t writeUTF8Sequence(char32_t point, unsigned char (&sequence)[4]);
inline void appendUTF8(std::string& out, char32_t point);

// Hands the characters of UTF-16 `text` to a UTF-8 writer in order: a
// surrogate pair as one code point to `character(point)`, and a surrogate
// outside a pair to `unpaired(unit)`, which writes whatever stands for it.
template <typename Character, typename Unpaired>
void forEachUTF16Character(std::u16string_view text, Character&& character, Unpaired&& unpaired);

// Inline: every character of every conversion passes through them.

inline UTF8Sequence readUTF8Sequence(const unsigned char* bytes, std::size_t available,
                                     UTF8Surrogates surrogates)
{
    UTF8Sequence sequence;
    sequence.length = 1;
    const unsigned lead = bytes[0];
    if (lead < 0x80)
    {
        sequence.point = lead;
        sequence.valid = true;
        return sequence;
    }
    // The continuation count, the code point bits of the lead byte and the
    // range of the first continuation byte, which shuts out overlong forms,
    // values above U+10FFFF and, when refused, surrogates.
    std::size_t needed = 0;
    char32_t point = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        needed = 1;
        point = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        needed = 2;
        point = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED && surrogates == UTF8Surrogates::Refused ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        needed = 3;
        point = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    else
    {
        return sequence;
    }
    for (std::size_t taken = 0; taken < needed; ++taken)
    {
        if (sequence.length == available)
        {
            return sequence;
        }
        const unsigned next = bytes[sequence.length];
        if (next < (taken == 0 ? low : 0x80u) || next > (taken == 0 ? high : 0xBFu))
        {
            return sequence;
        }
        point = (point << 6) | (next & 0x3F);
        ++sequence.length;
    }
    sequence.point = point;
    sequence.valid = true;
    return sequence;
}

inline std::size_t writeUTF8Sequence(char32_t point, unsigned char (&sequence)[4])
{
    if (point < 0x80)
    {
        sequence[0] = static_cast<unsigned char>(point);
        return 1;
    }
    if (point < 0x800)
    {
        sequence[0] = static_cast<unsigned char>(0xC0 | (point >> 6));
        sequence[1] = static_cast<unsigned char>(0x80 | (point & 0x3F));
        return 2;
    }
    if (point < 0x10000)
    {
        sequence[0] = static_cast<unsigned char>(0xE0 | (point >> 12));
        sequence[1] = static_cast<unsigned char>(0x80 | ((point >> 6) & 0x3F));
        sequence[2] = static_cast<unsigned char>(0x80 | (point & 0x3F));
        return 3;
    }
    sequence[0] = static_cast<unsigned char>(0xF0 | (point >> 18));
    sequence[1] = static_cast<unsigned char>(0x80 | ((point >> 12) & 0x3F));
    sequence[2] = static_cast<unsigned char>(0x80 | ((point >> 6) & 0x3F));
    sequence[3] = static_cast<unsigned char>(0x80 | (point & 0x3F));
    return 4;
}

inline void appendUTF8(std::string& out, char32_t point)
{
    unsigned char sequence[4];
    const std::size_t length = writeUTF8Sequence(point, sequence);
    out.append(reinterpret_cast<const char*>(sequence), length);
}

template <typename Character, typename Unpaired>
void forEachUTF16Character(std::u16string_view text, Character&& character, Unpaired&& unpaired)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF)
        {
            character(static_cast<char32_t>(unit));
        }
        else if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                 text[i + 1] <= 0xDFFF)
        {
            character(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                      (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        }
        else
        {
            unpaired(unit);
        }
    }
}

} // namespace DWFCore

#endif
