#pragma once
// How the drawing publisher measures the text it writes: with the platform's
// font of the name the sheet gives, as a reader setting that W2D font would.
// A W2D font height H is the font's character cell (ascent plus descent),
// so a character whose advance is a font units is a * H / cell wide.
// Characters no installed font or glyph answers for fall back on an
// estimated advance per character.
#include "dwf/w2dtk/text_metrics.h"

#include <cstddef>
#include <string>

namespace text_measure
{

// The face name the platform is asked for: a logical font holds at most 32
// characters of it.
std::u16string PlatformFaceName(const std::u16string& font);

struct RunWidth
{
    double width = 0.0;        // W2D units
    std::size_t estimated = 0; // characters placed at the fallback advance
    std::u16string why;        // why they were, when any was
    // A face answered to the font: the estimated characters are glyphs it
    // lacks; otherwise the font itself was not to be had.
    bool fontFound = false;
};

// The width of `text` set in `font` with W2D font height `fontHeight`;
// characters without a font or glyph count `fallback` W2D units each.
RunWidth MeasureRun(const std::u16string& text, const std::u16string& font, double fontHeight,
                    double fallback);

// Whether fonts are measured at all (on unless switched off): the
// publishing benchmark compares the cost of measuring with the estimate
// alone.
void SetFontsMeasured(bool on);
bool FontsMeasured();

} // namespace text_measure

// The text measurer the publisher installs on its sheets' W2D files: the
// extent of a text in the platform's font, in units of the font's em
// square, as the bounds of a text want it. Characters without a glyph count
// the estimate the publisher places them by. No font, no extent.
class CFontTextMetrics : public WT_Text_Metrics
{
public:
    bool measure(const WT_Text_Font_Description& font, const std::u16string& text,
                 WT_Text_Extent& extent) override;
};
