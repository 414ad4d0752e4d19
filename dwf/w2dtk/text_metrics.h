#pragma once

#include <cstdint>
#include <string>

// What a text measurement needs to know of the font the text is set in.
struct WT_Text_Font_Description
{
    std::u16string m_name;
    std::int32_t m_height = 0;
    std::uint8_t m_charset = 0;
    std::uint8_t m_pitch = 0;
    std::uint8_t m_family = 0;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underlined = false;
};

// The extent of a measured string, in the units of a font whose em square is
// em_height high.
struct WT_Text_Extent
{
    double m_width = 0;
    double m_height = 0;
    double m_em_height = 1000;
};

// Measures text for the bounds of text drawables. The toolkit has no font
// machinery of its own: an application that knows its fonts installs a
// measurer on the file (WT_File::set_text_metrics). Without one, extents are
// unavailable and a text's bounds hold only its position. Measurement never
// changes the bytes of a stream.
class WT_Text_Metrics
{
public:
    virtual ~WT_Text_Metrics() = default;
    // False when the extent cannot be had (no such font, no metrics).
    virtual bool measure(const WT_Text_Font_Description& font, const std::u16string& text,
                         WT_Text_Extent& extent) = 0;

    // The measurer that never has an extent.
    static WT_Text_Metrics& unavailable();
};
