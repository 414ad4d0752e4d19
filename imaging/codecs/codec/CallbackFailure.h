#pragma once
// The C libraries under the codecs (libjpeg, libpng) call back into C++,
// and no C++ exception may unwind through their frames: a callback catches
// what it meets and keeps it, the library is made to fail, and once the
// failed step is back in C++ the kept exception is raised again here.
#include <exception>

namespace Omvi
{

// After a failed step of a C library: raises again the exception `kept`
// holds (clearing it) when it is an imaging exception; anything else, or
// nothing kept, leaves as FormatCodecException "Corrupt image file" (code 8)
// with the library's `reason` (may be null or empty).
[[noreturn]] void throwKeptFailure(std::exception_ptr& kept, const char* reason = nullptr);

} // namespace Omvi
