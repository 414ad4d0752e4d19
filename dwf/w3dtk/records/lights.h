#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

// A spot light ('^'): position, target and an options byte whose bits say
// which of the outer cone, inner cone and concentration values follow.
class TK_Spot_Light : public BBaseOpcodeHandler
{
public:
    // Option bits that decide which values travel; the other bits are carried.
    enum : int
    {
        Outer_Mask = 0x03,
        Inner_Mask = 0x0C,
        Concentration = 0x20,
    };

    TK_Spot_Light();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPosition(const float point[3]);
    const float* GetPosition() const { return m_position; }
    void SetTarget(const float point[3]);
    const float* GetTarget() const { return m_target; }
    void SetOuter(float value) { m_outer = value; }
    float GetOuter() const { return m_outer; }
    void SetInner(float value) { m_inner = value; }
    float GetInner() const { return m_inner; }
    void SetConcentration(float value) { m_concentration = value; }
    float GetConcentration() const { return m_concentration; }
    void SetOptions(int options) { m_options = static_cast<unsigned char>(options); }
    int GetOptions() const { return m_options; }

private:
    float m_position[3] = {0, 0, 0};
    float m_target[3] = {0, 0, 0};
    float m_outer = 0;
    float m_inner = 0;
    float m_concentration = 0;
    unsigned char m_options = 0;
};

// An area light ('a'): a polygon of points and an options byte.
class TK_Area_Light : public BBaseOpcodeHandler
{
public:
    TK_Area_Light();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // count points of three floats each; null points give zeros.
    void SetPoints(int count, const float* points = nullptr);
    int GetCount() const { return m_count; }
    const float* GetPoints() const { return m_points.data(); }
    void SetOptions(int options) { m_options = static_cast<unsigned char>(options); }
    int GetOptions() const { return m_options; }

private:
    int m_count = 0;
    std::vector<float> m_points;
    unsigned char m_options = 0;
};
