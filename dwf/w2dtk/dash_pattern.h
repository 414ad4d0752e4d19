#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A user-defined dash pattern: a number and alternating dash and gap lengths.
// Number -1 means no dash pattern. A stream defines each number once; later
// uses name the number alone.
class WT_Dash_Pattern : public WT_Item, public WT_Attribute
{
public:
    static constexpr std::int32_t No_Pattern = -1;
    // Most values one pattern may hold (the count is a signed 16-bit number).
    static constexpr std::size_t Max_Values = 32766;

    WT_Dash_Pattern() = default;
    // Throws WT_Result_Usage_Error for an odd count.
    WT_Dash_Pattern(std::int32_t number, std::size_t count, const std::int16_t* values);
    WT_Dash_Pattern(const WT_Dash_Pattern& other) = default;
    WT_Dash_Pattern& operator=(const WT_Dash_Pattern& other) = default;

    // Replaces number and values. Throws WT_Result_Usage_Error for an odd count
    // or one beyond Max_Values.
    void set(std::int32_t number, std::size_t count, const std::int16_t* values);

    std::int32_t number() const { return m_number; }
    std::size_t count() const { return m_values.size(); }
    const std::vector<std::int16_t>& values() const { return m_values; }
    bool has_values() const { return m_has_values; }

    // The shared stand-in for "no dash pattern".
    static const WT_Dash_Pattern& no_pattern();

    WT_ID object_id() const override { return Dash_Pattern_ID; }
    int action_slot() const override { return 15; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_Result write_values(WT_File& file) const;

    std::int32_t m_number = No_Pattern;
    std::vector<std::int16_t> m_values;
    bool m_has_values = false; // a value array was given (possibly empty)
    int m_stage = 0;
    std::int32_t m_read_number = No_Pattern;
    std::vector<std::int16_t> m_read_values;
};

// The dash patterns a file has written, so that each number is defined once.
class WT_Dash_Pattern_List
{
public:
    // The pattern written under number, or the shared "no dash pattern".
    const WT_Dash_Pattern& find(std::int32_t number) const;
    bool contains(std::int32_t number) const;
    void add(const WT_Dash_Pattern& pattern);
    void clear() { m_patterns.remove_all(); }

private:
    WT_Item_List<WT_Dash_Pattern> m_patterns;
};
