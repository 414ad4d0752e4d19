#include "imaging/codecs/correlation/SideCarPath.h"

#include "dwfcore/RegularFile.h"
#include "platform/kernel/Path.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Omvi::SideCarPath
{

Parts split(const std::string& path)
{
    Parts parts;
    const std::size_t separator = path.find_last_of("/\\");
    std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    if (separator == std::string::npos && path.size() >= 2 && path[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(path[0])))
        nameStart = 2;  // a drive without a folder
    parts.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
    {
        parts.base = name;
    }
    else
    {
        parts.base = name.substr(0, dot);
        parts.extension = name.substr(dot);
    }
    return parts;
}

std::vector<std::string> worldFileExtensions(const std::string& x)
{
    std::string first;
    std::string second;
    if (x.size() == 4 && x[0] == '.')
    {
        first = std::string(".") + x[1] + x[3] + "w";
        second = std::string(".") + x[1] + x[2] + "w";
    }
    else
    {
        first = x.empty() ? std::string("w") : x.substr(0, x.size() - 1) + "w";
        second = x + "w";
    }
    std::vector<std::string> candidates;
    for (const std::string& candidate : {first, second})
        if (candidate != x && std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
            candidates.push_back(candidate);
    return candidates;
}

std::vector<std::string> caseVariants(const std::string& extension)
{
    std::string lower = extension;
    std::string upper = extension;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::vector<std::string> variants{extension};
    for (const std::string& variant : {lower, upper})
        if (std::find(variants.begin(), variants.end(), variant) == variants.end())
            variants.push_back(variant);
    return variants;
}

std::string native(const std::string& path)
{
    return platform::path::toNative(platform::path::fromNative(path));
}

bool isReadableFile(const std::string& path)
{
    if (path.empty())
        return false;
    const int descriptor = DWFCore::openRegularFile(native(path));
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    return true;
}

} // namespace Omvi::SideCarPath
