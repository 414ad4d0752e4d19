#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>
#include <map>

class WT_File;

// Marks the drawables that follow as parts of a numbered, optionally named,
// object. The name goes into a stream once; later uses give the number only,
// in binary often as a difference from the node written before.
class WT_Object_Node : public WT_Item, public WT_Attribute
{
public:
    WT_Object_Node() = default;
    // Each takes a serial from the file's object counter.
    WT_Object_Node(WT_File& file, std::int32_t number, const char16_t* name = nullptr);
    WT_Object_Node(WT_File& file, std::int32_t number, const char* name);
    WT_Object_Node(const WT_Object_Node& other) = default;
    // Takes the other's number, serial and name; this node's old number
    // becomes its previous number.
    WT_Object_Node& operator=(const WT_Object_Node& other);

    std::int32_t number() const { return m_number; }
    std::int32_t previous_number() const { return m_previous_number; }
    std::int32_t serial() const { return m_serial; }
    const WT_String& name() const { return m_name; }
    // Changes the number (the old one becomes the previous number).
    void set(std::int32_t number)
    {
        m_previous_number = m_number;
        m_number = number;
    }

    WT_ID object_id() const override { return Object_Node_ID; }
    int action_slot() const override { return 49; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    // The rendition's node becomes this one.
    void store_into(WT_Object_Node& rendition_node) const;

    WT_String m_name;
    std::int32_t m_number = 0;
    std::int32_t m_previous_number = -1;
    std::int32_t m_serial = -1;

    // Reading state.
    int m_stage = 0;
};

// The nodes a file has defined (written or read with their names).
class WT_Object_Node_List
{
public:
    void add(const WT_Object_Node& node) { m_names[node.number()] = node.name(); }
    bool contains(std::int32_t number) const { return m_names.count(number) != 0; }
    // The name of a defined node, or null.
    const WT_String* name(std::int32_t number) const
    {
        auto found = m_names.find(number);
        return found != m_names.end() ? &found->second : nullptr;
    }
    std::size_t count() const { return m_names.size(); }
    void remove_all() { m_names.clear(); }
    // Every defined node, by number.
    const std::map<std::int32_t, WT_String>& names() const { return m_names; }

private:
    std::map<std::int32_t, WT_String> m_names;
};
