#include "dwf/w2dtk/opcode.h"

#include "dwf/w2dtk/file.h"

#include <algorithm>
#include <cstring>

namespace
{
bool is_whitespace(std::uint8_t c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool is_name_byte(std::uint8_t c)
{
    return c >= 33 && c <= 122 && c != '(' && c != ')';
}

enum Stage
{
    Between = 1,
    Whitespace = 2,
    First_Byte = 3,
    Rest = 4,
};

enum Skip_Stage
{
    Skip_Bytes = 0,
    Skip_Block_Size = 1,
    Skip_Block = 2,
    Skip_Frame = 3,
};

// Passes over (or records) the rest of a "{" block.
WT_Result pass_block(WT_File& file, std::uint64_t& remaining, std::vector<std::uint8_t>* record)
{
    if (!record)
    {
        file.skip(remaining);
        remaining = 0;
        return WT_Result_Success;
    }
    while (remaining > 0)
    {
        std::uint8_t chunk[4096];
        std::size_t const n = std::size_t(std::min<std::uint64_t>(remaining, sizeof chunk));
        if (record->size() + n > WT_File::Max_Operand_Bytes)
            return WT_Result_Corrupt_Stream;
        WT_CHECK(file.read(n, chunk));
        record->insert(record->end(), chunk, chunk + n);
        remaining -= n;
    }
    return WT_Result_Success;
}
} // namespace

bool WT_Opcode::is(const char* name) const
{
    std::size_t const n = std::strlen(name);
    return std::size_t(m_size) == n && std::memcmp(m_token, name, n) == 0;
}

std::uint32_t WT_Opcode::binary_size() const
{
    if (m_type != Extended_Binary || m_size < Extended_Binary_Token_Size)
        return 0;
    return std::uint32_t(m_token[1]) | (std::uint32_t(m_token[2]) << 8) |
           (std::uint32_t(m_token[3]) << 16) | (std::uint32_t(m_token[4]) << 24);
}

std::uint16_t WT_Opcode::binary_number() const
{
    if (m_type != Extended_Binary || m_size < Extended_Binary_Token_Size)
        return 0;
    return std::uint16_t(m_token[5] | (m_token[6] << 8));
}

void WT_Opcode::set_token(WT_Type type, const void* bytes, int size, int level)
{
    m_type = type;
    m_size = std::clamp(size, 0, Max_Name_Length);
    std::memcpy(m_token, bytes, std::size_t(m_size));
    m_token[m_size] = 0;
    m_level = level;
    m_stage = Between;
}

WT_Result WT_Opcode::read_header_token(WT_File& file)
{
    std::uint8_t bytes[6];
    WT_CHECK(file.read(6, bytes));
    bool const w2d = std::memcmp(bytes, "(W2D V", 6) == 0;
    if (!w2d && std::memcmp(bytes, "(DWF V", 6) != 0)
        return WT_Result_Not_A_W2D_Stream;
    if (w2d)
        file.heuristics().m_w2d_channel = true;
    m_level = file.nesting_depth();
    set_token(Extended_ASCII, bytes, 6, m_level);
    ++file.nesting_depth();
    file.set_header_read(true);
    return WT_Result_Success;
}

WT_Result WT_Opcode::get_opcode(WT_File& file, bool allow_close_and_words)
{
    if (!file.header_read())
        return read_header_token(file);
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
        case Between:
            m_level = file.nesting_depth();
            m_stage = Whitespace;
            break;
        case Whitespace:
            WT_CHECK(file.skip_whitespace());
            m_stage = First_Byte;
            break;
        case First_Byte:
        {
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            m_size = 1;
            m_token[0] = c;
            m_token[1] = 0;
            switch (c)
            {
            case '(':
                m_type = Extended_ASCII;
                ++file.nesting_depth();
                m_stage = Rest;
                break;
            case '{':
                m_type = Extended_Binary;
                m_stage = Rest;
                break;
            case ')':
                m_stage = Between;
                if (!allow_close_and_words)
                    return WT_Result_Corrupt_Stream;
                file.put_back(c);
                m_size = 0;
                m_token[0] = 0;
                m_type = Close_Paren;
                return WT_Result_Success;
            default:
                if (!allow_close_and_words)
                {
                    m_type = Single_Byte;
                    m_stage = Between;
                    return WT_Result_Success;
                }
                m_type = Bare_Word;
                m_stage = Rest;
                break;
            }
            break;
        }
        default:
            if (m_type == Extended_Binary)
            {
                WT_CHECK(file.read(6, m_token + 1));
                m_size = Extended_Binary_Token_Size;
                m_stage = Between;
                return WT_Result_Success;
            }
            for (;;)
            {
                std::uint8_t c = 0;
                WT_CHECK(file.read_byte(c));
                if (is_name_byte(c))
                {
                    if (m_size >= Max_Name_Length)
                    {
                        m_stage = Between;
                        return WT_Result_Corrupt_Stream;
                    }
                    m_token[m_size++] = c;
                    m_token[m_size] = 0;
                    continue;
                }
                m_stage = Between;
                if (!is_whitespace(c) && c != '(' && c != ')')
                    return WT_Result_Corrupt_Stream;
                file.put_back(c);
                return WT_Result_Success;
            }
        }
    }
}

WT_Result WT_Opcode::skip_operand(WT_File& file, std::vector<std::uint8_t>* record) const
{
    WT_File::Skip_State& s = file.m_skip;
    auto done = [&s](WT_Result result)
    {
        s = WT_File::Skip_State();
        return result;
    };

    if (m_type == Extended_Binary)
    {
        // The frame's size covers the number already read and all that follows.
        if (s.m_stage != Skip_Frame)
        {
            if (binary_size() < 2)
                return done(WT_Result_Inconsistent_Operand);
            s.m_block_remaining = binary_size() - 2;
            s.m_stage = Skip_Frame;
        }
        WT_Result result = pass_block(file, s.m_block_remaining, record);
        if (result == WT_Result_Corrupt_Stream)
            return done(result);
        WT_CHECK(result);
        return done(WT_Result_Success);
    }
    if (m_type == Single_Byte)
        return WT_Result_Foreign_Opcode;

    for (;;)
    {
        switch (s.m_stage)
        {
        case Skip_Block_Size:
        {
            std::uint8_t size[4];
            WT_CHECK(file.read(4, size));
            std::uint32_t const n = std::uint32_t(size[0]) | (std::uint32_t(size[1]) << 8) |
                                    (std::uint32_t(size[2]) << 16) | (std::uint32_t(size[3]) << 24);
            if (n == 0)
                return done(WT_Result_Corrupt_Stream);
            if (record)
                record->insert(record->end(), size, size + 4);
            s.m_block_remaining = n;
            s.m_stage = Skip_Block;
            break;
        }
        case Skip_Block:
        {
            WT_Result result = pass_block(file, s.m_block_remaining, record);
            if (result == WT_Result_Corrupt_Stream)
                return done(result);
            WT_CHECK(result);
            s.m_stage = Skip_Bytes;
            break;
        }
        default:
        {
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            if (record)
            {
                if (record->size() >= WT_File::Max_Operand_Bytes)
                    return done(WT_Result_Corrupt_Stream);
                record->push_back(c);
            }
            if (s.m_escape)
            {
                s.m_escape = false;
                break;
            }
            if (c == '\\')
                s.m_escape = true;
            else if (c == '\'')
                s.m_quote = !s.m_quote;
            else if (s.m_quote)
                break;
            else if (c == '(')
                ++file.nesting_depth();
            else if (c == ')')
            {
                if (--file.nesting_depth() <= m_level)
                    return done(WT_Result_Success);
            }
            else if (c == '{')
                s.m_stage = Skip_Block_Size;
            break;
        }
        }
    }
}
