#include "platform/font/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

namespace platform
{

// FreeType's library object may be used by one thread at a time when faces
// are made or dropped; every face holds it alive and takes its lock then.
struct FontFace::Library
{
    FT_Library handle = nullptr;
    std::mutex lock;
    ~Library()
    {
        if (handle)
            FT_Done_FreeType(handle);
    }
    static std::shared_ptr<Library> get(std::string& why)
    {
        static std::mutex made;
        static std::weak_ptr<Library> current;
        std::lock_guard<std::mutex> guard(made);
        std::shared_ptr<Library> library = current.lock();
        if (library)
            return library;
        library = std::make_shared<Library>();
        if (FT_Init_FreeType(&library->handle) != 0)
        {
            library->handle = nullptr;
            why = "the font engine could not be started";
            return nullptr;
        }
        current = library;
        return library;
    }
};

namespace
{
constexpr std::int32_t kNotLookedUp = -2;
constexpr std::int32_t kNoGlyph = -1;
constexpr char32_t kLastCharacter = 0x10FFFF;
} // namespace

std::unique_ptr<FontFace> FontFace::open(const std::string& file, int index, std::string& why)
{
    std::shared_ptr<Library> library = Library::get(why);
    if (!library)
        return nullptr;
    std::unique_ptr<FontFace> face(new FontFace);
    face->library_ = library;
    face->file_ = file;
    FT_Face handle = nullptr;
    {
        std::lock_guard<std::mutex> guard(library->lock);
        if (FT_New_Face(library->handle, file.c_str(), index, &handle) != 0)
        {
            why = "the font file " + file + " could not be read as a font";
            return nullptr;
        }
    }
    face->face_ = handle;
    if (!FT_IS_SCALABLE(handle) || handle->units_per_EM == 0)
    {
        why = "the font file " + file + " holds no scalable outlines";
        return nullptr; // the destructor drops the handle
    }
    face->family_ = handle->family_name ? handle->family_name : "";

    // The platform's cell is the face's Windows ascent and descent; faces
    // without that table fall back on the horizontal header's.
    FontMetrics& metrics = face->metrics_;
    metrics.emSquare = handle->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(handle, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
    {
        metrics.ascent = os2->usWinAscent;
        metrics.descent = os2->usWinDescent;
    }
    else
    {
        metrics.ascent = handle->ascender;
        metrics.descent = -handle->descender;
    }
    if (metrics.cellHeight() <= 0)
    {
        why = "the font file " + file + " gives no character cell height";
        return nullptr;
    }
    face->pages_.resize((kLastCharacter >> 8) + 1);
    return face;
}

FontFace::~FontFace()
{
    if (face_ && library_)
    {
        std::lock_guard<std::mutex> guard(library_->lock);
        FT_Done_Face(static_cast<FT_Face>(face_));
    }
}

std::int32_t FontFace::lookUp(char32_t character) const
{
    if (character > kLastCharacter || (character >= 0xD800 && character <= 0xDFFF))
        return kNoGlyph;
    std::unique_ptr<std::array<std::int32_t, 256>>& page = pages_[character >> 8];
    if (!page)
    {
        page = std::make_unique<std::array<std::int32_t, 256>>();
        page->fill(kNotLookedUp);
    }
    std::int32_t& slot = (*page)[character & 0xFF];
    if (slot == kNotLookedUp)
    {
        FT_Face face = static_cast<FT_Face>(face_);
        const FT_UInt glyph = FT_Get_Char_Index(face, character);
        FT_Fixed advance = 0;
        if (glyph == 0 || FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0)
            slot = kNoGlyph;
        else
            slot = static_cast<std::int32_t>(advance);
    }
    return slot;
}

std::int32_t FontFace::advance(char32_t character) const
{
    std::lock_guard<std::mutex> guard(lock_);
    return lookUp(character);
}

TextMeasure FontFace::measure(const std::u16string& text) const
{
    TextMeasure result;
    std::lock_guard<std::mutex> guard(lock_);
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char32_t character = text[i];
        const std::size_t first = i;
        if (character >= 0xD800 && character <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
        {
            character = 0x10000 + ((character - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        const std::int32_t advance = lookUp(character);
        if (advance < 0)
            result.missing.push_back(first);
        else
            result.width += advance;
    }
    return result;
}

} // namespace platform
