#include "dwf/w3dtk/geometry/quantiser.h"

#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <climits>
#include <new>

namespace w3d::eb
{
namespace
{
constexpr int Max_Components = 1 << 16;
constexpr float Far = 1e20f;
// The float nearest to 1/255, by which the byte form scales its codes back.
constexpr float Byte_Step = 0.003921569f;

const char* const Allocation_Failed =
    "Out of memory.  Buffer allocation failed from function quantize_and_pack_floats.";

bool all_zero(const float* box, int values)
{
    for (int i = 0; i < values; ++i)
        if (box[i] != 0.0f)
            return false;
    return true;
}

bool included(const std::uint32_t* flags, std::uint32_t mask, int tuple)
{
    return !flags || (flags[tuple] & mask) != 0;
}

// Grows the caller's buffer to `needed` bytes; never shrinks it.
TK_Status reserve(BStreamFileToolkit& tk, std::vector<std::uint8_t>& buffer, int needed)
{
    if (static_cast<int>(buffer.size()) >= needed)
        return TK_Done;
    try
    {
        // The old contents are of no use: drop them rather than copy them.
        std::vector<std::uint8_t>().swap(buffer);
        buffer.resize(static_cast<std::size_t>(needed));
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error(Allocation_Failed);
    }
    return TK_Done;
}

TK_Status check_arguments(BStreamFileToolkit& tk, int count, int d, int bits, const float* values)
{
    if (count < 0 || d < 1 || d > Max_Components || bits < 1 || bits > 32 ||
        (count > 0 && !values) || packed_length(count, d, bits) < 0)
        return tk.Error("bad quantisation parameters");
    return TK_Done;
}
} // namespace

float quantisation_scale(float min, float max, int bits)
{
    if (max == min || bits < 1 || bits > 32)
        return 0.0f;
    float const range = max - min;
    return static_cast<float>(Bit_Mask[static_cast<std::size_t>(bits)]) / range;
}

std::uint32_t quantise_value(float value, float min, float scale, std::uint32_t max_code)
{
    double const code =
        (static_cast<double>(value) - static_cast<double>(min)) * static_cast<double>(scale) + 0.5;
    // Written so that NaN fails the first test.
    if (!(code >= 1.0))
        return 0;
    if (code >= static_cast<double>(max_code))
        return max_code;
    return static_cast<std::uint32_t>(code);
}

float dequantisation_step(float min, float max, int bits)
{
    if (bits < 1 || bits > 32)
        return 0.0f;
    float const reciprocal = 1.0f / static_cast<float>(Bit_Mask[static_cast<std::size_t>(bits)]);
    return (max - min) * reciprocal;
}

float dequantise_value(std::uint32_t code, float min, float max, float step, std::uint32_t max_code)
{
    if (code == max_code)
        return max;
    float const scaled = static_cast<float>(code) * step;
    return scaled + min;
}

int packed_length(int count, int d, int bits)
{
    if (count < 0 || d < 1 || bits < 1 || bits > 32)
        return -1;
    long long const codes = static_cast<long long>(count) * d;
    long long const size = bits == 8 && d == 3 ? codes : packed_size(codes, bits);
    return size < 0 || size > INT_MAX ? -1 : static_cast<int>(size);
}

TK_Status quantize_and_pack_floats(BStreamFileToolkit& tk, int count, int d, const float* values,
                                   const float* box, const std::uint32_t* flags, std::uint32_t mask,
                                   int bits, float* box_out, std::vector<std::uint8_t>& buffer,
                                   int* packed_bytes)
{
    if (count == 0)
        return TK_Done;
    if (TK_Status const status = check_arguments(tk, count, d, bits, values))
        return status;
    if (bits == 8 && d == 3)
        return quantize_and_pack_bytes(tk, count, values, box, flags, mask, box_out, buffer,
                                       packed_bytes);

    std::vector<float> used(static_cast<std::size_t>(2 * d));
    if (box && box_out && all_zero(box, 2 * d))
        box = nullptr;
    if (box)
        used.assign(box, box + 2 * d);
    else
    {
        for (int c = 0; c < d; ++c)
        {
            used[static_cast<std::size_t>(c)] = Far;
            used[static_cast<std::size_t>(d + c)] = -Far;
        }
        for (int i = 0; i < count; ++i)
        {
            if (!included(flags, mask, i))
                continue;
            const float* tuple = values + static_cast<long>(i) * d;
            for (int c = 0; c < d; ++c)
            {
                float& low = used[static_cast<std::size_t>(c)];
                float& high = used[static_cast<std::size_t>(d + c)];
                if (tuple[c] < low)
                    low = tuple[c];
                if (tuple[c] > high)
                    high = tuple[c];
            }
        }
    }
    if (box_out)
        for (int i = 0; i < 2 * d; ++i)
            box_out[i] = used[static_cast<std::size_t>(i)];

    std::vector<float> scale(static_cast<std::size_t>(d));
    for (int c = 0; c < d; ++c)
        scale[static_cast<std::size_t>(c)] = quantisation_scale(
            used[static_cast<std::size_t>(c)], used[static_cast<std::size_t>(d + c)], bits);

    int const needed = packed_length(count, d, bits);
    if (TK_Status const status = reserve(tk, buffer, needed))
        return status;

    std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(bits)];
    BitPacker packer = BitPacker::for_writing(buffer.data(), needed);
    for (int i = 0; i < count; ++i)
    {
        if (!included(flags, mask, i))
            continue;
        const float* tuple = values + static_cast<long>(i) * d;
        for (int c = 0; c < d; ++c)
            packer.put(bits, quantise_value(tuple[c], used[static_cast<std::size_t>(c)],
                                            scale[static_cast<std::size_t>(c)], max_code));
    }
    if (!packer.ok())
        return tk.Error("internal error: quantised codes overran their buffer");
    if (packed_bytes)
        *packed_bytes = packer.packed_bytes();
    return TK_Done;
}

TK_Status quantize_and_pack_floats(BStreamFileToolkit& tk, int count, int d, const float* values,
                                   const float* box, int bits, float* box_out,
                                   std::vector<std::uint8_t>& buffer, int* packed_bytes)
{
    return quantize_and_pack_floats(tk, count, d, values, box, nullptr, 0, bits, box_out, buffer,
                                    packed_bytes);
}

TK_Status quantize_and_pack_bytes(BStreamFileToolkit& tk, int count, const float* values,
                                  const float* box, const std::uint32_t* flags, std::uint32_t mask,
                                  float* box_out, std::vector<std::uint8_t>& buffer,
                                  int* packed_bytes)
{
    if (count == 0)
        return TK_Done;
    if (TK_Status const status = check_arguments(tk, count, 3, 8, values))
        return status;

    float used[6];
    if (box && !all_zero(box, 6))
        for (int i = 0; i < 6; ++i)
            used[i] = box[i];
    else
    {
        for (int c = 0; c < 3; ++c)
            used[c] = used[3 + c] = values[c];
        for (int i = 0; i < count; ++i)
        {
            if (!included(flags, mask, i))
                continue;
            const float* tuple = values + static_cast<long>(i) * 3;
            for (int c = 0; c < 3; ++c)
            {
                if (tuple[c] < used[c])
                    used[c] = tuple[c];
                if (tuple[c] > used[3 + c])
                    used[3 + c] = tuple[c];
            }
        }
    }
    if (box_out)
        for (int i = 0; i < 6; ++i)
            box_out[i] = used[i];

    float scale[3];
    for (int c = 0; c < 3; ++c)
        scale[c] = quantisation_scale(used[c], used[3 + c], 8);

    if (TK_Status const status = reserve(tk, buffer, packed_length(count, 3, 8)))
        return status;
    std::uint8_t* out = buffer.data();
    for (int i = 0; i < count; ++i)
    {
        if (!included(flags, mask, i))
            continue;
        const float* tuple = values + static_cast<long>(i) * 3;
        for (int c = 0; c < 3; ++c)
            *out++ = static_cast<std::uint8_t>(quantise_value(tuple[c], used[c], scale[c], 255));
    }
    if (packed_bytes)
        *packed_bytes = static_cast<int>(out - buffer.data());
    return TK_Done;
}

TK_Status unpack_and_dequantize_floats(BStreamFileToolkit& tk, int count, int d, int bits,
                                       const float* box, const std::uint8_t* bytes, int length,
                                       float* values)
{
    if (count == 0)
        return TK_Done;
    int const needed = packed_length(count, d, bits);
    if (needed < 0 || !box || !values || d > Max_Components)
        return tk.Error("bad quantisation parameters");
    if (length < needed || !bytes)
        return tk.Error("packed data too short for its codes");
    if (bits == 8 && d == 3)
        return unpack_and_dequantize_bytes(tk, count, box, bytes, length, values);

    std::vector<float> step(static_cast<std::size_t>(d));
    for (int c = 0; c < d; ++c)
        step[static_cast<std::size_t>(c)] = dequantisation_step(box[c], box[d + c], bits);
    std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(bits)];
    BitPacker packer = BitPacker::for_reading(bytes, needed);
    float* out = values;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < d; ++c)
            *out++ = dequantise_value(packer.get(bits), box[c], box[d + c],
                                      step[static_cast<std::size_t>(c)], max_code);
    if (!packer.ok())
        return tk.Error("internal error: packed codes read past their data");
    return TK_Done;
}

TK_Status unpack_and_dequantize_bytes(BStreamFileToolkit& tk, int count, const float* box,
                                      const std::uint8_t* bytes, int length, float* values)
{
    if (count == 0)
        return TK_Done;
    int const needed = packed_length(count, 3, 8);
    if (needed < 0 || !box || !values)
        return tk.Error("bad quantisation parameters");
    if (length < needed || !bytes)
        return tk.Error("packed data too short for its codes");
    float step[3];
    for (int c = 0; c < 3; ++c)
        step[c] = (box[3 + c] - box[c]) * Byte_Step;
    for (int i = 0; i < needed; i += 3)
        for (int c = 0; c < 3; ++c)
        {
            std::uint8_t const code = bytes[i + c];
            float const scaled = static_cast<float>(code) * step[c];
            values[i + c] = code == 255 ? box[3 + c] : scaled + box[c];
        }
    return TK_Done;
}

} // namespace w3d::eb
