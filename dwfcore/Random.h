#ifndef DWFCORE_RANDOM_H
#define DWFCORE_RANDOM_H

#include <cstdint>

namespace DWFCore
{

//
// The one pseudo-random source of the core runtime (skip-list levels, the
// portable identifier generator). Seeded once from the system on first use;
// nothing else in the process shares or reseeds it. Not for secrets: bytes
// that protect data come from the operating system.
//
class DWFRandom
{
public:
    static constexpr unsigned kMaximum = 0x7FFF;

    // The next draw, uniformly distributed over 0..kMaximum (15 bits).
    static unsigned draw();

    // Test seam: restarts the sequence from `seed`, so that runs repeat.
    static void seedForTesting(std::uint64_t seed);
};

} // namespace DWFCore

#endif
