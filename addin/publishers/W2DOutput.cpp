#include "addin/publishers/W2DOutput.h"

#include "addin/ErrorReport.h"
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace w2dout
{

std::int32_t SaturateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kLow = static_cast<double>(std::numeric_limits<std::int32_t>::min());
    constexpr double kHigh = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (value <= kLow)
        return std::numeric_limits<std::int32_t>::min();
    if (value >= kHigh)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value); // truncates toward zero
}

std::uint16_t ToUInt16(double value)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(SaturateToInt32(value)) & 0xFFFFu);
}

std::size_t CharacterCount(std::u16string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        count += !low || i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF;
    }
    return count;
}

namespace
{
bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

std::u16string Decimal(std::size_t value)
{
    return platform::utf8ToUtf16(std::to_string(value));
}
} // namespace

std::u16string Excerpt(std::u16string_view text)
{
    // A message is one line: the excerpt ends at a line break too.
    const std::u16string_view line = text.substr(0, text.find_first_of(u"\n\r"));
    std::size_t units = 0;
    for (std::size_t characters = 0; units < line.size() && characters < kExcerptCharacters;
         ++characters)
        units += IsHighSurrogate(line[units]) && units + 1 < line.size() &&
                         line[units + 1] >= 0xDC00 && line[units + 1] <= 0xDFFF
                     ? 2
                     : 1;
    std::u16string excerpt(line.substr(0, units));
    if (units < text.size())
        excerpt += u"\u2026";
    return excerpt;
}

std::size_t StreamLength(const WT_File& file, const std::u16string& text)
{
    const std::size_t length = std::char_traits<char16_t>::length(text.c_str());
    if (length <= WT_String(length, text.data()).writable_length(file))
        return length;
    // An ASCII beginning may be longer than one that holds any other
    // character: the longer of the two that fit is kept.
    const std::size_t asciiRoom = WT_String("").writable_length(file);
    const std::size_t wideRoom = WT_String(1, u"\u00E9").writable_length(file);
    std::size_t ascii = 0;
    while (ascii < length && ascii < asciiRoom && text[ascii] < 128)
        ++ascii;
    std::size_t keep = std::max(ascii, std::min(length, wideRoom));
    // Never between the two halves of a character beyond U+FFFF.
    if (keep > 0 && IsHighSurrogate(text[keep - 1]))
        --keep;
    return keep;
}

std::u16string FitText(const WT_File& file, const std::u16string& text, const char* where)
{
    const std::size_t keep = StreamLength(file, text);
    const std::u16string_view whole(text.c_str());
    if (keep < whole.size())
        ReportPublishError(where, true,
                           u"A text of " + Decimal(CharacterCount(whole)) +
                               u" characters was cut to its first " +
                               Decimal(CharacterCount(whole.substr(0, keep))) +
                               u", the most one text of the sheet's stream can hold");
    return text.substr(0, keep);
}

WT_String FittedText(const WT_File& file, const std::u16string& text, const char* where)
{
    const std::u16string fitted = FitText(file, text, where);
    return WT_String(fitted.size(), fitted.data());
}

double ClampedAcos(double value)
{
    if (value >= 1.0)
        return 0.0;
    if (value <= -1.0)
        return kPi;
    return std::acos(value); // NaN stays NaN and saturates to 0 later
}

SheetPosition Place(const SheetContext& sheet, const ViewTransform& transform, double x, double y)
{
    return SheetPosition((transform.scale * x + transform.xOffset) * sheet.scale,
                         (transform.scale * y + transform.yOffset) * sheet.scale);
}

double PlaceLength(const SheetContext& sheet, const ViewTransform& transform, double length)
{
    return transform.scale * length * sheet.scale;
}

const char16_t* const kNotFiniteOnSheet = u"its coordinates on the sheet are not finite numbers";

const char16_t* PositionFault(const SheetPosition& position)
{
    if (!IsFinite(position))
        return kNotFiniteOnSheet;
    if (!InStreamRange(position))
        return u"its position lies beyond the range of the sheet's coordinates";
    return nullptr;
}

const char16_t* TextPlacementFault(const SheetPosition& position, double fontHeight)
{
    if (const char16_t* why = PositionFault(position))
        return why;
    if (!InStreamRange(fontHeight))
        return u"its height is beyond the range of the sheet's coordinates";
    return nullptr;
}

void LeaveOut(const Named& named, std::u16string_view why)
{
    ReportPublishError(named.where, true,
                       std::u16string(named.what) + u" is left out: " + std::u16string(why));
}

WT_Result WritePlacedPolyline(WT_File& file, const std::vector<SheetPosition>& points,
                              const Named& named)
{
    if (points.size() < 2)
        return WT_Result_Success;
    if (!std::all_of(points.begin(), points.end(), IsFinite))
    {
        LeaveOut(named, kNotFiniteOnSheet);
        return WT_Result_Success;
    }
    if (points.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return WT_Result_Usage_Error;
    const auto write = [&](const std::vector<WT_Logical_Point>& part)
    { return WT_Polyline(static_cast<int>(part.size()), part.data(), true).serialize(file); };
    // What lies in the range, as nearly everything does, goes as it is.
    if (std::all_of(points.begin(), points.end(),
                    [](const SheetPosition& p) { return InStreamRange(p); }))
    {
        std::vector<WT_Logical_Point> whole;
        whole.reserve(points.size());
        for (const SheetPosition& p : points)
            whole.push_back(ToLogical(p));
        return write(whole);
    }
    for (const std::vector<WT_Logical_Point>& part : ClipPolyline(points))
        WT_CHECK(write(part));
    return WT_Result_Success;
}

WT_Result WritePlacedPolygon(WT_File& file, const std::vector<SheetPosition>& points,
                             const Named& named)
{
    return WritePlacedArea(file, {points}, named);
}

namespace
{
// Twice the signed area a loop encloses: positive when it turns
// counter-clockwise. Worked out from the first point, so that the products
// stay as small as the loop is.
double TwiceSignedArea(const std::vector<WT_Logical_Point>& loop)
{
    const double x0 = loop.front().m_x;
    const double y0 = loop.front().m_y;
    double sum = 0.0;
    for (std::size_t i = 1; i + 1 < loop.size(); ++i)
        sum += (loop[i].m_x - x0) * (loop[i + 1].m_y - y0) -
               (loop[i + 1].m_x - x0) * (loop[i].m_y - y0);
    return sum;
}

// A face has one outer boundary, the loop that encloses the most; the
// others lie inside it. Turned against it, each of them winds the count
// back to zero, as the even-odd rule opens it too.
void TurnHolesAgainstTheBoundary(std::vector<std::vector<WT_Logical_Point>>& loops)
{
    std::vector<double> areas;
    areas.reserve(loops.size());
    for (const std::vector<WT_Logical_Point>& loop : loops)
        areas.push_back(TwiceSignedArea(loop));
    std::size_t outer = 0;
    for (std::size_t i = 1; i < loops.size(); ++i)
        if (std::fabs(areas[i]) > std::fabs(areas[outer]))
            outer = i;
    for (std::size_t i = 0; i < loops.size(); ++i)
        if (i == outer ? areas[i] < 0 : areas[i] > 0)
            std::reverse(loops[i].begin(), loops[i].end());
}
} // namespace

WT_Result WritePlacedArea(WT_File& file, const std::vector<std::vector<SheetPosition>>& loops,
                          const Named& named)
{
    for (const std::vector<SheetPosition>& loop : loops)
        if (!std::all_of(loop.begin(), loop.end(), IsFinite))
        {
            LeaveOut(named, kNotFiniteOnSheet);
            return WT_Result_Success;
        }
    std::vector<std::vector<WT_Logical_Point>> kept;
    std::size_t total = 0;
    for (const std::vector<SheetPosition>& loop : loops)
    {
        std::vector<WT_Logical_Point> clipped = ClipPolygon(loop);
        if (clipped.empty())
            continue; // encloses nothing, or nothing in the range
        total += clipped.size();
        kept.push_back(std::move(clipped));
    }
    if (kept.empty())
        return WT_Result_Success;
    if (kept.size() == 1)
    {
        if (total > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            return WT_Result_Usage_Error;
        return WT_Polygon(static_cast<int>(total), kept[0].data(), true).serialize(file);
    }
    if (total > static_cast<std::size_t>(WT_Contour_Set::Max_Total_Points))
    {
        LeaveOut(named, u"its loops have more points than one area of the sheet's stream holds");
        return WT_Result_Success;
    }
    TurnHolesAgainstTheBoundary(kept);
    std::vector<std::int32_t> counts;
    std::vector<WT_Logical_Point> points;
    counts.reserve(kept.size());
    points.reserve(total);
    for (const std::vector<WT_Logical_Point>& loop : kept)
    {
        counts.push_back(static_cast<std::int32_t>(loop.size()));
        points.insert(points.end(), loop.begin(), loop.end());
    }
    // A polygon forces the fill on and brings its fill pattern along; a
    // contour set takes both from the rendition, so they are set here,
    // after whatever drawable is still waiting to be written.
    SetFill(file, true);
    WT_CHECK(file.dump_delayed_drawable());
    WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Fill_Pattern_Bit));
    return WT_Contour_Set(file, static_cast<int>(counts.size()), counts.data(), points.data())
        .serialize(file);
}

bool PlaceEllipse(const SheetPosition& centre, double major, double minor, const Named& named,
                  StreamEllipse& placed)
{
    const double a = std::trunc(major);
    const double b = std::trunc(minor);
    if (!(a > 0) || !(b > 0))
        return false; // no ellipse to draw, nor where a radius is not a number
    if (!IsFinite(centre))
    {
        LeaveOut(named, kNotFiniteOnSheet);
        return false;
    }
    if (!InStreamRange(centre))
    {
        LeaveOut(named, u"its centre lies beyond the range of the sheet's coordinates");
        return false;
    }
    if (!InStreamRange(a) || !InStreamRange(b))
    {
        LeaveOut(named, u"its radius is beyond the range of the sheet's coordinates");
        return false;
    }
    placed = StreamEllipse{ToLogical(centre), static_cast<std::int32_t>(a),
                           static_cast<std::int32_t>(b)};
    return true;
}

void SetColor(WT_File& file, std::int32_t hostColour)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(hostColour);
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.color() = WT_Color(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                               static_cast<int>((bits >> 16) & 0xFF), 255);
    desired.mark_changed(WT_Attribute_Set::Color_Bit);
}

std::int32_t LinePatternForSketchStyle(std::int32_t lineStyle)
{
    switch (lineStyle)
    {
    case 1:
    case 16:
        return WT_Line_Pattern::ISO_Dash;
    case 2:
        return WT_Line_Pattern::Medium_Dash_Short_Dash_Short_Dash;
    case 3:
    case 6:
        return WT_Line_Pattern::Dash_Dot;
    case 4:
        return WT_Line_Pattern::ISO_Long_Dash_Short_Dash;
    case 5:
        return WT_Line_Pattern::Dotted;
    default:
        return WT_Line_Pattern::Solid;
    }
}

namespace
{
void SetLinePattern(WT_File& file, std::int32_t pattern)
{
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.line_pattern().set(pattern);
    desired.mark_changed(WT_Attribute_Set::Line_Pattern_Bit);
}
} // namespace

void SetSketchLineStyle(WT_File& file, std::int32_t lineStyle)
{
    SetLinePattern(file, LinePatternForSketchStyle(lineStyle));
}

void SetDisplaydataLineStyle(WT_File& file, std::int32_t lineStyle)
{
    if (lineStyle == 7)
        return;
    SetLinePattern(file, lineStyle == 6 ? WT_Line_Pattern::ISO_Long_Dash_Short_Dash
                                        : WT_Line_Pattern::Solid);
}

void SetLineWeight(WT_File& file, std::int32_t weightCode)
{
    if (weightCode == -1 || weightCode == 0)
        SetLineWeightValue(file, 0);
    else if (weightCode >= 1 && weightCode <= 7)
        SetLineWeightValue(file, 20 * weightCode);
}

void SetLineWeightValue(WT_File& file, std::int64_t weight)
{
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.line_weight().set_weight_value(SaturateToInt32(static_cast<double>(weight)));
    desired.mark_changed(WT_Attribute_Set::Line_Weight_Bit);
}

void SetFill(WT_File& file, bool on)
{
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.fill().set(on);
    desired.mark_changed(WT_Attribute_Set::Fill_Bit);
}

void SetFillMode(WT_File& file)
{
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.fill_pattern().set(WT_Fill_Pattern::Solid);
    desired.fill_pattern().set_pattern_scale(1.0);
    desired.mark_changed(WT_Attribute_Set::Fill_Pattern_Bit);
}

WT_Result WritePolyline(WT_File& file, const SheetContext& sheet, std::size_t count,
                        const HostPoint* points, const ViewTransform& transform, const Named& named)
{
    if (count < 2 || points == nullptr)
        return WT_Result_Success;
    if (count > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return WT_Result_Usage_Error;
    std::vector<SheetPosition> placed;
    placed.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        placed.push_back(Place(sheet, transform, points[i].x, points[i].y));
    return WritePlacedPolyline(file, placed, named);
}

double GetW2DAngle(const HostPoint& from, const HostPoint& to)
{
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    if (std::fabs(dx) < 1e-6)
        return to.y > from.y ? 16384.0 : 49152.0;
    double t = std::atan(dy / dx);
    if (dx < 0)
        t += kPi;
    else if (t < 0)
        t += 2 * kPi;
    return t * kRadiansToW2D;
}

WT_Result WriteOutlineEllipse(WT_File& file, const SheetContext& sheet, const HostPoint& centre,
                              const HostPoint& start, const HostPoint& end,
                              const ViewTransform& transform, int direction, const Named& named)
{
    return WriteOutlineEllipse(file, sheet, centre, start, end, transform, direction,
                               CircularArcSweep(centre, start, end, direction), named);
}

WT_Result WriteOutlineEllipse(WT_File& file, const SheetContext& sheet, const HostPoint& centre,
                              const HostPoint& start, const HostPoint& end,
                              const ViewTransform& transform, int direction, const ArcSweep& sweep,
                              const Named& named)
{
    const double radius =
        PlaceLength(sheet, transform, std::hypot(start.x - centre.x, start.y - centre.y));
    StreamEllipse placed;
    if (!PlaceEllipse(Place(sheet, transform, centre.x, centre.y), radius, radius, named, placed))
        return WT_Result_Success; // no circle to draw, and no angle to take
    double startAngle = GetW2DAngle(centre, start);
    double endAngle = GetW2DAngle(centre, end);
    if (direction == -1)
        std::swap(startAngle, endAngle);
    const StreamArc angles = ArcAngles(startAngle, endAngle, sweep);
    WT_Outline_Ellipse arc(placed.centre.m_x, placed.centre.m_y, placed.major, placed.minor,
                           angles.start, angles.end, 0);
    return arc.serialize(file);
}

namespace
{
// a·b − c·d with the rounding error of c·d put back, so that its sign is
// right however nearly the two products cancel: an arc whose ends lie a
// unit in the last place apart turns one way or the other by that much.
double DifferenceOfProducts(double a, double b, double c, double d)
{
    const double cd = c * d;
    const double lost = std::fma(-c, d, cd);
    return std::fma(a, b, -cd) + lost;
}

// The counter-clockwise turn whose sine and cosine are in the ratio of
// `cross` to `dot`, in W2D angle units within [0, 65536].
double CounterClockwiseUnits(double cross, double dot)
{
    double turn = std::atan2(cross, dot);
    if (turn < 0)
        turn += 2 * kPi;
    return turn * kRadiansToW2D;
}
} // namespace

ArcSweep CircularArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                          int direction)
{
    if (direction == -1)
        return EllipticArcSweep(centre, end, start, 1.0, 0.0, 1.0, 1.0);
    return EllipticArcSweep(centre, start, end, 1.0, 0.0, 1.0, 1.0);
}

ArcSweep EllipticArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                          double axisX, double axisY, double a, double b)
{
    ArcSweep sweep;
    sweep.whole = EndsCoincide(start, end);
    // The turn from start to end is taken from the start's offset and the
    // step from start to end, not from the two offsets: ends a few units in
    // the last place apart give a step the subtraction keeps exactly, where
    // their offsets from a far centre could round to one.
    const double sx = start.x - centre.x;
    const double sy = start.y - centre.y;
    const double ex = end.x - centre.x;
    const double ey = end.y - centre.y;
    const double stepX = end.x - start.x;
    const double stepY = end.y - start.y;
    // Seen in the ellipse's own frame, scaled to the unit circle, a point is
    // (cos t, sin t) of its parametric angle t. That map keeps the turning
    // sense and divides cross products by a·b.
    const double cross = DifferenceOfProducts(sx, stepY, sy, stepX) / a / b;
    const double dot = (sx * axisX + sy * axisY) / a * ((ex * axisX + ey * axisY) / a) +
                       (sy * axisX - sx * axisY) / b * ((ey * axisX - ex * axisY) / b);
    sweep.units = CounterClockwiseUnits(cross, dot);
    return sweep;
}

ArcSweep AxialArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                       const HostPoint& axis)
{
    ArcSweep sweep;
    sweep.whole = EndsCoincide(start, end);
    // As in the plane: the start's offset crossed with the step to the end.
    // Only the step's part within the circle's plane turns about the axis,
    // so an end a few units in the last place off the plane turns the way
    // its place along the circle says.
    const HostPoint offset{start.x - centre.x, start.y - centre.y, start.z - centre.z};
    const HostPoint step{end.x - start.x, end.y - start.y, end.z - start.z};
    const HostPoint cross{DifferenceOfProducts(offset.y, step.z, offset.z, step.y),
                          DifferenceOfProducts(offset.z, step.x, offset.x, step.z),
                          DifferenceOfProducts(offset.x, step.y, offset.y, step.x)};
    const double along = axis.x * cross.x + axis.y * cross.y + axis.z * cross.z;
    const double dot = offset.x * (end.x - centre.x) + offset.y * (end.y - centre.y) +
                       offset.z * (end.z - centre.z);
    sweep.units = CounterClockwiseUnits(along, dot);
    return sweep;
}

StreamArc ArcAngles(double start, double end, const ArcSweep& sweep)
{
    StreamArc arc{ToUInt16(start), ToUInt16(end)};
    if (sweep.whole)
    {
        arc.end = arc.start;
        return arc;
    }
    // Truncated apart, the two ends hold the document's sweep give or take
    // one unit, except where it lies within a unit of nothing or of the
    // whole turn: there they may wrap to the far side of the turn (a
    // nearly whole arc read as a sliver, a sliver as nearly whole) or meet
    // (read as the whole turn). The sweep between them is held to the
    // document's.
    const double units =
        std::isnan(sweep.units) ? 0.0 : std::min(std::max(sweep.units, 0.0), 65535.0);
    const long least = std::max(1L, static_cast<long>(units));
    const long most = std::min(65535L, static_cast<long>(units) + 1);
    const long written = static_cast<std::uint16_t>(arc.end - arc.start);
    arc.end = static_cast<std::uint16_t>(arc.start + std::min(std::max(written, least), most));
    return arc;
}

bool EndsCoincide(const HostPoint& start, const HostPoint& end)
{
    return start.x == end.x && start.y == end.y;
}

HostPoint Rotate(const HostPoint& point, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return HostPoint{point.x * c - point.y * s, point.x * s + point.y * c, point.z};
}

} // namespace w2dout
