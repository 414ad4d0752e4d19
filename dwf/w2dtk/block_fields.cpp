#include "dwf/w2dtk/block_fields.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <cstring>
#include <string>

namespace
{
// Longest word token a code field reads.
constexpr std::size_t Max_Word = 40;

WT_Result write_frame_start(WT_File& file, std::uint32_t size, std::uint16_t number)
{
    WT_CHECK(file.write("{"));
    WT_CHECK(file.write_u32(size));
    return file.write_u16(number);
}
} // namespace

WT_Result wt_read_closing_brace(WT_File& file)
{
    std::uint8_t c = 0;
    WT_CHECK(file.read_byte(c));
    return c == '}' ? WT_Result_Success : WT_Result_Corrupt_Stream;
}

WT_Result wt_skip_extended_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_Binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result wt_close_extended_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_Binary)
        return wt_read_closing_brace(file);
    return opcode.skip_operand(file);
}

WT_Result wt_expect_binary_size(const WT_Opcode& opcode, std::uint32_t size)
{
    return opcode.binary_size() == size ? WT_Result_Success : WT_Result_Inconsistent_Operand;
}

// ---------------------------------------------------------------- code fields

const WT_Block_Meaning::Word* WT_Block_Meaning::words(std::size_t& count) const
{
    static const Word table[] = {{1, "None     "}, {2, "Seal     "},  {4, "Stamp    "},
                                 {8, "Label    "}, {16, "Redline  "}, {32, "Reserved1"},
                                 {64, "Reserved2"}};
    count = sizeof table / sizeof table[0];
    return table;
}

const WT_Encryption::Word* WT_Encryption::words(std::size_t& count) const
{
    static const Word table[] = {
        {1, "None     "}, {2, "Reserved1"}, {4, "Reserved2"}, {8, "Reserved3"}};
    count = sizeof table / sizeof table[0];
    return table;
}

const WT_Orientation::Word* WT_Orientation::words(std::size_t& count) const
{
    static const Word table[] = {
        {1, "Always_In_Sync  "}, {2, "Always_Different"}, {4, "Decoupled       "}};
    count = sizeof table / sizeof table[0];
    return table;
}

const WT_Alignment::Word* WT_Alignment::words(std::size_t& count) const
{
    static const Word table[] = {
        {1, "Align_Center      "},   {2, "Align_Title_Block "},   {4, "Align_Top         "},
        {8, "Align_Bottom      "},   {16, "Align_Left        "},  {32, "Align_Right       "},
        {64, "Align_Top_Left    "},  {128, "Align_Top_Right   "}, {256, "Align_Bottom_Left "},
        {512, "Align_Bottom_Right"}, {1024, "Align_None        "}};
    count = sizeof table / sizeof table[0];
    return table;
}

const char* WT_Block_Code_Field::word_of(std::uint32_t code) const
{
    std::size_t count = 0;
    const Word* table = words(count);
    for (std::size_t i = 0; i < count; ++i)
        if (table[i].code == code)
            return table[i].word;
    return nullptr;
}

WT_Result WT_Block_Code_Field::write_field(WT_File& file) const
{
    if (file.binary_output())
    {
        WT_CHECK(write_frame_start(file, Binary_Size, binary_number()));
        WT_CHECK(file.write_u16(std::uint16_t(m_code)));
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write(opcode_name()));
    const char* word = word_of(m_code);
    if (!word)
    {
        // A block meaning without a word closes empty; the others cannot be written.
        if (!lenient())
            return WT_Result_Not_Available;
        return file.write(")");
    }
    WT_CHECK(file.write_quoted_string(word, true));
    return file.write(")");
}

WT_Result WT_Block_Code_Field::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    return write_field(file);
}

WT_Result WT_Block_Code_Field::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Block_Code_Field::read_body(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Extended_Binary:
        if (m_stage == 0)
        {
            WT_CHECK(wt_expect_binary_size(opcode, Binary_Size));
            std::uint16_t value = 0;
            WT_CHECK(file.read_u16(value));
            if (!word_of(value))
                return WT_Result_Not_Available;
            m_code = value;
            m_stage = 2;
        }
        WT_CHECK(wt_read_closing_brace(file));
        break;
    case WT_Opcode::Extended_ASCII:
        if (m_stage == 0)
        {
            std::string word;
            WT_CHECK(file.read_ascii_string(Max_Word, word));
            std::size_t count = 0;
            const Word* table = words(count);
            bool found = false;
            for (std::size_t i = 0; i < count && !found; ++i)
            {
                if (word == table[i].word)
                {
                    m_code = table[i].code;
                    found = true;
                }
            }
            if (!found && !lenient())
                return WT_Result_Not_Available;
            m_stage = 1;
        }
        WT_CHECK(opcode.skip_operand(file));
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Block_Code_Field::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return wt_skip_extended_operand(opcode, file);
}

// ---------------------------------------------------------------- password

WT_Result WT_Password::write_field(WT_File& file) const
{
    // A password that starts with a zero byte is no password at all.
    Bytes bytes = m_bytes;
    if (bytes[0] == 0)
        bytes.fill(0);
    if (file.binary_output())
    {
        WT_CHECK(write_frame_start(file, Binary_Size, 331));
        WT_CHECK(file.write(bytes.size(), bytes.data()));
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Psswd '"));
    WT_CHECK(file.write(bytes.size(), bytes.data()));
    return file.write("')");
}

WT_Result WT_Password::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    return write_field(file);
}

WT_Result WT_Password::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Password::read_body(const WT_Opcode& opcode, WT_File& file)
{
    // The bytes are raw, so the operand is read (never scanned for parentheses).
    std::uint8_t c = 0;
    switch (opcode.type())
    {
    case WT_Opcode::Extended_Binary:
        if (m_stage == 0)
        {
            WT_CHECK(wt_expect_binary_size(opcode, Binary_Size));
            WT_CHECK(file.read(m_bytes.size(), m_bytes.data()));
            m_stage = 1;
        }
        WT_CHECK(wt_read_closing_brace(file));
        break;
    case WT_Opcode::Extended_ASCII:
        if (m_stage == 0)
        {
            WT_CHECK(file.skip_whitespace());
            m_stage = 1;
        }
        if (m_stage == 1)
        {
            WT_CHECK(file.read_byte(c));
            if (c != '\'')
            {
                m_stage = 0;
                return WT_Result_Corrupt_Stream;
            }
            m_stage = 2;
        }
        if (m_stage == 2)
        {
            WT_CHECK(file.read(m_bytes.size(), m_bytes.data()));
            m_stage = 3;
        }
        if (m_stage == 3)
        {
            WT_CHECK(file.read_byte(c));
            if (c != '\'')
            {
                m_stage = 0;
                return WT_Result_Corrupt_Stream;
            }
            m_stage = 4;
        }
        WT_CHECK(opcode.skip_operand(file));
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

// ---------------------------------------------------------------- GUID

WT_Result WT_Guid::write_field(WT_File& file) const
{
    if (file.binary_output())
    {
        WT_CHECK(write_frame_start(file, Binary_Size, 330));
        WT_CHECK(file.write_u32(m_value.data1));
        WT_CHECK(file.write_u16(m_value.data2));
        WT_CHECK(file.write_u16(m_value.data3));
        WT_CHECK(file.write(m_value.data4.size(), m_value.data4.data()));
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Guid "));
    WT_CHECK(file.write_ascii(m_value.data1));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(m_value.data2));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(m_value.data3));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_hex(m_value.data4.size(), m_value.data4.data()));
    return file.write(" )");
}

WT_Result WT_Guid::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    return write_field(file);
}

WT_Result WT_Guid::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Guid::read_body(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Extended_Binary:
        switch (m_stage)
        {
        case 0:
            WT_CHECK(wt_expect_binary_size(opcode, Binary_Size));
            WT_CHECK(file.read_u32(m_value.data1));
            m_stage = 1;
            // fall through
        case 1:
            WT_CHECK(file.read_u16(m_value.data2));
            m_stage = 2;
            // fall through
        case 2:
            WT_CHECK(file.read_u16(m_value.data3));
            m_stage = 3;
            // fall through
        case 3:
            WT_CHECK(file.read(m_value.data4.size(), m_value.data4.data()));
            m_stage = 4;
            // fall through
        default:
            WT_CHECK(wt_read_closing_brace(file));
        }
        break;
    case WT_Opcode::Extended_ASCII:
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.read_ascii(m_value.data1));
            m_stage = 1;
            // fall through
        case 1:
            WT_CHECK(file.read_ascii(m_value.data2));
            m_stage = 2;
            // fall through
        case 2:
            WT_CHECK(file.read_ascii(m_value.data3));
            m_stage = 3;
            // fall through
        case 3:
            WT_CHECK(file.read_hex(m_value.data4.size(), m_value.data4.data()));
            m_stage = 4;
            // fall through
        default:
            WT_CHECK(opcode.skip_operand(file));
        }
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Guid::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return wt_skip_extended_operand(opcode, file);
}

// ---------------------------------------------------------------- file time

WT_Result WT_File_Time::write_field(WT_File& file) const
{
    if (file.binary_output())
    {
        WT_CHECK(write_frame_start(file, Binary_Size, 333));
        WT_CHECK(file.write_u32(m_first));
        WT_CHECK(file.write_u32(m_second));
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Time "));
    WT_CHECK(file.write_padded_ascii(m_first));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_padded_ascii(m_second));
    return file.write(")");
}

WT_Result WT_File_Time::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    return write_field(file);
}

WT_Result WT_File_Time::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_File_Time::read_body(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Extended_Binary:
        switch (m_stage)
        {
        case 0:
            WT_CHECK(wt_expect_binary_size(opcode, Binary_Size));
            WT_CHECK(file.read_u32(m_first));
            m_stage = 1;
            // fall through
        case 1:
            WT_CHECK(file.read_u32(m_second));
            m_stage = 2;
            // fall through
        default:
            WT_CHECK(wt_read_closing_brace(file));
        }
        break;
    case WT_Opcode::Extended_ASCII:
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.read_ascii(m_first));
            m_stage = 1;
            // fall through
        case 1:
            WT_CHECK(file.read_ascii(m_second));
            m_stage = 2;
            // fall through
        default:
            WT_CHECK(opcode.skip_operand(file));
        }
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_File_Time::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return wt_skip_extended_operand(opcode, file);
}
