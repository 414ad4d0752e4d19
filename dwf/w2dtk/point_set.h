#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/result.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class WT_File;
class WT_Opcode;

// The points of a polyline or polygon. A set either refers to the caller's
// array or owns its points; it owns them as soon as anything has to change
// them (transform, merge), so the caller's array is never written to.
class WT_Point_Set
{
public:
    // Most points a binary count can carry; larger sets use the ASCII form.
    static constexpr int Max_Binary_Count = 65791;
    // Most points an ASCII operand may announce (the points themselves are
    // only stored as they arrive).
    static constexpr long Max_ASCII_Count = 1L << 24;

    WT_Point_Set() = default;
    // With copy, the points are copied and owned; without, the set refers to
    // the caller's array, which must outlive it. Throws WT_Result_Usage_Error
    // for a negative count or missing points, WT_Result_Out_Of_Memory when
    // the copy cannot be made.
    WT_Point_Set(int count, const WT_Logical_Point* points, bool copy);
    // Copies always own their points.
    WT_Point_Set(const WT_Point_Set& other);
    WT_Point_Set& operator=(const WT_Point_Set& other);
    virtual ~WT_Point_Set() = default;

    int count() const { return int(m_count); }
    const WT_Logical_Point* points() const
    {
        return m_external ? m_external : m_buffer.data() + m_front;
    }
    const WT_Logical_Point& point(int index) const { return points()[index]; }
    bool owns_points() const { return m_external == nullptr; }
    bool transformed() const { return m_transformed; }

protected:
    // Joins other onto this set when an end point of each coincides (the
    // first matching of start-start, end-start, end-end, start-end wins) and
    // the joined set stays within Max_Binary_Count points.
    // Both ends have spare room, so chains grow in amortised constant time
    // whichever direction they are written in.
    bool merge_points(const WT_Point_Set& other);
    // Appends other's points behind this set's (amortised constant time per
    // point, like a chain growing at its end).
    void append_points(const WT_Point_Set& other);

    // Writes the set with the given opcodes: ASCII text opcode, 32-bit and
    // 16-bit relative binary opcodes. 18 for an empty set.
    WT_Result write_points(WT_File& file, const char* ascii_opcode, std::uint8_t opcode_32,
                           std::uint8_t opcode_16);
    // A two-point set as a line ("L", 0x0C or "l").
    WT_Result write_line(WT_File& file);

    // Reads the operand of "P" (absolute ASCII points), "p" (32-bit deltas)
    // or 0x10 (16-bit deltas); resumable.
    WT_Result read_points(const WT_Opcode& opcode, WT_File& file);
    // Reads the two points of "L", "l" or 0x0C; resumable.
    WT_Result read_line(const WT_Opcode& opcode, WT_File& file);
    WT_Result skip_points(const WT_Opcode& opcode, WT_File& file);
    WT_Result skip_line(const WT_Opcode& opcode, WT_File& file);

    // The box around every point, grown by half the line weight as last
    // written when the file has used one; false for an empty set.
    bool points_box(WT_File& file, WT_Logical_Box& box) const;

    // Transforms the owned points once when the file applies its transform.
    void transform_for_output(WT_File& file);

private:
    void take_ownership();
    void reserve_ends(std::size_t front, std::size_t back);
    void append_point(const WT_Logical_Point& point);
    void prepend_point(const WT_Logical_Point& point);
    void reset_points(std::size_t count);
    WT_Result finish_read(WT_File& file);
    WT_Result read_binary_points(WT_File& file, bool sixteen_bit);

    // Owned points live in m_buffer[m_front, m_front + m_count).
    std::vector<WT_Logical_Point> m_buffer;
    std::size_t m_front = 0;
    std::size_t m_count = 0;
    const WT_Logical_Point* m_external = nullptr;
    bool m_transformed = false;

    // Reading state.
    int m_stage = 0;
    long m_read_count = 0;
    std::size_t m_progress = 0;
};
