#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

// Colours given by value or by index, and the colour map the indices refer
// to. Every record but the map starts with the geometry mask (1-3 bytes,
// records/color_masks.h) of the kinds of geometry it colours.

// A plain colour: opcode '~', the mask, then red, green, blue as one byte each.
class TK_Color_RGB : public BBaseOpcodeHandler
{
public:
    TK_Color_RGB();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_geometry = mask; }
    int GetGeometry() const { return m_geometry; }
    // Components in 0..1.
    void SetRGB(float red, float green, float blue);
    const float* GetRGB() const { return m_rgb; }

private:
    int m_geometry = 0;
    float m_rgb[3] = {};
};

// A colour in a stated colour space at full precision: opcode 0x0B, the mask,
// the space code (one byte, carried unchanged), three floats.
class TK_Color_By_Value : public BBaseOpcodeHandler
{
public:
    TK_Color_By_Value();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_geometry = mask; }
    int GetGeometry() const { return m_geometry; }
    void SetSpace(int space) { m_space = static_cast<unsigned char>(space); }
    int GetSpace() const { return m_space; }
    void SetValue(float a, float b, float c);
    const float* GetValue() const { return m_value; }

private:
    int m_geometry = 0;
    float m_value[3] = {};
    unsigned char m_space = 0;
};

// An index into the colour map: opcode 0x08 carries it in one byte, 0x09 in
// two. An index the opcode's width cannot hold is refused before the record
// is written.
class TK_Color_By_Index : public BBaseOpcodeHandler
{
public:
    explicit TK_Color_By_Index(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_geometry = mask; }
    int GetGeometry() const { return m_geometry; }
    void SetIndex(int index) { m_index = index; }
    int GetIndex() const { return m_index; }

private:
    int m_geometry = 0;
    int m_index = 0;
};

// A fractional index into the colour map: opcode 0x0A, the mask, a float.
class TK_Color_By_FIndex : public BBaseOpcodeHandler
{
public:
    TK_Color_By_FIndex();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetGeometry(int mask) { m_geometry = mask; }
    int GetGeometry() const { return m_geometry; }
    void SetIndex(float index) { m_index = index; }
    float GetIndex() const { return m_index; }

private:
    int m_geometry = 0;
    float m_index = 0.0f;
};

// The colour map: opcode 0x0C, the format code (one byte, carried unchanged),
// the entry count (int32, at most 256), then red, green, blue of each entry as
// one byte each.
class TK_Color_Map : public BBaseOpcodeHandler
{
public:
    static constexpr int Max_Entries = 256;

    TK_Color_Map();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    // Copies `count` entries of three floats (zeros when null).
    void SetColors(int count, const float* rgb = nullptr);
    int GetLength() const { return m_length; }
    const float* GetColors() const { return m_values.data(); }
    void SetFormat(int format) { m_format = static_cast<unsigned char>(format); }
    int GetFormat() const { return m_format; }

private:
    int m_length = 0;
    std::vector<float> m_values = std::vector<float>(3 * Max_Entries, 0.0f);
    unsigned char m_format = 0;
};
