#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>
#include <string>

// One of 32 named line patterns; 1 ("Solid") by default.
class WT_Line_Pattern : public WT_Attribute
{
public:
    enum WT_Pattern_ID
    {
        Illegal = 0,
        Solid = 1,
        Dashed = 2,
        Dotted = 3,
        Dash_Dot = 4,
        Short_Dash = 5,
        Medium_Dash = 6,
        Long_Dash = 7,
        Short_Dash_X2 = 8,
        Medium_Dash_X2 = 9,
        Long_Dash_X2 = 10,
        Medium_Long_Dash = 11,
        Medium_Dash_Short_Dash_Short_Dash = 12,
        Long_Dash_Short_Dash = 13,
        Long_Dash_Dot_Dot = 14,
        Long_Dash_Dot = 15,
        Medium_Dash_Dot_Short_Dash_Dot = 16,
        Sparse_Dot = 17,
        ISO_Dash = 18,
        ISO_Dash_Space = 19,
        ISO_Long_Dash_Dot = 20,
        ISO_Long_Dash_Double_Dot = 21,
        ISO_Long_Dash_Triple_Dot = 22,
        ISO_Dot = 23,
        ISO_Long_Dash_Short_Dash = 24,
        ISO_Long_Dash_Double_Short_Dash = 25,
        ISO_Dash_Dot = 26,
        ISO_Double_Dash_Dot = 27,
        ISO_Dash_Double_Dot = 28,
        ISO_Double_Dash_Double_Dot = 29,
        ISO_Dash_Triple_Dot = 30,
        ISO_Double_Dash_Triple_Dot = 31,
        Count = 32,
    };

    WT_Line_Pattern() = default;
    // Patterns outside 0..31 have no name; serialize refuses them.
    explicit WT_Line_Pattern(std::int32_t pattern) : m_pattern(pattern) {}

    std::int32_t pattern_id() const { return m_pattern; }
    void set(std::int32_t pattern) { m_pattern = pattern; }

    // The written name of a pattern, and the index of a primary or alternate
    // name (1, "Solid", for a name in neither column).
    static const char* name(std::int32_t pattern);
    static std::int32_t lookup(const std::string& name);

    WT_ID object_id() const override { return Line_Pattern_ID; }
    int action_slot() const override { return 40; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    // Also drops the current dash pattern: a named pattern replaces it.
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_pattern = Solid;
    int m_stage = 0;
};
