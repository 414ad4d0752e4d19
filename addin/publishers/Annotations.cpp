// Annotations: the host's display data (texts, lines, arcs, arrow heads),
// weld triangles, symbol codes in text, and dimensions.
#include "addin/ErrorReport.h"
#include "addin/PublishLog.h"
#include "addin/publishers/AnnotationSupport.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "dwf/w2dtk/text.h"
#include "host/Annotation.h"
#include "host/RecordLayout.h"
#include "host/View.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using annot::SheetPoint;
using w2dout::HostPoint;
using w2dout::SaturateToInt32;
using w2dout::SheetPosition;
using w2dout::ViewTransform;

namespace
{
constexpr double kPi = w2dout::kPi;

// Display-data line: colour, style, start at 4-5, end at 7-8.
constexpr std::size_t kLineSize = host::layout::kDisplayLine;
// Display-data arc: colour, style, start 4-6, end 7-9, centre 10-12, axis 13-15.
constexpr std::size_t kArcSize = host::layout::kDisplayArc;
// Arrow head: position 0-1, direction 3-4, width 6, length 7, style 8.
constexpr std::size_t kArrowSize = host::layout::kDisplayArrow;
constexpr std::size_t kTriangleSize = host::layout::kWeldTriangle;

// A list's element count from the host; false (after the message) when it
// claims more than any drawing holds. A negative count is an empty list.
bool ListCount(int claimed, const char* where, int& count)
{
    if (claimed > annot::kMaxElements)
    {
        ReportPublishError(where);
        return false;
    }
    count = claimed < 0 ? 0 : claimed;
    return true;
}

// Straight lines and filled areas are cut where they leave the range of the
// sheet's coordinates.
WT_Result WritePoints(WT_File& file, const std::vector<SheetPosition>& points, bool filled,
                      const w2dout::Named& named)
{
    if (filled)
        return w2dout::WritePlacedPolygon(file, points, named);
    return w2dout::WritePlacedPolyline(file, points, named);
}

// A display-data line or arc's style; a style outside the host's table is
// drawn dashed in the item's own colour.
void SetDisplaydataStyle(WT_File& file, std::int32_t style, double colour)
{
    w2dout::SetDisplaydataLineStyle(file, style);
    if (style < 0 || style > 8)
    {
        annot::SetLinePattern(file, WT_Line_Pattern::ISO_Dash);
        w2dout::SetColor(file, SaturateToInt32(colour));
    }
}

// The distance from one line of a text to the next, in text heights: a
// line's own height and two thirds of one between lines.
constexpr double kTextLinePitch = 1.0 + 0.6666666666666666;

// The direction of a text's baseline; quarter turns give exact zeros, so
// that a text turned upright is not moved a unit by rounding.
struct Direction
{
    double cos = 1.0;
    double sin = 0.0;
};

Direction TextDirection(double angle)
{
    Direction d{std::cos(angle), std::sin(angle)};
    if (std::fabs(d.cos) < 1e-12)
        d.cos = 0.0;
    if (std::fabs(d.sin) < 1e-12)
        d.sin = 0.0;
    return d;
}

// A point `along` the baseline and `up` from it, from `origin`, in a text
// turned to `d`, in whole W2D units.
SheetPosition InTextFrame(const SheetPosition& origin, const Direction& d, double along, double up)
{
    return SheetPosition(std::trunc(origin.x + along * d.cos - up * d.sin),
                         std::trunc(origin.y + along * d.sin + up * d.cos));
}

// Half of a whole number of W2D units, truncated toward zero.
double Half(double value)
{
    return std::trunc(value / 2);
}

// The angle the slash of arrow style 2 is taken from: atan((A.x − B.x) /
// (A.y − B.y)), with a level shaft giving ±π/2 instead of a division by zero.
double ShaftAngle(const SheetPosition& a, const SheetPosition& b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    if (dy == 0.0)
        return dx < 0 ? -kPi / 2 : kPi / 2;
    return std::atan(dx / dy);
}
} // namespace

bool CDWF2DGrWriter::ComputeArrowHeadPoints(const SheetPosition& a, const SheetPosition& b,
                                            double width, double length, SheetPosition& c0,
                                            SheetPosition& c1)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double distance = std::hypot(dx, dy);
    if (!(distance > 0))
        return false;
    // u points from A to B; the corners lie `length` along it, half the
    // width to either side.
    const double ux = dx / distance;
    const double uy = dy / distance;
    const double baseX = a.x + length * ux;
    const double baseY = a.y + length * uy;
    const double sideX = width / 2 * uy;
    const double sideY = -width / 2 * ux;
    c0 = SheetPosition(std::trunc(baseX + sideX), std::trunc(baseY + sideY));
    c1 = SheetPosition(std::trunc(baseX - sideX), std::trunc(baseY - sideY));
    return true;
}

WT_Result CDWF2DGrWriter::DrawArrowHead(WT_File& file, const SheetPosition& aIn,
                                        const SheetPosition& b, double width, double length,
                                        double style)
{
    const w2dout::Named named{"CDWF2DGrWriter::DrawArrowHead", u"An arrow head"};
    const std::int32_t kind = SaturateToInt32(style);
    if (kind < 0 || kind > 9)
        return WT_Result_Success;
    if (!w2dout::IsFinite(aIn) || !w2dout::IsFinite(b))
    {
        w2dout::LeaveOut(named, w2dout::kNotFiniteOnSheet);
        return WT_Result_Success;
    }
    SheetPosition a = aIn;
    if (kind == 6)
        a = SheetPosition(Half(a.x + b.x), Half(a.y + b.y));
    SheetPosition c0;
    SheetPosition c1;
    if (!ComputeArrowHeadPoints(a, b, width, length, c0, c1))
        return WT_Result_Success; // an arrow without a direction
    if (kind <= 6)
    {
        w2dout::SetFill(file, false);
        annot::SetLinePattern(file, WT_Line_Pattern::Solid);
    }
    switch (kind)
    {
    case 0:
        return WritePoints(file, {c1, c0, b, c1}, false, named);
    case 1:
        WT_CHECK(WritePoints(file, {a, b}, false, named));
        return WritePoints(file, {c1, c0, b}, true, named);
    case 2:
    {
        const double s = length * std::cos(ShaftAngle(a, b) + kPi / 3);
        return WritePoints(file,
                           {SheetPosition(std::trunc(b.x - s), std::trunc(b.y - s)),
                            SheetPosition(std::trunc(b.x + s), std::trunc(b.y + s))},
                           false, named);
    }
    case 3:
    case 4:
    {
        // A dot cannot be cut along its own lines: it is drawn whole or not.
        w2dout::StreamEllipse dot;
        if (!w2dout::PlaceEllipse(b, width / 3, width / 3, named, dot))
            return WT_Result_Success;
        const WT_Logical_Point& at = dot.centre;
        if (kind == 3)
            return WT_Filled_Ellipse(at.m_x, at.m_y, dot.major, dot.minor, 0, 0, 0).serialize(file);
        return WT_Outline_Ellipse(at.m_x, at.m_y, dot.major, dot.minor, 0, 0, 0).serialize(file);
    }
    case 5:
    case 6:
        return WritePoints(file, {c1, b, c0}, false, named);
    default:
        break;
    }
    // Styles 7 to 9: filled halves of a head whose back is notched at M.
    const SheetPosition m(Half(Half(Half(c0.x + c1.x) + b.x) + a.x),
                          Half(Half(Half(c0.y + c1.y) + b.y) + a.y));
    w2dout::SetFill(file, true);
    WT_Result result = WT_Result_Success;
    if (kind == 7 || kind == 8)
        result = WritePoints(file, {m, c0, b}, true, named);
    if (result == WT_Result_Success && (kind == 7 || kind == 9))
        result = WritePoints(file, {m, c1, b}, true, named);
    w2dout::SetFill(file, false);
    return result;
}

std::vector<CDWF2DGrWriter::TextPiece> CDWF2DGrWriter::SplitSymbolCodes(
    const std::u16string& text)
{
    // Codes lie between '<' and '>'; one holding '-' names a symbol, any
    // other stays in the run as it stands. The search ends at the first
    // '<' or '>' that is missing or out of order, as the host writes it.
    std::vector<TextPiece> pieces(1);
    std::size_t from = 0;
    for (;;)
    {
        const std::size_t open = text.find(u'<', from);
        const std::size_t close = text.find(u'>', from);
        if (open == std::u16string::npos || close == std::u16string::npos || close < open)
            break;
        const std::u16string code = text.substr(open + 1, close - open - 1);
        if (code.find(u'-') == std::u16string::npos)
        {
            pieces.back().text.append(text, from, close + 1 - from);
        }
        else
        {
            pieces.back().text.append(text, from, open - from);
            pieces.push_back(TextPiece{true, code});
            pieces.push_back(TextPiece{});
        }
        from = close + 1;
    }
    pieces.back().text.append(text, from, std::u16string::npos);
    return pieces;
}

std::u16string CDWF2DGrWriter::ShownText(const std::u16string& text)
{
    std::u16string shown;
    for (const TextPiece& piece : SplitSymbolCodes(text))
        if (!piece.symbol)
            shown += piece.text;
    return shown;
}

CDWF2DGrWriter::TextLine CDWF2DGrWriter::LayOutTextLine(const WT_File& file,
                                                        const std::u16string& text, double height,
                                                        const std::u16string& font)
{
    // A cursor runs along the baseline from the line's start: over a run by
    // its width in the font it is written in; a symbol begins a gap after
    // the characters before it (or further on, when its drawing reaches left
    // of its origin) and the cursor moves on past its right edge and the
    // same gap.
    const double h = height * sheet_.scale;
    const double fontHeight = SaturateToInt32(sheet_.scale * height * kFontHeight);
    TextLine line;
    line.pieces = SplitSymbolCodes(text);
    double cursor = 0.0;
    bool afterCharacters = false;
    for (TextPiece& piece : line.pieces)
    {
        if (!piece.symbol)
        {
            // A run is measured as it is written: cut to what one text of
            // the stream carries, when it is longer.
            piece.text = w2dout::FitText(file, piece.text, "CDWF2DGrWriter::WriteText");
            const text_measure::RunWidth run =
                text_measure::MeasureRun(piece.text, font, fontHeight, kCharacterAdvance * h);
            if (run.estimated > 0 && !run.why.empty())
                NoteEstimatedRun(piece.text, font, run);
            piece.start = cursor;
            piece.end = cursor + run.width;
            cursor = piece.end;
            afterCharacters = !piece.text.empty();
        }
        else
        {
            if (afterCharacters)
                cursor += kSymbolGap * h;
            const std::size_t dash = piece.text.find(u'-');
            CSymbolDrawer& drawer = SymbolDrawer();
            drawer.SetLibraryName(piece.text.substr(0, dash));
            drawer.SetSymbolName(piece.text.substr(dash + 1));
            const CSymbolDrawer::Extent extent = drawer.Measure(sheet_, height);
            const double left = extent.empty ? 0.0 : std::min(extent.minimum, 0.0);
            const double right = extent.empty ? 0.0 : std::max(extent.maximum, 0.0);
            piece.start = cursor - left;
            piece.end = piece.start + right;
            cursor = piece.end + kSymbolGap * h;
            afterCharacters = false;
        }
        if (piece.end > piece.start || piece.symbol)
            line.width = piece.end;
    }
    return line;
}

void CDWF2DGrWriter::NoteEstimatedRun(const std::u16string& run, const std::u16string& font,
                                      const text_measure::RunWidth& width)
{
    // One note per font and reason in a publication, however many runs it
    // places so: the first such run is named as an example, by its
    // beginning (a run may be tens of thousands of characters long). The
    // font's name is cut the same way; the platform sees fewer of its
    // characters than the excerpt keeps, so names it cannot tell apart
    // are the one font it is.
    const bool missingGlyphs = width.fontFound;
    const std::u16string head =
        u"the font \"" + w2dout::Excerpt(font) + u"\": " +
        (missingGlyphs ? u"it has no glyph for some characters" : width.why);
    for (const std::u16string& note : publish_log::Notes())
        if (note.rfind(head, 0) == 0)
            return;
    publish_log::Note(head +
                      u"; such characters are placed at an estimated 0.7 text heights each"
                      u", first in the text \"" +
                      w2dout::Excerpt(run) + u"\"" +
                      (missingGlyphs ? u" (" + width.why + u")" : std::u16string()));
}

void CDWF2DGrWriter::AdjustTextPosition(int justification, SheetPosition& position, double height,
                                        double width, double angle, std::size_t line) const
{
    const double h = height * sheet_.scale;
    // Offsets in the text's own frame: along its baseline and up from it.
    // Every line is placed from the text's anchor, one pitch below the line
    // before it, so that no line inherits the shift of another: right
    // justified lines end at the anchor, centred ones centre on it.
    double along = 0.0;
    double up = -static_cast<double>(line) * kTextLinePitch * h;
    switch (justification)
    {
    case 1:
        up += h / 2;
        break;
    case 2:
    case 3:
        along -= width / 2;
        up -= h / 2;
        break;
    case 5:
        along -= width;
        up -= h;
        break;
    default:
        up -= h;
        break;
    }
    position = InTextFrame(position, TextDirection(angle), along, up);
}

std::u16string CDWF2DGrWriter::FitFontName(const WT_File& file, const std::u16string& font,
                                           const std::u16string& text)
{
    const std::size_t keep = w2dout::StreamLength(file, font);
    const std::u16string_view whole(font.c_str());
    if (keep < whole.size())
        ReportPublishError(
            "CDWF2DGrWriter::GetTextOfDisplaydata", true,
            u"The font name of the text \"" + w2dout::Excerpt(text) + u"\" is " +
                platform::utf8ToUtf16(std::to_string(w2dout::CharacterCount(whole))) +
                u" characters long, more than the sheet's stream can carry; it was cut to its "
                u"first " +
                platform::utf8ToUtf16(
                    std::to_string(w2dout::CharacterCount(whole.substr(0, keep)))));
    return font.substr(0, keep);
}

WT_Result CDWF2DGrWriter::WriteText(WT_File& file, const std::u16string& text,
                                    const SheetPosition& position, double angle, double height,
                                    const std::u16string& font)
{
    static const char* const kWhere = "CDWF2DGrWriter::WriteText";
    if (text.empty())
        return WT_Result_Success; // nothing to show
    const double fontHeight = sheet_.scale * height * kFontHeight;
    if (const char16_t* why = w2dout::TextPlacementFault(position, fontHeight))
    {
        w2dout::LeaveOut({kWhere, u"The text \"" + w2dout::Excerpt(text) + u"\""}, why);
        return WT_Result_Success;
    }
    WT_Font& desired = file.desired_rendition().font();
    desired.font_name().set(WT_String(font.c_str()));
    desired.rotation().set(w2dout::ToUInt16(angle * w2dout::kRadiansToFontRotation));
    desired.height().set(SaturateToInt32(fontHeight));
    file.desired_rendition().mark_changed(WT_Attribute_Set::Font_Bit);
    return WT_Text(w2dout::ToLogical(position), w2dout::FittedText(file, text, kWhere))
        .serialize(file);
}

WT_Result CDWF2DGrWriter::DrawGtolSymbol(const std::u16string& code, const SheetPosition& position,
                                         double angle, double height, WT_File& file)
{
    // A symbol is drawn from its insertion point, which the stream must hold.
    if (const char16_t* why = w2dout::PositionFault(position))
    {
        w2dout::LeaveOut(
            {"CDWF2DGrWriter::DrawGtolSymbol", u"The symbol <" + w2dout::Excerpt(code) + u">"},
            why);
        return WT_Result_Success;
    }
    const std::size_t dash = code.find(u'-');
    CSymbolDrawer& drawer = SymbolDrawer();
    drawer.SetLibraryName(code.substr(0, dash));
    drawer.SetSymbolName(dash == std::u16string::npos ? std::u16string() : code.substr(dash + 1));
    const WT_Logical_Point at = w2dout::ToLogical(position);
    return drawer.Draw(file, sheet_, at.m_x, at.m_y, angle, height);
}

WT_Result CDWF2DGrWriter::ParseSymbolText(const TextLine& line, const SheetPosition& position,
                                          double angle, double height, const std::u16string& font,
                                          WT_File& file)
{
    // Each run is a text of its own and each symbol a drawing of its own,
    // in the order they stand, so that a reader collecting the texts still
    // gets every character in order and no symbol lies on a character.
    const Direction d = TextDirection(angle);
    for (const TextPiece& piece : line.pieces)
    {
        const SheetPosition at = InTextFrame(position, d, piece.start, 0.0);
        if (piece.symbol)
        {
            WT_CHECK(DrawGtolSymbol(piece.text, at, angle, height, file));
            SymbolDrawer().ResetExtent();
        }
        else
        {
            WT_CHECK(WriteText(file, piece.text, at, angle, height, font));
        }
    }
    return WT_Result_Success;
}

WT_Result CDWF2DGrWriter::GetTextOfDisplaydata(WT_File& file, host::DisplayData* data)
{
    static const char* const kWhere = "CDWF2DGrWriter::GetTextOfDisplaydata";
    try
    {
        int count = 0;
        if (!data || !ListCount(data->textCount(), kWhere, count))
            return WT_Result_Success;
        for (int i = 0; i < count; ++i)
        {
            const double height = data->textHeight(i);
            const std::array<double, 3> at = data->textPosition(i);
            const int justification = data->textJustification(i);
            const std::u16string remaining = data->text(i);
            const double angle = data->textAngle(i);
            const std::u16string font = FitFontName(file, data->textFont(i), remaining);

            const SheetPosition anchor = SheetPoint(sheet_, at[0], at[1]);
            std::size_t start = 0;
            for (std::size_t line = 0;; ++line)
            {
                const std::size_t feed = remaining.find(u'\n', start);
                const std::u16string text = remaining.substr(
                    start, feed == std::u16string::npos ? std::u16string::npos : feed - start);
                const TextLine laidOut = LayOutTextLine(file, text, height, font);
                SheetPosition position = anchor;
                AdjustTextPosition(justification, position, height, laidOut.width, angle, line);
                WT_CHECK(ParseSymbolText(laidOut, position, angle, height, font, file));
                if (feed == std::u16string::npos)
                    break;
                start = feed + 1;
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}

namespace
{
// Draws each item of one display-data list; an item shorter than `size`
// values ends the list with the message.
template <typename Draw>
WT_Result ForEachDisplayItem(host::DisplayData* data, int (host::DisplayData::*countOf)(),
                             std::vector<double> (host::DisplayData::*itemAt)(int),
                             std::size_t size, const char* where, Draw draw)
{
    try
    {
        int count = 0;
        if (!data || !ListCount((data->*countOf)(), where, count))
            return WT_Result_Success;
        for (int i = 0; i < count; ++i)
        {
            const std::vector<double> item = (data->*itemAt)(i);
            if (item.size() < size)
            {
                ReportPublishError(where);
                return WT_Result_Success;
            }
            WT_CHECK(draw(item));
        }
    }
    catch (...)
    {
        ReportPublishError(where);
    }
    return WT_Result_Success;
}
} // namespace

WT_Result CDWF2DGrWriter::GetLineOfDisplaydata(WT_File& file, host::DisplayData* data)
{
    return ForEachDisplayItem(data, &host::DisplayData::lineCount, &host::DisplayData::line,
                              kLineSize, "CDWF2DGrWriter::GetLineOfDisplaydata",
                              [&](const std::vector<double>& line)
                              {
                                  std::int32_t style = SaturateToInt32(line[1]);
                                  if (linesOnly_)
                                  {
                                      // Centre lines only; the host's style 18 is drawn as one too.
                                      if (style == 18)
                                          style = 6;
                                      if (style != 6)
                                          return WT_Result_Success;
                                  }
                                  w2dout::SetFill(file, false);
                                  w2dout::SetLineWeightValue(file, 0);
                                  SetDisplaydataStyle(file, style, line[0]);
                                  return w2dout::WritePlacedPolyline(
                                      file,
                                      {SheetPoint(sheet_, line[4], line[5]),
                                       SheetPoint(sheet_, line[7], line[8])},
                                      {"CDWF2DGrWriter::GetLineOfDisplaydata",
                                       u"An annotation line"});
                              });
}

WT_Result CDWF2DGrWriter::GetArcOfDisplaydata(WT_File& file, host::DisplayData* data)
{
    return ForEachDisplayItem(
        data, &host::DisplayData::arcCount, &host::DisplayData::arc, kArcSize,
        "CDWF2DGrWriter::GetArcOfDisplaydata",
        [&](const std::vector<double>& arc)
        {
            const std::int32_t style = SaturateToInt32(arc[1]);
            SetDisplaydataStyle(file, style, arc[0]);
            // As a model-edge arc item: type, geometry count, then centre,
            // start, end and axis.
            std::vector<double> item(14, 0.0);
            item[0] = 1.0;
            item[1] = 12.0;
            std::copy(arc.begin() + 10, arc.begin() + 13, item.begin() + 2);  // centre
            std::copy(arc.begin() + 4, arc.begin() + 10, item.begin() + 5);   // start, end
            std::copy(arc.begin() + 13, arc.begin() + 16, item.begin() + 11); // axis
            const ViewTransform sheetCoordinates;
            return GenerateArcOrEllipse(
                0, sheetCoordinates, item, file,
                {"CDWF2DGrWriter::GetArcOfDisplaydata", u"An annotation arc"});
        });
}

WT_Result CDWF2DGrWriter::GetArrowOfDisplaydata(WT_File& file, host::DisplayData* data)
{
    return ForEachDisplayItem(data, &host::DisplayData::arrowCount, &host::DisplayData::arrow,
                              kArrowSize, "CDWF2DGrWriter::GetArrowOfDisplaydata",
                              [&](const std::vector<double>& arrow)
                              { return DrawDetailArrow(arrow.data(), file); });
}

WT_Result CDWF2DGrWriter::GenerateDisplayData(WT_File& file, host::DisplayData* data)
{
    try
    {
        if (!data)
            return WT_Result_Success;
        if (!linesOnly_)
            WT_CHECK(GetTextOfDisplaydata(file, data));
        WT_CHECK(GetLineOfDisplaydata(file, data));
        if (linesOnly_)
            return WT_Result_Success;
        WT_CHECK(GetArcOfDisplaydata(file, data));
        WT_CHECK(GetArrowOfDisplaydata(file, data));
    }
    catch (...)
    {
        ReportPublishError("CDWF2DGrWriter::GenerateDisplayData");
    }
    return WT_Result_Success;
}

namespace
{
const w2dout::Named kWeldNamed{"CDWF2DGrWriter::GetWeldSymbol", u"A weld triangle"};

// One weld triangle's corners in sheet coordinates; false when the host's
// record is too short.
bool TriangleCorners(const w2dout::SheetContext& sheet, const std::vector<double>& triangle,
                     std::vector<SheetPosition>& corners)
{
    if (triangle.size() < kTriangleSize)
        return false;
    corners.clear();
    for (int k = 0; k < 3; ++k)
        corners.push_back(SheetPoint(sheet, triangle[3 * k], triangle[3 * k + 1]));
    return true;
}

// Walks the view's weld items of one kind and hands each triangle's corners
// (with the item and the triangle's index) to draw.
template <typename Draw>
WT_Result DrawWeldTriangles(const w2dout::SheetContext& sheet, host::View* view, int kind,
                            Draw draw)
{
    static const char* const kWhere = "CDWF2DGrWriter::GetWeldSymbol";
    try
    {
        if (!view)
            return WT_Result_Success;
        bool malformed = false;
        WT_Result result = WT_Result_Success;
        const bool bounded = annot::WalkChain(
            view->firstWeldItem(kind), [](host::WeldItem* item) { return item->next(); },
            [&](host::WeldItem* item)
            {
                int count = 0;
                if (!ListCount(item->triangleCount(), kWhere, count))
                    return WT_Result_Success;
                for (int i = 0; i < count && !malformed; ++i)
                {
                    std::vector<SheetPosition> corners;
                    if (!TriangleCorners(sheet, item->triangle(i), corners))
                    {
                        malformed = true;
                        break;
                    }
                    WT_CHECK(draw(item, i, corners));
                }
                return WT_Result_Success;
            },
            result);
        if (!bounded || malformed)
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}
} // namespace

WT_Result CDWF2DGrWriter::GetWeldSymbol(WT_File& file, host::View* view, std::int32_t colour)
{
    return DrawWeldTriangles(sheet_, view, 1,
                             [&](host::WeldItem* item, int i, std::vector<SheetPosition>& corners)
                             {
                                 w2dout::SetColor(file, colour);
                                 w2dout::SetFill(file, false);
                                 const bool filled = item->filled(i) != 0;
                                 // An outline goes back to its first corner.
                                 if (!filled)
                                     corners.push_back(corners.front());
                                 return WritePoints(file, corners, filled, kWeldNamed);
                             });
}

WT_Result CDWF2DGrWriter::GetWeldSymbol(WT_File& file, host::View* view)
{
    return DrawWeldTriangles(sheet_, view, 2,
                             [&](host::WeldItem*, int, std::vector<SheetPosition>& corners)
                             { return WritePoints(file, corners, true, kWeldNamed); });
}

WT_Result CDWF2DGrWriter::GenerateAnnotation(WT_File& file, host::Annotation* note)
{
    if (!note)
        return WT_Result_Success;
    host::DisplayData* data = note->displayData();
    w2dout::SetColor(file, note->colour());
    w2dout::SetSketchLineStyle(file, note->lineStyle());
    return GenerateDisplayData(file, data);
}

WT_Result CDWF2DGrWriter::ProcessDisplayData(WT_File& file, host::View* view,
                                             const ViewTransform& /*transform*/)
{
    static const char* const kWhere = "ProcessDisplayData";
    try
    {
        if (!view)
            return WT_Result_Success;
        WT_Result result = WT_Result_Success;
        const bool bounded = annot::WalkChain(
            view->firstAnnotation(), [](host::Annotation* note) { return note->next(); },
            [&](host::Annotation* note)
            {
                host::DisplayData* data = note->displayData();
                const std::int32_t colour = note->colour();
                w2dout::SetColor(file, colour);
                w2dout::SetSketchLineStyle(file, note->lineStyle());
                const int type = note->type();
                if (type == 2)
                    WT_CHECK(GetWeldSymbol(file, view, colour));
                else if (type == 8)
                    WT_CHECK(GetWeldSymbol(file, view));
                return GenerateDisplayData(file, data);
            },
            result);
        if (!bounded)
            ReportPublishError(kWhere);
        return result;
    }
    catch (...)
    {
        ReportPublishError(kWhere);
        return WT_Result_Success;
    }
}

namespace
{
// Dimension record offsets after the m segments.
constexpr std::size_t kDimensionFixed = 27;
constexpr std::size_t kArrowFields = 9;
} // namespace

WT_Result CDWF2DGrWriter::GenerateDimension(WT_File& file, host::View* view,
                                            const ViewTransform& transform)
{
    static const char* const kWhere = "GenerateDimension";
    try
    {
        if (!view)
            return WT_Result_Success;
        const std::array<int, 2> shape = view->dimensionDataShape();
        const long long declared = static_cast<long long>(shape[0]) * shape[1];
        if (declared <= 0)
            return WT_Result_Success;
        std::vector<double> data = view->dimensionData();
        if (static_cast<unsigned long long>(declared) > data.size())
        {
            ReportPublishError(kWhere);
            return WT_Result_Success;
        }
        data.resize(static_cast<std::size_t>(declared));
        const std::vector<std::u16string> texts = view->dimensionTexts();
        std::size_t count = 0;
        if (!annot::CountAt(data, 0, count))
        {
            ReportPublishError(kWhere);
            return WT_Result_Success;
        }
        const double s = sheet_.scale;
        const double viewAngle = view_ ? view_->rotationAngle() : 0.0;
        // Segment ends: scaled by the view, turned with it, then moved.
        auto place = [&](const double* p)
        {
            double x = std::trunc(transform.scale * s * p[0]);
            double y = std::trunc(transform.scale * s * p[1]);
            if (view_)
            {
                const HostPoint turned = w2dout::Rotate(HostPoint{x, y, 0.0}, viewAngle);
                x = turned.x;
                y = turned.y;
            }
            return SheetPosition(std::trunc(x + s * transform.xOffset),
                                 std::trunc(y + s * transform.yOffset));
        };
        std::size_t offset = 1;
        for (std::size_t d = 0; d < count; ++d)
        {
            std::size_t m = 0;
            if (!annot::CountAt(data, offset + 1, m) ||
                !annot::Fits(data, offset, kDimensionFixed + 7 * m))
            {
                ReportPublishError(kWhere);
                return WT_Result_Success;
            }
            const double* record = data.data() + offset;
            offset += kDimensionFixed + 7 * m;
            const std::u16string text = d < texts.size() ? texts[d] : std::u16string();

            for (std::size_t i = 0; i < m; ++i)
            {
                const double* segment = record + 2 + 7 * i;
                w2dout::SetFill(file, false);
                annot::SetLinePattern(file, WT_Line_Pattern::Medium_Dash_Short_Dash_Short_Dash);
                WT_Attribute_Set& desired = file.desired_rendition();
                desired.color().set(0, desired.color_map());
                desired.mark_changed(WT_Attribute_Set::Color_Bit | WT_Attribute_Set::Color_Map_Bit);
                WT_CHECK(w2dout::WritePlacedPolyline(file, {place(segment + 1), place(segment + 4)},
                                                     {kWhere, u"A dimension line"}));
            }

            const double* arrows = record + 2 + 7 * m;
            const double* textAt = arrows + 2 * kArrowFields;
            const double height = textAt[6];
            if (!text.empty())
            {
                WT_Font& font = file.desired_rendition().font();
                font.height().set(SaturateToInt32(s * height));
                file.desired_rendition().mark_changed(WT_Attribute_Set::Font_Bit);
                // Moved left and down by a share of the text's own height,
                // which lies the same on paper whatever the sheet's size.
                const double offset = kDimensionTextOffset * s * height;
                SheetPosition written[2];
                for (int t = 0; t < 2; ++t)
                {
                    const double* p = textAt + 3 * t;
                    written[t] =
                        SheetPosition(std::trunc(s * p[0] - offset), std::trunc(s * p[1] - offset));
                    // Two equal positions are one text, not two on top of
                    // each other.
                    if (t == 1 && written[1].x == written[0].x && written[1].y == written[0].y)
                        break;
                    if (const char16_t* why = w2dout::TextPlacementFault(written[t], s * height))
                    {
                        w2dout::LeaveOut(
                            {kWhere, u"The dimension text \"" + w2dout::Excerpt(text) + u"\""},
                            why);
                        continue;
                    }
                    WT_CHECK(WT_Text(w2dout::ToLogical(written[t]),
                                     w2dout::FittedText(file, text, kWhere))
                                 .serialize(file));
                }
            }
            for (int h = 0; h < 2; ++h)
            {
                const double* arrow = arrows + kArrowFields * h;
                WT_CHECK(DrawArrowHead(file, SheetPoint(sheet_, arrow[0], arrow[1]),
                                       SheetPoint(sheet_, arrow[3], arrow[4]), s * arrow[6],
                                       s * arrow[7], arrow[8]));
            }
        }
    }
    catch (...)
    {
        ReportPublishError(kWhere);
    }
    return WT_Result_Success;
}
