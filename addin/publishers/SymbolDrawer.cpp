#include "addin/publishers/SymbolDrawer.h"

#include "addin/ErrorReport.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "dwf/w2dtk/text.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"

#include <algorithm>
#include <cmath>
#include <utility>

using w2dout::SaturateToInt32;
using w2dout::ToUInt16;

std::string SymbolFilePath()
{
    const std::u16string folder = platform::hostDataFolder();
    if (folder.empty())
        return std::string();
    return platform::path::toNative(platform::path::join(folder, u"lang/english/Gtol.sym"));
}

namespace
{
// Where a part of a symbol that is left out is reported from.
const char* const kWhere = "CSymbolDrawer::Draw";

// Symbol names and texts are 8-bit in the symbol file; characters beyond
// that range cannot occur in it.
std::string Narrow(const std::u16string& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text)
        narrow.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return narrow;
}

std::u16string Widen(const std::string& text)
{
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}
} // namespace

CSymbolDrawer::CSymbolDrawer() : CSymbolDrawer(SymbolFilePath()) {}

CSymbolDrawer::CSymbolDrawer(const std::string& symbolFilePath) : reader_(symbolFilePath)
{
    reader_.OpenFile();
}

CSymbolDrawer::~CSymbolDrawer()
{
    reader_.ReleaseData();
}

void CSymbolDrawer::ReportMissingSymbol()
{
    // A symbol left out changes what the sheet says: the user hears of it,
    // once for the file and once for each code it lacks.
    if (!reader_.Failure().empty())
    {
        if (fileReported_)
            return;
        fileReported_ = true;
        const std::u16string why = platform::path::fromNative(reader_.Failure());
        const std::u16string reason = reader_.Path().empty()
                                          ? u"There is no symbol file: " + why
                                          : u"The symbol file '" +
                                                platform::path::fromNative(reader_.Path()) +
                                                u"' cannot be used: " + why;
        ReportPublishError("CSymbolDrawer::Draw", true,
                           reason + u"; symbols in text are left out");
        return;
    }
    const std::u16string code = libraryName_ + u"-" + symbolName_;
    if (!reportedCodes_.insert(code).second)
        return;
    ReportPublishError("CSymbolDrawer::Draw", true,
                       u"The symbol code <" + w2dout::Excerpt(code) +
                           u"> is not in the symbol file '" +
                           platform::path::fromNative(reader_.Path()) + u"'" + u"; it is left out");
}

void CSymbolDrawer::ResetExtent()
{
    extentEmpty_ = true;
    extentMinimum_ = 0.0;
    extentMaximum_ = 0.0;
}

void CSymbolDrawer::Extend(double a, double b)
{
    // A part whose numbers are not finite is not drawn and takes no room.
    if (!std::isfinite(a) || !std::isfinite(b))
        return;
    if (a < b)
        std::swap(a, b);
    if (extentEmpty_)
    {
        extentMaximum_ = a;
        extentMinimum_ = b;
        extentEmpty_ = false;
        return;
    }
    if (a > extentMaximum_)
        extentMaximum_ = a;
    if (b < extentMinimum_)
        extentMinimum_ = b;
}

double CSymbolDrawer::Placement::Scaled(double value) const
{
    return std::trunc(value * factor());
}

w2dout::SheetPosition CSymbolDrawer::Placement::Place(double localX, double localY) const
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return w2dout::SheetPosition(std::trunc(x0 + localX * c - localY * s),
                                 std::trunc(y0 + localX * s + localY * c));
}

std::u16string CSymbolDrawer::PartName(std::u16string_view part) const
{
    return std::u16string(part) + u" of the symbol <" +
           w2dout::Excerpt(libraryName_ + u"-" + symbolName_) + u">";
}

WT_Result CSymbolDrawer::Draw(WT_File& file, const w2dout::SheetContext& sheet, std::int32_t x0,
                              std::int32_t y0, double angle, double scale)
{
    return Walk(&file, sheet, x0, y0, angle, scale);
}

CSymbolDrawer::Extent CSymbolDrawer::Measure(const w2dout::SheetContext& sheet, double scale)
{
    // The drawn extent is kept aside: measuring does not add to it.
    const Extent drawn{extentEmpty_, extentMinimum_, extentMaximum_};
    ResetExtent();
    Walk(nullptr, sheet, 0, 0, 0.0, scale);
    const Extent measured{extentEmpty_, extentMinimum_, extentMaximum_};
    extentEmpty_ = drawn.empty;
    extentMinimum_ = drawn.minimum;
    extentMaximum_ = drawn.maximum;
    return measured;
}

WT_Result CSymbolDrawer::Walk(WT_File* file, const w2dout::SheetContext& sheet, std::int32_t x0,
                              std::int32_t y0, double angle, double scale)
{
    try
    {
        // Every lookup starts at the top of the file, whatever the last one
        // found or failed to find.
        reader_.Rewind();
        reader_.ClearTexts();
        reader_.ClearPoints();
        const bool found =
            reader_.ReadSection(Narrow(libraryName_)) &&
            reader_.ReadSection(Narrow(symbolName_), CSymbolReader::kCollectEntities);
        const CSymbolReader::PointLists lists = reader_.Points();
        reader_.ClearPoints();
        // Measuring says nothing: the drawing that follows reports it once.
        if (file && (!found || !reader_.Failure().empty()))
            ReportMissingSymbol();

        const Placement at{&sheet, x0, y0, angle, scale};
        using Writer = WT_Result (CSymbolDrawer::*)(WT_File*, const Placement&, const Numbers&);
        static const std::pair<const char*, Writer> kOrder[] = {
            {"LINE", &CSymbolDrawer::DrawLine},          {"ARC", &CSymbolDrawer::DrawArc},
            {"CIRCLE", &CSymbolDrawer::DrawCircle},      {"POLY", &CSymbolDrawer::DrawPolygon},
            {"SARC", &CSymbolDrawer::DrawFilledPolygon}, {"TEXT", &CSymbolDrawer::DrawText},
        };
        for (const auto& [keyword, writer] : kOrder)
        {
            const auto found = lists.find(keyword);
            if (found == lists.end())
                continue;
            const WT_Result result = (this->*writer)(file, at, found->second);
            if (result != WT_Result_Success)
                return result;
        }
        return WT_Result_Success;
    }
    catch (...)
    {
        // Measuring says nothing: the drawing that follows meets the same
        // failure and reports it once.
        if (file)
            ReportPublishError("CSymbolDrawer::Draw");
        return WT_Result_Success;
    }
}

WT_Result CSymbolDrawer::DrawLine(WT_File* file, const Placement& at, const Numbers& numbers)
{
    const std::u16string name = file ? PartName(u"A line") : std::u16string();
    for (std::size_t i = 0; i + 4 <= numbers.size(); i += 4)
    {
        const double x1 = at.Scaled(numbers[i]);
        const double y1 = at.Scaled(numbers[i + 1]);
        const double x2 = at.Scaled(numbers[i + 2]);
        const double y2 = at.Scaled(numbers[i + 3]);
        Extend(x1, x2);
        if (!file)
            continue;
        w2dout::SetFill(*file, false);
        WT_CHECK(w2dout::WritePlacedPolyline(*file, {at.Place(x1, y1), at.Place(x2, y2)},
                                             {kWhere, name}));
    }
    return WT_Result_Success;
}

namespace
{
// A whole-degree angle of the symbol file, turned by the symbol's angle, in
// W2D units.
std::uint16_t ArcAngle(float degrees, double angle)
{
    const std::int64_t whole = SaturateToInt32(degrees);
    const std::int64_t units = whole * 65536 / 360;
    return ToUInt16(static_cast<double>(units) + angle * w2dout::kRadiansToW2D);
}
} // namespace

WT_Result CSymbolDrawer::DrawArc(WT_File* file, const Placement& at, const Numbers& numbers)
{
    const std::u16string name = file ? PartName(u"An arc") : std::u16string();
    for (std::size_t i = 0; i + 5 <= numbers.size(); i += 5)
    {
        const double cx = at.Scaled(numbers[i]);
        const double cy = at.Scaled(numbers[i + 1]);
        const double r = at.Scaled(numbers[i + 2]);
        if (!(r > 0))
            continue; // nothing to draw
        Extend(cx - r, cx + r);
        w2dout::StreamEllipse placed;
        if (!file || !w2dout::PlaceEllipse(at.Place(cx, cy), r, r, {kWhere, name}, placed))
            continue;
        w2dout::SetFill(*file, false);
        WT_CHECK(WT_Outline_Ellipse(placed.centre.m_x, placed.centre.m_y, placed.major,
                                    placed.minor, ArcAngle(numbers[i + 3], at.angle),
                                    ArcAngle(numbers[i + 4], at.angle), 0)
                     .serialize(*file));
    }
    return WT_Result_Success;
}

WT_Result CSymbolDrawer::DrawCircle(WT_File* file, const Placement& at, const Numbers& numbers)
{
    const std::u16string name = file ? PartName(u"A circle") : std::u16string();
    for (std::size_t i = 0; i + 3 <= numbers.size(); i += 3)
    {
        const double cx = at.Scaled(numbers[i]);
        const double cy = at.Scaled(numbers[i + 1]);
        const double r = at.Scaled(numbers[i + 2]);
        if (!(r > 0))
            continue;
        Extend(cx - r, cx + r);
        w2dout::StreamEllipse placed;
        if (!file || !w2dout::PlaceEllipse(at.Place(cx, cy), r, r, {kWhere, name}, placed))
            continue;
        w2dout::SetFill(*file, false);
        // Equal start and end angles make the whole turn.
        WT_CHECK(WT_Outline_Ellipse(placed.centre.m_x, placed.centre.m_y, placed.major,
                                    placed.minor, 0, 0, 0)
                     .serialize(*file));
    }
    return WT_Result_Success;
}

WT_Result CSymbolDrawer::DrawPolygon(WT_File* file, const Placement& at, const Numbers& numbers)
{
    const std::u16string name = file ? PartName(u"A triangle") : std::u16string();
    for (std::size_t i = 0; i + 6 <= numbers.size(); i += 6)
    {
        double x[3];
        double y[3];
        for (int k = 0; k < 3; ++k)
        {
            x[k] = at.Scaled(numbers[i + 2 * k]);
            y[k] = at.Scaled(numbers[i + 2 * k + 1]);
        }
        Extend(x[0], x[1]);
        Extend(x[2], x[0]);
        if (!file)
            continue;
        WT_CHECK(w2dout::WritePlacedPolygon(*file,
                                            {at.Place(x[0], y[0]), at.Place(x[1], y[1]),
                                             at.Place(x[2], y[2]), at.Place(x[0], y[0])},
                                            {kWhere, name}));
    }
    return WT_Result_Success;
}

WT_Result CSymbolDrawer::DrawFilledPolygon(WT_File* file, const Placement& at,
                                           const Numbers& numbers)
{
    // A low hump 2.3 wide and 0.6 high, closed on its first point.
    static const double kMark[8][2] = {{0.1, 0},    {0.2, 0.2}, {0.7, 0.45}, {1.2, 0.6},
                                       {1.7, 0.45}, {2.2, 0.2}, {2.3, 0},    {0.1, 0}};
    const double f = at.factor();
    const std::u16string name = file ? PartName(u"An arc mark") : std::u16string();
    for (std::size_t i = 0; i < numbers.size(); ++i)
    {
        std::vector<w2dout::SheetPosition> points;
        // The extent is the whole hump, from its first point to its last,
        // so that text placed after it or a line ending with it clears it.
        double left = 0;
        double right = 0;
        for (int k = 0; k < 8; ++k)
        {
            const double localX = std::trunc(kMark[k][0] * f);
            points.push_back(at.Place(localX, std::trunc(kMark[k][1] * f)));
            left = k == 0 ? localX : std::min(left, localX);
            right = k == 0 ? localX : std::max(right, localX);
        }
        Extend(left, right);
        if (file)
            WT_CHECK(w2dout::WritePlacedPolygon(*file, points, {kWhere, name}));
    }
    return WT_Result_Success;
}

WT_Result CSymbolDrawer::DrawText(WT_File* file, const Placement& at, const Numbers& numbers)
{
    const std::vector<std::string>& texts = reader_.Texts();
    const double f = at.factor();
    std::size_t text = 0;
    for (std::size_t i = 0; i + 3 <= numbers.size() && text < texts.size(); i += 3, ++text)
    {
        Extend(0.0, static_cast<double>(texts[text].size()) * f * 0.5);
        if (!file)
            continue;
        // Moved down and left by a third of the text height before turning.
        const double x = std::trunc(at.Scaled(numbers[i]) - f / 3);
        const double y = std::trunc(at.Scaled(numbers[i + 1]) - f / 3);
        const w2dout::SheetPosition position = at.Place(x, y);
        const std::u16string wide = Widen(texts[text]);
        if (const char16_t* why = w2dout::TextPlacementFault(position, f))
        {
            w2dout::LeaveOut({kWhere, PartName(u"The text \"" + w2dout::Excerpt(wide) + u"\"")},
                             why);
            continue;
        }
        WT_Font& font = file->desired_rendition().font();
        font.rotation().set(ToUInt16(at.angle * w2dout::kRadiansToFontRotation));
        font.height().set(SaturateToInt32(f));
        file->desired_rendition().mark_changed(WT_Attribute_Set::Font_Bit);
        const WT_String fitted = w2dout::FittedText(*file, wide, "CSymbolDrawer::DrawText");
        WT_CHECK(WT_Text(w2dout::ToLogical(position), fitted).serialize(*file));
    }
    return WT_Result_Success;
}
