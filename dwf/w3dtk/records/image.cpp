#include "dwf/w3dtk/records/image.h"

#include "dwf/w3dtk/records/image_jpeg.h"
#include "dwf/w3dtk/records/image_rle.h"
#include "dwf/w3dtk/records/record_steps.h"

#include <algorithm>

namespace
{
// A compressed image is never larger than the largest raw one.
constexpr int Max_Compressed = TK_Image::Max_Pixels * 4;
} // namespace

TK_Image::TK_Image() : BBaseOpcodeHandler('i') {}

void TK_Image::Reset()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_name.clear();
    m_position[0] = m_position[1] = m_position[2] = 0;
    m_width = m_height = -1;
    m_compression = TK_Image_None;
    m_compressed_size = 0;
    m_compressed.clear();
    m_compressed.shrink_to_fit();
    m_named = false;
    BBaseOpcodeHandler::Reset();
}

int TK_Image::BytesPerPixel(int format)
{
    switch (format)
    {
    case TK_Image_Mapped:
        return 1;
    case TK_Image_Mapped_16:
        return 2;
    case TK_Image_RGB:
        return 3;
    case TK_Image_RGBA:
    case TK_Image_BGRA:
        return 4;
    default:
        return 0;
    }
}

std::size_t TK_Image::pixel_bytes() const
{
    if (m_width < 0 || m_height < 0)
        return 0;
    return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) *
           static_cast<std::size_t>(BytesPerPixel(m_format));
}

void TK_Image::SetPosition(float x, float y, float z)
{
    m_position[0] = x;
    m_position[1] = y;
    m_position[2] = z;
}

void TK_Image::SetBytes(const unsigned char* bytes, std::size_t count)
{
    m_pixels.assign(bytes, bytes + count);
}

TK_Status TK_Image::check_for_writing(BStreamFileToolkit& tk) const
{
    if (BytesPerPixel(m_format) == 0)
        return tk.Error("bad (perhaps uninitialized) image format");
    int pixels = 0;
    TK_TRY(CheckProduct(tk, m_width, m_height, pixels, "bad image size", Max_Pixels));
    if (m_pixels.size() != pixel_bytes())
        return tk.ErrorF("image of %d x %d pixels holds %zu bytes instead of %zu", m_width,
                         m_height, m_pixels.size(), pixel_bytes());
    return CheckNameLength(tk, m_name.size(), "image name");
}

void TK_Image::encode(BStreamFileToolkit& tk)
{
    m_compressed.clear();
    if (m_compression == TK_Image_JPEG && m_format == TK_Image_RGB)
    {
        if (!BJpegCodec::Compress(m_pixels.data(), m_width, m_height, tk.GetJpegQuality(),
                                  m_compressed))
        {
            // Reported, but the record goes on with the pixels raw.
            tk.Error("-- jpeg compression failure");
            m_compression = TK_Image_None;
        }
    }
    else if (m_compression == TK_Image_RLE && m_format == TK_Image_Mapped)
    {
        if (!BRunLengthCodec::Encode(m_pixels.data(), m_pixels.size(), m_compressed))
            m_compression = TK_Image_None;
    }
    else
        m_compression = TK_Image_None;
    if (m_compression == TK_Image_None)
        m_compressed.clear();
    m_compressed_size = static_cast<int>(m_compressed.size());
}

TK_Status TK_Image::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(check_for_writing(tk));
        TK_TRY(PutOpcode(tk));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_format | (m_name.empty() ? 0 : Named))));
        ++m_stage;
        [[fallthrough]];
    case 3:
    case 4:
        TK_TRY(PutNameSteps(tk, m_name, 3, !m_name.empty()));
        [[fallthrough]];
    case 5:
    {
        int const size[2] = {m_width, m_height};
        TK_TRY(PutData(tk, size, 2));
        ++m_stage;
    }
        [[fallthrough]];
    case 6:
        // Coded once per record, however often this step is repeated.
        if (m_progress == 0)
        {
            encode(tk);
            m_progress = 1;
        }
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_compression)));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_compression != TK_Image_None)
            TK_TRY(PutData(tk, m_compressed_size));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (m_compression != TK_Image_None)
            TK_TRY(PutData(tk, m_compressed.data(), m_compressed_size));
        else
            TK_TRY(PutData(tk, m_pixels.data(), static_cast<int>(m_pixels.size())));
        ++m_stage;
        [[fallthrough]];
    case 9:
        TK_TRY(tk_steps::TagIfAsked(tk));
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Image::decode(BStreamFileToolkit& tk)
{
    if (m_compression == TK_Image_JPEG)
    {
        if (!BJpegCodec::Decompress(m_compressed.data(), m_compressed.size(), m_width, m_height,
                                    m_pixels))
            return tk.Error("-- jpeg decompression failure");
        return TK_Done;
    }
    std::size_t const count = pixel_bytes();
    if (count > BRunLengthCodec::MaxDecoded(m_compressed.size()))
        return tk.Error(BRunLengthCodec::Message(BRunLengthCodec::Not_Filled));
    m_pixels.assign(count, 0);
    BRunLengthCodec::Result const result =
        BRunLengthCodec::Decode(m_compressed.data(), m_compressed.size(), m_pixels.data(), count);
    if (result != BRunLengthCodec::Decoded)
        return tk.Error(BRunLengthCodec::Message(result));
    return TK_Done;
}

TK_Status TK_Image::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_position, 3));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        unsigned char format = 0;
        TK_TRY(GetData(tk, format));
        m_named = (format & Named) != 0;
        m_format = format & ~Named;
        if (BytesPerPixel(m_format) == 0)
            return tk.ErrorF("bad image format %d", m_format);
        ++m_stage;
    }
        [[fallthrough]];
    case 2:
        if (m_named)
        {
            int length = 0;
            TK_TRY(GetNameLength(tk, length));
            m_name.assign(static_cast<std::size_t>(length), '\0');
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(GetData(tk, &m_name[0], static_cast<int>(m_name.size())));
        ++m_stage;
        [[fallthrough]];
    case 4:
    {
        int size[2] = {0, 0};
        TK_TRY(GetData(tk, size, 2));
        int pixels = 0;
        TK_TRY(CheckProduct(tk, size[0], size[1], pixels, "bad image size", Max_Pixels));
        m_width = size[0];
        m_height = size[1];
        ++m_stage;
    }
        [[fallthrough]];
    case 5:
    {
        unsigned char compression = 0;
        TK_TRY(GetData(tk, compression));
        m_compression = compression;
        bool const expected = m_compression == TK_Image_None ||
                              (m_compression == TK_Image_RLE && m_format == TK_Image_Mapped) ||
                              (m_compression == TK_Image_JPEG && m_format == TK_Image_RGB);
        if (!expected)
            return tk.Error("Unexpected image compression/format combination");
        ++m_stage;
    }
        [[fallthrough]];
    case 6:
        if (m_compression != TK_Image_None)
            TK_TRY(GetCheckedCount(tk, m_compressed_size, "bad image compressed size",
                                   Max_Compressed));
        m_pixels.clear();
        m_compressed.clear();
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 7:
        // The bytes are taken in pieces, so memory follows what arrives.
        if (m_compression == TK_Image_None)
            TK_TRY(tk_steps::GetInSteps(tk, m_pixels, static_cast<int>(pixel_bytes()), m_progress));
        else
        {
            TK_TRY(tk_steps::GetInSteps(tk, m_compressed, m_compressed_size, m_progress));
            TK_TRY(decode(tk));
        }
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
