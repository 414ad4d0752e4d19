#pragma once
// What the resamplers accept as input, and how they connect it: the sample
// layout each class works on, the conversions put in front of an input of
// another colour model, and the errors of a refused input.
#include <cstdint>

namespace Omvi
{

class DataModel;
class ImageFilter;
class RowProviderInterface;

enum class SampleLayout
{
    Bitonal, // 1-bit bitonal rows (read by the horizontal pass only)
    Gray,    // 8-bit samples: gray levels, or a plain 8-bit model
    Data16,  // plain unsigned 16-bit samples
    Float32, // plain 32-bit float samples
    Rgb      // 32-bit colours: red, green, blue, alpha bytes
};

// The epsilon of the resampling kernels for samples of `layout`: 1e-4 for
// bytes, 1e-6 for 16-bit samples, 1e-10 for floats.
double resamplingEpsilon(SampleLayout layout);

// Connects `input` to `filter` for `layout`: bitonal through a conversion to
// the bitonal model, gray through one to the gray model (a plain 8-bit model
// is taken as it is), RGB through one to the 32-bit RGB model, 16-bit and
// float as they are when their data type fits. Throws ImageFilterException
// code 1 "No valid inputs" when the input cannot be taken; it then stays the
// caller's.
void connectResamplingInput(ImageFilter& filter, RowProviderInterface*& input, SampleLayout layout);

// ImageFilterException code 2 with the class name: an unknown resampling
// kind, a shear's clear pixel of the wrong kind.
[[noreturn]] void throwInvalidArgument(const char* className);
// ImageFilterException code 5 "Invalid image size".
[[noreturn]] void throwInvalidSize();
// SystemException kOutOfMemory: tables or buffers beyond what can be held.
[[noreturn]] void throwOutOfMemory(const char* what);

// The most contributions one resampler keeps (2^27 entries, 1 GiB).
constexpr std::int64_t kMaxContributions = std::int64_t{1} << 27;

} // namespace Omvi
