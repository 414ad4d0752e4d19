#pragma once
// The codecs' texts: format names, descriptions, extensions, property names
// and value templates, each fetched by its number. They live in a table
// compiled into the library (strings/CodecStringTable.h gathers one block per
// codec), which stands in for the separate string library the codecs were
// designed around; a switch lets tests run the codecs as if that library
// were missing.
#include "imaging/StringBuffer.h"

#include <cstdint>

namespace Omvi
{

// The encoding tag of texts loaded from the table.
constexpr std::uint32_t kCodecTextEncoding = 4;

// Loads text `id` into `out` with its NUL (count = length + 1, encoding 4);
// true. An id the table does not hold gives an empty text (one NUL byte,
// encoding 4) and true. While the string library is missing `out` becomes an
// empty text of encoding 0 and the answer is false.
bool loadCodecString(std::int32_t id, StringBuffer& out);

// Whether the string library is available (the default). Tests switch it off
// to see how the codecs behave without their texts.
void setCodecStringLibraryPresent(bool present);
bool isCodecStringLibraryPresent();

// The one text comparison of the codec family (property names, private
// names): two single-byte texts (encodings 0 and 4, in any mix) are equal
// when their characters up to the first NUL are; two 16-bit texts
// (encoding 2) likewise unit by unit; any other pair is unequal. A buffer
// without bytes reads as the empty text.
bool stringBuffersEqual(const StringBuffer& a, const StringBuffer& b);
// The same against a C text, taken as single-byte.
bool stringBufferEquals(const StringBuffer& a, const char* text);
// The same against codec text `id` (property names, private names).
bool equalsCodecString(const StringBuffer& a, std::int32_t id);

} // namespace Omvi
