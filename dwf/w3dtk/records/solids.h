#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// A cylinder ('Y'): the axis from its start to its end point, the radius, and
// capping flags carried unchanged. Streams for readers older than version 650
// cannot hold it: the record is then left out entirely.
class TK_Cylinder : public BBaseOpcodeHandler
{
public:
    static constexpr int Since_Version = 650;

    TK_Cylinder();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    // start x, y, z then end x, y, z
    void SetAxis(const float axis[6]);
    void SetAxis(const float start[3], const float end[3]);
    const float* GetAxis() const { return m_axis; }
    void SetRadius(float radius) { m_radius = radius; }
    float GetRadius() const { return m_radius; }
    void SetCaps(int flags) { m_flags = static_cast<unsigned char>(flags); }
    int GetCaps() const { return m_flags; }

private:
    float m_axis[6] = {0, 0, 0, 0, 0, 0};
    float m_radius = 0;
    unsigned char m_flags = 0;
};

// A grid ('g'): its type, an origin, two reference points and two counts,
// carried unchanged.
class TK_Grid : public BBaseOpcodeHandler
{
public:
    TK_Grid();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetType(int type) { m_type = static_cast<unsigned char>(type); }
    int GetType() const { return m_type; }
    void SetOrigin(const float point[3]);
    const float* GetOrigin() const { return m_origin; }
    void SetRef1(const float point[3]);
    const float* GetRef1() const { return m_ref1; }
    void SetRef2(const float point[3]);
    const float* GetRef2() const { return m_ref2; }
    void SetCounts(int first, int second);
    const int* GetCounts() const { return m_counts; }

private:
    unsigned char m_type = 0;
    float m_origin[3] = {0, 0, 0};
    float m_ref1[3] = {0, 0, 0};
    float m_ref2[3] = {0, 0, 0};
    int m_counts[2] = {0, 0};
};

// A cutting plane ('/'): the coefficients a, b, c, d of ax + by + cz + d = 0.
class TK_Cutting_Plane : public BBaseOpcodeHandler
{
public:
    TK_Cutting_Plane();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPlane(float a, float b, float c, float d);
    void SetPlane(const float plane[4]) { SetPlane(plane[0], plane[1], plane[2], plane[3]); }
    const float* GetPlane() const { return m_plane; }

private:
    float m_plane[4] = {0, 0, 0, 0};
};
