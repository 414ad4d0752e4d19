#ifndef DWFCORE_FILE_H
#define DWFCORE_FILE_H

#include "dwfcore/Memory.h"
#include "dwfcore/String.h"

#include <string>
#include <string_view>

namespace DWFCore
{

// Names a file; descriptors open and operate on it.
class DWFFile : public DWFCoreMemory
{
public:
    DWFFile() = default;
    // A path in the system's bytes (see decodeNativePath).
    DWFFile(const char* nativePath);
    DWFFile(const DWFString& path);
    DWFFile(const DWFFile& other) = default;
    DWFFile& operator=(const DWFFile& other) = default;
    virtual ~DWFFile() = default;

    virtual const DWFString& name() const { return _path; }

    // The path as the operating system takes it (see encodeNativePath).
    std::string nativePath() const;

private:
    DWFString _path;
};

// UTF-8 form of any string, for the ZIP records and other text.
std::string toUTF8(const DWFString& text);

// A file name is the system's bytes, which need not be UTF-8, while our text
// is UTF-16. Decoding takes valid UTF-8 as it is and carries every other byte
// (0x80 to 0xFF) as one unpaired surrogate U+DC80..U+DCFF, which no valid
// text holds; encoding gives those bytes back and is UTF-8 otherwise. So a
// name goes into text and back unchanged, whatever its bytes.
std::u16string decodeNativePath(std::string_view bytes);
std::string encodeNativePath(std::u16string_view text);

} // namespace DWFCore

#endif
