#pragma once
// How row iterators that decode a row ahead into a buffer of their own hand
// it to the caller.
#include <cstdint>
#include <vector>

namespace Omvi
{

class DataBuffer;

// Copies the `bytes` bytes of `decoded` into `row`; a blank row while
// nothing is decoded (before start, after finish). A buffer shorter than
// `bytes` throws ImageFilterException 6 "Row buffer too small".
void deliverDecodedRow(DataBuffer& row, const std::vector<std::uint8_t>& decoded, std::int32_t bytes);

} // namespace Omvi
