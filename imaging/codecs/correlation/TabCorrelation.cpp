#include "imaging/codecs/correlation/TabCorrelation.h"

#include "dwfcore/RegularFile.h"
#include "imaging/codecs/correlation/CorrelationStrings.h"
#include "imaging/codecs/correlation/SideCarLookup.h"
#include "imaging/codecs/correlation/SideCarPath.h"
#include "imaging/codecs/strings/CLocaleNumbers.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Omvi
{
namespace
{

constexpr const char* kExtension = ".tab";
constexpr long kFileLimit = 1 << 20;

struct ControlPoint
{
    double x;
    double y;
    long column;
    long row;
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads a file shorter than the limit whole.
std::optional<std::string> readFile(const std::string& path)
{
    File file(DWFCore::openRegularFileStream(SideCarPath::native(path)));
    if (!file)
        return std::nullopt;
    std::string text;
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
    {
        text.append(buffer, count);
        if (text.size() >= static_cast<std::size_t>(kFileLimit))
            return std::nullopt;
    }
    return text;
}

// Matches "( x , y ) ( column , row )": blanks may stand around every
// punctuation mark.
class PointParser
{
public:
    explicit PointParser(const std::string& line) : text_(line.c_str()) {}

    std::optional<ControlPoint> parse()
    {
        ControlPoint point{};
        if (!punctuation('(') || !number(point.x) || !punctuation(',') || !number(point.y) || !punctuation(')') ||
            !punctuation('(') || !integer(point.column) || !punctuation(',') || !integer(point.row) ||
            !punctuation(')'))
            return std::nullopt;
        return point;
    }

private:
    void skipBlanks()
    {
        while (std::isspace(static_cast<unsigned char>(*text_)))
            ++text_;
    }
    bool punctuation(char mark)
    {
        skipBlanks();
        if (*text_ != mark)
            return false;
        ++text_;
        return true;
    }
    bool number(double& out)
    {
        const auto value = CLocaleNumbers::parseDouble(text_, &text_);
        if (!value)
            return false;
        out = *value;
        return true;
    }
    bool integer(long& out)
    {
        const auto value = CLocaleNumbers::parseLong(text_, &text_);
        if (!value)
            return false;
        out = *value;
        return true;
    }

    const char* text_;
};

std::vector<ControlPoint> controlPoints(const std::string& text)
{
    std::vector<ControlPoint> points;
    std::size_t start = 0;
    while (start <= text.size() && points.size() < static_cast<std::size_t>(FormatCodecTabCorrelation::kMaximumPoints))
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line;
        for (std::size_t i = start; i < end; ++i)
            if (text[i] != '\r')
                line.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
        start = end + 1;
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos)
            continue;
        line.erase(0, first);
        if (line[0] == '!' || line.compare(0, 4, "type") == 0)
            continue;
        if (const auto point = PointParser(line).parse())
            points.push_back(*point);
    }
    return points;
}

// Pixels per model unit along one axis: the ratio of the summed steps, kept
// from the last step at which both sums were non-zero.
double pixelsPerUnit(const std::vector<ControlPoint>& points, double start, bool columns)
{
    double factor = start;
    double model = 0.0;
    double pixels = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i)
    {
        model += columns ? points[i].x - points[i - 1].x : points[i].y - points[i - 1].y;
        pixels += columns ? static_cast<double>(points[i].column - points[i - 1].column)
                          : static_cast<double>(points[i].row - points[i - 1].row);
        if (model != 0.0 && pixels != 0.0)
            factor = pixels / model;
    }
    return factor;
}

} // namespace

FormatCodecTabCorrelation::FormatCodecTabCorrelation(const ImageFormatCodec* codec, const FileSpecifier& image,
                                                     const CorrelationOptionInterface* option)
{
    setValid(false);
    const auto found = SideCarLookup::find(codec, image, option, {kExtension});
    if (!found)
        return;
    setSideCarFile(*found);
    loadTexts(CorrelationStringId::kTabName, CorrelationStringId::kTabDescription);
    setValid(true);
}

FormatCodecTabCorrelation::FormatCodecTabCorrelation(const FormatCodecTabCorrelation& other) = default;

FormatCodecTabCorrelation::~FormatCodecTabCorrelation() = default;

FormatCodecTabCorrelation* FormatCodecTabCorrelation::clone() const
{
    return new FormatCodecTabCorrelation(*this);
}

void FormatCodecTabCorrelation::read()
{
    if (!isValid())
        return;
    setValid(false);
    const auto text = readFile(SideCarLookup::pathOf(sideCarFile()));
    if (!text)
        return;
    const std::vector<ControlPoint> points = controlPoints(*text);
    if (points.empty())
        return;

    double columnFactor = pixelsPerUnit(points, pixelSize().x, true);
    double rowFactor = pixelsPerUnit(points, pixelSize().y, false);
    // A factor of 0 (a pixel size set to 0 before reading) places nothing.
    if (columnFactor == 0.0)
        columnFactor = 1.0;
    if (rowFactor == 0.0)
        rowFactor = 1.0;

    Point3d place;
    place.x = points[0].x - static_cast<double>(points[0].column) / columnFactor;
    for (const ControlPoint& point : points)
        if (point.column == 0)
        {
            place.x = point.x;
            break;
        }
    place.y = points[0].y - static_cast<double>(points[0].row) / rowFactor;
    for (const ControlPoint& point : points)
        if (point.row == 0)
        {
            place.y = point.y;
            break;
        }
    place.x -= 0.5 / columnFactor;
    place.y = place.y + imageHeight() / rowFactor - 0.5 / rowFactor;
    rowFactor = -rowFactor;

    columnFactor = columnFactor == 0.0 ? 1.0 : std::fabs(columnFactor);
    rowFactor = rowFactor == 0.0 ? 1.0 : std::fabs(rowFactor);
    setOrigin(place);
    setPixelSize(Vector2d(1.0 / columnFactor, 1.0 / rowFactor));
    setScale(Vector2d(1.0, 1.0));
    setRotation(0.0);
    setUnit(kUnitNone);
    setValid(true);
}

} // namespace Omvi
