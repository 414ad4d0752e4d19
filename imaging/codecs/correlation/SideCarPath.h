#pragma once
// Names of side-car files: splitting an image path into folder, base name
// and extension, the world-file extensions that belong to an image's
// extension, and finding which spelling of a side-car name exists. Paths are
// the UTF-8 bytes of a FileSpecifier; both '/' and '\\' separate folders.
// The file system is case-sensitive here while side-car names are usually
// written in one case whatever the image's case, so a name is tried as
// derived, then in lower case, then in upper case.
#include <string>
#include <vector>

namespace Omvi::SideCarPath
{

struct Parts
{
    std::string folder;     // drive and folders, with the trailing separator
    std::string base;       // the name without its extension
    std::string extension;  // from the last dot of the name on; empty without one
};

Parts split(const std::string& path);

// The world-file extensions tried for an image extension `x` (with its dot),
// in order: for a dot and three characters (".tif") dot, first, last, "w"
// (".tfw") then dot, first two, "w" (".tiw"); for any other x, x with its
// last character replaced by "w" (empty x: "w") then x followed by "w". A
// candidate equal to x is left out.
std::vector<std::string> worldFileExtensions(const std::string& x);

// The extension as given, in lower case and in upper case (ASCII letters),
// each once.
std::vector<std::string> caseVariants(const std::string& extension);

// True when `path` (UTF-8) names a regular file this process can read.
bool isReadableFile(const std::string& path);

// The path as the file system takes it.
std::string native(const std::string& path);

} // namespace Omvi::SideCarPath
