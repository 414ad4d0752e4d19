#include "dwfcore/UUID.h"

#include "dwfcore/Exception.h"
#include "dwfcore/Random.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>

namespace DWFCore
{

namespace
{

void putLittleEndian16(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

void putLittleEndian32(std::uint8_t* out, std::uint32_t value)
{
    putLittleEndian16(out, value & 0xFFFF);
    putLittleEndian16(out + 2, value >> 16);
}

// Base64 without padding, alphabet ending "+_": 22 characters for 16 bytes.
DWFString squashed(const std::uint8_t (&bytes)[16])
{
    char text[32] = {};
    DWFString::EncodeBase64(bytes, sizeof(bytes), text, sizeof(text) - 1, false);
    return DWFString(text);
}

} // namespace

// ---------------------------------------------------------------------------

DWFUUID::DWFUUID() noexcept = default;

DWFUUID::DWFUUID(const DWFUUID& other) : DWFCoreMemory()
{
    if (other._impl)
    {
        _impl.reset(other._impl->clone());
    }
}

DWFUUID& DWFUUID::operator=(const DWFUUID& other)
{
    if (this != &other)
    {
        _impl.reset(other._impl ? other._impl->clone() : nullptr);
    }
    return *this;
}

DWFUUID::~DWFUUID() = default;

template <class Operation> const DWFString& DWFUUID::call(Operation operation, const char* function)
{
    if (!_impl)
    {
        _impl.reset(new (std::nothrow) DWFUUIDImpl_System);
        if (!_impl)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to initialize object", function);
        }
    }
    try
    {
        return operation(*_impl);
    }
    catch (const DWFNotImplementedException&)
    {
        // No system identity: the portable generator serves from now on.
        _impl.reset(new (std::nothrow) DWFUUIDImpl_ANSI);
        if (!_impl)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to initialize object", function);
        }
    }
    return operation(*_impl);
}

const DWFString& DWFUUID::uuid(bool squash)
{
    return call([squash](DWFUUIDImpl& impl) -> const DWFString& { return impl.uuid(squash); },
                "DWFCore::DWFUUID::uuid");
}

const DWFString& DWFUUID::next(bool squash)
{
    return call([squash](DWFUUIDImpl& impl) -> const DWFString& { return impl.next(squash); },
                "DWFCore::DWFUUID::next");
}

// ---------------------------------------------------------------------------

DWFUUIDImpl* DWFUUIDImpl_System::clone() const
{
    auto* copy = new (std::nothrow) DWFUUIDImpl_System;
    if (copy == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate clone",
                      "DWFCore::DWFUUIDImpl_System::clone");
    }
    copy->_uuid = _uuid;
    return copy;
}

const DWFString& DWFUUIDImpl_System::uuid(bool squash)
{
    if (_text.chars() == 0)
    {
        if (DWFCreateSystemUUID(_uuid) == kDWFUUIDStatusNoAddress)
        {
            DWFCORE_THROW(DWFNotImplementedException, u"Failed to acquire UUID",
                          "DWFCore::DWFUUIDImpl_System::uuid");
        }
    }
    if (squash)
    {
        std::uint8_t bytes[16];
        putLittleEndian32(bytes, _uuid.data1);
        putLittleEndian16(bytes + 4, _uuid.data2);
        putLittleEndian16(bytes + 6, _uuid.data3);
        std::memcpy(bytes + 8, _uuid.data4, 8);
        _text = squashed(bytes);
    }
    else
    {
        char text[64] = {};
        std::snprintf(text, sizeof(text), "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                      static_cast<unsigned>(_uuid.data1), _uuid.data2, _uuid.data3, _uuid.data4[0],
                      _uuid.data4[1], _uuid.data4[2], _uuid.data4[3], _uuid.data4[4],
                      _uuid.data4[5], _uuid.data4[6], _uuid.data4[7]);
        _text = text;
    }
    return _text;
}

const DWFString& DWFUUIDImpl_System::next(bool squash)
{
    if (_text.chars() > 0)
    {
        if (_uuid.data1 < 0xFFFFFFEE)
        {
            ++_uuid.data1;
        }
        else
        {
            _text.destroy(); // counted far enough: ask the system again
        }
    }
    return uuid(squash);
}

// ---------------------------------------------------------------------------

DWFUUIDImpl_ANSI::DWFUUIDImpl_ANSI()
{
    generate();
}

void DWFUUIDImpl_ANSI::generate()
{
    const auto counter =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const auto high = static_cast<std::uint32_t>(counter >> 32);
    const auto low = static_cast<std::uint32_t>(counter);
    putLittleEndian16(_bytes, 0x1000 | ((high >> 16) & 0x0FFF));
    putLittleEndian16(_bytes + 2, high & 0xFFFF);
    putLittleEndian32(_bytes + 4, low);
    putLittleEndian16(_bytes + 8, (DWFRandom::draw() & 0x3FFF) | 0x8000);
    const std::uint32_t r1 = DWFRandom::draw();
    const std::uint32_t r2 = DWFRandom::draw();
    const std::uint32_t r3 = DWFRandom::draw();
    putLittleEndian32(_bytes + 10, r2 << 16 | r3);
    putLittleEndian16(_bytes + 14, r1);
}

DWFUUIDImpl* DWFUUIDImpl_ANSI::clone() const
{
    auto* copy = new (std::nothrow) DWFUUIDImpl_ANSI(*this);
    if (copy == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate clone",
                      "DWFCore::DWFUUIDImpl_ANSI::clone");
    }
    return copy;
}

const DWFString& DWFUUIDImpl_ANSI::uuid(bool squash)
{
    if (squash)
    {
        _text = squashed(_bytes);
    }
    else
    {
        char text[64] = {};
        std::snprintf(text, sizeof(text),
                      "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                      _bytes[0], _bytes[1], _bytes[2], _bytes[3], _bytes[4], _bytes[5], _bytes[6],
                      _bytes[7], _bytes[8], _bytes[9], _bytes[10], _bytes[11], _bytes[12],
                      _bytes[13], _bytes[14], _bytes[15]);
        _text = text;
    }
    return _text;
}

const DWFString& DWFUUIDImpl_ANSI::next(bool squash)
{
    // Count in the first four bytes, the last of them fastest; a byte that
    // reached its top stays there while an earlier one counts on.
    if (_bytes[3] < 255)
    {
        ++_bytes[3];
    }
    else if (_bytes[2] < 255)
    {
        ++_bytes[2];
    }
    else if (_bytes[1] < 255)
    {
        ++_bytes[1];
    }
    else if (_bytes[0] < 254)
    {
        ++_bytes[0];
    }
    else
    {
        generate();
    }
    return uuid(squash);
}

} // namespace DWFCore
