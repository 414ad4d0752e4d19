#include "dwfcore/Random.h"

#include <chrono>
#include <random>

namespace DWFCore
{

namespace
{

std::uint64_t systemSeed()
{
    try
    {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device();
    }
    catch (...)
    {
        // No entropy device: the clock still separates runs.
        return static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
    }
}

std::mt19937_64& generator()
{
    static std::mt19937_64 engine(systemSeed());
    return engine;
}

} // namespace

unsigned DWFRandom::draw()
{
    return static_cast<unsigned>(generator()() >> 49);
}

void DWFRandom::seedForTesting(std::uint64_t seed)
{
    generator().seed(seed);
}

} // namespace DWFCore
