#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>
#include <vector>

// A raster image placed in the scene ('i'): position, optional name, size,
// pixel format and the pixels, raw, run-length coded (one-byte pixels) or
// JPEG coded (RGB pixels).
//
// Record: opcode; position (3 floats); format byte, with bit 0x80 when a name
// follows; the name's length byte and bytes; width and height (int32 each);
// compression byte; then either the compressed size (int32) and the
// compressed bytes, or the raw pixels, rows one after another.
class TK_Image : public BBaseOpcodeHandler
{
public:
    enum Format : int
    {
        TK_Image_Mapped = 0,    // 1 byte per pixel
        TK_Image_Mapped_16 = 1, // 2 bytes per pixel
        TK_Image_RGB = 2,       // 3 bytes per pixel: red, green, blue
        TK_Image_RGBA = 3,      // 4 bytes per pixel
        TK_Image_BGRA = 4,      // 4 bytes per pixel
        TK_Image_Unset = 0xFF,
    };
    enum Compression : int
    {
        TK_Image_None = 0,
        TK_Image_RLE = 1,  // applies to TK_Image_Mapped
        TK_Image_JPEG = 2, // applies to TK_Image_RGB
    };
    static constexpr int Named = 0x80; // format bit: a name follows
    // Largest image read or written, in pixels.
    static constexpr int Max_Pixels = 1 << 24;

    TK_Image();

    // Refuses, before anything is written, an unset or unknown format, a
    // negative or too large size, pixels that do not match the size and a
    // name longer than 255 bytes. A compression that does not apply to the
    // format, or does not make the pixels smaller, writes them raw; a JPEG
    // failure is reported through Error and the pixels are written raw too.
    TK_Status Write(BStreamFileToolkit& tk) override;
    TK_Status Read(BStreamFileToolkit& tk) override;
    // Frees the pixels, the name and the compressed bytes; the format is kept.
    void Reset() override;

    static int BytesPerPixel(int format);

    void SetPosition(float x, float y, float z);
    void SetPosition(const float position[3])
    {
        SetPosition(position[0], position[1], position[2]);
    }
    const float* GetPosition() const { return m_position; }
    void SetName(const char* name) { m_name = name ? name : ""; }
    const std::string& GetName() const { return m_name; }
    void SetFormat(int format) { m_format = format; }
    int GetFormat() const { return m_format; }
    void SetCompression(int compression) { m_compression = compression; }
    // The compression of the record as written or read.
    int GetCompression() const { return m_compression; }
    // Sets the size; SetBytes gives the pixels, which must be width x height x
    // bytes per pixel of the format.
    void SetSize(int width, int height)
    {
        m_width = width;
        m_height = height;
    }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Copies `count` pixel bytes (width x height x bytes per pixel).
    void SetBytes(const unsigned char* bytes, std::size_t count);
    const std::vector<unsigned char>& GetBytes() const { return m_pixels; }
    // The compressed bytes of the record last written or read.
    const std::vector<unsigned char>& GetCompressedData() const { return m_compressed; }

private:
    TK_Status check_for_writing(BStreamFileToolkit& tk) const;
    // Codes the pixels by the compression; falls back to none where that
    // does not apply or does not pay.
    void encode(BStreamFileToolkit& tk);
    TK_Status decode(BStreamFileToolkit& tk);
    std::size_t pixel_bytes() const;

    std::vector<unsigned char> m_pixels;
    std::string m_name;
    float m_position[3] = {0, 0, 0};
    int m_width = -1;
    int m_height = -1;
    int m_format = TK_Image_Unset;
    int m_compression = TK_Image_None;
    int m_compressed_size = 0;
    std::vector<unsigned char> m_compressed;
    bool m_named = false; // reading: the format byte announced a name
};
