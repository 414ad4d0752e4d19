#include "addin/publishers/MaterialDatabaseReader.h"

#include "platform/kernel/Path.h"

#include <cerrno>
#include <cstdint>
#include <limits>
#include <sys/stat.h>

const char16_t MaterialDatabaseReader::kLibraryPath[] =
    u"\\lang\\english\\sldmaterials\\host materials.sldmat";
const char16_t MaterialDatabaseReader::kMaterialsPath[] =
    u"mstns:materials/classification/material";

namespace
{
bool IsCBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// The leading integer of a text as strtol reads it into a 64-bit long:
// leading blanks, a sign, the digits up to the first other character,
// saturated beyond 64 bits. `digits` tells whether any digit was there.
std::int64_t LeadingInteger64(std::u16string_view text, bool& digits)
{
    std::size_t i = 0;
    while (i < text.size() && IsCBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(
        std::numeric_limits<std::int64_t>::max()); // + 1 for a negative value
    std::uint64_t magnitude = 0;
    bool saturated = false;
    digits = i < text.size() && text[i] >= u'0' && text[i] <= u'9';
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    {
        const auto digit = static_cast<std::uint64_t>(text[i] - u'0');
        if (!saturated && magnitude > (kLimit + (negative ? 1 : 0) - digit) / 10)
            saturated = true;
        if (!saturated)
            magnitude = magnitude * 10 + digit;
    }
    if (saturated)
        magnitude = kLimit + (negative ? 1 : 0);
    return static_cast<std::int64_t>(negative ? ~magnitude + 1 : magnitude);
}

// The same, cut to 32 bits as the conversion to int does.
int LeadingInteger(const std::u16string& text)
{
    bool digits = false;
    const auto bits = static_cast<std::uint64_t>(LeadingInteger64(text, digits));
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
}

// Why `error`, met opening `path`, leaves the reader without a library: 0
// when nothing is there, no file nor a link (a link to nothing is a library
// that cannot be read). A look at the name that fails for another reason
// than that does not tell of nothing: its reason is the one given.
int ReasonFor(const std::u16string& path, int error)
{
    if (!platform::path::nothingThere(error))
        return error;
    struct stat status;
    if (::lstat(platform::path::toNative(path).c_str(), &status) == 0)
        return error;
    return platform::path::nothingThere(errno) ? 0 : errno;
}
} // namespace

void MaterialDatabaseReader::Load(const std::u16string& path)
{
    if (document_ && path == loadedPath_)
        return;
    document_.reset();
    loadedPath_.clear();
    loadError_ = 0;
    malformed_ = false;
    if (path.empty())
        return;
    document_ = platform::xml::Document::loadFile(path);
    if (document_)
        loadedPath_ = path;
    else if (const int error = errno; error == 0)
        malformed_ = true; // read whole, but no XML
    else
        loadError_ = ReasonFor(path, error);
}

void MaterialDatabaseReader::LoadXml(std::string_view bytes)
{
    loadedPath_.clear();
    loadError_ = 0;
    document_ = platform::xml::Document::parse(bytes);
    malformed_ = !document_;
}

std::vector<platform::xml::Element>
MaterialDatabaseReader::SelectNodes(std::u16string_view xpath) const
{
    if (!document_)
        return {};
    return document_->selectNodes(xpath);
}

std::optional<std::int64_t> MaterialDatabaseReader::MaterialNumber(std::u16string_view id)
{
    const std::size_t bar = id.rfind(u'|');
    bool digits = false;
    const std::int64_t number =
        LeadingInteger64(bar == std::u16string_view::npos ? id : id.substr(bar + 1), digits);
    if (!digits)
        return std::nullopt;
    return number;
}

int MaterialDatabaseReader::MaterialCount() const
{
    return static_cast<int>(SelectNodes(kMaterialsPath).size());
}

bool MaterialDatabaseReader::ReadMaterials(int index)
{
    const auto materials = SelectNodes(kMaterialsPath);
    if (index < 0 || static_cast<std::size_t>(index) >= materials.size())
        return false;
    ReadMaterial(materials[static_cast<std::size_t>(index)]);
    return true;
}

void MaterialDatabaseReader::ReadMaterial(const platform::xml::Element& material)
{
    material_ = Material();
    ReadSwatchColor(material);
    ReadShaders(material);
    ReadCrossHatch(material);
}

void MaterialDatabaseReader::ReadSwatchColor(const platform::xml::Element& material)
{
    const platform::xml::Element swatch = material.selectSingleNode(u"swatchcolor");
    if (!swatch)
        return;
    const auto rgb = static_cast<std::uint32_t>(GetIntAttribute(swatch.attribute(u"RGB")));
    material_.red = static_cast<float>(rgb & 0xFF);
    material_.green = static_cast<float>((rgb >> 8) & 0xFF);
    material_.blue = static_cast<float>((rgb >> 16) & 0xFF);

    const platform::xml::Element values = swatch.firstChild();
    if (!values)
        return;
    const auto attributes = values.attributes();
    const auto at = [&](std::size_t position) -> std::optional<std::u16string>
    {
        if (position < attributes.size())
            return attributes[position].value;
        return std::nullopt;
    };
    static const std::size_t kOrder[6] = {0, 2, 3, 4, 1, 5};
    for (std::size_t i = 0; i < 6; ++i)
        material_.swatch[i] = GetIntValue(at(kOrder[i]));
}

void MaterialDatabaseReader::ReadShaders(const platform::xml::Element& material)
{
    const platform::xml::Element shaders = material.selectSingleNode(u"shaders");
    if (!shaders)
        return;
    const platform::xml::Element last = shaders.lastChild();
    if (!last)
        return;
    const auto attributes = last.attributes();
    material_.textureFileName =
        GetText(attributes.empty() ? std::nullopt
                                   : std::optional<std::u16string>(attributes.front().value));
}

void MaterialDatabaseReader::ReadCrossHatch(const platform::xml::Element& material)
{
    const platform::xml::Element hatch = material.selectSingleNode(u"xhatch");
    if (!hatch)
        return;
    material_.crossHatchAngle = GetIntValue(hatch.attribute(u"angle"));
    material_.crossHatchScale = GetIntValue(hatch.attribute(u"scale"));
}

int MaterialDatabaseReader::GetIntAttribute(const std::optional<std::u16string>& value)
{
    return value ? LeadingInteger(*value) : 0;
}

float MaterialDatabaseReader::GetIntValue(const std::optional<std::u16string>& value)
{
    return static_cast<float>(value ? LeadingInteger(*value) : 0);
}

std::u16string MaterialDatabaseReader::GetText(const std::optional<std::u16string>& value)
{
    return value.value_or(std::u16string());
}
