#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// One name of a trusted font list.
class WT_Trusted_Font_Item : public WT_Item
{
public:
    WT_Trusted_Font_Item(const WT_String& name, std::int32_t index) : m_name(name), m_index(index)
    {
    }
    const WT_String& name() const { return m_name; }
    std::int32_t index() const { return m_index; }

private:
    WT_String m_name;
    std::int32_t m_index;
};

// The names of the fonts a stream trusts.
class WT_Trusted_Font_List : public WT_Object
{
public:
    WT_Trusted_Font_List() = default;
    WT_Trusted_Font_List(const WT_Trusted_Font_List& other);
    WT_Trusted_Font_List& operator=(const WT_Trusted_Font_List& other);

    void add(const WT_String& name);
    std::size_t count() const { return m_items.count(); }
    const WT_Item_List<WT_Trusted_Font_Item>& items() const { return m_items; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Trusted_Font_List_ID; }
    int action_slot() const override { return 71; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

    // Longest font name read.
    static constexpr std::size_t Max_Name = 65535;

private:
    WT_Item_List<WT_Trusted_Font_Item> m_items;
    int m_stage = 0;
};
