#include "addin/publishers/TextMeasure.h"

#include "addin/publishers/DWF2DGrWriter.h"

#include "platform/font/FontService.h"
#include "platform/kernel/Text.h"

#include <atomic>

namespace text_measure
{

namespace
{
std::atomic<bool> g_measured{true};

constexpr std::size_t kFaceNameLength = 32;

// Characters as a face counts them: a surrogate pair once, a lone
// surrogate (high or low) once as well.
std::size_t CharacterCount(const std::u16string& text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        count += !low || i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF;
    }
    return count;
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
    // Runs come one after another in the same font: the face of the last
    // one is kept at hand rather than asked of the shared service each time.
    thread_local std::u16string lastFont;
    thread_local std::shared_ptr<const platform::FontFace> lastFace;
    std::shared_ptr<const platform::FontFace> face;
    if (g_measured)
    {
        if (!lastFace || lastFont != font)
        {
            lastFace = platform::FontService::shared().face(PlatformFaceName(font));
            lastFont = font;
        }
        face = lastFace;
    }
    if (!face)
    {
        run.estimated = CharacterCount(text);
        run.width = fallback * static_cast<double>(run.estimated);
        if (g_measured)
            run.why = platform::utf8ToUtf16(
                platform::FontService::shared().failure(PlatformFaceName(font)));
        return run;
    }
    const platform::TextMeasure measure = face->measure(text);
    run.fontFound = true;
    run.estimated = measure.missing.size();
    run.width = measure.width * fontHeight / face->metrics().cellHeight() +
                fallback * static_cast<double>(run.estimated);
    if (run.estimated > 0)
        run.why = u"the font " + platform::utf8ToUtf16(face->family()) + u" has no glyph for " +
                  (run.estimated == 1 ? u"one of its characters"
                                      : platform::utf8ToUtf16(std::to_string(run.estimated)) +
                                            u" of its characters");
    return run;
}

} // namespace text_measure

bool CFontTextMetrics::measure(const WT_Text_Font_Description& font, const std::u16string& text,
                               WT_Text_Extent& extent)
{
    if (!text_measure::FontsMeasured())
        return false;
    std::shared_ptr<const platform::FontFace> face = platform::FontService::shared().face(
        text_measure::PlatformFaceName(font.m_name), font.m_bold, font.m_italic);
    if (!face)
        return false;
    // The platform sets the font with its em square as the cell height and
    // measures there: the cell is the extent's height, and the advances
    // shrink by em / cell.
    const platform::FontMetrics& metrics = face->metrics();
    const double em = metrics.emSquare;
    const double cell = metrics.cellHeight();
    const platform::TextMeasure measure = face->measure(text);
    extent.m_em_height = em;
    extent.m_height = em;
    extent.m_width = (measure.width + static_cast<double>(measure.missing.size()) * cell *
                                          CDWF2DGrWriter::kCharacterAdvance /
                                          CDWF2DGrWriter::kFontHeight) *
                     em / cell;
    return true;
}
