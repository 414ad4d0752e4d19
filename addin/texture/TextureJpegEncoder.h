#pragma once
// Encodes the rows of a texture as JPEG (quality 75) into a growable memory
// stream through the JFIF codec's writer. A codec that cannot write to a
// data stream writes a scratch file ("dwfImg" in the temporary folder)
// instead, which is read back into the stream in chunks of 20000 bytes and
// removed on every path.
#include <cstdint>
#include <memory>
#include <string>

namespace Omvi
{
class ImageFormatCodec;
class RowProviderInterface;
} // namespace Omvi

class WriteBufferedStream;

constexpr std::int32_t kTextureJpegQuality = 75;
constexpr std::size_t kScratchReadChunk = 20000;

// Writes every row of `rows` (taken over) to `out` as one JPEG frame of
// `codec`. Colour and grey rows go as they are; palette and bitonal rows
// are promoted to 24-bit RGB first. Answers an empty text when the stream
// holds the JPEG, else why it does not. The imaging library's exceptions
// pass through (thrown as pointers).
std::u16string EncodeTextureJpeg(Omvi::ImageFormatCodec& codec,
                                 std::unique_ptr<Omvi::RowProviderInterface> rows,
                                 WriteBufferedStream& out);
