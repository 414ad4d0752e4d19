#pragma once
// The two string helpers of the part and assembly publication that the
// texture conversion names its files with: component-model strings made
// through platform::Bstr::allocate, whose failure a test can bring about.
#include "platform/com/Bstr.h"
#include "platform/com/Result.h"

#include <exception>
#include <string_view>

// E_OUTOFMEMORY raised when a string cannot be allocated.
class BstrOutOfMemory : public std::exception
{
public:
    platform::HRESULT result() const { return platform::E_OUTOFMEMORY; }
    const char* what() const noexcept override
    {
        return "a string could not be allocated (E_OUTOFMEMORY)";
    }
};

// A new string of the 8-bit text (UTF-8, the module's code page here); a
// null string when it cannot be allocated.
platform::Bstr AnsiToBSTR(std::string_view text);

// A new copy of the text; raises BstrOutOfMemory when it cannot be
// allocated.
platform::Bstr BSTRFromWide(std::u16string_view text);
