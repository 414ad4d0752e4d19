#include "dwfcore/File.h"

namespace DWFCore
{

DWFFile::DWFFile(const char* utf8Path) : _path(utf8Path) {}

DWFFile::DWFFile(const DWFString& path) : _path(path) {}

std::string DWFFile::nativePath() const
{
    return toUTF8(_path);
}

std::string toUTF8(const DWFString& text)
{
    return text.toUTF8();
}

} // namespace DWFCore
