#ifndef DWFCORE_ZIP_CIPHER_H
#define DWFCORE_ZIP_CIPHER_H

#include <cstddef>
#include <cstdint>

namespace DWFCore
{
namespace zipio
{

// The traditional ZIP entry cipher: three 32-bit keys driven by the password
// and then by every plain byte. Weak by design, kept for compatibility with
// every ZIP tool that reads password-protected entries.
class TraditionalCipher
{
public:
    static constexpr size_t kHeaderSize = 12;

    explicit TraditionalCipher(const char* password = nullptr, size_t length = 0);

    void reset(const char* password, size_t length);

    uint8_t encrypt(uint8_t plain)
    {
        const uint8_t cipher = plain ^ _keystream();
        _update(plain);
        return cipher;
    }
    uint8_t decrypt(uint8_t cipher)
    {
        const uint8_t plain = cipher ^ _keystream();
        _update(plain);
        return plain;
    }
    void encrypt(uint8_t* bytes, size_t count);
    void decrypt(uint8_t* bytes, size_t count);

    // Builds the encrypted 12-byte entry header: ten random bytes from the
    // operating system followed by the check value (low then high byte).
    // Returns false when the system has no random bytes to give.
    bool makeHeader(uint16_t checkValue, uint8_t header[kHeaderSize]);

private:
    uint8_t _keystream() const
    {
        const uint32_t k = (_keys[2] & 0xFFFFu) | 2u;
        return static_cast<uint8_t>((k * (k ^ 1u)) >> 8);
    }
    void _update(uint8_t plain);

    uint32_t _keys[3];
};

// One step of the reflected CRC-32 (polynomial 0xEDB88320) over one byte.
uint32_t crcStep(uint32_t crc, uint8_t byte);
// CRC-32 of a buffer continued from `crc` (0 to start).
uint32_t crcUpdate(uint32_t crc, const void* bytes, size_t count);

// Fills `count` bytes from the operating system's random source.
bool systemRandomBytes(void* out, size_t count);

} // namespace zipio
} // namespace DWFCore

#endif
