#pragma once
// Path helpers for names that come from a Windows-minded caller: both '\\'
// and '/' separate components, and joined paths use '/'.
#include <string>
#include <string_view>

namespace platform::path
{

bool isSeparator(char16_t c);

// The text after the last separator (the whole text when there is none).
std::u16string lastComponent(std::u16string_view path);
// The text before the last separator; empty when there is no separator.
std::u16string cutLastComponent(std::u16string_view path);
// The path without its extension: cut before the last dot, but only a dot
// that stands after the last separator counts.
std::u16string withoutExtension(std::u16string_view path);
// The text after the last dot of the last component; empty without a dot.
std::u16string extension(std::u16string_view path);
bool hasExtension(std::u16string_view path);
// Folder and relative name joined with one '/'; every '\\' of either
// becomes '/'. An empty folder leaves the relative name as it is.
std::u16string join(std::u16string_view folder, std::u16string_view relative);
// Every '\\' replaced by '/'.
std::u16string normalized(std::u16string_view path);
// A name from the system is its bytes, UTF-8 or not: fromNative carries
// each byte that is not part of valid UTF-8 as one unpaired surrogate
// U+DC80..U+DCFF, and toNative gives those bytes back (DWFCore's
// decodeNativePath and encodeNativePath), so a name passes through text
// unchanged. toNative also normalizes the separators, ready for the file
// system.
std::string toNative(std::u16string_view path);
std::u16string fromNative(std::string_view path);
// Text that may hold names from fromNative, in the system's bytes again and
// otherwise UTF-8, for a terminal or a log: what a user typed comes back as
// typed. Separators are left as they are.
std::string toNativeText(std::u16string_view text);

// Whether `error`, met looking at a path, says that nothing is at it: no
// such name, or a name on the way that is no folder. Any other failure
// tells nothing of what is there.
bool nothingThere(int error);
// Whether a file is at `path` (links followed). False too when the look
// fails for another reason than that nothing is there; `error` (when given)
// then gets the reason, and 0 otherwise.
bool fileExists(std::u16string_view path, int* error = nullptr);
// Whether anything holds the name: a file, a folder, or a link, even one
// that leads nowhere (fileExists follows links and misses that one).
bool nameTaken(std::u16string_view path);
// Whether the file at `path` (links followed) is read-only: a regular file
// none of whose write permission bits is set. False where nothing is there,
// a link that leads nowhere included. The name is looked at from within its
// folder, as the package is written, so a path longer than the system takes
// whole is looked at when its folder's path is not. A look that fails for
// another reason cannot tell, and a file that may be read-only is not to be
// replaced: the answer is true then, and `error` (when given) gets the
// reason; 0 otherwise.
bool isReadOnlyFile(std::u16string_view path, int* error = nullptr);
// Removes a file; a file that does not exist is not an error.
bool removeFile(std::u16string_view path);

} // namespace platform::path
