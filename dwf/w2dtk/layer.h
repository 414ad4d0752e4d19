#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// Puts the drawables that follow on a numbered layer. The name travels with
// the first use of the number in a stream; later uses give the number alone.
class WT_Layer : public WT_Item, public WT_Attribute
{
public:
    WT_Layer() = default;
    // Takes the file's next serial.
    WT_Layer(WT_File& file, std::int32_t number, const char16_t* name);
    WT_Layer(WT_File& file, std::int32_t number, const WT_String& name);
    WT_Layer(const WT_Layer&) = default;
    WT_Layer& operator=(const WT_Layer&) = default;

    std::int32_t layer_num() const { return m_number; }
    const WT_String& layer_name() const { return m_name; }
    std::int32_t serial() const { return m_serial; }
    // True for a layer read as a reference to an earlier definition.
    bool is_reference() const { return m_reference; }

    WT_ID object_id() const override { return Layer_ID; }
    int action_slot() const override { return 39; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    // Definitions join the file's layer list; references take their name
    // from it (WT_Result_Undefined_Reference when the number was never defined).
    WT_Result default_process(WT_File& file) override;

private:
    WT_String m_name;
    std::int32_t m_number = 0;
    std::int32_t m_serial = -1;
    int m_stage = 0;
    bool m_reference = false;
};

// The layers a file has defined, newest first.
class WT_Layer_List : public WT_Item_List<WT_Layer>
{
public:
    // The most recent definition of the number, or null.
    WT_Layer* find_layer_from_index(std::int32_t number);
    // Adds a copy at the head. Throws WT_Result_Out_Of_Memory, leaving the list as it was.
    void add_layer(const WT_Layer& layer);
};
