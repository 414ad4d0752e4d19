#pragma once

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdint>

// A list of GUIDs, each written as its own GUID opcode inside the list's.
class WT_Guid_List : public WT_Object
{
public:
    WT_Guid_List() = default;
    WT_Guid_List(const WT_Guid_List& other);
    WT_Guid_List& operator=(const WT_Guid_List& other);

    void add(const WT_Guid& guid) { m_items.add_tail(std::make_unique<WT_Guid>(guid)); }
    std::size_t count() const { return m_items.count(); }
    const WT_Item_List<WT_Guid>& items() const { return m_items; }
    bool operator==(const WT_Guid_List& other) const;

    // Bytes of the whole binary opcode, "{" to "}".
    std::uint64_t binary_length() const { return 12 + 24 * std::uint64_t(count()); }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Guid_List_ID; }
    int action_slot() const override { return 35; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // The list without the serialize prologue (inside sign data).
    WT_Result write_list(WT_File& file) const;

    // More GUIDs than any list sensibly holds.
    static constexpr std::uint32_t Max_Count = 1u << 20;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);

    WT_Item_List<WT_Guid> m_items;

    int m_stage = 0;
    std::uint32_t m_count = 0;
    WT_Opcode m_scratch;
    WT_Guid m_guid;
};
