#include "dwf/w2dtk/object_node.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdlib>

WT_Object_Node::WT_Object_Node(WT_File& file, std::int32_t number, const char16_t* name)
    : m_number(number), m_serial(file.next_object_serial())
{
    if (name)
        m_name = WT_String(name);
}

WT_Object_Node::WT_Object_Node(WT_File& file, std::int32_t number, const char* name)
    : m_number(number), m_serial(file.next_object_serial())
{
    if (name)
        m_name = WT_String(name);
}

WT_Object_Node& WT_Object_Node::operator=(const WT_Object_Node& other)
{
    if (this != &other)
    {
        m_previous_number = m_number;
        m_number = other.m_number;
        m_serial = other.m_serial;
        m_name = other.m_name;
        set_materialized(other.materialized());
    }
    return *this;
}

WT_Result WT_Object_Node::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    if (file.target_version() < 600)
        return WT_Result_Success;

    if (!file.defined_object_nodes().contains(m_number) && !m_name.empty())
    {
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("(Node "));
        WT_CHECK(file.write_ascii(m_number));
        WT_CHECK(file.write(" "));
        WT_CHECK(m_name.serialize(file));
        WT_CHECK(file.write(")"));
        file.defined_object_nodes().add(*this);
        file.set_last_written_object_node(m_number);
        return WT_Result_Success;
    }

    if (file.binary_output())
    {
        // The reader adds a difference to the node it read last, so the
        // difference is taken from the node last written to this file.
        std::int64_t const base = file.last_written_object_node();
        std::int64_t const d = std::int64_t(m_number) - base;
        if (base >= 0 && d == 1)
            WT_CHECK(file.write_byte(0x0E));
        else if (base >= 0 && d > -32768 && d < 32768)
        {
            WT_CHECK(file.write_byte('n'));
            WT_CHECK(file.write_s16(std::int16_t(d)));
        }
        else
        {
            WT_CHECK(file.write_byte('N'));
            WT_CHECK(file.write_s32(m_number));
        }
    }
    else
    {
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("(Node "));
        WT_CHECK(file.write_ascii(m_number));
        WT_CHECK(file.write(")"));
    }
    file.set_last_written_object_node(m_number);
    return WT_Result_Success;
}

WT_Result WT_Object_Node::materialize(const WT_Opcode& opcode, WT_File& file)
{
    enum
    {
        Number = 0,
        Name_Space = 1,
        Name_Start = 2,
        Name = 3,
        Close = 4,
    };
    // A difference from the node read last; beyond 32 bits the stream is corrupt.
    auto relative = [&](std::int64_t d)
    {
        std::int64_t const number = std::int64_t(file.rendition().object_node().number()) + d;
        if (number < INT32_MIN || number > INT32_MAX)
            return WT_Result_Corrupt_Stream;
        m_number = std::int32_t(number);
        file.rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
        set_materialized();
        return WT_Result_Success;
    };

    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        switch (opcode.first_byte())
        {
        case 0x0E:
            return relative(1);
        case 'n':
        {
            std::int16_t d = 0;
            WT_CHECK(file.read_s16(d));
            return relative(d);
        }
        case 'N':
            WT_CHECK(file.read_s32(m_number));
            set_materialized();
            return WT_Result_Success;
        default:
            return WT_Result_Foreign_Opcode;
        }
    case WT_Opcode::Extended_ASCII:
        for (;;)
        {
            WT_Result result = WT_Result_Success;
            int next = Number;
            switch (m_stage)
            {
            case Number:
                result = file.read_ascii(m_number);
                next = Name_Space;
                break;
            case Name_Space:
                result = file.skip_whitespace();
                next = Name_Start;
                break;
            case Name_Start:
            {
                std::uint8_t c = 0;
                result = file.read_byte(c);
                if (result != WT_Result_Success)
                    break;
                file.put_back(c);
                next = Name;
                if (c == ')')
                {
                    m_name = WT_String();
                    next = Close;
                }
                break;
            }
            case Name:
                result = m_name.materialize(file);
                next = Close;
                break;
            default:
                result = opcode.skip_operand(file);
                if (result == WT_Result_Success)
                {
                    m_stage = Number;
                    set_materialized();
                    return WT_Result_Success;
                }
                break;
            }
            if (result == WT_Result_Waiting_For_Data)
                return result; // the same step runs again
            if (result != WT_Result_Success)
            {
                m_stage = Number;
                return result;
            }
            m_stage = next;
        }
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Object_Node::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        switch (opcode.first_byte())
        {
        case 0x0E:
            return WT_Result_Success;
        case 'n':
            file.skip(2);
            return WT_Result_Success;
        case 'N':
            file.skip(4);
            return WT_Result_Success;
        default:
            return WT_Result_Foreign_Opcode;
        }
    case WT_Opcode::Extended_ASCII:
        return opcode.skip_operand(file);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

void WT_Object_Node::store_into(WT_Object_Node& rendition_node) const
{
    rendition_node.m_previous_number = rendition_node.m_number;
    rendition_node.m_number = m_number;
    rendition_node.m_serial = m_serial;
    rendition_node.m_name = m_name;
}

WT_Result WT_Object_Node::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Object_Node_Bit);
    if (*this == current.object_node())
        return WT_Result_Success;
    store_into(current.object_node());
    return serialize(file);
}

bool WT_Object_Node::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Object_Node_ID)
        return false;
    auto const& node = static_cast<const WT_Object_Node&>(other);
    return m_serial == node.m_serial && m_number == node.m_number && m_name == node.m_name;
}

WT_Result WT_Object_Node::default_process(WT_File& file)
{
    store_into(file.rendition().object_node());
    file.rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
    file.defined_object_nodes().add(*this);
    return WT_Result_Success;
}
