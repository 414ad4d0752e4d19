#ifndef DWFCORE_FILE_H
#define DWFCORE_FILE_H

#include "dwfcore/Memory.h"
#include "dwfcore/String.h"

#include <string>

namespace DWFCore
{

// Names a file; descriptors open and operate on it.
class DWFFile : public DWFCoreMemory
{
public:
    DWFFile() = default;
    DWFFile(const char* utf8Path);
    DWFFile(const DWFString& path);
    DWFFile(const DWFFile& other) = default;
    DWFFile& operator=(const DWFFile& other) = default;
    virtual ~DWFFile() = default;

    virtual const DWFString& name() const { return _path; }

    // The path as the operating system takes it: UTF-8 bytes.
    std::string nativePath() const;

private:
    DWFString _path;
};

// UTF-8 form of any string, for the operating system and the ZIP records.
std::string toUTF8(const DWFString& text);

} // namespace DWFCore

#endif
