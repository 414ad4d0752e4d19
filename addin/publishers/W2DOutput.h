#pragma once
// The W2D side of the drawing path: the per-sheet context, the placing of
// host doubles on the sheet and their way into the stream's integers (cut to
// the stream's range, or left out with a message), the rendition setters and
// the point writers shared by every operation of the 2D graphics writer and
// the symbol drawer.
#include "addin/publishers/StreamRange.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/result.h"
#include "dwf/w2dtk/string.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class WT_File;

namespace w2dout
{

// W2D angle units: 65536 to a full turn, counter-clockwise from the x axis.
constexpr double kRadiansToW2D = 10430.378350470453;   // 65536 / 2π
constexpr double kW2DToRadians = 9.587379924285257e-5; // 2π / 65536
// Font rotations use 65535 to a turn.
constexpr double kRadiansToFontRotation = 10430.219195527361;
constexpr double kPi = 3.14159265358979323846;

// What one sheet's writers share: the factor from drawing units to W2D
// units (1000 × 13636.5209555 / the larger paper side in millimetres).
struct SheetContext
{
    double scale = 1.0;
};

// Places view coordinates on the sheet: (k·x + ox, k·y + oy).
struct ViewTransform
{
    double xOffset = 0.0;
    double yOffset = 0.0;
    double scale = 1.0;
};

struct HostPoint
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Truncation toward zero into the signed 32-bit range: NaN gives 0 and
// anything beyond the range (infinities included) its nearest end.
std::int32_t SaturateToInt32(double value);
// A W2D angle (or any 16-bit field) from a double: truncated as above, then
// its low 16 bits.
std::uint16_t ToUInt16(double value);
// The arc cosine of a value clamped to [-1, 1], so that rounding just past
// either end gives 0 or π instead of NaN.
double ClampedAcos(double value);

// A host point under the view transform, in W2D logical units as worked
// out (see StreamRange.h for how it reaches the stream).
SheetPosition Place(const SheetContext& sheet, const ViewTransform& transform, double x, double y);
// A host length under the view transform, in W2D logical units as worked
// out.
double PlaceLength(const SheetContext& sheet, const ViewTransform& transform, double length);

// How the message that leaves a drawable out of the sheet names it: the
// operation that writes it and the words for it ("A sketch arc").
struct Named
{
    const char* where = "";
    std::u16string_view what;
};
// Reports that `named` is left out of the sheet, and why: the sheet stays
// whole but no longer shows everything its document holds.
void LeaveOut(const Named& named, std::u16string_view why);
// Why a drawable whose points could not be worked out is left out.
extern const char16_t* const kNotFiniteOnSheet;
// Why a drawable placed at `position` (as texts and symbols are) cannot be
// written, or null when it can.
const char16_t* PositionFault(const SheetPosition& position);
// The same for a text `fontHeight` W2D units tall.
const char16_t* TextPlacementFault(const SheetPosition& position, double fontHeight);

// A polyline through positions, written as the parts of it that lie in the
// range of the sheet's coordinates; one with a point that is not a finite
// number is left out with the message.
WT_Result WritePlacedPolyline(WT_File& file, const std::vector<SheetPosition>& points,
                              const Named& named);
// A filled polygon, written as the part of its area that lies in the range;
// one with a point that is not a finite number is left out with the message.
WT_Result WritePlacedPolygon(WT_File& file, const std::vector<SheetPosition>& points,
                             const Named& named);

// A filled area bounded by several loops of one face, the first of them
// not necessarily its outer boundary: each loop is cut to the range as
// WritePlacedPolygon cuts it, and what is left is written as one drawable
// in which the loops inside the outer one are holes. One loop left is a
// polygon; two or more are one contour set, the largest loop turning
// counter-clockwise and every other clockwise, so that a reader fills it
// alike by the even-odd and by the nonzero winding rule. An area with a
// point that is not a finite number is left out with the message.
WT_Result WritePlacedArea(WT_File& file, const std::vector<std::vector<SheetPosition>>& loops,
                          const Named& named);

// An ellipse as the stream holds it.
struct StreamEllipse
{
    WT_Logical_Point centre;
    std::int32_t major = 0;
    std::int32_t minor = 0;
};
// Where an ellipse about `centre` with the given radii (W2D units as worked
// out) is written; false when it is not. Radii that truncate to nothing
// draw nothing. An ellipse cannot be cut along its own lines: one whose
// centre or radius lies beyond the range of the sheet's coordinates is left
// out with the message.
bool PlaceEllipse(const SheetPosition& centre, double major, double minor, const Named& named,
                  StreamEllipse& placed);

// Rendition setters: each stores the value into the file's desired
// rendition and marks it changed, so the next drawable writes it.
// Host colours are laid out 0x00BBGGRR; they become RGBA with alpha 255.
void SetColor(WT_File& file, std::int32_t hostColour);
// Host sketch line style to W2D line pattern.
void SetSketchLineStyle(WT_File& file, std::int32_t lineStyle);
// Display-data line style: 6 centre line, 7 keeps the current pattern.
void SetDisplaydataLineStyle(WT_File& file, std::int32_t lineStyle);
// Host line weight code: -1 and 0 thinnest, 1 to 7 in steps of 20; any
// other code keeps the weight in force.
void SetLineWeight(WT_File& file, std::int32_t weightCode);
// A weight in W2D units, as ellipses and parabolas set it.
void SetLineWeightValue(WT_File& file, std::int64_t weight);
void SetFill(WT_File& file, bool on);
// The fill pattern of hatch polygons.
void SetFillMode(WT_File& file);

// The W2D pattern for a host line style (exposed for the tests of callers).
std::int32_t LinePatternForSketchStyle(std::int32_t lineStyle);

// Maps `count` host points and writes them as a polyline: one, or its parts
// that lie in the range of the sheet's coordinates (see
// WritePlacedPolyline). Fewer than two points write nothing.
WT_Result WritePolyline(WT_File& file, const SheetContext& sheet, std::size_t count,
                        const HostPoint* points, const ViewTransform& transform,
                        const Named& named = {"WritePolyline", u"A line"});

// How far an arc turns as the document gives it, before its ends become
// stream angles: counter-clockwise, in W2D angle units within [0, 65536],
// and whether it is the whole turn (its ends coincide).
struct ArcSweep
{
    double units = 0.0;
    bool whole = false;
};

// A circular arc from start to end about centre, counter-clockwise
// (direction +1) or clockwise (-1); the whole circle when start and end
// coincide. A zero radius writes nothing; an arc beyond the range of the
// sheet's coordinates is left out (see PlaceEllipse).
WT_Result WriteOutlineEllipse(WT_File& file, const SheetContext& sheet, const HostPoint& centre,
                              const HostPoint& start, const HostPoint& end,
                              const ViewTransform& transform, int direction,
                              const Named& named = {"WriteOutlineEllipse", u"An arc"});
// The same arc drawn through points that were turned on their way from the
// document: its sweep is the one `sweep` took from the document's own
// numbers, which turning may have rounded away.
WT_Result WriteOutlineEllipse(WT_File& file, const SheetContext& sheet, const HostPoint& centre,
                              const HostPoint& start, const HostPoint& end,
                              const ViewTransform& transform, int direction, const ArcSweep& sweep,
                              const Named& named = {"WriteOutlineEllipse", u"An arc"});
// The direction from `from` to `to` in W2D angle units, in [0, 65536).
double GetW2DAngle(const HostPoint& from, const HostPoint& to);

// The sweep of a circular arc about `centre` from `start` to `end` (z
// ignored), counter-clockwise, or for direction -1 clockwise: then it is
// the counter-clockwise sweep from end to start, the way the stream draws
// the arc.
ArcSweep CircularArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                          int direction);
// The counter-clockwise sweep from `start` to `end` (z ignored) in the
// parametric angle of an ellipse about `centre` with radii a and b, its
// major axis along the unit vector (axisX, axisY) and its minor axis a
// quarter turn counter-clockwise from it.
ArcSweep EllipticArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                          double axisX, double axisY, double a, double b);
// The counter-clockwise sweep about the unit vector `axis` from `start` to
// `end` of a circle in space about `centre`: how a tilted circle's arc
// turns, whatever the sheet shows of it.
ArcSweep AxialArcSweep(const HostPoint& centre, const HostPoint& start, const HostPoint& end,
                       const HostPoint& axis);

// An arc's start and end as the stream holds them, counter-clockwise from
// start to end; equal values make the whole turn.
struct StreamArc
{
    std::uint16_t start = 0;
    std::uint16_t end = 0;
};
// The stream angles of an arc whose ends lie at `start` and `end` (W2D
// angle units, not yet truncated) and which turns by `sweep`. The ends are
// truncated; the sweep between them follows the document's, not what the
// ends truncate to: within the one unit that truncating them can gain or
// lose, never less than one unit and never more than all but one. Only a
// whole arc becomes the whole turn.
StreamArc ArcAngles(double start, double end, const ArcSweep& sweep);
// Whether an arc's start and end are one point on the sheet, as the
// document gives them (before any rounding).
bool EndsCoincide(const HostPoint& start, const HostPoint& end);

// Characters of a UTF-16 text as a reader counts them: a surrogate pair
// once, a lone surrogate once as well.
std::size_t CharacterCount(std::u16string_view text);
// The beginning of `text` for a message: its first kExcerptCharacters
// characters of its first line (never half a pair), with "…" after them
// when the text goes on.
constexpr std::size_t kExcerptCharacters = 40;
std::u16string Excerpt(std::u16string_view text);

// How many code units of `text` one W2D string of `file` carries so that
// its reader takes it back: the text up to its first NUL (as a C string of
// the host's ends there), or, beyond what the stream allows, its longest
// beginning that fits and ends on a whole character. The stream counts an
// ASCII string in bytes and any other in UTF-16 code units, so a character
// beyond U+FFFF takes two.
std::size_t StreamLength(const WT_File& file, const std::u16string& text);

// `text` as `file` can write it (see StreamLength). A text too long for
// that is cut and the cut is reported as a failure of `where` (the text is
// no longer what the drawing says), in characters; the rest of the drawing
// goes on.
std::u16string FitText(const WT_File& file, const std::u16string& text, const char* where);
// FitText as the W2D string written.
WT_String FittedText(const WT_File& file, const std::u16string& text, const char* where);

// Rotates (x, y) about the origin by `angle` radians; z stays.
HostPoint Rotate(const HostPoint& point, double angle);

} // namespace w2dout
