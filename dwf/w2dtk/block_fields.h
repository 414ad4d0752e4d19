#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"

#include <array>
#include <cstdint>

// The small property objects a block reference carries: codes chosen from a
// word table, a password, a GUID and a file time. Each is also an opcode of its
// own. Their write_field forms skip the serialize prologue, so that a block
// reference can nest them without syncing the rendition half way through its
// own operand.

// A code from a fixed table of words (block meaning, encryption, orientation,
// alignment).
class WT_Block_Code_Field : public WT_Object
{
public:
    struct Word
    {
        std::uint32_t code;
        const char* word;
    };

    std::uint32_t code() const { return m_code; }
    void set_code(std::uint32_t code) { m_code = code; }

    WT_Type object_type() const override { return Definition; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result write_field(WT_File& file) const;

    bool operator==(const WT_Block_Code_Field& other) const
    {
        return object_id() == other.object_id() && m_code == other.m_code;
    }
    bool operator!=(const WT_Block_Code_Field& other) const { return !(*this == other); }

    // The word of a code, or null when the table has none.
    const char* word_of(std::uint32_t code) const;

    static constexpr std::uint32_t Binary_Size = 5; // number, value, "}"

protected:
    explicit WT_Block_Code_Field(std::uint32_t code) : m_code(code) {}

    virtual std::uint16_t binary_number() const = 0;
    virtual const char* opcode_name() const = 0; // "(BlockMeaning "
    virtual const Word* words(std::size_t& count) const = 0;
    // An unknown word keeps the previous code instead of failing the read.
    virtual bool lenient() const { return false; }

private:
    std::uint32_t m_code;
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    int m_stage = 0;
};

class WT_Block_Meaning : public WT_Block_Code_Field
{
public:
    enum : std::uint32_t
    {
        None = 1,
        Seal = 2,
        Stamp = 4,
        Label = 8,
        Redline = 16,
        Reserved1 = 32,
        Reserved2 = 64,
    };
    explicit WT_Block_Meaning(std::uint32_t code = None) : WT_Block_Code_Field(code) {}
    WT_ID object_id() const override { return Block_Meaning_ID; }
    int action_slot() const override { return 4; }

protected:
    std::uint16_t binary_number() const override { return 322; }
    const char* opcode_name() const override { return "(BlockMeaning "; }
    const Word* words(std::size_t& count) const override;
    bool lenient() const override { return true; }
};

class WT_Encryption : public WT_Block_Code_Field
{
public:
    enum : std::uint32_t
    {
        None = 1,
        Reserved1 = 2,
        Reserved2 = 4,
        Reserved3 = 8,
    };
    explicit WT_Encryption(std::uint32_t code = None) : WT_Block_Code_Field(code) {}
    WT_ID object_id() const override { return Encryption_ID; }
    int action_slot() const override { return 22; }

protected:
    std::uint16_t binary_number() const override { return 323; }
    const char* opcode_name() const override { return "(Encryption "; }
    const Word* words(std::size_t& count) const override;
};

class WT_Orientation : public WT_Block_Code_Field
{
public:
    enum : std::uint32_t
    {
        Always_In_Sync = 1,
        Always_Different = 2,
        Decoupled = 4,
    };
    explicit WT_Orientation(std::uint32_t code = Always_In_Sync) : WT_Block_Code_Field(code) {}
    WT_ID object_id() const override { return Orientation_ID; }
    int action_slot() const override { return 50; }

protected:
    std::uint16_t binary_number() const override { return 325; }
    const char* opcode_name() const override { return "(Orientation "; }
    const Word* words(std::size_t& count) const override;
};

class WT_Alignment : public WT_Block_Code_Field
{
public:
    enum : std::uint32_t
    {
        Align_Center = 1,
        Align_Title_Block = 2,
        Align_Top = 4,
        Align_Bottom = 8,
        Align_Left = 16,
        Align_Right = 32,
        Align_Top_Left = 64,
        Align_Top_Right = 128,
        Align_Bottom_Left = 256,
        Align_Bottom_Right = 512,
        Align_None = 1024,
    };
    explicit WT_Alignment(std::uint32_t code = Align_None) : WT_Block_Code_Field(code) {}
    WT_ID object_id() const override { return Alignment_ID; }
    int action_slot() const override { return 1; }

protected:
    std::uint16_t binary_number() const override { return 327; }
    const char* opcode_name() const override { return "(Alignment "; }
    const Word* words(std::size_t& count) const override;
};

// 32 password bytes, carried as they are.
class WT_Password : public WT_Object
{
public:
    using Bytes = std::array<std::uint8_t, 32>;

    WT_Password() { m_bytes.fill(0); }
    explicit WT_Password(const Bytes& bytes) : m_bytes(bytes) {}

    const Bytes& bytes() const { return m_bytes; }
    void set(const Bytes& bytes) { m_bytes = bytes; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Password_ID; }
    int action_slot() const override { return 53; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result write_field(WT_File& file) const;

    bool operator==(const WT_Password& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const WT_Password& other) const { return !(*this == other); }

    static constexpr std::uint32_t Binary_Size = 35;

private:
    Bytes m_bytes;
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    int m_stage = 0;
};

// A GUID: 32-bit, two 16-bit parts and 8 bytes. Also a list item (GUID lists,
// sign data).
class WT_Guid : public WT_Item, public WT_Object
{
public:
    struct Value
    {
        std::uint32_t data1 = 0;
        std::uint16_t data2 = 0;
        std::uint16_t data3 = 0;
        std::array<std::uint8_t, 8> data4{};

        bool operator==(const Value& o) const
        {
            return data1 == o.data1 && data2 == o.data2 && data3 == o.data3 && data4 == o.data4;
        }
    };

    WT_Guid() = default;
    explicit WT_Guid(const Value& value) : m_value(value) {}

    const Value& value() const { return m_value; }
    void set(const Value& value) { m_value = value; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Guid_ID; }
    int action_slot() const override { return 34; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result write_field(WT_File& file) const;

    bool operator==(const WT_Guid& other) const { return m_value == other.m_value; }
    bool operator!=(const WT_Guid& other) const { return !(*this == other); }

    static constexpr std::uint32_t Binary_Size = 19;

private:
    Value m_value;
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    int m_stage = 0;
};

// Two 32-bit words of a file time.
class WT_File_Time : public WT_Object
{
public:
    WT_File_Time() = default;
    WT_File_Time(std::uint32_t first, std::uint32_t second) : m_first(first), m_second(second) {}

    std::uint32_t first() const { return m_first; }
    std::uint32_t second() const { return m_second; }
    void set(std::uint32_t first, std::uint32_t second)
    {
        m_first = first;
        m_second = second;
    }

    WT_Type object_type() const override { return Informational; }
    WT_ID object_id() const override { return File_Time_ID; }
    int action_slot() const override { return 24; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result write_field(WT_File& file) const;

    bool operator==(const WT_File_Time& other) const
    {
        return m_first == other.m_first && m_second == other.m_second;
    }
    bool operator!=(const WT_File_Time& other) const { return !(*this == other); }

    static constexpr std::uint32_t Binary_Size = 11;

private:
    std::uint32_t m_first = 0;
    std::uint32_t m_second = 0;
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    int m_stage = 0;
};

// Reads the "}" that closes an extended binary operand (2 for any other byte).
WT_Result wt_read_closing_brace(WT_File& file);
// Checks that a "{" frame announces exactly the operand size a fixed-size
// object writes (15 when it does not).
WT_Result wt_expect_binary_size(const WT_Opcode& opcode, std::uint32_t size);
// Passes over an extended operand of either form; other opcodes are foreign.
WT_Result wt_skip_extended_operand(const WT_Opcode& opcode, WT_File& file);
// Ends an extended operand: the "}" of a binary frame, or the ASCII operand up
// to its closing parenthesis.
WT_Result wt_close_extended_operand(const WT_Opcode& opcode, WT_File& file);
