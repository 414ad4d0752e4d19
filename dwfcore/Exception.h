#ifndef DWFCORE_EXCEPTION_H
#define DWFCORE_EXCEPTION_H

#include "dwfcore/Memory.h"

#include <cstdint>

namespace DWFCore
{

//
// Base of every failure the DWF libraries report. Thrown by value, caught by
// reference. The message is copied into the object (at most 511 characters)
// so that building an exception never allocates; the function name and the
// file are static texts that are only pointed at.
//
class DWFException : public DWFCoreMemory
{
public:
    static constexpr std::size_t kMessageCapacity = 512;

    DWFException(const char16_t* message, const char* function, const char16_t* file,
                 std::uint32_t line) noexcept;
    DWFException(const DWFException& other) noexcept;
    DWFException& operator=(const DWFException& other) noexcept;
    virtual ~DWFException() = default;

    // The class's own name, such as u"DWFIOException".
    virtual const char16_t* type() const noexcept = 0;

    const char16_t* message() const noexcept { return _message; }
    const char* function() const noexcept { return _function; }
    const char16_t* file() const noexcept { return _file; }
    std::uint32_t line() const noexcept { return _line; }

private:
    void copyMessage(const char16_t* message) noexcept;

    char16_t _message[kMessageCapacity];
    const char* _function;
    const char16_t* _file;
    std::uint32_t _line;
};

#define DWFCORE_DECLARE_EXCEPTION(Name)                                                            \
    class Name : public DWFException                                                               \
    {                                                                                              \
    public:                                                                                        \
        Name(const char16_t* message, const char* function, const char16_t* file,                  \
             std::uint32_t line) noexcept                                                          \
            : DWFException(message, function, file, line)                                          \
        {                                                                                          \
        }                                                                                          \
        const char16_t* type() const noexcept override { return u"" #Name; }                       \
    }

DWFCORE_DECLARE_EXCEPTION(DWFMemoryException);
DWFCORE_DECLARE_EXCEPTION(DWFIOException);
DWFCORE_DECLARE_EXCEPTION(DWFStringException);
DWFCORE_DECLARE_EXCEPTION(DWFOverflowException);
DWFCORE_DECLARE_EXCEPTION(DWFUnexpectedException);
DWFCORE_DECLARE_EXCEPTION(DWFInvalidArgumentException);
DWFCORE_DECLARE_EXCEPTION(DWFNotImplementedException);
DWFCORE_DECLARE_EXCEPTION(DWFIllegalStateException);
DWFCORE_DECLARE_EXCEPTION(DWFDoesNotExistException);
DWFCORE_DECLARE_EXCEPTION(DWFNullPointerException);
DWFCORE_DECLARE_EXCEPTION(DWFTypeMismatchException);
DWFCORE_DECLARE_EXCEPTION(DWFInvalidTypeException);

#undef DWFCORE_DECLARE_EXCEPTION

} // namespace DWFCore

//
// Throws `ExceptionClass` with a fixed wide message (a u"..." literal or any
// const char16_t*), the thrower's qualified name as narrow text (for example
// "DWFCore::DWFFile::open") and the current source file and line.
//
#define DWFCORE_THROW(ExceptionClass, message, function)                                           \
    throw ::DWFCore::ExceptionClass((message), (function), u"" __FILE__,                           \
                                    static_cast<std::uint32_t>(__LINE__))

#endif
