#pragma once
// Picture loading and JPEG saving for previews and thumbnails: JPEG (via
// libjpeg) and PNG (via libpng) are read; JPEG is written.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform
{

struct PictureSize
{
    int width = 0;
    int height = 0;
};

// Eight-bit RGB pixels, rows top to bottom without padding.
struct RgbPicture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Pictures larger than this many pixels are refused rather than decoded.
constexpr std::uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

// The pixel size from the file's header; nothing for a file that is not a
// readable JPEG or PNG, and then `why` (when given) says what failed on
// which file, with the system's reason where there is one.
std::optional<PictureSize> readPictureSize(const std::u16string& path, std::string* why = nullptr);

// Decodes a JPEG or PNG file; on failure `error` says why. Every failure of
// these functions names the file and, for a system failure, its reason.
bool loadPicture(const std::u16string& path, RgbPicture& picture, std::string& error);

// Writes an uncompressed 24-bit BMP, the form toolbar images take.
bool saveBitmap(const std::u16string& path, const RgbPicture& picture, std::string& error);

// Writes a baseline JPEG of the given quality (1-100) to the file.
bool saveJpeg(const std::u16string& path, const RgbPicture& picture, int quality,
              std::string& error);

} // namespace platform
