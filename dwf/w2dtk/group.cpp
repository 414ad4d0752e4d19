#include "dwf/w2dtk/group.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

namespace
{
// Makes the node current in the rendition as read, defining it when new.
void switch_node(WT_File& file, std::int32_t number, const WT_String& name)
{
    WT_Object_Node const node(
        file, number, name.empty() ? static_cast<const char16_t*>(nullptr) : name.unicode());
    file.defined_object_nodes().add(node);
    file.rendition().object_node() = node;
    file.rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
}

WT_Result skip_ascii(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
} // namespace

WT_Result WT_Group_Begin::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(GroupBegin "));
    WT_CHECK(m_name.serialize(file));
    return file.write(")");
}

WT_Result WT_Group_Begin::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        WT_CHECK(m_name.materialize(file));
        m_stage = 1;
    }
    WT_Result const closed = opcode.skip_operand(file);
    if (closed != WT_Result_Waiting_For_Data)
        m_stage = 0;
    WT_CHECK(closed);

    // The node of that name, or a new one numbered after the largest.
    WT_Object_Node_List const& nodes = file.defined_object_nodes();
    std::int32_t number = 0;
    bool found = false;
    if (!m_name.empty())
    {
        for (const auto& entry : nodes.names())
        {
            if (entry.second == m_name)
            {
                number = entry.first;
                found = true;
                break;
            }
        }
    }
    if (!found && !nodes.names().empty())
    {
        std::int32_t const largest = nodes.names().rbegin()->first;
        if (largest == INT32_MAX)
            return WT_Result_Corrupt_Stream;
        number = largest + 1;
    }
    switch_node(file, number, m_name);
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Group_Begin::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_ascii(opcode, file);
}

WT_Result WT_Group_End::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    return file.write("(GroupEnd)");
}

WT_Result WT_Group_End::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(skip_ascii(opcode, file));
    const WT_String* name = file.defined_object_nodes().name(0);
    switch_node(file, 0, name ? *name : WT_String());
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Group_End::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_ascii(opcode, file);
}
