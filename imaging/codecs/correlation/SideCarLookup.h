#pragma once
// Finding the side-car file of an image: through the session's correlation
// option when one is set, else beside the image in the file system.
#include "imaging/FileSpecifier.h"

#include <optional>
#include <string>
#include <vector>

namespace Omvi
{

class CorrelationOptionInterface;
class ImageFormatCodec;

namespace SideCarLookup
{

// The first readable side-car for the extensions tried in order. With an
// option (and a codec to name) the option resolves each extension; without
// one the image must be a file (kind 0, a path) and each extension is tried
// beside it as given, in lower case and in upper case.
std::optional<FileSpecifier> find(const ImageFormatCodec* codec, const FileSpecifier& image,
                                  const CorrelationOptionInterface* option,
                                  const std::vector<std::string>& extensions);

// A kind-0 specifier for a UTF-8 path.
FileSpecifier fileFor(const std::string& path);

// The path bytes of a specifier (up to the first NUL).
std::string pathOf(const FileSpecifier& file);

// Whether the image is a file the lookup can look beside.
bool isPlainFile(const FileSpecifier& image);

} // namespace SideCarLookup
} // namespace Omvi
