#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"

#include <cstdint>

// Circles, circular arcs and ellipses. Angles are in 1/65536 of a full turn;
// end is always greater than start, a full turn being end = start + 65536.
class WT_Ellipse : public WT_Drawable
{
public:
    static constexpr std::uint32_t Full_Turn = 65536;

    // A full, untilted ellipse of nothing: everything 0 but end = 65536.
    WT_Ellipse() = default;
    // An end at or before start means the sweep goes once round past 0.
    WT_Ellipse(std::int32_t x, std::int32_t y, std::int32_t major, std::int32_t minor,
               std::uint16_t start = 0, std::uint16_t end = 0, std::uint16_t tilt = 0);

    const WT_Logical_Point& position() const { return m_position; }
    std::int32_t major() const { return m_major; }
    std::int32_t minor() const { return m_minor; }
    std::uint16_t start() const { return m_start; }
    std::uint32_t end() const { return m_end; }
    std::uint16_t tilt() const { return m_tilt; }
    bool is_circle() const { return m_major == m_minor; }
    bool is_full() const { return m_end - m_start == Full_Turn; }

    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    void update_bounds(WT_File& file) override;

protected:
    // Forces the fill, syncs the rendition with mask, then writes the figure.
    WT_Result serialize_ellipse(WT_File& file, bool fill, std::uint32_t mask);

private:
    WT_Result write_figure(WT_File& file);
    WT_Result read_ascii_extended(const WT_Opcode& opcode, WT_File& file);
    WT_Result finish_read(WT_File& file, bool relative);

    WT_Logical_Point m_position;
    std::int32_t m_major = 0;
    std::int32_t m_minor = 0;
    std::uint16_t m_start = 0;
    std::uint32_t m_end = Full_Turn;
    std::uint16_t m_tilt = 0;
    int m_stage = 0;
    bool m_transformed = false;
};

// An ellipse drawn as its outline; written with the fill off.
class WT_Outline_Ellipse : public WT_Ellipse
{
public:
    static constexpr std::uint32_t Sync_Mask = 0x2FA53D;
    using WT_Ellipse::WT_Ellipse;

    WT_ID object_id() const override { return Outline_Ellipse_ID; }
    int action_slot() const override { return 52; }
    WT_Result serialize(WT_File& file) override;
};

// An ellipse drawn filled; written with the fill on.
class WT_Filled_Ellipse : public WT_Ellipse
{
public:
    static constexpr std::uint32_t Sync_Mask = 0x27210D;
    using WT_Ellipse::WT_Ellipse;

    WT_ID object_id() const override { return Filled_Ellipse_ID; }
    int action_slot() const override { return 27; }
    WT_Result serialize(WT_File& file) override;
};
