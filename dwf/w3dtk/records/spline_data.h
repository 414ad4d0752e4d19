#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

//
// The control points, weights and knots of a B-spline curve, as curve records
// carry them: `dimension` floats per control point (3 for curves in space, 2
// for trim curves in a surface's parameter space), one weight per control point
// and degree + count + 1 knots. Which of the optional arrays travel is decided
// by the record that holds this (its option bits differ from record to record).
//
// Arrays are read in steps (records/record_steps.h), so a stream that announces
// more than it holds costs no more memory than it holds.
//
class TK_Spline_Data
{
public:
    explicit TK_Spline_Data(int dimension) : m_dimension(dimension) {}

    // Degree and count 0, arrays empty.
    void Clear();
    // The largest degree a record's degree byte holds.
    static constexpr int Max_Degree = 255;

    // Sets degree and count and allocates all three arrays, zero-filled, copying
    // the ones given (each may be null). A degree or count beyond what a record
    // carries (Max_Degree, BBaseOpcodeHandler::Max_Count) is kept for the
    // writer to refuse, but allocates nothing.
    void Set(int degree, int count, const float* points, const float* weights,
             const float* knots);
    // Sets degree and count and empties the arrays, for a reader that fills them
    // with the Get steps next.
    void SetSize(int degree, int count);
    // Zero-fills the arrays a reader did not fill, so all three always hold
    // what degree and count call for.
    void FillMissing();

    int Dimension() const { return m_dimension; }
    int Degree() const { return m_degree; }
    int Count() const { return m_count; }
    // degree + count + 1 once set, 0 after Clear or when not Carried.
    int KnotCount() const { return m_knot_count; }
    // True when degree and count fit a record.
    bool Carried() const;

    const std::vector<float>& Points() const { return m_points; }
    const std::vector<float>& Weights() const { return m_weights; }
    const std::vector<float>& Knots() const { return m_knots; }
    std::vector<float>& Points() { return m_points; }
    std::vector<float>& Weights() { return m_weights; }
    std::vector<float>& Knots() { return m_knots; }

    // One step of a record each; `done` is the handler's progress.
    TK_Status PutPoints(BStreamFileToolkit& tk) const;
    TK_Status PutWeights(BStreamFileToolkit& tk) const;
    TK_Status PutKnots(BStreamFileToolkit& tk) const;
    TK_Status GetPoints(BStreamFileToolkit& tk, int& done);
    TK_Status GetWeights(BStreamFileToolkit& tk, int& done);
    TK_Status GetKnots(BStreamFileToolkit& tk, int& done);

private:
    // Array lengths, 0 for a curve that is not Carried.
    int point_floats() const;
    int weight_count() const;

    int m_dimension;
    int m_degree = 0;
    int m_count = 0;
    int m_knot_count = 0;
    std::vector<float> m_points;
    std::vector<float> m_weights;
    std::vector<float> m_knots;
};
