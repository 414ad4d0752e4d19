#pragma once
// One installed font face opened for measuring: the metrics the platform
// reports for it and the advance widths of its characters, in font units.
// Kerning is left out, as the platform's text extent call leaves it out.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform
{

// The platform's vertical metrics of a face, in font units. The platform
// takes a font's positive height as its character cell, ascent plus descent,
// so text set h tall has an em of h * emSquare / cellHeight().
struct FontMetrics
{
    int emSquare = 0;
    int ascent = 0;
    int descent = 0; // below the baseline, positive
    int cellHeight() const { return ascent + descent; }
};

// The measure of a UTF-16 string: the advances of the characters the face
// has glyphs for, and where the others stand.
struct TextMeasure
{
    double width = 0.0; // font units, characters without a glyph left out
    // Index of the first code unit of each character that has no glyph; a
    // surrogate pair is one character, a lone surrogate one without glyph.
    std::vector<std::size_t> missing;
};

class FontFace
{
public:
    // Opens the face `index` of the font file; nothing when the file is not
    // a scalable font FreeType can read, and then `why` says so.
    static std::unique_ptr<FontFace> open(const std::string& file, int index, std::string& why);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& file() const { return file_; }
    const std::string& family() const { return family_; }
    const FontMetrics& metrics() const { return metrics_; }

    // The advance of one character in font units; -1 when the face has no
    // glyph for it.
    std::int32_t advance(char32_t character) const;
    TextMeasure measure(const std::u16string& text) const;

private:
    struct Library;
    FontFace() = default;
    std::int32_t lookUp(char32_t character) const; // with the lock held

    std::string file_;
    std::string family_;
    FontMetrics metrics_;
    std::shared_ptr<Library> library_;
    void* face_ = nullptr; // FT_Face, kept out of the header
    // Advances already asked for, filled on first use in pages of 256
    // characters: measuring the same text over and over must not go back to
    // the font file each time. -2 marks a character not yet looked up.
    mutable std::mutex lock_;
    mutable std::vector<std::unique_ptr<std::array<std::int32_t, 256>>> pages_;
};

} // namespace platform
