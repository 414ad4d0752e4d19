#pragma once
// Checks one note as it was written, read back on its own: its runs of
// characters (the texts in the note's font, 1.3 text heights tall) and its
// symbols (every other drawable). A run's extent is its width in the
// platform's font of the note (advances scaled by the written height over
// the font's cell), from its anchor along the baseline; characters without
// a font or glyph count the writer's estimated advance. A symbol's extent
// is what it draws. Lines are told apart by how far below the note's anchor
// they lie.
#include "SheetReadBack.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "platform/font/FontService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>

namespace text_check
{

struct Note
{
    WT_Logical_Point anchor;
    double angle = 0.0;
    int justification = 0;
    double h = 0.0; // S·h, W2D units
    std::u16string font = u"Arial";
};

// A stretch along the baseline of one line, in W2D units from the anchor.
struct Span
{
    double from = 0.0;
    double to = 0.0;
    std::size_t line = 0;
    std::u16string text; // a run's characters; empty for a symbol
};

struct Laid
{
    std::vector<Span> runs;
    std::vector<Span> symbols;
};

inline std::size_t Characters(const std::u16string& text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

// The width of a run written `fontHeight` units tall in the note's font.
inline double RunWidth(const Note& note, const std::u16string& text, std::int32_t fontHeight)
{
    const double advance = CDWF2DGrWriter::kCharacterAdvance * note.h;
    std::shared_ptr<const platform::FontFace> face =
        platform::FontService::shared().face(note.font);
    if (!face)
        return advance * static_cast<double>(Characters(text));
    const platform::TextMeasure measure = face->measure(text);
    return measure.width * fontHeight / face->metrics().cellHeight() +
           advance * static_cast<double>(measure.missing.size());
}

// Splits what was read back into runs and symbols, in the note's frame.
inline Laid LayOut(const sheet_test::Sheet& sheet, const Note& note)
{
    const double c = std::cos(note.angle);
    const double s = std::sin(note.angle);
    const auto along = [&](double x, double y)
    { return (x - note.anchor.m_x) * c + (y - note.anchor.m_y) * s; };
    const auto up = [&](double x, double y)
    { return -(x - note.anchor.m_x) * s + (y - note.anchor.m_y) * c; };
    // The first line's baseline lies this far up from the anchor; each
    // further line a pitch of 5/3 h lower.
    double first = -note.h;
    if (note.justification == 1)
        first = note.h / 2;
    else if (note.justification == 2 || note.justification == 3)
        first = -note.h / 2;
    const double pitch = note.h * (1.0 + 2.0 / 3.0);
    const auto lineAt = [&](double height)
    {
        const double k = std::round((first - height) / pitch);
        return static_cast<std::size_t>(std::max(0.0, k));
    };
    const std::int32_t runFont =
        static_cast<std::int32_t>(note.h * CDWF2DGrWriter::kFontHeight);

    Laid laid;
    for (const sheet_test::Item& item : sheet.items)
    {
        if (item.kind == WT_Object::Text_ID)
        {
            if (std::abs(item.fontHeight - runFont) > 1)
                continue; // a symbol's own letter, inside the symbol's drawing
            const WT_Logical_Point& p = item.points[0];
            const double start = along(p.m_x, p.m_y);
            laid.runs.push_back(
                Span{start, start + RunWidth(note, item.text, item.fontHeight),
                     lineAt(up(p.m_x, p.m_y)), item.text});
            continue;
        }
        Span span{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(), 0,
                  {}};
        double lowest = std::numeric_limits<double>::max();
        const auto cover = [&](double x, double y)
        {
            span.from = std::min(span.from, along(x, y));
            span.to = std::max(span.to, along(x, y));
            lowest = std::min(lowest, up(x, y));
        };
        if (item.kind == WT_Object::Outline_Ellipse_ID || item.kind == WT_Object::Filled_Ellipse_ID)
        {
            // The whole circle: symbols draw round ones.
            const double r = std::max(item.major, item.minor);
            const WT_Logical_Point& centre = item.points[0];
            cover(centre.m_x - r * c, centre.m_y - r * s);
            cover(centre.m_x + r * c, centre.m_y + r * s);
            const double middle = up(centre.m_x, centre.m_y);
            lowest = std::min(lowest, middle - r);
        }
        else
        {
            for (const WT_Logical_Point& p : item.points)
                cover(p.m_x, p.m_y);
        }
        // A symbol stands on its line's baseline, at most a text height up.
        span.line = lineAt(lowest);
        laid.symbols.push_back(span);
    }
    return laid;
}

// No symbol is drawn over a run's estimated extent (touching is allowed,
// within the few units that truncating turned positions moves them).
inline void ExpectNoSymbolOnACharacter(const Laid& laid, const std::string& what)
{
    for (const Span& run : laid.runs)
        for (const Span& symbol : laid.symbols)
        {
            if (symbol.line != run.line || run.to <= run.from)
                continue;
            const double overlap = std::min(run.to, symbol.to) - std::max(run.from, symbol.from);
            EXPECT_LE(overlap, 3.0) << what << ": a symbol at " << symbol.from << ".."
                                    << symbol.to << " lies on the run \""
                                    << std::string(run.text.begin(), run.text.end()) << "\" at "
                                    << run.from << ".." << run.to << " of line " << run.line;
        }
}

// Every line meets the note's anchor as its justification says, within a
// tenth of a text height: code 5 ends there, codes 2 and 3 centre on it,
// the others begin there.
inline void ExpectLinesMeetTheAnchor(const Laid& laid, const Note& note, const std::string& what)
{
    std::map<std::size_t, std::pair<double, double>> lines;
    const auto add = [&](const Span& span)
    {
        if (span.to <= span.from && !span.text.empty())
            return;
        auto [it, fresh] = lines.emplace(span.line, std::make_pair(span.from, span.to));
        if (!fresh)
        {
            it->second.first = std::min(it->second.first, span.from);
            it->second.second = std::max(it->second.second, span.to);
        }
    };
    for (const Span& run : laid.runs)
        add(run);
    for (const Span& symbol : laid.symbols)
        add(symbol);
    const double tolerance = 0.1 * note.h;
    for (const auto& [line, extent] : lines)
    {
        double meets = extent.first; // where the line should meet the anchor
        if (note.justification == 5)
            meets = extent.second;
        else if (note.justification == 2 || note.justification == 3)
            meets = (extent.first + extent.second) / 2;
        EXPECT_LE(std::abs(meets), tolerance)
            << what << ": line " << line << " spans " << extent.first << ".." << extent.second
            << " for justification " << note.justification;
    }
}

} // namespace text_check
