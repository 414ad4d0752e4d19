// The bilevel coder on an A0 page at 300 dpi (9933 x 14043 pixels): a
// dense text-like page and a one-pixel checkerboard (every pixel a change,
// the worst case), in strips of 64 rows. Our decoder and libtiff's decode
// the same strips in the same run (libtiff reads them from a TIFF held in
// memory); our encoder codes them. Figures are MB/s of decoded rows.
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/tests/BitonalTestImages.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace
{

using OmviTest::BitonalImage;

constexpr int kWidth = 9933;
constexpr int kHeight = 14043;
constexpr int kRowsPerStrip = 64;

const BitonalImage& page(int which)
{
    static const BitonalImage text = OmviTest::textLikeBitonal(kWidth, kHeight, 5);
    static const BitonalImage checker = OmviTest::checkerBitonal(kWidth, kHeight, 1);
    return which == 0 ? text : checker;
}

struct CodedPage
{
    std::vector<std::vector<std::uint8_t>> strips;
    std::vector<std::uint8_t> tiff;  // the same strips in a TIFF
};

// A TIFF in memory, for libtiff to read and write.
struct MemoryTiff
{
    std::vector<std::uint8_t>* bytes;
    toff_t position = 0;

    static tmsize_t read(thandle_t handle, void* buffer, tmsize_t size)
    {
        auto* self = static_cast<MemoryTiff*>(handle);
        const toff_t available = self->position < self->bytes->size() ? self->bytes->size() - self->position : 0;
        const auto count = static_cast<toff_t>(std::min<toff_t>(static_cast<toff_t>(size), available));
        std::memcpy(buffer, self->bytes->data() + self->position, count);
        self->position += count;
        return static_cast<tmsize_t>(count);
    }
    static tmsize_t write(thandle_t handle, void* buffer, tmsize_t size)
    {
        auto* self = static_cast<MemoryTiff*>(handle);
        if (self->position + static_cast<toff_t>(size) > self->bytes->size())
            self->bytes->resize(self->position + static_cast<toff_t>(size));
        std::memcpy(self->bytes->data() + self->position, buffer, static_cast<std::size_t>(size));
        self->position += static_cast<toff_t>(size);
        return size;
    }
    static toff_t seek(thandle_t handle, toff_t offset, int whence)
    {
        auto* self = static_cast<MemoryTiff*>(handle);
        if (whence == SEEK_SET)
            self->position = offset;
        else if (whence == SEEK_CUR)
            self->position += offset;
        else
            self->position = self->bytes->size() + offset;
        return self->position;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t handle) { return static_cast<MemoryTiff*>(handle)->bytes->size(); }
    static int map(thandle_t handle, void** base, toff_t* size)
    {
        auto* self = static_cast<MemoryTiff*>(handle);
        *base = self->bytes->data();
        *size = self->bytes->size();
        return 1;
    }
    static void unmap(thandle_t, void*, toff_t) {}

    TIFF* open(const char* mode)
    {
        return TIFFClientOpen("page", mode, this, read, write, seek, close, size, map, unmap);
    }
};

const CodedPage& coded(int which, int mode)
{
    static std::map<std::pair<int, int>, CodedPage> cache;
    auto found = cache.find({which, mode});
    if (found != cache.end())
        return found->second;
    const BitonalImage& image = page(which);
    CodedPage result;
    Omvi::Encoder encoder;
    encoder.setup(mode, 1, 0, kWidth);
    for (int top = 0; top < kHeight; top += kRowsPerStrip)
    {
        const int rows = std::min(kRowsPerStrip, kHeight - top);
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(Omvi::Encoder::worstCaseRowBytes(kWidth) * (rows + 1)));
        std::int32_t produced = 0;
        encoder.encodeBlock(image.row(top), rows * image.rowBytes(), strip.data(),
                            static_cast<std::int32_t>(strip.size()), &produced);
        strip.resize(static_cast<std::size_t>(produced));
        result.strips.push_back(std::move(strip));
    }
    MemoryTiff memory{&result.tiff};
    TIFF* tiff = memory.open("w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kRowsPerStrip);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, mode == Omvi::CcittMode::kGroup4 ? COMPRESSION_CCITTFAX4
                                                                              : COMPRESSION_CCITTFAX3);
    if (mode != Omvi::CcittMode::kGroup4)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, mode == Omvi::CcittMode::kGroup3TwoDimensional ? 1 : 0);
    for (std::size_t s = 0; s < result.strips.size(); ++s)
        TIFFWriteRawStrip(tiff, static_cast<std::uint32_t>(s), result.strips[s].data(),
                          static_cast<tmsize_t>(result.strips[s].size()));
    TIFFClose(tiff);
    return cache.emplace(std::make_pair(which, mode), std::move(result)).first->second;
}

void setLabels(benchmark::State& state, const CodedPage& page)
{
    std::size_t codeBytes = 0;
    for (const auto& strip : page.strips)
        codeBytes += strip.size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ((kWidth + 7) / 8) * kHeight);
    state.counters["code_MB"] = static_cast<double>(codeBytes) / 1e6;
}

void BM_DecodeOurs(benchmark::State& state)
{
    Omvi::setCcittDiagnosticSink(nullptr);
    const CodedPage& page = coded(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    Omvi::Decoder decoder;
    decoder.setup(static_cast<int>(state.range(1)), 1, kWidth);
    const int rowBytes = (kWidth + 7) / 8;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(rowBytes) * kRowsPerStrip);
    for (auto _ : state)
    {
        int top = 0;
        for (const auto& strip : page.strips)
        {
            const int count = std::min(kRowsPerStrip, kHeight - top);
            decoder.decodeBlock(strip.data(), static_cast<std::int32_t>(strip.size()), rows.data(), count * rowBytes);
            top += count;
        }
        benchmark::DoNotOptimize(rows.data());
    }
    setLabels(state, page);
}

void BM_DecodeLibtiff(benchmark::State& state)
{
    const CodedPage& page = coded(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> bytes = page.tiff;
    MemoryTiff memory{&bytes};
    TIFF* tiff = memory.open("rm");
    const int rowBytes = (kWidth + 7) / 8;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(rowBytes) * kRowsPerStrip);
    const std::uint32_t strips = TIFFNumberOfStrips(tiff);
    for (auto _ : state)
    {
        for (std::uint32_t s = 0; s < strips; ++s)
            TIFFReadEncodedStrip(tiff, s, rows.data(), static_cast<tmsize_t>(rows.size()));
        benchmark::DoNotOptimize(rows.data());
    }
    TIFFClose(tiff);
    setLabels(state, page);
}

void BM_EncodeOurs(benchmark::State& state)
{
    const BitonalImage& image = page(static_cast<int>(state.range(0)));
    const int mode = static_cast<int>(state.range(1));
    Omvi::Encoder encoder;
    encoder.setup(mode, 1, 0, kWidth);
    std::vector<std::uint8_t> strip(
        static_cast<std::size_t>(Omvi::Encoder::worstCaseRowBytes(kWidth) * (kRowsPerStrip + 1)));
    for (auto _ : state)
    {
        for (int top = 0; top < kHeight; top += kRowsPerStrip)
        {
            const int rows = std::min(kRowsPerStrip, kHeight - top);
            std::int32_t produced = 0;
            encoder.encodeBlock(image.row(top), rows * image.rowBytes(), strip.data(),
                                static_cast<std::int32_t>(strip.size()), &produced);
        }
        benchmark::DoNotOptimize(strip.data());
    }
    setLabels(state, coded(static_cast<int>(state.range(0)), mode));
}

// Arguments: page (0 text, 1 checkerboard), mode (0 Group 3 1-D, 1 Group 3
// 2-D, 2 Group 4).
void pages(benchmark::internal::Benchmark* benchmark)
{
    for (int which : {0, 1})
        for (int mode : {2, 1, 0})
            benchmark->Args({which, mode});
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_DecodeOurs)->Apply(pages);
BENCHMARK(BM_DecodeLibtiff)->Apply(pages);
BENCHMARK(BM_EncodeOurs)->Apply(pages);
