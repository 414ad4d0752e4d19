#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"

#include <array>
#include <optional>

// Drawing-information attributes: their change bits live in the rendition's
// drawing-information group, and they are written as extended ASCII only.

// Whether the drawing was prepared for plotting: "(PlotOptimized 1)".
class WT_Plot_Optimized : public WT_Attribute
{
public:
    WT_Plot_Optimized() = default;
    explicit WT_Plot_Optimized(bool optimized) : m_optimized(optimized) {}

    bool get_plot_optimized() const { return m_optimized; }
    void set_plot_optimized(bool optimized) { m_optimized = optimized; }

    WT_ID object_id() const override { return Plot_Optimized_ID; }
    int action_slot() const override { return 57; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    bool m_optimized = false;
    int m_stage = 0;
};

// The four corners of the area that carries ink. Streams of version 6.00 and
// newer do not carry it.
class WT_Inked_Area : public WT_Attribute
{
public:
    using Corners = std::array<WT_Logical_Point, 4>;

    WT_Inked_Area() = default;
    explicit WT_Inked_Area(const Corners& corners) : m_corners(corners) {}

    const std::optional<Corners>& corners() const { return m_corners; }
    void set_corners(const Corners& corners) { m_corners = corners; }
    void clear() { m_corners.reset(); }

    WT_ID object_id() const override { return Inked_Area_ID; }
    int action_slot() const override { return 37; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // 18 at target version 6.00 and newer; nothing at all without corners.
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    // Two areas without corners are equal; one with and one without are not.
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::optional<Corners> m_corners;
    Corners m_reading{};
    int m_stage = 0;
};

// Four flags of the pen patterns, carried but not interpreted by the toolkit:
// "(PenPat_Options 1 1 1 0 )".
class WT_Pen_Pat_Options : public WT_Attribute
{
public:
    WT_Pen_Pat_Options() = default;
    WT_Pen_Pat_Options(bool first, bool second, bool third, bool fourth)
        : m_flags{first, second, third, fourth}
    {
    }

    bool flag(int i) const { return m_flags.at(std::size_t(i)); }
    void set_flag(int i, bool on) { m_flags.at(std::size_t(i)) = on; }

    WT_ID object_id() const override { return Pen_Pat_Options_ID; }
    int action_slot() const override { return 55; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::array<bool, 4> m_flags{true, true, true, false};
    std::array<bool, 4> m_reading{};
    int m_stage = 0;
};
