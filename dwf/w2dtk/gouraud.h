#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/rgba.h"

#include <cstdint>
#include <vector>

class WT_File;
class WT_Opcode;

// Vertices that each carry their own colour, shared by the Gouraud-shaded
// polyline and polytriangle. The set keeps its own copy of the vertices.
class WT_Gouraud_Point_Set
{
public:
    // Most vertices a binary count can carry; larger sets use the ASCII form.
    static constexpr std::size_t Max_Binary_Count = 65791;
    // Most vertices an ASCII operand may announce (they are stored only as
    // they arrive).
    static constexpr std::int32_t Max_ASCII_Count = 1 << 24;

    WT_Gouraud_Point_Set() = default;
    // Throws WT_Result_Usage_Error for a negative count or missing arrays,
    // WT_Result_Out_Of_Memory when the copy cannot be made.
    WT_Gouraud_Point_Set(int count, const WT_Logical_Point* points, const WT_RGBA32* colors);
    virtual ~WT_Gouraud_Point_Set() = default;

    int count() const { return int(m_points.size()); }
    const std::vector<WT_Logical_Point>& points() const { return m_points; }
    const std::vector<WT_RGBA32>& colors() const { return m_colors; }
    bool transformed() const { return m_transformed; }

protected:
    // Writes "(name count vertices)" in ASCII (also for counts beyond the
    // binary form), else the 32-bit or 16-bit relative form. 18 for no vertices.
    WT_Result write_vertices(WT_File& file, const char* name, std::uint8_t opcode_32,
                             std::uint8_t opcode_16);
    // Resumable readers of the three forms; skipping passes over the vertices.
    WT_Result read_binary(WT_File& file, bool sixteen_bit, bool skipping);
    WT_Result read_ascii(WT_File& file);
    // The operand of the 32-bit or 16-bit opcode byte, or of "(Name" up to
    // its closing parenthesis; 21 for any other opcode.
    WT_Result materialize_vertices(const WT_Opcode& opcode, WT_File& file, std::uint8_t opcode_32,
                                   std::uint8_t opcode_16);
    // Passes over the operand; unknown_byte for a single byte of neither form.
    WT_Result skip_vertices(const WT_Opcode& opcode, WT_File& file, std::uint8_t opcode_32,
                            std::uint8_t opcode_16, WT_Result unknown_byte);

    // The box around every vertex, grown by half the line weight as last
    // written when the file has used one; false for an empty set.
    bool vertices_box(WT_File& file, WT_Logical_Box& box) const;

private:
    enum Stage
    {
        Count = 0,
        Vertices = 1,
        Colour = 2,
        Ascii_Done = 3,
    };
    WT_Result finish_read(WT_File& file);

    std::vector<WT_Logical_Point> m_points;
    std::vector<WT_RGBA32> m_colors;
    bool m_transformed = false;

    // Reading state.
    int m_stage = Count;
    long m_expected = 0;
    WT_Logical_Point m_pending_point;
};

// A polyline whose colour runs smoothly from vertex to vertex.
class WT_Gouraud_Polyline : public WT_Drawable, public WT_Gouraud_Point_Set
{
public:
    // Attributes the line depends on (no colour: each vertex has its own);
    // the fill is forced off on top.
    static constexpr std::uint32_t Sync_Mask = 0x2FA53C;

    WT_Gouraud_Polyline() = default;
    WT_Gouraud_Polyline(int count, const WT_Logical_Point* points, const WT_RGBA32* colors)
        : WT_Gouraud_Point_Set(count, points, colors)
    {
    }

    WT_ID object_id() const override { return Gouraud_Polyline_ID; }
    int action_slot() const override { return 30; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    void update_bounds(WT_File& file) override;
};

// A triangle strip whose colour is interpolated across each triangle. Only
// streams of version 6.00 and newer carry it.
class WT_Gouraud_Polytriangle : public WT_Drawable, public WT_Gouraud_Point_Set
{
public:
    // Attributes the triangles depend on; the fill is forced on on top.
    static constexpr std::uint32_t Sync_Mask = 0x27210C;

    WT_Gouraud_Polytriangle() = default;
    WT_Gouraud_Polytriangle(int count, const WT_Logical_Point* points, const WT_RGBA32* colors)
        : WT_Gouraud_Point_Set(count, points, colors)
    {
    }

    WT_ID object_id() const override { return Gouraud_Polytriangle_ID; }
    int action_slot() const override { return 31; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Writes nothing below version 600 or for fewer than three vertices.
    WT_Result serialize(WT_File& file) override;
    void update_bounds(WT_File& file) override;
};
