#include "addin/texture/TextureBstr.h"

#include "platform/kernel/Text.h"

platform::Bstr AnsiToBSTR(std::string_view text)
{
    platform::Bstr out;
    if (platform::failed(platform::Bstr::allocate(platform::utf8ToUtf16(text), out)))
        return platform::Bstr();
    return out;
}

platform::Bstr BSTRFromWide(std::u16string_view text)
{
    platform::Bstr out;
    if (platform::failed(platform::Bstr::allocate(text, out)))
        throw BstrOutOfMemory();
    return out;
}
