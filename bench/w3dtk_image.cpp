// The W3D image record with a 1024 x 1024 image, written and read raw,
// run-length coded (one byte per pixel) and JPEG coded (RGB), reported as
// pixel bytes per second. Beside them, bare libjpeg compressing and
// decompressing the same pixels at the same quality into and out of memory:
// the JPEG record should take no more than 1.1 times as long as bare libjpeg.
// On a shared machine compare them with
// --benchmark_enable_random_interleaving=true --benchmark_repetitions=6.
#include "dwf/w3dtk/records/image.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/tests/memory_streams.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace
{
constexpr int Side = 1024;
constexpr int Quality = 75;

using w3d_test::Bytes;

// A photograph-like picture: smooth shading, edges and a little noise.
const std::vector<unsigned char>& rgb_pixels()
{
    static const std::vector<unsigned char> pixels = []
    {
        std::vector<unsigned char> p;
        p.reserve(std::size_t(Side) * Side * 3);
        unsigned noise = 12345;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
            {
                noise = noise * 1103515245u + 12345u;
                int const grain = int(noise >> 28) - 8;
                bool const inside = (x - 400) * (x - 400) + (y - 600) * (y - 600) < 200 * 200;
                int const r = (inside ? 200 : x / 5) + grain;
                int const g = int(128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013)) + grain;
                int const b = (y / 5 + (x / 64 % 2) * 40) + grain;
                for (int v : {r, g, b})
                    p.push_back(static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v));
            }
        return p;
    }();
    return pixels;
}

// An indexed picture with long runs: flat regions of a few colours.
const std::vector<unsigned char>& mapped_pixels()
{
    static const std::vector<unsigned char> pixels = []
    {
        std::vector<unsigned char> p;
        p.reserve(std::size_t(Side) * Side);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                p.push_back(static_cast<unsigned char>((x / 100 + y / 75) % 7 + (x % 61 == 0)));
        return p;
    }();
    return pixels;
}

void emit(BStreamFileToolkit& tk, W3DStreamWriter& writer, int format, int compression)
{
    const std::vector<unsigned char>& pixels =
        format == TK_Image::TK_Image_RGB ? rgb_pixels() : mapped_pixels();
    auto& image = static_cast<TK_Image&>(tk.GetOpcodeHandler('i'));
    image.SetObserver(&writer);
    image.SetFormat(format);
    image.SetCompression(compression);
    image.SetSize(Side, Side);
    image.SetBytes(pixels.data(), pixels.size());
    image.serialize();
}

Bytes record_stream(int format, int compression)
{
    return w3d_test::write_stream([=](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                                  { emit(tk, writer, format, compression); });
}

void write_image(benchmark::State& state, int format, int compression)
{
    std::size_t const bytes = std::size_t(Side) * Side * TK_Image::BytesPerPixel(format);
    std::size_t written = 0;
    for (auto _ : state)
    {
        Bytes const out =
            w3d_test::write_records([=](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                                    { emit(tk, writer, format, compression); });
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["record_bytes"] = double(written);
}

void read_image(benchmark::State& state, int format, int compression)
{
    std::size_t const bytes = std::size_t(Side) * Side * TK_Image::BytesPerPixel(format);
    Bytes const stream = record_stream(format, compression);
    for (auto _ : state)
    {
        w3d_test::Read_Result const result = w3d_test::read_stream(stream, 1 << 16);
        if (result.status != TK_Ended)
            state.SkipWithError(result.error.c_str());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}

void BM_RecordWriteRaw(benchmark::State& state)
{
    write_image(state, TK_Image::TK_Image_RGB, TK_Image::TK_Image_None);
}
void BM_RecordReadRaw(benchmark::State& state)
{
    read_image(state, TK_Image::TK_Image_RGB, TK_Image::TK_Image_None);
}
void BM_RecordWriteRunLength(benchmark::State& state)
{
    write_image(state, TK_Image::TK_Image_Mapped, TK_Image::TK_Image_RLE);
}
void BM_RecordReadRunLength(benchmark::State& state)
{
    read_image(state, TK_Image::TK_Image_Mapped, TK_Image::TK_Image_RLE);
}
void BM_RecordWriteJpeg(benchmark::State& state)
{
    write_image(state, TK_Image::TK_Image_RGB, TK_Image::TK_Image_JPEG);
}
void BM_RecordReadJpeg(benchmark::State& state)
{
    read_image(state, TK_Image::TK_Image_RGB, TK_Image::TK_Image_JPEG);
}

// What every record write above includes besides its coding: the client's
// copy of the pixels into the handler, which a reset frees again.
void BM_HandlerFill(benchmark::State& state)
{
    const std::vector<unsigned char>& pixels = rgb_pixels();
    TK_Image image;
    for (auto _ : state)
    {
        image.SetFormat(TK_Image::TK_Image_RGB);
        image.SetSize(Side, Side);
        image.SetBytes(pixels.data(), pixels.size());
        benchmark::DoNotOptimize(image.GetBytes().data());
        image.Reset();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * Side * Side * 3);
}

// ---- bare libjpeg on the same pixels, errors left to libjpeg's default exit

void BM_BareLibjpegCompress(benchmark::State& state)
{
    const std::vector<unsigned char>& pixels = rgb_pixels();
    unsigned long size = 0;
    for (auto _ : state)
    {
        jpeg_compress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_compress(&info);
        unsigned char* out = nullptr;
        size = 0;
        jpeg_mem_dest(&info, &out, &size);
        info.image_width = Side;
        info.image_height = Side;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, Quality, FALSE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height)
        {
            JSAMPROW row = const_cast<JSAMPLE*>(pixels.data() + info.next_scanline * Side * 3);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * Side * Side * 3);
    state.counters["jpeg_bytes"] = double(size);
}

void BM_BareLibjpegDecompress(benchmark::State& state)
{
    // The JPEG data the record carries, taken from a record written once.
    Bytes const record = w3d_test::write_records(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        { emit(tk, writer, TK_Image::TK_Image_RGB, TK_Image::TK_Image_JPEG); });
    std::size_t const at = 1 + 12 + 1 + 8 + 1 + 4;
    Bytes const jpeg(record.begin() + long(at), record.end());
    for (auto _ : state)
    {
        // A fresh image for every decoding, as the record hands out, taken
        // without a fill as a bare caller would.
        std::unique_ptr<unsigned char[]> pixels(new unsigned char[std::size_t(Side) * Side * 3]);
        jpeg_decompress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, jpeg.data(), jpeg.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height)
        {
            JSAMPROW row = pixels.get() + std::size_t(info.output_scanline) * Side * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * Side * Side * 3);
}

} // namespace

BENCHMARK(BM_RecordWriteRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordReadRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordWriteRunLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordReadRunLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordWriteJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandlerFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibjpegCompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordReadJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibjpegDecompress)->Unit(benchmark::kMillisecond);
