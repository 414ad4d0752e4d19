// UTF-8 decoding and encoding throughput of DWFString's codecs.
#include "dwfcore/String.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

using DWFCore::DWFString;

namespace
{

// Text of a given mix: 0 plain ASCII, 1 Latin and other two-byte letters,
// 2 CJK (three bytes), 3 a quarter of characters outside the BMP.
std::u16string sampleText(int mix, std::size_t units)
{
    std::mt19937 random(42);
    std::u16string text;
    while (text.size() < units)
    {
        const unsigned r = random();
        switch (mix)
        {
        case 0:
            text += static_cast<char16_t>(0x20 + r % 0x5F);
            break;
        case 1:
            text += static_cast<char16_t>(r % 2 ? 0x61 + r % 26 : 0xC0 + r % 0x140);
            break;
        case 2:
            text += static_cast<char16_t>(0x4E00 + r % 0x5000);
            break;
        default:
            if (r % 4 == 0)
            {
                text += static_cast<char16_t>(0xD83D);
                text += static_cast<char16_t>(0xDE00 + r % 0x40);
            }
            else
            {
                text += static_cast<char16_t>(0x61 + r % 26);
            }
        }
    }
    text.resize(units);
    return text;
}

const char* mixName(int mix)
{
    static const char* names[] = {"ascii", "latin", "cjk", "astral"};
    return names[mix];
}

void EncodeUTF8(benchmark::State& state)
{
    const std::u16string text = sampleText(static_cast<int>(state.range(0)), 64 * 1024);
    std::vector<char> out(text.size() * 3 + 1);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(
            DWFString::EncodeUTF8(text.data(), text.size() * 2, out.data(), out.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
    state.SetLabel(mixName(static_cast<int>(state.range(0))));
}

void DecodeUTF8(benchmark::State& state)
{
    const std::string bytes =
        DWFString(sampleText(static_cast<int>(state.range(0)), 64 * 1024)).toUTF8();
    std::vector<char16_t> out(bytes.size() + 1);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(
            DWFString::DecodeUTF8(bytes.data(), bytes.size(), out.data(), out.size() * 2));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.SetLabel(mixName(static_cast<int>(state.range(0))));
}

// A short name as packages hold thousands of them: construction from UTF-8.
void ConstructShortFromUTF8(benchmark::State& state)
{
    const char* name = "Section \xC3\xA9l\xC3\xA9vation 12";
    for (auto _ : state)
    {
        DWFString s(name);
        benchmark::DoNotOptimize(s.chars());
    }
}

} // namespace

BENCHMARK(EncodeUTF8)->DenseRange(0, 3);
BENCHMARK(DecodeUTF8)->DenseRange(0, 3);
BENCHMARK(ConstructShortFromUTF8);
