#pragma once

#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdint>
#include <memory>

// The pen (screening) pattern: a pattern number from 1 to 112, a screening
// percentage for patterns 1 to 5, and optionally a colour map of its own.
class WT_Pen_Pattern : public WT_Attribute
{
public:
    static constexpr std::uint32_t Max_Pattern = 112;
    static constexpr std::uint32_t Last_Screening_Pattern = 5;

    WT_Pen_Pattern() = default;
    explicit WT_Pen_Pattern(std::uint32_t pattern, std::uint32_t percentage = 0)
        : m_pattern(pattern), m_percentage(percentage)
    {
    }
    WT_Pen_Pattern(const WT_Pen_Pattern& other);
    WT_Pen_Pattern& operator=(const WT_Pen_Pattern& other);

    std::uint32_t pattern() const { return m_pattern; }
    std::uint32_t screening_percentage() const { return m_percentage; }
    const WT_Color_Map* color_map() const { return m_map.get(); }
    void set_color_map(const WT_Color_Map& map) { m_map = std::make_shared<WT_Color_Map>(map); }

    WT_ID object_id() const override { return Pen_Pattern_ID; }
    int action_slot() const override { return 54; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;
    // Makes this the pen pattern last written without writing it.
    WT_Result record_as_last_written(WT_File& file) const;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    bool screened() const { return m_pattern >= 1 && m_pattern <= Last_Screening_Pattern; }

    std::uint32_t m_pattern = 1;
    std::uint32_t m_percentage = 0;
    // Copies share the map until one of them reads or sets its own.
    std::shared_ptr<const WT_Color_Map> m_map;

    int m_stage = 0;
    std::unique_ptr<WT_Color_Map> m_reading_map;
    WT_Opcode m_map_opcode;
};
