#include "addin/publishers/TextMeasure.h"

#include "addin/publishers/DWF2DGrWriter.h"

#include "platform/font/FontService.h"
#include "platform/kernel/Text.h"

#include <atomic>
#include <memory>

namespace text_measure
{

namespace
{
std::atomic<bool> g_measured{true};

constexpr std::size_t kFaceNameLength = 32;

// The face the platform has for `font` in a style, or why there is none.
struct FaceLookup
{
    std::u16string font;
    bool bold = false;
    bool italic = false;
    bool done = false;
    std::shared_ptr<const platform::FontFace> face;
    std::u16string why; // when there is no face
};

// Valid until the thread's next lookup.
const FaceLookup& LookUp(const std::u16string& font, bool bold, bool italic)
{
    // Texts come one after another in the same font: the last lookup of the
    // thread, a failed one too, is kept at hand rather than asked of the
    // shared service (and its reason converted) for each run.
    thread_local FaceLookup last;
    if (!last.done || last.bold != bold || last.italic != italic || last.font != font)
    {
        last.done = false;
        platform::FontService& service = platform::FontService::shared();
        const std::u16string name = PlatformFaceName(font);
        last.face = service.face(name, bold, italic);
        last.why = last.face ? std::u16string()
                             : platform::utf8ToUtf16(service.failure(name, bold, italic));
        last.font = font;
        last.bold = bold;
        last.italic = italic;
        last.done = true;
    }
    return last;
}

// The width of `text` in `face` at W2D font height `fontHeight`, characters
// it has no glyph for at `fallback` each; `why` is left empty.
RunWidth WidthIn(const platform::FontFace& face, const std::u16string& text, double fontHeight,
                 double fallback)
{
    const platform::TextMeasure measure = face.measure(text);
    RunWidth run;
    run.fontFound = true;
    run.estimated = measure.missing.size();
    run.width = measure.width * fontHeight / face.metrics().cellHeight() +
                fallback * static_cast<double>(run.estimated);
    return run;
}
} // namespace

std::u16string PlatformFaceName(const std::u16string& font)
{
    return font.substr(0, kFaceNameLength);
}

void SetFontsMeasured(bool on)
{
    g_measured = on;
}

bool FontsMeasured()
{
    return g_measured;
}

RunWidth MeasureRun(const std::u16string& text, const std::u16string& font, double fontHeight,
                    double fallback)
{
    RunWidth run;
    if (text.empty())
        return run;
    if (!g_measured)
    {
        run.estimated = w2dout::CharacterCount(text);
        run.width = fallback * static_cast<double>(run.estimated);
        return run;
    }
    const FaceLookup& lookup = LookUp(font, false, false);
    if (!lookup.face)
    {
        run.estimated = w2dout::CharacterCount(text);
        run.width = fallback * static_cast<double>(run.estimated);
        run.why = lookup.why;
        return run;
    }
    run = WidthIn(*lookup.face, text, fontHeight, fallback);
    if (run.estimated > 0)
        run.why =
            u"the font " + platform::utf8ToUtf16(lookup.face->family()) + u" has no glyph for " +
            (run.estimated == 1
                 ? u"one of its characters"
                 : platform::utf8ToUtf16(std::to_string(run.estimated)) + u" of its characters");
    return run;
}

} // namespace text_measure

bool CFontTextMetrics::measure(const WT_Text_Font_Description& font, const std::u16string& text,
                               WT_Text_Extent& extent)
{
    if (!text_measure::FontsMeasured())
        return false;
    const text_measure::FaceLookup& lookup =
        text_measure::LookUp(font.m_name, font.m_bold, font.m_italic);
    if (!lookup.face)
        return false;
    // The platform sets the font with its em square as the cell height and
    // measures there: the cell is the extent's height, and the width is the
    // run's at that height, glyphless characters at the publisher's estimate.
    const double em = lookup.face->metrics().emSquare;
    extent.m_em_height = em;
    extent.m_height = em;
    extent.m_width =
        text_measure::WidthIn(*lookup.face, text, em,
                              em * CDWF2DGrWriter::kCharacterAdvance / CDWF2DGrWriter::kFontHeight)
            .width;
    return true;
}
