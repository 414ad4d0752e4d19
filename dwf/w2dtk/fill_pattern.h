#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/pattern_scale.h"

#include <cstdint>
#include <string>

// Classifies the option names of "(FillPattern": only the scale exists.
class WT_Fill_Pattern_Optioncode : public WT_Optioncode
{
public:
    enum
    {
        Unknown_Option = 0,
        Scale_Option = 1,
    };
    int option_id_from_optioncode() const override;
};

// One of eleven named fill patterns, with an optional scale.
class WT_Fill_Pattern : public WT_Attribute
{
public:
    enum WT_Pattern_ID
    {
        Illegal = 0,
        Solid = 1,
        Checkerboard = 2,
        Crosshatch = 3,
        Diamonds = 4,
        Horizontal_Bars = 5,
        Slant_Left = 6,
        Slant_Right = 7,
        Square_Dots = 8,
        Vertical_Bars = 9,
        User_Defined = 10,
        Count = 11,
    };
    static constexpr std::uint16_t Scale_Bit = 0x1;

    WT_Fill_Pattern() = default;
    // Patterns outside 0..10 have no name; serialize refuses them.
    explicit WT_Fill_Pattern(std::int32_t pattern) : m_pattern(pattern) {}

    std::int32_t pattern_id() const { return m_pattern; }
    void set(std::int32_t pattern) { m_pattern = pattern; }
    const WT_Option_Pattern_Scale& pattern_scale() const { return m_scale; }
    void set_pattern_scale(double scale);
    bool has_scale() const { return (m_presence & Scale_Bit) != 0; }

    static const char* name(std::int32_t pattern);
    // 1 ("Solid") for a name that is none of the eleven.
    static std::int32_t lookup(const std::string& name);

    WT_ID object_id() const override { return Fill_Pattern_ID; }
    int action_slot() const override { return 26; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_pattern = Solid;
    WT_Option_Pattern_Scale m_scale{Fill_Pattern_ID};
    std::uint16_t m_presence = 0;
    int m_stage = 0;
    WT_Fill_Pattern_Optioncode m_optioncode;
};
