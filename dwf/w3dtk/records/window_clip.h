#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

// The window of a segment ('W'): four floats in array order (left, right,
// bottom, top).
class TK_Window : public BBaseOpcodeHandler
{
public:
    TK_Window();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetWindow(const float window[4]);
    void SetWindow(float left, float right, float bottom, float top);
    const float* GetWindow() const { return m_window; }

private:
    float m_window[4] = {0, 0, 0, 0};
};

// A rectangular clip region ('o'): an options byte and four floats.
class TK_Clip_Rectangle : public BBaseOpcodeHandler
{
public:
    TK_Clip_Rectangle();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // Only the low byte travels.
    void SetOptions(int options) { m_options = options; }
    int GetOptions() const { return m_options; }
    void SetRectangle(const float rectangle[4]);
    void SetRectangle(float left, float right, float bottom, float top);
    const float* GetRectangle() const { return m_rectangle; }

private:
    int m_options = 0;
    float m_rectangle[4] = {0, 0, 0, 0};
};

// A polygonal clip region ('O'): an options byte, the point count and the
// points of three floats each.
class TK_Clip_Region : public BBaseOpcodeHandler
{
public:
    TK_Clip_Region();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // Only the low byte travels.
    void SetOptions(int options) { m_options = options; }
    int GetOptions() const { return m_options; }
    // count points of three floats each; null points give zeros.
    void SetPoints(int count, const float* points = nullptr);
    int GetCount() const { return m_count; }
    const float* GetPoints() const { return m_points.data(); }

private:
    int m_options = 0;
    int m_count = 0;
    std::vector<float> m_points;
};
