#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

// Curve geometry: lines, polylines and polygons, circles and arcs by three
// points, ellipses and elliptical arcs. A point is three floats x, y, z.
// Every curve record is tagged after it is written when the toolkit tags all
// records (TK_Option_Tag_All). B-spline curves are in nurbs_curve.h.

// A line segment: opcode 'l', start and end (24 bytes).
class TK_Line : public BBaseOpcodeHandler
{
public:
    TK_Line();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPoints(const float start[3], const float end[3]);
    // Start (0..2) then end (3..5).
    const float* GetPoints() const { return m_points; }

private:
    float m_points[6] = {};
};

// A polyline (opcode 'L') or polygon ('G'): the point count (int32), then the
// points. The point buffer is kept from record to record.
class TK_Polypoint : public BBaseOpcodeHandler
{
public:
    explicit TK_Polypoint(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // The count becomes 0; the buffer stays.
    void Reset() override;

    // Copies `count` points (zeros when `points` is null).
    void SetPoints(int count, const float* points = nullptr);
    int GetCount() const { return m_count; }
    // Points the buffer holds room for: SetPoints grows it to the count, a
    // record read grows it to its count + 16 when it needs more.
    int GetCapacity() const { return m_capacity; }
    const float* GetPoints() const { return m_points.data(); }
    float* GetPoints() { return m_points.data(); }

private:
    void grow_to(int count, int spare);

    int m_count = 0;
    int m_capacity = 0;
    std::vector<float> m_points;
};

// A circle ('C'), circular arc ('c'), chord ('\\') or wedge ('w') through three
// points: start, middle, end (36 bytes). The four records differ only in their opcode.
class TK_Circle : public BBaseOpcodeHandler
{
public:
    explicit TK_Circle(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPoints(const float start[3], const float middle[3], const float end[3]);
    void SetStart(const float point[3]);
    void SetMiddle(const float point[3]);
    void SetEnd(const float point[3]);
    const float* GetStart() const { return m_points; }
    const float* GetMiddle() const { return m_points + 3; }
    const float* GetEnd() const { return m_points + 6; }

private:
    float m_points[9] = {};
};

// An ellipse ('E') or elliptical arc ('e'): centre, a point at the end of the
// major axis, a point at the end of the minor axis (36 bytes); the arc adds its
// start and end parameters (two floats), fractions of a full turn measured from
// the major axis towards the minor axis.
class TK_Ellipse : public BBaseOpcodeHandler
{
public:
    explicit TK_Ellipse(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetCentre(const float point[3]);
    void SetMajor(const float point[3]);
    void SetMinor(const float point[3]);
    void SetLimits(float start, float end);
    const float* GetCentre() const { return m_points; }
    const float* GetMajor() const { return m_points + 3; }
    const float* GetMinor() const { return m_points + 6; }
    const float* GetLimits() const { return m_limits; }

private:
    bool is_arc() const { return m_opcode == 'e'; }

    float m_points[9] = {};
    float m_limits[2] = {};
};
