#include "platform/com/Bstr.h"

#include "platform/kernel/Text.h"

namespace platform
{

namespace
{
int failuresLeft = 0;
const std::u16string emptyText;
} // namespace

HRESULT Bstr::allocate(std::u16string_view text, Bstr& out)
{
    if (failuresLeft > 0)
    {
        --failuresLeft;
        out.clear();
        return E_OUTOFMEMORY;
    }
    out = Bstr(std::u16string(text));
    return S_OK;
}

void Bstr::failAllocations(int count)
{
    failuresLeft = count < 0 ? 0 : count;
}

const std::u16string& Bstr::str() const
{
    return text_ ? *text_ : emptyText;
}

std::string Bstr::utf8() const
{
    return utf16ToUtf8(str());
}

} // namespace platform
