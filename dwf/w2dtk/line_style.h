#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/pattern_scale.h"

#include <cstdint>

// Pattern adaptation: "(AdaptPatterns true)".
class WT_Line_Style_Option_Adapt_Patterns : public WT_Option
{
public:
    bool value() const { return m_value; }
    void set(bool value) { m_value = value; }

    WT_ID object_id() const override { return Line_Style_Option_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    bool m_value = false;
    int m_stage = 0;
};

// A join or cap style, written as a word: "(LineJoin round)".
class WT_Line_Style_Option_Word : public WT_Option
{
public:
    enum Kind
    {
        Line_Join,
        Dash_Start_Cap,
        Dash_End_Cap,
        Line_Start_Cap,
        Line_End_Cap,
    };
    // Join styles: miter 0, bevel 1, round 2, diamond 3. Caps: butt 0,
    // square 1, round 2, diamond 3.
    static constexpr int Word_Count = 4;

    explicit WT_Line_Style_Option_Word(Kind kind) : m_kind(kind) {}

    int value() const { return m_value; }
    void set(int value) { m_value = value; }

    WT_ID object_id() const override { return Line_Style_Option_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    // 10 for a value with no word.
    WT_Result serialize_option(WT_File& file) override;

private:
    Kind m_kind;
    int m_value = 0;
    int m_stage = 0;
};

class WT_Line_Style_Option_Line_Join : public WT_Line_Style_Option_Word
{
public:
    WT_Line_Style_Option_Line_Join() : WT_Line_Style_Option_Word(Line_Join) {}
};
class WT_Line_Style_Option_Dash_Start_Cap : public WT_Line_Style_Option_Word
{
public:
    WT_Line_Style_Option_Dash_Start_Cap() : WT_Line_Style_Option_Word(Dash_Start_Cap) {}
};
class WT_Line_Style_Option_Dash_End_Cap : public WT_Line_Style_Option_Word
{
public:
    WT_Line_Style_Option_Dash_End_Cap() : WT_Line_Style_Option_Word(Dash_End_Cap) {}
};
class WT_Line_Style_Option_Line_Start_Cap : public WT_Line_Style_Option_Word
{
public:
    WT_Line_Style_Option_Line_Start_Cap() : WT_Line_Style_Option_Word(Line_Start_Cap) {}
};
class WT_Line_Style_Option_Line_End_Cap : public WT_Line_Style_Option_Word
{
public:
    WT_Line_Style_Option_Line_End_Cap() : WT_Line_Style_Option_Word(Line_End_Cap) {}
};

// A miter limit: "(MiterAngle 10)", "(MiterLength 0)".
class WT_Line_Style_Option_Miter : public WT_Option
{
public:
    WT_Line_Style_Option_Miter(bool angle, std::uint16_t value) : m_angle(angle), m_value(value) {}

    std::uint16_t value() const { return m_value; }
    void set(std::uint16_t value) { m_value = value; }

    WT_ID object_id() const override { return Line_Style_Option_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    bool m_angle;
    std::uint16_t m_value;
    int m_stage = 0;
};

class WT_Line_Style_Option_Miter_Angle : public WT_Line_Style_Option_Miter
{
public:
    WT_Line_Style_Option_Miter_Angle() : WT_Line_Style_Option_Miter(true, 10) {}
};
class WT_Line_Style_Option_Miter_Length : public WT_Line_Style_Option_Miter
{
public:
    WT_Line_Style_Option_Miter_Length() : WT_Line_Style_Option_Miter(false, 0) {}
};

// Classifies the option names of "(LineStyle".
class WT_Line_Style_Optioncode : public WT_Optioncode
{
public:
    enum
    {
        Unknown_Option = 0,
        Adapt_Patterns_Option = 1,
        Pattern_Scale_Option = 2,
        Line_Join_Option = 3,
        Dash_Start_Cap_Option = 4,
        Dash_End_Cap_Option = 5,
        Line_Start_Cap_Option = 6,
        Line_End_Cap_Option = 7,
        Miter_Angle_Option = 8,
        Miter_Length_Option = 9,
    };
    int option_id_from_optioncode() const override;
};

// Joins, caps, miter limits and pattern adaptation and scale. A style carries
// only the options whose presence bit is set; reading one merges those into
// the rendition.
class WT_Line_Style : public WT_Attribute
{
public:
    enum WT_Presence_Bit : std::uint16_t
    {
        Adapt_Patterns_Bit = 0x1,
        Dash_End_Cap_Bit = 0x2,
        Dash_Start_Cap_Bit = 0x4,
        Line_End_Cap_Bit = 0x8,
        Line_Join_Bit = 0x10,
        Line_Start_Cap_Bit = 0x20,
        Miter_Angle_Bit = 0x40,
        Miter_Length_Bit = 0x80,
        Pattern_Scale_Bit = 0x100,
    };

    WT_Line_Style() = default;

    // Setters mark the option present.
    void set_adapt_patterns(bool value);
    void set_pattern_scale(double value);
    void set_line_join(int value);
    void set_dash_start_cap(int value);
    void set_dash_end_cap(int value);
    void set_line_start_cap(int value);
    void set_line_end_cap(int value);
    void set_miter_angle(std::uint16_t value);
    void set_miter_length(std::uint16_t value);

    const WT_Line_Style_Option_Adapt_Patterns& adapt_patterns() const { return m_adapt; }
    const WT_Option_Pattern_Scale& pattern_scale() const { return m_scale; }
    const WT_Line_Style_Option_Line_Join& line_join() const { return m_join; }
    const WT_Line_Style_Option_Dash_Start_Cap& dash_start_cap() const { return m_dash_start; }
    const WT_Line_Style_Option_Dash_End_Cap& dash_end_cap() const { return m_dash_end; }
    const WT_Line_Style_Option_Line_Start_Cap& line_start_cap() const { return m_line_start; }
    const WT_Line_Style_Option_Line_End_Cap& line_end_cap() const { return m_line_end; }
    const WT_Line_Style_Option_Miter_Angle& miter_angle() const { return m_miter_angle; }
    const WT_Line_Style_Option_Miter_Length& miter_length() const { return m_miter_length; }
    std::uint16_t presence() const { return m_presence; }

    WT_ID object_id() const override { return Line_Style_ID; }
    int action_slot() const override { return 41; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Writes the present options that differ from the rendition as last
    // written, and records them there. Joins, caps and miters count only while
    // the desired line weight is positive: thin lines have none.
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    // The option behind one presence bit, in writing order.
    WT_Option& option(std::uint16_t bit);
    bool same_value(const WT_Line_Style& other, std::uint16_t bit) const;
    void copy_value(const WT_Line_Style& from, std::uint16_t bit);

    WT_Line_Style_Option_Adapt_Patterns m_adapt;
    WT_Option_Pattern_Scale m_scale{Line_Style_ID};
    WT_Line_Style_Option_Line_Join m_join;
    WT_Line_Style_Option_Dash_Start_Cap m_dash_start;
    WT_Line_Style_Option_Dash_End_Cap m_dash_end;
    WT_Line_Style_Option_Line_Start_Cap m_line_start;
    WT_Line_Style_Option_Line_End_Cap m_line_end;
    WT_Line_Style_Option_Miter_Angle m_miter_angle;
    WT_Line_Style_Option_Miter_Length m_miter_length;
    std::uint16_t m_presence = 0;
    int m_stage = 0;
    int m_option = 0;
    WT_Line_Style_Optioncode m_optioncode;
};
