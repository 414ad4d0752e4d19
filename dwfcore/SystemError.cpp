#include "dwfcore/SystemError.h"

#include "dwfcore/File.h"
#include "dwfcore/RegularFile.h"

namespace DWFCore
{

// One text for a system error across the code base: a refused non-file
// reads "Not a regular file", and a call that failed without saying why
// (0) reads as EIO rather than as "Success".
std::u16string reasonOf(int error)
{
    return DWFString(fileErrorText(error).c_str()).toU16String();
}

DWFString describeFile(const std::u16string& before, const std::string& path,
                       const std::u16string& after)
{
    const std::u16string head = before + u"'";
    const std::u16string tail = u"'" + after;
    // The name keeps its bytes, UTF-8 or not, for whoever prints the message.
    std::u16string name = decodeNativePath(path);

    // Leave room for the terminator of the exception's message buffer.
    const std::size_t room = DWFException::kMessageCapacity - 1;
    const std::u16string ellipsis = u"...";
    if (head.size() + name.size() + tail.size() > room &&
        head.size() + tail.size() + ellipsis.size() + 2 <= room)
    {
        const std::size_t keep = room - head.size() - tail.size() - ellipsis.size();
        // More of the end than of the start: the file's own name matters most.
        const std::size_t front = keep / 3;
        const std::size_t back = keep - front;
        name = name.substr(0, front) + ellipsis + name.substr(name.size() - back);
    }
    return DWFString((head + name + tail).c_str());
}

DWFString describeSystemError(const char16_t* action, const std::string& path, int error)
{
    return describeFile(std::u16string(action) + u" ", path, u": " + reasonOf(error));
}

DWFString describeSystemError(const char16_t* action, int error)
{
    return DWFString((std::u16string(action) + u": " + reasonOf(error)).c_str());
}

} // namespace DWFCore
