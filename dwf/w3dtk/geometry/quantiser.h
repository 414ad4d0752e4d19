#pragma once

// Float tuples stored as n-bit integers measured against a box, packed by the
// BitPacker; and back. Points, normals, texture parameters, colours and index
// values of shells, meshes and poly-polypoints go through here, and the
// edge-breaker coder quantises its points with the same arithmetic.
//
// A box of d-component tuples is 2 x d floats, the d minima first. A value
// becomes the code trunc((value - min) x scale + 0.5), scale being
// (2^bits - 1) / (max - min) held as a float (0 when max equals min), computed
// in double precision from the float operands. Codes are clamped to
// 0..2^bits - 1, NaN giving 0, so a value outside the box (float rounding at
// the maximum, a world box that does not cover the data) never disturbs its
// neighbours. The all-ones code reads back as the box maximum exactly, any other
// code c as c x step + min, step being (max - min) x (1 / (2^bits - 1)).
//
// The arithmetic is bit-exact: these sources are built without floating-point
// contraction, so writer and reader agree on every platform.

#include "dwf/w3dtk/stream/status.h"

#include <cstdint>
#include <vector>

class BStreamFileToolkit;

namespace w3d::eb
{

// (2^bits - 1) / (max - min) as a float; 0 when max equals min.
float quantisation_scale(float min, float max, int bits);

// The code of `value`: trunc((value - min) x scale + 0.5) in double precision,
// clamped to 0..max_code; NaN gives 0.
std::uint32_t quantise_value(float value, float min, float scale, std::uint32_t max_code);

// (max - min) x (1 / (2^bits - 1)), the reciprocal held as a float.
float dequantisation_step(float min, float max, int bits);

// The value of `code`: max for the all-ones code, else code x step + min.
float dequantise_value(std::uint32_t code, float min, float max, float step,
                       std::uint32_t max_code);

//
// Quantises `count` tuples of `d` floats (`values`) to `bits`-bit codes and
// packs them into `buffer`, growing it to the needed size when it is smaller
// (it never shrinks, so a buffer reused for many records settles at the
// largest).
//
// With `flags` (one word per tuple) a tuple takes part only when its flags AND
// `mask` is nonzero; the buffer is still sized for every tuple. `box` may be
// null; when `box_out` is given, a `box` whose values are all zero counts as
// null too. Without a box, the box of the included tuples is computed. The box
// used is copied to `box_out` when given. `packed_bytes` (when given) receives
// the bytes produced: every word touched.
//
// Bits 8 with three components use the byte form instead (one byte per code,
// see quantize_and_pack_bytes).
//
// Count 0 does nothing, not even packed_bytes. Bad arguments (bits outside
// 1..32, d below 1, a size beyond an int) and allocation failure are reported
// through the toolkit's Error.
//
TK_Status quantize_and_pack_floats(BStreamFileToolkit& tk, int count, int d, const float* values,
                                   const float* box, const std::uint32_t* flags, std::uint32_t mask,
                                   int bits, float* box_out, std::vector<std::uint8_t>& buffer,
                                   int* packed_bytes);

// The same with every tuple included.
TK_Status quantize_and_pack_floats(BStreamFileToolkit& tk, int count, int d, const float* values,
                                   const float* box, int bits, float* box_out,
                                   std::vector<std::uint8_t>& buffer, int* packed_bytes);

//
// The byte form of three-component tuples: x, y and z codes of 8 bits, one byte
// each, tuple after tuple, 3 bytes per included tuple. A given box is used unless
// its six values are all zero; otherwise the box is computed starting from the
// first tuple's own values (included or not) and widened by every included one.
//
TK_Status quantize_and_pack_bytes(BStreamFileToolkit& tk, int count, const float* values,
                                  const float* box, const std::uint32_t* flags, std::uint32_t mask,
                                  float* box_out, std::vector<std::uint8_t>& buffer,
                                  int* packed_bytes);

//
// Reads `count` tuples of `d` codes of `bits` bits from the `length` packed
// bytes and writes count x d floats to `values` (the caller's array of that
// size). Bits 8 with three components are read in the byte form. The packed
// data must hold every code: a shorter length, bits outside 1..32 or a bad size
// is reported through the toolkit's Error and nothing is written.
//
TK_Status unpack_and_dequantize_floats(BStreamFileToolkit& tk, int count, int d, int bits,
                                       const float* box, const std::uint8_t* bytes, int length,
                                       float* values);

// The byte form: `count` x 3 bytes at least.
TK_Status unpack_and_dequantize_bytes(BStreamFileToolkit& tk, int count, const float* box,
                                      const std::uint8_t* bytes, int length, float* values);

// The packed size of count tuples of d codes: count x 3 bytes for the byte form
// (bits 8, d 3), else whole words. -1 when the arguments are bad or the size
// exceeds what an int holds.
int packed_length(int count, int d, int bits);

} // namespace w3d::eb
