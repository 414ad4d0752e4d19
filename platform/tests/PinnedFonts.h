#pragma once
// The installed fonts that tests depending on text widths were pinned on:
// the Liberation fonts 1.07.4 that fonts-liberation installs, which
// fontconfig gives for Arial, Times New Roman and Courier New. Widths
// quoted in tests were read from these files (advance tables summed
// character by character by an independent reader, the Windows metrics
// from the OS/2 table); another release may differ, so a test skips when
// the installed file is not the one it was pinned on.
#include "platform/font/FontService.h"

#include <sys/stat.h>

#include <memory>
#include <string>

namespace font_test
{

struct PinnedFont
{
    const char16_t* name;
    const char* file;
    long long size;
};
inline const PinnedFont kSans{u"Arial", "LiberationSans-Regular.ttf", 139512};
inline const PinnedFont kSerif{u"Times New Roman", "LiberationSerif-Regular.ttf", 152408};
inline const PinnedFont kMono{u"Courier New", "LiberationMono-Regular.ttf", 108172};

inline bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The face, or nothing with the reason the test is skipped in `skip`;
// `pinned` says what the test took from the file.
inline std::shared_ptr<const platform::FontFace>
Pinned(const PinnedFont& font, std::string& skip, const std::string& pinned = "the widths were")
{
    std::shared_ptr<const platform::FontFace> face = platform::FontService::shared().face(font.name);
    struct stat info{};
    if (!face)
        skip = "no font answers to the name (install fonts-liberation): " +
               platform::FontService::shared().failure(font.name);
    else if (!EndsWith(face->file(), std::string("/") + font.file) ||
             ::stat(face->file().c_str(), &info) != 0 || info.st_size != font.size)
        skip = pinned + " pinned on " + std::string(font.file) + " of " +
               std::to_string(font.size) + " bytes; found " + face->file();
    else
        return face;
    return nullptr;
}

} // namespace font_test
