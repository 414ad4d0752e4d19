#include "platform/font/FontService.h"

#include "platform/kernel/Text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

namespace platform
{

namespace
{
bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y)
                      { return std::tolower(x) == std::tolower(y); });
}

// Fontconfig always answers with some font; only an answer among the names
// bound strongly to the one asked for (the name itself and the families the
// configuration declares metric-compatible with it) is that font. The weak
// ones are generic stand-ins whose widths have nothing to do with it.
bool answersTo(FcPattern* asked, FcPattern* found)
{
    FcChar8* family = nullptr;
    for (int f = 0; FcPatternGetString(found, FC_FAMILY, f, &family) == FcResultMatch; ++f)
    {
        FcValue value;
        FcValueBinding binding;
        for (int a = 0;
             FcPatternGetWithBinding(asked, FC_FAMILY, a, &value, &binding) == FcResultMatch; ++a)
        {
            if (binding != FcValueBindingWeak && value.type == FcTypeString &&
                sameName(reinterpret_cast<const char*>(value.u.s),
                         reinterpret_cast<const char*>(family)))
                return true;
        }
    }
    return false;
}
} // namespace

FontService& FontService::shared()
{
    static FontService service;
    return service;
}

FontService::~FontService()
{
    faces_.clear();
    if (config_)
        FcConfigDestroy(static_cast<FcConfig*>(config_));
}

std::shared_ptr<const FontFace> FontService::face(const std::u16string& name, bool bold,
                                                  bool italic)
{
    std::lock_guard<std::mutex> guard(lock_);
    return find(Key(name, bold, italic)).face;
}

std::string FontService::failure(const std::u16string& name, bool bold, bool italic)
{
    std::lock_guard<std::mutex> guard(lock_);
    return find(Key(name, bold, italic)).why;
}

const FontService::Entry& FontService::find(const Key& key)
{
    auto known = faces_.find(key);
    if (known != faces_.end())
        return known->second;
    Entry& entry = faces_[key];
    const std::string name = utf16ToUtf8(std::get<0>(key));
    if (name.empty() || name.find('\0') != std::string::npos)
    {
        entry.why = "no font is named \"" + name + "\"";
        return entry;
    }
    if (!config_)
        config_ = FcInitLoadConfigAndFonts();
    FcConfig* config = static_cast<FcConfig*>(config_);
    if (!config)
    {
        entry.why = "the font configuration could not be loaded";
        return entry;
    }
    FcPattern* asked = FcPatternCreate();
    FcPatternAddString(asked, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(asked, FC_WEIGHT, std::get<1>(key) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(asked, FC_SLANT, std::get<2>(key) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(asked, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, asked, FcMatchPattern);
    FcDefaultSubstitute(asked);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config, asked, &result);
    FcChar8* file = nullptr;
    int index = 0;
    if (!found || FcPatternGetString(found, FC_FILE, 0, &file) != FcResultMatch)
        entry.why = "no font is installed";
    else if (!answersTo(asked, found))
        entry.why = "no installed font answers to \"" + name + "\"";
    else
    {
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        std::unique_ptr<FontFace> face =
            FontFace::open(reinterpret_cast<const char*>(file), index, entry.why);
        entry.face = std::shared_ptr<const FontFace>(std::move(face));
    }
    if (found)
        FcPatternDestroy(found);
    FcPatternDestroy(asked);
    return entry;
}

} // namespace platform
