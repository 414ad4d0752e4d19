#include "dwf/w2dtk/lz_compressor.h"

#include "dwf/w2dtk/compression_dictionary.h"
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/file.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::size_t Window_Mask = WT_LZ_Format::Window - 1;

// Chains are keyed by the four bytes starting at a position, newest weighted most.
inline std::size_t hash4(const std::uint8_t* p)
{
    return ((((std::size_t(p[3]) << 3) ^ p[2]) << 2 ^ p[1]) << 3 ^ p[0]) & 0xFFFF;
}
} // namespace

// ---------------------------------------------------------------- compressor

WT_LZ_Compressor::WT_LZ_Compressor(WT_File& file) : m_file(file)
{
    m_literals.reserve(WT_LZ_Format::Max_Literals);
    m_output.reserve(Output_Block + 2 * WT_LZ_Format::Max_Literals);
}

WT_Result WT_LZ_Compressor::start()
{
    m_buffer.resize(Buffer_Size);
    m_head.reset(new std::uint64_t[Hash_Size]());
    m_previous.reset(new std::uint64_t[WT_LZ_Format::Window]());
    m_literals.clear();
    m_output.clear();
    m_base = 0;
    m_pos = m_end = m_hashed = 0;

    WT_Compression_Marker marker(WT_Compression_Marker::LZ_Number);
    WT_CHECK(marker.serialize(m_file));

    int const version = m_file.target_version();
    // Streams before version 0.23 address the window by position and the
    // reader starts with an empty history; priming would shift every position.
    m_window_positions = version < WT_LZ_Format::Relative_Offset_Version;
    if (!m_window_positions)
    {
        std::size_t const skip = version < WT_LZ_Format::Full_Priming_Version
                                     ? WT_Compression_Dictionary::Opening_Names_Size
                                     : 0;
        std::size_t const n = WT_Compression_Dictionary::Size - skip;
        std::memcpy(m_buffer.data(), WT_Compression_Dictionary::bytes() + skip, n);
        m_pos = m_end = n;
        hash_up_to(m_pos);
    }
    m_compressing = true;
    return WT_Result_Success;
}

void WT_LZ_Compressor::hash_up_to(std::size_t index)
{
    // A position joins its chain once the four bytes starting there are known.
    std::size_t const limit = std::min(index, m_end >= 3 ? m_end - 3 : 0);
    for (; m_hashed < limit; ++m_hashed)
    {
        std::size_t const h = hash4(m_buffer.data() + m_hashed);
        std::uint64_t const absolute = m_base + m_hashed;
        m_previous[absolute & Window_Mask] = m_head[h];
        m_head[h] = absolute + 1;
    }
}

void WT_LZ_Compressor::slide()
{
    // Keep one window of history; absolute positions in the chains stay valid.
    if (m_pos <= WT_LZ_Format::Window)
        return;
    std::size_t const drop = m_pos - WT_LZ_Format::Window;
    std::memmove(m_buffer.data(), m_buffer.data() + drop, m_end - drop);
    m_base += drop;
    m_pos -= drop;
    m_end -= drop;
    m_hashed -= drop;
}

WT_Result WT_LZ_Compressor::compress(std::size_t count, const void* bytes)
{
    if (!m_compressing)
        return WT_Result_Usage_Error;
    auto const* next = static_cast<const std::uint8_t*>(bytes);
    while (count > 0)
    {
        if (m_end == m_buffer.size())
        {
            WT_CHECK(encode(false));
            slide();
        }
        std::size_t const n = std::min(count, m_buffer.size() - m_end);
        std::memcpy(m_buffer.data() + m_end, next, n);
        m_end += n;
        next += n;
        count -= n;
    }
    return WT_Result_Success;
}

std::size_t WT_LZ_Compressor::find_match(std::size_t& match_index) const
{
    std::size_t const max_length = std::min(WT_LZ_Format::Max_Match, m_end - m_pos);
    std::uint64_t const here = m_base + m_pos;
    std::uint64_t const oldest = std::max<std::uint64_t>(
        m_base, here > WT_LZ_Format::Window ? here - WT_LZ_Format::Window : 0);
    const std::uint8_t* const target = m_buffer.data() + m_pos;
    std::size_t best = WT_LZ_Format::Min_Match - 1;
    std::uint64_t candidate = m_head[hash4(target)];
    for (int tries = 0; tries < Max_Chain && candidate != 0; ++tries)
    {
        std::uint64_t const at = candidate - 1;
        if (at < oldest || at >= here)
            break;
        const std::uint8_t* const source = m_buffer.data() + (at - m_base);
        // A match may run on into the bytes it produces: the reader copies
        // byte by byte, so overlapping copies repeat a pattern.
        if (source[best] == target[best])
        {
            std::size_t length = 0;
            while (length < max_length && source[length] == target[length])
                ++length;
            if (length > best)
            {
                best = length;
                match_index = std::size_t(at - m_base);
                if (length == max_length)
                    break;
            }
        }
        std::uint64_t const older = m_previous[at & Window_Mask];
        if (older >= candidate)
            break;
        candidate = older;
    }
    return best >= WT_LZ_Format::Min_Match ? best : 0;
}

void WT_LZ_Compressor::put(std::uint8_t byte)
{
    m_output.push_back(byte);
}

WT_Result WT_LZ_Compressor::flush_output(bool only_when_full)
{
    if (m_output.empty() || (only_when_full && m_output.size() < Output_Block))
        return WT_Result_Success;
    WT_Result const result = m_file.write_raw(m_output.size(), m_output.data());
    m_output.clear();
    return result;
}

WT_Result WT_LZ_Compressor::emit(std::size_t match_length, std::uint16_t offset)
{
    std::size_t const literals = m_literals.size();
    int const literal_code = literals < 15 ? int(literals) : 15;
    int match_code = 0;
    if (match_length > 0)
        match_code = match_length < 18 ? int(match_length - 3) : 15;
    put(std::uint8_t(match_code << 4 | literal_code));
    if (literal_code == 15)
        put(std::uint8_t(literals - 15));
    m_output.insert(m_output.end(), m_literals.begin(), m_literals.end());
    m_literals.clear();
    if (match_length > 0)
    {
        if (match_code == 15)
            put(std::uint8_t(match_length - 18));
        put(std::uint8_t(offset & 0xFF));
        put(std::uint8_t(offset >> 8));
    }
    return flush_output(true);
}

WT_Result WT_LZ_Compressor::encode(bool flushing)
{
    for (;;)
    {
        std::size_t const queued = m_end - m_pos;
        if (queued == 0 || (!flushing && queued < WT_LZ_Format::Max_Match + 3))
            return WT_Result_Success;
        hash_up_to(m_pos);
        std::size_t match_index = 0;
        std::size_t const length = queued >= WT_LZ_Format::Min_Match ? find_match(match_index) : 0;
        if (length == 0)
        {
            m_literals.push_back(m_buffer[m_pos++]);
            if (m_literals.size() == WT_LZ_Format::Max_Literals)
                WT_CHECK(emit(0, 0));
            continue;
        }
        std::uint64_t const source = m_base + match_index;
        std::uint16_t const offset = m_window_positions
                                         ? std::uint16_t(source & Window_Mask)
                                         : std::uint16_t(m_base + m_pos - source - 1);
        WT_CHECK(emit(length, offset));
        m_pos += length;
    }
}

WT_Result WT_LZ_Compressor::stop()
{
    if (!m_compressing)
        return WT_Result_Success;
    m_compressing = false;
    WT_CHECK(encode(true));
    if (!m_literals.empty())
        WT_CHECK(emit(0, 0));
    put(0);
    put('}');
    return flush_output(false);
}

// ---------------------------------------------------------------- decompressor

WT_Result WT_LZ_Decompressor::start()
{
    m_history.assign(WT_LZ_Format::Window, 0);
    m_head = m_filled = 0;
    m_stage = Control;
    m_failure = WT_Result_Success;
    m_input_position = m_input_end = 0;
    m_window_positions = m_file.stream_version() < WT_LZ_Format::Relative_Offset_Version;
    if (!m_window_positions)
    {
        std::memcpy(m_history.data(), WT_Compression_Dictionary::bytes(),
                    WT_Compression_Dictionary::Size);
        m_head = m_filled = WT_Compression_Dictionary::Size;
    }
    return WT_Result_Success;
}

bool WT_LZ_Decompressor::next_byte(std::uint8_t& byte, WT_Result& why)
{
    if (m_input_position == m_input_end)
    {
        std::size_t got = 0;
        why = m_file.read_raw(m_input.size(), got, m_input.data());
        if (got == 0 || got > m_input.size())
        {
            if (got > m_input.size())
                why = WT_Result_Stream_Failure;
            else if (why == WT_Result_Success)
                why = WT_Result_Waiting_For_Data;
            return false;
        }
        m_input_position = 0;
        m_input_end = got;
    }
    byte = m_input[m_input_position++];
    return true;
}

WT_Result WT_LZ_Decompressor::decompress(std::size_t wanted, std::size_t& delivered, void* buffer)
{
    delivered = 0;
    if (m_failure != WT_Result_Success)
        return m_failure;
    if (m_history.empty())
        return WT_Result_Usage_Error;
    auto* out = static_cast<std::uint8_t*>(buffer);
    // Short of input: what was decoded is handed over; with nothing decoded the
    // caller learns to come back later (1) or that the input is over.
    auto starved = [&delivered](WT_Result why)
    {
        if (why == WT_Result_Stream_Failure)
            return why;
        return delivered > 0 ? WT_Result_Success : why;
    };
    std::uint8_t byte = 0;
    WT_Result why = WT_Result_Success;
    for (;;)
    {
        switch (m_stage)
        {
        case Ended:
            return WT_Result_Compressed_Data_End;
        case Control:
            if (delivered == wanted)
                return WT_Result_Success;
            if (!next_byte(byte, why))
                return starved(why);
            if (byte == 0)
            {
                // The rest of the input ("}" and beyond) belongs to the file.
                m_stage = Ended;
                if (m_input_position < m_input_end)
                    m_file.push_back_raw(m_input.data() + m_input_position,
                                         m_input_end - m_input_position);
                m_input_position = m_input_end = 0;
                return WT_Result_Compressed_Data_End;
            }
            m_literals_left = byte & 15;
            m_match_code = byte >> 4;
            m_stage = m_literals_left == 15 ? Literal_Count : Literals;
            break;
        case Literal_Count:
            if (!next_byte(byte, why))
                return starved(why);
            m_literals_left = 15 + std::size_t(byte);
            m_stage = Literals;
            break;
        case Literals:
            while (m_literals_left > 0)
            {
                if (delivered == wanted)
                    return WT_Result_Success;
                if (!next_byte(byte, why))
                    return starved(why);
                out[delivered++] = byte;
                append(byte);
                --m_literals_left;
            }
            if (m_match_code == 0)
                m_stage = Control;
            else if (m_match_code == 15)
                m_stage = Match_Length;
            else
            {
                m_match_length = std::size_t(m_match_code) + 3;
                m_stage = Offset_Low;
            }
            break;
        case Match_Length:
            if (!next_byte(byte, why))
                return starved(why);
            m_match_length = 18 + std::size_t(byte);
            m_stage = Offset_Low;
            break;
        case Offset_Low:
            if (!next_byte(byte, why))
                return starved(why);
            m_offset = byte;
            m_stage = Offset_High;
            break;
        case Offset_High:
            if (!next_byte(byte, why))
                return starved(why);
            m_offset |= std::size_t(byte) << 8;
            // The copy must start inside what the history holds.
            if (m_window_positions)
            {
                if (m_offset >= m_filled)
                    return m_failure = WT_Result_Corrupt_Stream;
                m_source = m_offset;
            }
            else
            {
                if (m_offset + 1 > m_filled)
                    return m_failure = WT_Result_Corrupt_Stream;
                m_source = (m_head + WT_LZ_Format::Window - m_offset - 1) & Window_Mask;
            }
            m_stage = Copy;
            break;
        case Copy:
            while (m_match_length > 0)
            {
                if (delivered == wanted)
                    return WT_Result_Success;
                byte = m_history[m_source];
                m_source = (m_source + 1) & Window_Mask;
                out[delivered++] = byte;
                append(byte);
                --m_match_length;
            }
            m_stage = Control;
            break;
        }
    }
}
