#pragma once
// The component model's string: UTF-16, and able to be null (distinct from
// empty), which callers test before use.
#include "platform/com/Result.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform
{

class Bstr
{
public:
    Bstr() = default; // null
    Bstr(std::u16string text) : text_(std::move(text)) {}
    Bstr(const char16_t* text)
    {
        if (text)
            text_ = std::u16string(text);
    }

    // Allocation as the system performs it: fails with E_OUTOFMEMORY when a
    // test asked for a failure (see failAllocations).
    static HRESULT allocate(std::u16string_view text, Bstr& out);
    // The next `count` allocations fail; 0 stops the injection.
    static void failAllocations(int count);

    bool isNull() const { return !text_.has_value(); }
    // The text; empty for a null string.
    const std::u16string& str() const;
    std::size_t length() const { return text_ ? text_->size() : 0; }
    std::string utf8() const;
    void clear() { text_.reset(); }

    friend bool operator==(const Bstr& a, const Bstr& b) { return a.text_ == b.text_; }
    friend bool operator!=(const Bstr& a, const Bstr& b) { return !(a == b); }

private:
    std::optional<std::u16string> text_;
};

} // namespace platform
