#include "dwfcore/Exception.h"

#include <cstring>

namespace DWFCore
{

DWFException::DWFException(const char16_t* message, const char* function, const char16_t* file,
                           std::uint32_t line) noexcept
    : _function(function), _file(file), _line(line)
{
    copyMessage(message);
}

DWFException::DWFException(const DWFException& other) noexcept
    : DWFCoreMemory(), _function(other._function), _file(other._file), _line(other._line)
{
    copyMessage(other._message);
}

DWFException& DWFException::operator=(const DWFException& other) noexcept
{
    if (this != &other)
    {
        _function = other._function;
        _file = other._file;
        _line = other._line;
        copyMessage(other._message);
    }
    return *this;
}

void DWFException::copyMessage(const char16_t* message) noexcept
{
    std::memset(_message, 0, sizeof(_message));
    if (message == nullptr)
    {
        return;
    }
    std::size_t length = 0;
    while (length < kMessageCapacity - 1 && message[length] != 0)
    {
        ++length;
    }
    std::memcpy(_message, message, length * sizeof(char16_t));
}

} // namespace DWFCore
