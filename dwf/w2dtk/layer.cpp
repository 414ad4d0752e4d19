#include "dwf/w2dtk/layer.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <memory>
#include <new>

WT_Layer_List& WT_File::layer_list()
{
    if (!m_layer_list)
        m_layer_list = std::make_shared<WT_Layer_List>();
    return *m_layer_list;
}

WT_Layer* WT_Layer_List::find_layer_from_index(std::int32_t number)
{
    for (auto& layer : *this)
        if (layer->layer_num() == number)
            return layer.get();
    return nullptr;
}

void WT_Layer_List::add_layer(const WT_Layer& layer)
{
    try
    {
        add_head(std::make_unique<WT_Layer>(layer));
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
}

WT_Layer::WT_Layer(WT_File& file, std::int32_t number, const char16_t* name)
    : WT_Layer(file, number, WT_String(name))
{
}

WT_Layer::WT_Layer(WT_File& file, std::int32_t number, const WT_String& name)
    : m_name(name), m_number(number), m_serial(file.next_object_serial())
{
}

WT_Result WT_Layer::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if (file.layer_list().find_layer_from_index(m_number))
    {
        // The count form cannot carry 0, negative numbers or more than 65,791;
        // the ASCII reference is valid in binary streams too.
        if (file.binary_output() && WT_File::count_is_encodable(m_number))
        {
            WT_CHECK(file.write_byte(0xAC));
            return file.write_count(m_number);
        }
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("(Layer "));
        WT_CHECK(file.write_ascii(m_number));
        return file.write(" )");
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(Layer "));
    WT_CHECK(file.write_ascii(m_number));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_name.serialize(file));
    WT_CHECK(file.write(")"));
    try
    {
        file.layer_list().add_layer(*this);
    }
    catch (WT_Result result)
    {
        return result;
    }
    return WT_Result_Success;
}

WT_Result WT_Layer::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Layer_Bit);
    if (*this == current.layer())
        return WT_Result_Success;
    current.layer() = *this;
    return serialize(file);
}

bool WT_Layer::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Layer_ID)
        return false;
    auto const& layer = static_cast<const WT_Layer&>(other);
    return m_number == layer.m_number && m_serial == layer.m_serial && m_name == layer.m_name;
}

WT_Result WT_Layer::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Single_Byte)
    {
        if (opcode.first_byte() != 0xAC)
            return WT_Result_Foreign_Opcode;
        long number = 0;
        WT_CHECK(file.read_count(number));
        m_number = std::int32_t(number);
        m_name = WT_String();
        m_reference = true;
        m_serial = file.next_object_serial();
        set_materialized();
        return WT_Result_Success;
    }
    if (opcode.type() != WT_Opcode::Extended_ASCII || !opcode.is("(Layer"))
        return WT_Result_Foreign_Opcode;
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.read_ascii(m_number));
            m_stage = 1;
            break;
        case 1:
        {
            WT_CHECK(file.skip_whitespace());
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            file.put_back(c);
            m_reference = c == ')';
            m_name = WT_String();
            m_stage = m_reference ? 3 : 2;
            break;
        }
        case 2:
            WT_CHECK(m_name.materialize(file));
            m_stage = 3;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = 0;
            m_serial = file.next_object_serial();
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Layer::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Single_Byte)
    {
        if (opcode.first_byte() != 0xAC)
            return WT_Result_Foreign_Opcode;
        long number = 0;
        return file.read_count(number);
    }
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Layer::default_process(WT_File& file)
{
    if (m_reference)
    {
        // A reference takes the name of its definition; one that names no
        // definition cannot be resolved.
        WT_Layer* definition = file.layer_list().find_layer_from_index(m_number);
        if (!definition)
            return WT_Result_Undefined_Reference;
        m_name = definition->layer_name();
    }
    else
    {
        try
        {
            file.layer_list().add_layer(*this);
        }
        catch (WT_Result result)
        {
            return result;
        }
    }
    file.rendition().layer() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Layer_Bit);
    return WT_Result_Success;
}
