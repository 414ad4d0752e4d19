#include "dwf/w3dtk/geometry/bit_packer.h"

namespace w3d::eb
{

long long packed_size(long long codes, int bits)
{
    if (codes < 0 || bits < 0 || bits > 32)
        return -1;
    return (codes * bits + 31) / 32 * 4;
}

BitPacker::BitPacker(std::uint8_t* write, const std::uint8_t* read, int capacity_words)
    : m_write(write), m_read(read), m_capacity(capacity_words < 0 ? 0 : capacity_words)
{
}

BitPacker BitPacker::for_writing(std::uint8_t* bytes, int capacity_bytes)
{
    BitPacker packer(bytes, bytes, bytes ? capacity_bytes / 4 : 0);
    if (packer.m_capacity > 0)
        packer.store(0, 0);
    return packer;
}

BitPacker BitPacker::for_reading(const std::uint8_t* bytes, int length)
{
    BitPacker packer(nullptr, bytes, bytes ? length / 4 : 0);
    if (packer.m_capacity > 0)
        packer.m_current = packer.load(0);
    return packer;
}

// Words are little-endian in memory whatever the host's byte order.
std::uint32_t BitPacker::load(int word) const
{
    const std::uint8_t* p = m_read + 4 * static_cast<long>(word);
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void BitPacker::store(int word, std::uint32_t value)
{
    std::uint8_t* p = m_write + 4 * static_cast<long>(word);
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

// Shifts go through 64 bits: a shift of a 32-bit value by 32 is undefined, and
// splitting a 32-bit code at a word boundary needs exactly that.
void BitPacker::put(int n, std::uint32_t code)
{
    if (m_status == 0 || n == 0)
        return;
    if (n < 0 || n > 32 || !m_write || m_capacity == 0)
    {
        m_status = 0;
        return;
    }
    std::uint64_t const value = code & Bit_Mask[static_cast<std::size_t>(n)];
    int const end = m_used + n;
    if (end <= 32)
    {
        m_current |= static_cast<std::uint32_t>(value << (32 - end));
        store(m_index, m_current);
        m_used = end;
        return;
    }
    if (m_index + 1 >= m_capacity)
    {
        m_status = 0;
        return;
    }
    m_current |= static_cast<std::uint32_t>(value >> (end - 32));
    store(m_index, m_current);
    ++m_index;
    // The next word is assigned, not merged: whatever the buffer held is gone.
    m_current = static_cast<std::uint32_t>(value << (64 - end));
    store(m_index, m_current);
    m_used = end - 32;
}

std::uint32_t BitPacker::get(int n)
{
    if (m_status == 0 || n == 0)
        return 0;
    if (n < 0 || n > 32 || m_capacity == 0)
    {
        m_status = 0;
        return 0;
    }
    std::uint64_t const mask = Bit_Mask[static_cast<std::size_t>(n)];
    int const end = m_used + n;
    if (end <= 32)
    {
        m_used = end;
        return static_cast<std::uint32_t>((std::uint64_t{m_current} >> (32 - end)) & mask);
    }
    if (m_index + 1 >= m_capacity)
    {
        m_status = 0;
        return 0;
    }
    std::uint64_t const high = (std::uint64_t{m_current} << (end - 32)) & mask;
    ++m_index;
    m_current = load(m_index);
    m_used = end - 32;
    return static_cast<std::uint32_t>(high | (std::uint64_t{m_current} >> (64 - end)));
}

} // namespace w3d::eb
