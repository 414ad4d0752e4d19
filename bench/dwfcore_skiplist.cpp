// Skip-list insert and find at 10^3 to 10^6 keys.
#include "dwfcore/SkipList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

using namespace DWFCore;

namespace
{

std::vector<long> shuffledKeys(std::size_t count)
{
    std::vector<long> keys(count);
    std::iota(keys.begin(), keys.end(), 0L);
    std::shuffle(keys.begin(), keys.end(), std::mt19937_64(5));
    return keys;
}

// Builds a whole list of state.range(0) random keys per iteration.
void Insert(benchmark::State& state)
{
    const std::vector<long> keys = shuffledKeys(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        DWFSkipList<long, long> list;
        for (long key : keys)
        {
            list.insert(key, key, false);
        }
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * keys.size()));
}

void Find(benchmark::State& state)
{
    const std::vector<long> keys = shuffledKeys(static_cast<std::size_t>(state.range(0)));
    DWFSkipList<long, long> list;
    for (long key : keys)
    {
        list.insert(key, key, false);
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(list.find(keys[next]));
        next = next + 1 == keys.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Resource hrefs and property names are looked up by text.
void FindStringKey(benchmark::State& state)
{
    const std::vector<long> numbers = shuffledKeys(static_cast<std::size_t>(state.range(0)));
    std::vector<DWFString> keys;
    keys.reserve(numbers.size());
    DWFStringKeySkipList<long> list;
    for (long number : numbers)
    {
        keys.emplace_back(("resource/" + std::to_string(number) + ".png").c_str());
        list.insert(keys.back(), number, false);
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(list.find(keys[next]));
        next = next + 1 == keys.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

} // namespace

BENCHMARK(Insert)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Find)->RangeMultiplier(10)->Range(1000, 1000000);
BENCHMARK(FindStringKey)->RangeMultiplier(10)->Range(1000, 1000000);
