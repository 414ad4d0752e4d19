#pragma once

#include "dwf/w3dtk/records/spline_data.h"
#include "dwf/w3dtk/stream/opcode_handler.h"

//
// A rational B-spline curve in space: opcode 'N'. After the opcode: options
// (one byte), degree (one byte), control-point count (int32), the control
// points, then, as the options say, the weights (one per point), the knots
// (degree + count + 1), the start and the end parameter.
//
// The control points, weights and knots live in a TK_Spline_Data, the same
// storage the trim curves of surfaces use.
//
class TK_NURBS_Curve : public BBaseOpcodeHandler
{
public:
    enum Options : unsigned char
    {
        Weights = 0x01,
        Knots = 0x02,
        Start = 0x04,
        End = 0x08,
    };

    TK_NURBS_Curve();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // Sets degree and control-point count, copies the arrays given (points
    // zero-filled when null) and the parameters, and adds to the options the
    // bits of what the record has to carry: weights and knots when given, the
    // start when it is not 0, the end when it is not exactly 1. It never clears
    // an option, so a client fills a handler that was reset.
    void SetCurve(int degree, int control_point_count, const float* points = nullptr,
                  const float* weights = nullptr, const float* knots = nullptr,
                  float start = 0.0f, float end = 1.0f);

    void SetOptions(int options) { m_options = static_cast<unsigned char>(options); }
    int GetOptions() const { return m_options; }
    int GetDegree() const { return m_data.Degree(); }
    int GetCount() const { return m_data.Count(); }
    int GetKnotCount() const { return m_data.KnotCount(); }
    const float* GetPoints() const { return m_data.Points().data(); }
    const float* GetWeights() const { return m_data.Weights().data(); }
    const float* GetKnots() const { return m_data.Knots().data(); }
    float GetStart() const { return m_start; }
    float GetEnd() const { return m_end; }
    const TK_Spline_Data& Data() const { return m_data; }

private:
    unsigned char m_options = 0;
    TK_Spline_Data m_data{3};
    float m_start = 0.0f;
    float m_end = 1.0f;
};
