#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A list of character indices: which characters are overscored or
// underscored, or the character positions. " (Overscore (2 0,3))" in ASCII;
// in binary the count + 1 and each index + 1 in the count form.
class WT_Text_Option_Scoring : public WT_Option
{
public:
    // The count form carries at most 65,791, and the count is stored + 1.
    static constexpr std::size_t Max_Count = 65535;

    const std::vector<std::uint16_t>& indices() const { return m_indices; }
    std::size_t count() const { return m_indices.size(); }
    // Throws WT_Result_Usage_Error beyond Max_Count entries.
    void set(std::vector<std::uint16_t> indices);

    // ASCII: after the option's "(Name" token; binary: after the text's opcode.
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    // Binary: always (count 0 is written as 1). ASCII: nothing when empty.
    WT_Result serialize_option(WT_File& file) override;

    bool operator==(const WT_Text_Option_Scoring& other) const
    {
        return m_indices == other.m_indices;
    }

protected:
    explicit WT_Text_Option_Scoring(const char* ascii_name) : m_ascii_name(ascii_name) {}

private:
    const char* m_ascii_name;
    std::vector<std::uint16_t> m_indices;
    std::vector<std::uint16_t> m_reading;
    long m_expected = 0;
    int m_stage = 0;
};

class WT_Text_Option_Overscore : public WT_Text_Option_Scoring
{
public:
    WT_Text_Option_Overscore() : WT_Text_Option_Scoring("(Overscore") {}
    WT_ID object_id() const override { return Text_Option_Overscore_ID; }
};

class WT_Text_Option_Underscore : public WT_Text_Option_Scoring
{
public:
    WT_Text_Option_Underscore() : WT_Text_Option_Scoring("(Underscore") {}
    WT_ID object_id() const override { return Text_Option_Underscore_ID; }
};

class WT_Text_Option_Char_Pos : public WT_Text_Option_Scoring
{
public:
    WT_Text_Option_Char_Pos() : WT_Text_Option_Scoring("(CharPos") {}
    WT_ID object_id() const override { return Text_Option_Char_Pos_ID; }
};

// The four corners of the text's box. The ASCII form is " (Bounds p p p p)";
// the binary points are written by the text itself, relative to its position.
class WT_Text_Option_Bounds : public WT_Option
{
public:
    using Corners = std::array<WT_Logical_Point, 4>;

    const std::optional<Corners>& bounds() const { return m_bounds; }
    void set(const Corners& corners) { m_bounds = corners; }
    void clear() { m_bounds.reset(); }

    WT_ID object_id() const override { return Text_Option_Bounds_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    std::optional<Corners> m_bounds;
    Corners m_reading{};
    int m_stage = 0;
};

// Classifies the option names of "(Text".
class WT_Text_Optioncode : public WT_Optioncode
{
public:
    enum
    {
        Unknown_Option = 0,
        Overscore_Option = 1,
        Underscore_Option = 2,
        Bounds_Option = 3,
        Char_Pos_Option = 4,
    };
    int option_id_from_optioncode() const override;
};
