#pragma once
// The W2D stream that carries a converted texture as one image object: the
// units ("inches", the resolution times 1000 along the diagonal) and a JPEG
// image of the texture's rows and columns whose corners are (0, 0) and
// (width x 1000, height x 1000). The conversion writes it under the output
// name and then replaces it with the plain JPEG bytes, so only its failures
// are seen.
#include "dwf/w2dtk/result.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the stream to `path` (created or truncated). Sizes must be 1 to
// 65535 and the data at most 4 GB - 1 bytes: anything else is refused with
// WT_Result_Usage_Error before the file is touched. Answers the first
// failure of opening, writing or closing; `error`, when given, receives the
// errno of that failure (0 when the system gave none).
WT_Result WriteTextureW2DFile(const std::u16string& path, std::int32_t width, std::int32_t height,
                              double dotsPerInch, const std::uint8_t* data, std::size_t size,
                              int* error = nullptr);
