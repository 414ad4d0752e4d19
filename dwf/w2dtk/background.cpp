#include "dwf/w2dtk/background.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Background::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        WT_RGBA32 rgba;
        WT_CHECK(file.read_ascii(rgba, true));
        m_color.set(rgba);
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Background::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Background::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Success;
    WT_CHECK(begin_serialize(file));
    if (file.heuristics().m_allow_indexed_colors && m_color.index() != -1)
    {
        // The map the index refers to must be in the stream first.
        WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Color_Map_Bit));
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("(Background "));
        WT_CHECK(file.write_ascii(std::int32_t(m_color.index())));
        return file.write(")");
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(Background "));
    WT_CHECK(file.write_ascii_rgba(m_color.rgba()));
    return file.write(")");
}

WT_Result WT_Background::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_drawing_info_changed(WT_Attribute_Set::Background_Bit);
    if (*this == current.background())
        return WT_Result_Success;
    current.background() = *this;
    return serialize(file);
}

bool WT_Background::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Background_ID &&
           static_cast<const WT_Background&>(other).m_color == m_color;
}

WT_Result WT_Background::default_process(WT_File& file)
{
    file.rendition().background() = *this;
    file.rendition().mark_drawing_info_changed(WT_Attribute_Set::Background_Bit);
    return WT_Result_Success;
}
