#pragma once

#include "dwf/w2dtk/object.h"

#include <cstddef>
#include <memory>
#include <vector>

// The metadata group's list of named views: copies of the views read or to be
// written, in order. Copies are immutable and shared, so a rendition can be
// copied cheaply.
class WT_Object_List : public WT_Object
{
public:
    void add(std::shared_ptr<WT_Object> item) { m_items.push_back(std::move(item)); }
    void remove_all() { m_items.clear(); }
    std::size_t count() const { return m_items.size(); }
    bool is_empty() const { return m_items.empty(); }
    const std::vector<std::shared_ptr<WT_Object>>& items() const { return m_items; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Object_List_ID; }
    int action_slot() const override { return 0; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // Writes every item in order; the first failure ends the list.
    WT_Result serialize(WT_File& file) override;

private:
    std::vector<std::shared_ptr<WT_Object>> m_items;
};
