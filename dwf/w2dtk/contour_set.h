#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"

#include <cstdint>
#include <vector>

// Several closed contours of logical points: a filled region with holes, or
// the clip region of a viewport.
class WT_Contour_Set : public WT_Drawable
{
public:
    // Attributes a standalone contour set depends on.
    static constexpr std::uint32_t Sync_Mask = 0x2CA51F;
    // Most points (all contours together) an operand may announce.
    static constexpr std::int64_t Max_Total_Points = std::int64_t(1) << 24;

    // Built by the reader: no serial, no contours.
    WT_Contour_Set() = default;
    // Copies the counts and points and takes the file's next serial. Throws
    // WT_Result_Usage_Error for negative counts or missing arrays.
    WT_Contour_Set(WT_File& file, int contours, const std::int32_t* counts,
                   const WT_Logical_Point* points);
    // A set of one contour.
    WT_Contour_Set(WT_File& file, int count, const WT_Logical_Point* points);

    std::int32_t serial() const { return m_serial; }
    int contours() const { return int(m_counts.size()); }
    const std::vector<std::int32_t>& counts() const { return m_counts; }
    const std::vector<WT_Logical_Point>& points() const { return m_points; }
    int total_points() const { return int(m_points.size()); }

    // Same contours with the same points.
    bool same_geometry(const WT_Contour_Set& other) const
    {
        return m_counts == other.m_counts && m_points == other.m_points;
    }

    WT_ID object_id() const override { return Contour_Set_ID; }
    int action_slot() const override { return 11; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Flushes the pending drawable and syncs the rendition first.
    WT_Result serialize(WT_File& file) override;
    void update_bounds(WT_File& file) override;

    // The operand alone, as a viewport writes it (no flush, no sync). 18 for
    // a set without contours or with an empty contour.
    WT_Result serialize_contours(WT_File& file);

private:
    void transform_for_output(WT_File& file);
    WT_Result read_binary(WT_File& file, bool sixteen_bit);
    WT_Result read_ascii_form(const WT_Opcode& opcode, WT_File& file);
    WT_Result finish_read(WT_File& file);
    void begin_read();

    std::int32_t m_serial = -1;
    std::vector<std::int32_t> m_counts;
    std::vector<WT_Logical_Point> m_points;
    bool m_transformed = false;

    // Reading state: stage, contours announced, total announced so far.
    int m_stage = 0;
    std::int64_t m_announced_contours = 0;
    std::int64_t m_announced_total = 0;
};
