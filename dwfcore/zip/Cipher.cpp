#include "dwfcore/zip/Cipher.h"

#include <cerrno>
#include <climits>
#include <sys/random.h>
#include <zlib.h>

namespace DWFCore
{
namespace zipio
{

uint32_t crcStep(uint32_t crc, uint8_t byte)
{
    // zlib keeps the table for its own CRC; the cipher's key update is the
    // same reflected step without the pre/post inversion.
    static const z_crc_t* const table = get_crc_table();
    return table[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
}

uint32_t crcUpdate(uint32_t crc, const void* bytes, size_t count)
{
    const Bytef* p = static_cast<const Bytef*>(bytes);
    uLong value = crc;
    while (count > 0)
    {
        const uInt chunk = count > UINT_MAX ? UINT_MAX : static_cast<uInt>(count);
        value = ::crc32(value, p, chunk);
        p += chunk;
        count -= chunk;
    }
    return static_cast<uint32_t>(value);
}

bool systemRandomBytes(void* out, size_t count)
{
    unsigned char* p = static_cast<unsigned char*>(out);
    while (count > 0)
    {
        const ssize_t got = getrandom(p, count, 0);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

TraditionalCipher::TraditionalCipher(const char* password, size_t length)
{
    reset(password, length);
}

void TraditionalCipher::reset(const char* password, size_t length)
{
    _keys[0] = 0x12345678u;
    _keys[1] = 0x23456789u;
    _keys[2] = 0x34567890u;
    for (size_t i = 0; i < length; ++i)
        _update(static_cast<uint8_t>(password[i]));
}

void TraditionalCipher::_update(uint8_t plain)
{
    _keys[0] = crcStep(_keys[0], plain);
    _keys[1] = (_keys[1] + (_keys[0] & 0xFFu)) * 134775813u + 1u;
    _keys[2] = crcStep(_keys[2], static_cast<uint8_t>(_keys[1] >> 24));
}

void TraditionalCipher::encrypt(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] = encrypt(bytes[i]);
}

void TraditionalCipher::decrypt(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] = decrypt(bytes[i]);
}

bool TraditionalCipher::makeHeader(uint16_t checkValue, uint8_t header[kHeaderSize])
{
    if (!systemRandomBytes(header, kHeaderSize - 2))
        return false;
    header[kHeaderSize - 2] = static_cast<uint8_t>(checkValue & 0xFFu);
    header[kHeaderSize - 1] = static_cast<uint8_t>(checkValue >> 8);
    encrypt(header, kHeaderSize);
    return true;
}

} // namespace zipio
} // namespace DWFCore
