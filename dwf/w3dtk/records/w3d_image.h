#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// Announces an image by name with its size in pixels and its colour depth:
// opcode 0xE0. The pixels travel beside the stream, as a package resource.
// After the opcode: the name (its length as one unsigned byte, then its
// bytes), width and height (int32 each), depth in bits per pixel (one byte).
//
// Names are UTF-8 bytes and hold at most 255 of them: a longer one is refused
// before anything is written.
//
class W3D_Image : public BBaseOpcodeHandler
{
public:
    static constexpr int Opcode = 0xE0;

    W3D_Image();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Empties the name.
    void Reset() override;

    // Null empties the name.
    void SetName(const char* name) { m_name = name ? name : ""; }
    const std::string& GetName() const { return m_name; }
    void SetSize(int width, int height);
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    void SetBitDepth(int depth) { m_depth = static_cast<unsigned char>(depth); }
    int GetBitDepth() const { return m_depth; }

private:
    std::string m_name;
    int m_width = 0;
    int m_height = 0;
    unsigned char m_depth = 0;
};
