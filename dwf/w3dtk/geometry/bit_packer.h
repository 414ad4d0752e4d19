#pragma once

// Codes of 1 to 32 bits packed most significant bit first into 32-bit words,
// each word stored least significant byte first. The first code occupies the
// top bits of word 0 and each next code follows directly below the previous
// one; a code that does not fit in what is left of a word is split, its high
// part ending the word and its low part starting the next. The unused low bits
// of the last word are zero.

#include <array>
#include <cstdint>

namespace w3d::eb
{

// Bit_Mask[n] = 2^n - 1 (Bit_Mask[0] = 0, Bit_Mask[32] = all ones).
inline constexpr std::array<std::uint32_t, 33> Bit_Mask = []
{
    std::array<std::uint32_t, 33> mask{};
    for (int n = 0; n <= 32; ++n)
        mask[static_cast<std::size_t>(n)] = static_cast<std::uint32_t>((std::uint64_t{1} << n) - 1);
    return mask;
}();

// Bit_Half[n] = 2^(n-1) - 1, the largest magnitude an n-bit code offset by it
// holds on both sides of zero (Bit_Half[0] = Bit_Half[1] = 0,
// Bit_Half[32] = 0x7FFFFFFF).
inline constexpr std::array<std::uint32_t, 33> Bit_Half = []
{
    std::array<std::uint32_t, 33> half{};
    for (int n = 1; n <= 32; ++n)
        half[static_cast<std::size_t>(n)] =
            static_cast<std::uint32_t>((std::uint64_t{1} << (n - 1)) - 1);
    return half;
}();

// The bytes that `bits`-wide codes of `codes` values take once packed: whole
// words, so a partly filled last word counts in full. -1 when `codes` or `bits`
// is negative or `bits` exceeds 32; the result may exceed what an int holds.
long long packed_size(long long codes, int bits);

//
// Packs codes into, or unpacks them from, a caller's byte buffer of a fixed
// number of words; the packer never owns or grows it.
//
// Writing: put(n, code) appends the low n bits of code. A put that needs a word
// beyond the buffer fails: the status drops to 0 and nothing more is stored, so
// what was packed before stays intact (callers size the buffer with
// packed_size and test ok() afterwards).
//
// Reading: get(n) takes the next n bits. A get that would read beyond the
// buffer answers 0 and drops the status to 0.
//
class BitPacker
{
public:
    // Writing into `bytes`, which holds `capacity_bytes` bytes (whole words are
    // used; a trailing partial word is not). Clears the first word.
    static BitPacker for_writing(std::uint8_t* bytes, int capacity_bytes);
    // Reading `length` bytes (whole words) from `bytes`.
    static BitPacker for_reading(const std::uint8_t* bytes, int length);

    // n in 0..32; bits of code above n are ignored.
    void put(int n, std::uint32_t code);
    // n in 0..32.
    std::uint32_t get(int n);

    bool ok() const { return m_status != 0; }
    int status() const { return m_status; }
    // The word being filled or read, and the bits already used in it (0..32).
    int index() const { return m_index; }
    int used() const { return m_used; }
    int capacity_words() const { return m_capacity; }
    // Bytes holding what was written: every word touched, (index + 1) x 4.
    int packed_bytes() const { return (m_index + 1) * 4; }

private:
    BitPacker(std::uint8_t* write, const std::uint8_t* read, int capacity_words);

    std::uint32_t load(int word) const;
    void store(int word, std::uint32_t value);

    std::uint8_t* m_write;
    const std::uint8_t* m_read;
    int m_capacity;
    int m_index = 0;
    int m_used = 0;
    int m_status = 1;
    // The word at m_index as far as it is known (writing: its bits so far).
    std::uint32_t m_current = 0;
};

} // namespace w3d::eb
