#ifndef DWFCORE_SYSTEMERROR_H
#define DWFCORE_SYSTEMERROR_H

#include "dwfcore/Exception.h"
#include "dwfcore/String.h"

#include <string>

namespace DWFCore
{

// The system's reason for the error number `error`, as every message of
// the code base words it.
std::u16string reasonOf(int error);

//
// "<before>'<path>'<after>": a message about the file `path`, whose name
// keeps its bytes, UTF-8 or not (see decodeNativePath). A path too long for
// an exception message loses its middle, never its end or the words around
// it.
//
DWFString describeFile(const std::u16string& before, const std::string& path,
                       const std::u16string& after);

//
// The message of a failed system call, so that whoever reads it knows what
// was being done, to which file, and why the system refused:
// "<action> '<path>': <the system's reason>", as describeFile gives it.
//
DWFString describeSystemError(const char16_t* action, const std::string& path, int error);

// The same without a file.
DWFString describeSystemError(const char16_t* action, int error);

} // namespace DWFCore

//
// Throws `ExceptionClass` whose message says what failed on which file and
// the reason of the system error `error` (an errno value, taken by the
// caller at once, before anything else can change errno).
//
#define DWFCORE_THROW_SYSTEM(ExceptionClass, action, path, error, function)                        \
    throw ::DWFCore::ExceptionClass(::DWFCore::describeSystemError((action), (path), (error)),    \
                                    (function), u"" __FILE__,                                      \
                                    static_cast<std::uint32_t>(__LINE__))

#endif
