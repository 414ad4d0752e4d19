#include "imaging/codecs/correlation/WorldCorrelation.h"

#include "dwfcore/RegularFile.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/codecs/correlation/CorrelationStrings.h"
#include "imaging/codecs/correlation/SideCarLookup.h"
#include "imaging/codecs/correlation/SideCarPath.h"
#include "imaging/codecs/strings/CLocaleNumbers.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace Omvi
{
namespace
{

constexpr long kLargestWorldFile = 1023;
// Requests a world file for an image that is not a plain file.
constexpr const char* kNotAFileRequest = "WLD";

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The whole file when it holds 1 to 1023 bytes.
std::optional<std::string> readSmallFile(const std::string& path)
{
    File file(DWFCore::openRegularFileStream(SideCarPath::native(path)));
    if (!file)
        return std::nullopt;
    char buffer[kLargestWorldFile + 1];
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
    if (count < 1 || count > static_cast<std::size_t>(kLargestWorldFile))
        return std::nullopt;
    return std::string(buffer, count);
}

// The six numbers, each read at the start of its line.
std::optional<std::array<double, 6>> parseWorldFile(const std::string& text)
{
    std::array<double, 6> values{};
    std::size_t position = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        if (position >= text.size())
            return std::nullopt;
        const auto value = CLocaleNumbers::parseDouble(text.c_str() + position);
        if (!value)
            return std::nullopt;
        values[i] = *value;
        if (i + 1 == values.size())
            break;
        std::size_t lineEnd = text.find('\n', position);
        if (lineEnd == std::string::npos)
            lineEnd = text.find('\r', position);
        if (lineEnd == std::string::npos)
            return std::nullopt;
        position = text.find_first_not_of("\r\n", lineEnd);
        if (position == std::string::npos)
            return std::nullopt;
    }
    return values;
}

bool isUpperCaseName(const std::string& text)
{
    bool letters = false;
    for (const char c : text)
    {
        if (std::islower(static_cast<unsigned char>(c)))
            return false;
        letters = letters || std::isupper(static_cast<unsigned char>(c));
    }
    return letters;
}

} // namespace

FormatCodecWorldCorrelation::FormatCodecWorldCorrelation(const ImageFormatCodec* codec, const FileSpecifier& image,
                                                         const CorrelationOptionInterface* option)
{
    loadTexts(CorrelationStringId::kWorldName, CorrelationStringId::kWorldDescription);
    setValid(false);
    const bool plainFile = SideCarLookup::isPlainFile(image);
    if (option != nullptr && codec != nullptr && !plainFile)
    {
        // An image that is no file: the option alone knows its world file.
        FileSpecifier found;
        if (option->resolveSideCar(*codec, image, AsciiStringBuffer(kNotAFileRequest), found))
        {
            setSideCarFile(found);
            const SideCarPath::Parts parts = SideCarPath::split(SideCarLookup::pathOf(found));
            setSideCarName(AsciiStringBuffer(parts.base + parts.extension));
            setValid(true);
        }
        return;
    }
    const SideCarPath::Parts parts = SideCarPath::split(SideCarLookup::pathOf(image));
    const auto found =
        SideCarLookup::find(codec, image, option, SideCarPath::worldFileExtensions(parts.extension));
    if (!found)
        return;
    setSideCarFile(*found);
    const SideCarPath::Parts foundParts = SideCarPath::split(SideCarLookup::pathOf(*found));
    setSideCarName(AsciiStringBuffer(foundParts.base + foundParts.extension));
    setValid(true);
}

FormatCodecWorldCorrelation::FormatCodecWorldCorrelation(const FileSpecifier& image)
{
    loadTexts(CorrelationStringId::kWorldName, CorrelationStringId::kWorldDescription);
    setValid(false);
    const SideCarPath::Parts parts = SideCarPath::split(SideCarLookup::pathOf(image));
    const auto extensions = SideCarPath::worldFileExtensions(parts.extension);
    std::string extension = extensions.empty() ? std::string("w") : extensions.front();
    // An image named in capitals gets a world file named in capitals.
    if (isUpperCaseName(parts.extension))
        extension = SideCarPath::caseVariants(extension).back();
    const std::string name = parts.base + extension;
    setSideCarName(AsciiStringBuffer(name));
    setSideCarFile(SideCarLookup::fileFor(parts.folder + name));
    setOutputFolder(SideCarLookup::fileFor(parts.folder));
}

FormatCodecWorldCorrelation::FormatCodecWorldCorrelation(const FormatCodecWorldCorrelation& other) = default;

FormatCodecWorldCorrelation::~FormatCodecWorldCorrelation() = default;

FormatCodecWorldCorrelation* FormatCodecWorldCorrelation::clone() const
{
    return new FormatCodecWorldCorrelation(*this);
}

void FormatCodecWorldCorrelation::setOrigin(const Point3d& origin)
{
    FormatCodecCorrelation::setOrigin(origin);
    setValid(true);
}

void FormatCodecWorldCorrelation::setScale(const Vector2d& scale)
{
    FormatCodecCorrelation::setScale(scale);
    setValid(true);
}

void FormatCodecWorldCorrelation::setRotation(const double& radians)
{
    FormatCodecCorrelation::setRotation(radians);
    setValid(true);
}

void FormatCodecWorldCorrelation::setPixelSize(const Vector2d& size)
{
    FormatCodecCorrelation::setPixelSize(size);
    setValid(true);
}

void FormatCodecWorldCorrelation::setUnit(std::int32_t unit)
{
    FormatCodecCorrelation::setUnit(unit);
    setValid(true);
}

void FormatCodecWorldCorrelation::read()
{
    if (!isValid())
        return;
    setValid(false);
    // Without the image's size no corner can be placed.
    if (imageHeight() < 1 || imageWidth() < 1)
        return;
    const auto text = readSmallFile(SideCarLookup::pathOf(sideCarFile()));
    if (!text)
        return;
    const auto values = parseWorldFile(*text);
    if (!values)
        return;
    const double a = (*values)[0];
    const double d = (*values)[1];
    double b = (*values)[2];
    const double e = (*values)[3];
    const double c = (*values)[4];
    const double f = (*values)[5];
    if (b != 0.0 && d != 0.0 && (b < 0.0) != (d < 0.0))
        b = -b;

    const double lastRow = imageHeight() - 0.5;
    const double lastColumn = imageWidth() - 0.5;
    const Vector2d lowerLeft(c + b * lastRow - a / 2, f + e * lastRow - d / 2);
    const Vector2d lowerRight(c + a * lastColumn + b * lastRow, f + d * lastColumn + e * lastRow);
    const Vector2d upperLeft(c - a / 2 - b / 2, f - d / 2 - e / 2);
    const Vector2d along = lowerRight - lowerLeft;
    const Vector2d up = upperLeft - lowerLeft;

    FormatCodecCorrelation::setOrigin(Point3d{lowerLeft.x, lowerLeft.y, 0.0});
    FormatCodecCorrelation::setScale(Vector2d(1.0, 1.0));
    FormatCodecCorrelation::setPixelSize(Vector2d(along.length() / imageWidth(), up.length() / imageHeight()));
    double turn = along.angleTo(Vector2d(1.0, 0.0));
    if (along.y < 0.0)
        turn = 2 * M_PI - turn;
    FormatCodecCorrelation::setRotation(turn);
    FormatCodecCorrelation::setUnit(kUnitNone);
    setValid(true);
}

void FormatCodecWorldCorrelation::write()
{
    std::string path = SideCarLookup::pathOf(sideCarFile());
    const std::string folder = SideCarLookup::pathOf(outputFolder());
    if (!folder.empty())
    {
        const SideCarPath::Parts name = SideCarPath::split(sideCarName().text());
        path = SideCarPath::split(folder).folder + name.base + name.extension;
        setSideCarFile(SideCarLookup::fileFor(path));
    }
    File file(std::fopen(SideCarPath::native(path).c_str(), "w"));
    if (!file)
        throw new FileIOException("File Create Error", 5);

    Vector2d size;
    getPixelSize(size);
    Vector2d factor;
    getScale(factor);
    const double pixelX = size.x * factor.x;
    const double pixelY = size.y * factor.y;
    const double turn = rotation();
    const double lastRow = imageHeight() - 0.5;
    const double a = pixelX * std::cos(turn);
    const double d = pixelX * std::sin(turn);
    const double b = pixelY * std::sin(turn);
    const double e = -pixelY * std::cos(turn);
    const double c = origin().x + a / 2 - lastRow * b;
    const double f = origin().y + d / 2 - lastRow * e;

    const std::string text = CLocaleNumbers::format("%37.14lf\n%37.14lf\n%37.14lf\n%37.14lf\n%37.14lf\n%37.14lf\n",
                                                    a, d, b, e, c, f);
    const bool written = !text.empty() && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed)
        throw new FileIOException("Unknown Error", 5);
}

} // namespace Omvi
