#pragma once

#include "dwf/w3dtk/geometry/polyhedron.h"

#include <vector>

//
// A chain of cylinders through a list of points (opcode 'Q'), with one radius
// for all or one per point. Record: opcode; point count (int32); the points
// (three floats each); radius count (int32); the radii; a flags byte; then as
// the flags say the start vector (0x04), the end vector (0x08) and the
// polyhedron's attribute section for the points (0x10). Bits 0x01 and 0x02 of
// the flags are carried unchanged.
//
// Readers before version 705 know no poly-cylinders: the record is then left
// out entirely; before 805 only flag bits 0x01 and 0x02 travel, without the
// parts the others announce.
//
class TK_PolyCylinder : public TK_Polyhedron
{
public:
    enum Flags : int
    {
        Start_Vector = 0x04,
        End_Vector = 0x08,
        Attributes = 0x10,
    };
    static constexpr int Since_Version = 705;
    static constexpr int Flags_Since_Version = 805;

    TK_PolyCylinder();

    // count points, copied when given (zeros otherwise); the polyhedron's
    // per-vertex attributes are fitted to the same count.
    TK_Status SetPoints(int count, const float* points = nullptr);
    void SetRadii(int count, const float* radii = nullptr);
    int GetRadiusCount() const { return static_cast<int>(m_radii.size()); }
    const std::vector<float>& GetRadii() const { return m_radii; }
    void SetFlags(int flags) { m_flags = static_cast<unsigned char>(flags); }
    int GetFlags() const { return m_flags; }
    void SetStartVector(const float vector[3]);
    const float* GetStartVector() const { return m_start; }
    void SetEndVector(const float vector[3]);
    const float* GetEndVector() const { return m_end; }

    TK_Status Read(BStreamFileToolkit& tk) override;
    // Refuses counts a record cannot carry, and attribute arrays that do not
    // match the points, before anything is written.
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

private:
    std::vector<float> m_radii;
    int m_radius_count = 0; // as read, before the radii arrive
    unsigned char m_flags = 0;
    unsigned char m_written_flags = 0;
    float m_start[3] = {0, 0, 0};
    float m_end[3] = {0, 0, 0};
};
