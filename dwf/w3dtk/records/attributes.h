#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// Single-valued segment attributes. One handler class serves several opcodes;
// the opcode of the instance decides which attribute a record sets.

// A 4 x 4 transformation, row by row: opcode '%' (modelling matrix) or '$'
// (texture matrix). After the opcode: the first three floats of each of the
// four rows; the fourth column is always 0, 0, 0, 1 and not stored.
class TK_Matrix : public BBaseOpcodeHandler
{
public:
    explicit TK_Matrix(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    // 16 floats, row by row; null sets the identity.
    void SetMatrix(const float* matrix);
    const float* GetMatrix() const { return m_matrix; }

private:
    float m_matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// One byte: face pattern ('P'), window pattern ('p'), marker symbol ('@'),
// text alignment ('*'), window frame ('#') or handedness ('h').
class TK_Enumerated : public BBaseOpcodeHandler
{
public:
    explicit TK_Enumerated(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetIndex(int value) { m_index = static_cast<unsigned char>(value); }
    int GetIndex() const { return m_index; }

private:
    unsigned char m_index = 0;
};

// A size with its units: edge weight (0x0E), line weight ('='), marker size
// ('+') or text spacing (' '). After the opcode: the size as a float, and
// units 5 ("no units") stop there; other units are told by storing the size
// negated and adding the units byte. Sizes are never negative: a negative one
// is refused before anything is written, and a reader looks at the float's
// sign bit, so a size of 0 with units keeps them.
class TK_Size : public BBaseOpcodeHandler
{
public:
    static constexpr int No_Units = 5;

    explicit TK_Size(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetSize(float size, int units = No_Units);
    float GetSize() const { return m_size; }
    int GetUnits() const { return m_units; }

private:
    float m_size = 0.0f;
    unsigned char m_units = No_Units;
};

// A 16-bit line pattern: line pattern ('-') or edge pattern (0x0D).
class TK_Linear_Pattern : public BBaseOpcodeHandler
{
public:
    explicit TK_Linear_Pattern(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetPattern(int pattern) { m_pattern = static_cast<unsigned short>(pattern); }
    int GetPattern() const { return m_pattern; }

private:
    unsigned short m_pattern = 0;
};

// The streaming-mode marker ','. Writing it produces nothing; a reader that
// meets the byte stops the reading call there with TK_Paused.
class TK_Streaming : public BBaseOpcodeHandler
{
public:
    TK_Streaming();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
};
