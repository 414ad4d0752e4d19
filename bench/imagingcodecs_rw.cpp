// Reading and writing a 5,000 x 5,000 RGB image with each codec that writes,
// beside the independent tools on the same files in the same run: libjpeg's
// djpeg and cjpeg (the same library underneath) for JPEG, ImageMagick's
// convert for the others. Every run, ours and the tools', is a process of
// its own (MAGICK_THREAD_LIMIT=1) so that its peak memory is its own: the
// peak is the child's maximum resident set as wait4 reports it.
//
// - <format>/write/ours: rows generated in memory, written by the codec's
//   writer (JPEG at the texture settings into a growable memory stream, as
//   the texture conversion writes it; the others into a file).
// - <format>/read/ours: every row of the file through the codec's reader.
// - jpeg/write/cjpeg: cjpeg -dct float -quality 75 -baseline from the PPM.
// - jpeg/read/djpeg: djpeg -dct float -pnm of our JPEG.
// - <format>/write/convert: convert from the PPM; <format>/read/convert:
//   convert of our file into null: (decoded, nothing written).
//
// - rows/generate: the writers' row source alone, which their times include.
//
// - png/read/libpng, png/write/libpng: a bare libpng loop over the same file
//   and the same rows (FILE*, the same conversions: a filler byte added when
//   reading, dropped when writing; default compression).
// - gif/..., pcx/...: read-only GIF and 8-bit PCX of a 216-colour version of
//   the picture (palette.ppm): GIF made by convert, PCX by our writer
//   (pcx/write/ours from index rows), 24-bit PCX (pcx24) by convert; read by
//   the codec and by convert into PPM (ppm:/dev/null).
//
// "MB/s" counts the image's 75,000,000 RGB bytes per second of wall time;
// "peak_MB" is the maximum resident set. Goals: JPEG within 1.2x of
// djpeg/cjpeg; BMP and Targa at least 500 MB/s and faster than convert; PNG
// within 1.2x of the bare libpng loop; GIF and PCX reads faster than
// convert's.
// Other codecs add a line to kFormats.
#include "imaging_bench.h"

#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/jfif/JfifProperties.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/pipeline/DataStreamInterface.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <benchmark/benchmark.h>

#include <png.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

using imaging_bench::Clock;
using imaging_bench::Outcome;
using imaging_bench::runTool;
using imaging_bench::secondsSince;

constexpr std::int32_t kSide = 5000;
constexpr double kImageBytes = double(kSide) * kSide * 3;

// One row of the picture: smooth gradients with some detail, as a texture
// would have, made on the fly (cheaply, from a table) so that no process
// holds the whole image and the writers' times are their own.
void makeRow(std::int32_t y, std::uint8_t* rgba)
{
    constexpr int kWave = 2513;  // about 2 pi x 400
    struct Tables
    {
        std::vector<std::uint8_t> wave;
        std::vector<std::uint8_t> red;
    };
    static const Tables tables = [] {
        Tables made{std::vector<std::uint8_t>(kWave), std::vector<std::uint8_t>(kSide)};
        for (int i = 0; i < kWave; ++i)
            made.wave[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(128 + 100 * std::sin(i / 40.0));
        for (int x = 0; x < kSide; ++x)
            made.red[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x * 255 / kSide);
        return made;
    }();
    const auto green = static_cast<std::uint8_t>(y * 255 / kSide);
    std::size_t phase = static_cast<std::size_t>((2 * y) % kWave);
    for (std::int32_t x = 0; x < kSide; ++x)
    {
        rgba[4 * x] = tables.red[static_cast<std::size_t>(x)];
        rgba[4 * x + 1] = green;
        rgba[4 * x + 2] = static_cast<std::uint8_t>(tables.wave[phase] + ((x ^ y) & 15));
        rgba[4 * x + 3] = 255;
        if (++phase == kWave)
            phase = 0;
    }
}

// The writer's rows, made as they are asked for.
class GeneratedRows : public Omvi::RowIteratorInterface
{
public:
    std::int32_t bytesPerRow() const override { return 4 * kSide; }
    void getRow(Omvi::DataBuffer& row) override { makeRow(current_, row.data()); }
    bool next() override
    {
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return kSide; }
    std::int32_t width() const override { return kSide; }
    void start() override { current_ = 0; }
    void finish() override {}

private:
    std::int32_t current_ = 0;
};

// The texture conversion's kind of output: a stream that grows in memory.
class GrowingStream : public Omvi::DataStreamInterface
{
public:
    void read(std::int32_t, void*, std::int32_t* bytesRead) override { *bytesRead = -1; }
    bool write(std::int32_t count, const void* buffer) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        data_.insert(data_.end(), bytes, bytes + count);
        return true;
    }
    bool open(std::int32_t) override { return true; }
    bool rewind() override { return true; }
    void close() override {}
    std::size_t size() const { return data_.size(); }

private:
    std::vector<std::uint8_t> data_;
};

struct Format
{
    const char* name;
    const char* extension;
    std::function<Omvi::ImageFormatCodec*()> makeCodec;
};

const std::vector<Format> kFormats = {
    {"jpeg", "jpg", [] { return new Omvi::JfifFormatCodec; }},
    {"bmp", "bmp", [] { return new Omvi::BmpFormatCodec; }},
    {"tga", "tga", [] { return new Omvi::TargaFormatCodec; }},
    {"png", "png", [] { return new Omvi::PngFormatCodec; }},
};

Omvi::FileSpecifier specifierOf(const std::string& path)
{
    return Omvi::FileSpecifier(Omvi::AsciiStringBuffer(path), Omvi::FileSpecifier::kFile);
}

// Writes the picture with the format's writer: to `path`, or for JPEG into
// a memory stream when `path` is empty. True when it was written.
bool writeOurs(const Format& format, const std::string& path)
{
    std::unique_ptr<Omvi::ImageFormatCodec> codec(format.makeCodec());
    GrowingStream stream;
    std::unique_ptr<Omvi::WriteImageFileInterface> writer;
    if (path.empty())
    {
        auto* streaming = dynamic_cast<Omvi::ImageFormatCodecStreamingInterface*>(codec.get());
        if (streaming == nullptr)
            return false;
        writer.reset(streaming->createStreamWriter(&stream));
    }
    else
    {
        std::remove(path.c_str());
        writer.reset(codec->createWriter());
        if (!writer || !writer->open(specifierOf(path)))
            return false;
    }
    std::unique_ptr<Omvi::WriteImageFileFrameInterface> frame(writer->createFrame());
    if (!frame)
        return false;
    frame->setSize(kSide, kSide);
    frame->setThirdValue(32);
    frame->setBitsPerPixel(24);
    frame->setDataModelKind(1);
    if (std::string(format.name) == "jpeg")
    {
        Omvi::JfifCompression quality;
        quality.setValue(75);
        frame->setProperty(&quality);
    }
    GeneratedRows rows;
    try
    {
        writer->writeFrame(frame.get(), &rows);
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
        return false;
    }
    return path.empty() ? stream.size() > 0 : true;
}

bool readOurs(const Format& format, const std::string& path)
{
    std::unique_ptr<Omvi::ImageFormatCodec> codec(format.makeCodec());
    try
    {
        std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec->openForRead(specifierOf(path)));
        std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        std::unique_ptr<Omvi::RowIteratorInterface> rows(frame ? frame->newRowIterator() : nullptr);
        if (!rows || rows->rowCount() != kSide)
            return false;
        Omvi::DataBuffer row(rows->bytesPerRow());
        rows->start();
        std::uint32_t sum = 0;
        for (std::int32_t r = 0; r < kSide; ++r)
        {
            rows->getRow(row);
            rows->next();
            sum += row.data()[r % row.size()];
        }
        rows->finish();
        benchmark::DoNotOptimize(sum);
        return true;
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
        return false;
    }
}

// Runs `work` in a child process and times it there.
Outcome inChild(const std::function<bool()>& work)
{
    return imaging_bench::inChild([&work] {
        const auto start = Clock::now();
        return work() ? secondsSince(start) : -1.0;
    });
}

// The run's time and peak, and the image's bytes per second of it.
void reportThroughput(benchmark::State& state, const Outcome& outcome)
{
    imaging_bench::report(state, outcome);
    if (outcome.ok)
        state.counters["MB/s"] = kImageBytes / 1e6 / outcome.seconds;
}

// The files every benchmark reads: the PPM the tools start from and our
// file of each format.
class Files
{
public:
    static Files& get()
    {
        static Files files;
        return files;
    }
    std::string ppm() const { return folder_ + "/source.ppm"; }
    std::string ours(const Format& format) const { return folder_ + "/ours." + format.extension; }
    std::string scratch(const Format& format) const { return folder_ + "/scratch." + format.extension; }
    bool ready() const { return ready_; }

private:
    Files()
    {
        char pattern[] = "/tmp/codec-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        folder_ = pattern;
        std::ofstream out(ppm(), std::ios::binary);
        out << "P6\n" << kSide << " " << kSide << "\n255\n";
        std::vector<std::uint8_t> rgba(4 * kSide);
        std::vector<char> rgb(3 * kSide);
        for (std::int32_t y = 0; y < kSide; ++y)
        {
            makeRow(y, rgba.data());
            for (std::int32_t x = 0; x < kSide; ++x)
                std::memcpy(&rgb[3 * x], &rgba[4 * x], 3);
            out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
        }
        ready_ = static_cast<bool>(out);
        out.close();
        for (const Format& format : kFormats)
            ready_ = ready_ && inChild([&] { return writeOurs(format, ours(format)); }).ok;
    }
    ~Files()
    {
        if (!folder_.empty())
            std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    std::string folder_;
    bool ready_ = false;
};

// The writers' row source alone: what the write times include beside the
// codec's own work.
void generateRows(benchmark::State& state)
{
    for (auto _ : state)
        reportThroughput(state, inChild([] {
            GeneratedRows rows;
            Omvi::DataBuffer row(rows.bytesPerRow());
            rows.start();
            std::uint32_t sum = 0;
            for (std::int32_t r = 0; r < kSide; ++r)
            {
                rows.getRow(row);
                rows.next();
                sum += row.data()[r];
            }
            benchmark::DoNotOptimize(sum);
            return true;
        }));
}

void ourWrite(benchmark::State& state, const Format* format)
{
    Files& files = Files::get();
    for (auto _ : state)
    {
        const bool toStream = std::string(format->name) == "jpeg";
        reportThroughput(state, inChild([&] { return writeOurs(*format, toStream ? std::string() : files.scratch(*format)); }));
    }
}

void ourRead(benchmark::State& state, const Format* format)
{
    Files& files = Files::get();
    for (auto _ : state)
        reportThroughput(state, inChild([&] { return files.ready() && readOurs(*format, files.ours(*format)); }));
}

void toolRun(benchmark::State& state, std::function<std::vector<std::string>()> arguments)
{
    Files::get();
    for (auto _ : state)
        reportThroughput(state, runTool(arguments()));
}

benchmark::internal::Benchmark* settle(benchmark::internal::Benchmark* benchmark)
{
    return benchmark->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

std::vector<std::string> toolArguments(const Format& format, bool write)
{
    Files& files = Files::get();
    const std::string name = format.name;
    if (name == "jpeg" && write)
        return {"cjpeg", "-dct", "float", "-quality", "75", "-baseline", "-outfile", "/dev/null", files.ppm()};
    if (name == "jpeg")
        return {"djpeg", "-dct", "float", "-pnm", "-outfile", "/dev/null", files.ours(format)};
    if (write)
        return {"convert", files.ppm(), files.scratch(format)};
    return {"convert", files.ours(format), "null:"};
}

// The files are made when the first benchmark runs, not when the program
// only lists its benchmarks.
bool registerAll()
{
    settle(benchmark::RegisterBenchmark("rows/generate", generateRows));
    for (const Format& format : kFormats)
    {
        const std::string name = format.name;
        const std::string peer = name == "jpeg" ? "cjpeg" : "convert";
        const std::string readPeer = name == "jpeg" ? "djpeg" : "convert";
        settle(benchmark::RegisterBenchmark((name + "/write/ours").c_str(), ourWrite, &format));
        settle(benchmark::RegisterBenchmark((name + "/write/" + peer).c_str(), toolRun,
                                            [&format] { return toolArguments(format, true); }));
        settle(benchmark::RegisterBenchmark((name + "/read/ours").c_str(), ourRead, &format));
        settle(benchmark::RegisterBenchmark((name + "/read/" + readPeer).c_str(), toolRun,
                                            [&format] { return toolArguments(format, false); }));
    }
    return true;
}

const bool registered = registerAll();

// ---- PNG beside a bare libpng loop; GIF and PCX read beside convert ----

void quietPng(png_structp, png_const_charp) {}
void jumpPng(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Every row of the file through libpng alone, delivered as our reader
// delivers them (red, green, blue, 255).
bool readWithLibpng(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpPng, quietPng);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row;
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_filler(png, 255, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    row.resize(png_get_rowbytes(png, info));
    std::uint32_t sum = 0;
    const png_uint_32 height = png_get_image_height(png, info);
    for (png_uint_32 r = 0; r < height; ++r)
    {
        png_read_row(png, row.data(), nullptr);
        sum += row[r % row.size()];
    }
    benchmark::DoNotOptimize(sum);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

// The generated rows written by libpng alone, as our writer writes them.
bool writeWithLibpng(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpPng, quietPng);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(4 * kSide);
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (std::int32_t r = 0; r < kSide; ++r)
    {
        makeRow(r, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// The picture in 216 colours (six levels a channel) as palette indices.
void makeIndexRow(std::int32_t y, std::uint8_t* indices)
{
    std::vector<std::uint8_t> rgba(4 * kSide);
    makeRow(y, rgba.data());
    for (std::int32_t x = 0; x < kSide; ++x)
        indices[x] = static_cast<std::uint8_t>(rgba[4 * x] / 43 * 36 + rgba[4 * x + 1] / 43 * 6 + rgba[4 * x + 2] / 43);
}

std::vector<std::uint8_t> levelPalette()
{
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < 216; ++i)
        palette.insert(palette.end(), {static_cast<std::uint8_t>(i / 36 * 51), static_cast<std::uint8_t>(i / 6 % 6 * 51),
                                       static_cast<std::uint8_t>(i % 6 * 51)});
    palette.resize(256 * 3, 0);
    return palette;
}

class IndexRows : public Omvi::RowIteratorInterface
{
public:
    std::int32_t bytesPerRow() const override { return kSide; }
    void getRow(Omvi::DataBuffer& row) override { makeIndexRow(current_, row.data()); }
    bool next() override
    {
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return kSide; }
    std::int32_t width() const override { return kSide; }
    void start() override { current_ = 0; }
    void finish() override {}

private:
    std::int32_t current_ = 0;
};

bool writePalettePcx(const std::string& path)
{
    std::remove(path.c_str());
    Omvi::PcxFormatCodec codec;
    std::unique_ptr<Omvi::WriteImageFileInterface> writer(codec.createWriter());
    if (!writer || !writer->open(specifierOf(path)))
        return false;
    std::unique_ptr<Omvi::WriteImageFileFrameInterface> frame(writer->createFrame());
    const std::vector<std::uint8_t> palette = levelPalette();
    try
    {
        frame->setSize(kSide, kSide);
        frame->setThirdValue(8);
        frame->setBitsPerPixel(8);
        frame->setDataModelKind(2);
        frame->setPaletteCount(256);
        frame->setPalette(palette.data());
        IndexRows rows;
        return writer->writeFrame(frame.get(), &rows) == 1;
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
        return false;
    }
}

struct PaletteFormat
{
    const char* name;
    Format format;
    std::string file;
};

class PaletteFiles
{
public:
    static PaletteFiles& get()
    {
        static PaletteFiles files;
        return files;
    }
    std::string path(const std::string& name) const { return folder_ + "/" + name; }
    bool ready() const { return ready_; }

private:
    PaletteFiles()
    {
        Files::get();
        char pattern[] = "/tmp/codec-bench-palette-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        folder_ = pattern;
        const std::vector<std::uint8_t> palette = levelPalette();
        {
            std::ofstream out(path("palette.ppm"), std::ios::binary);
            out << "P6\n" << kSide << " " << kSide << "\n255\n";
            std::vector<std::uint8_t> indices(kSide);
            std::vector<char> rgb(3 * kSide);
            for (std::int32_t y = 0; y < kSide; ++y)
            {
                makeIndexRow(y, indices.data());
                for (std::int32_t x = 0; x < kSide; ++x)
                    std::memcpy(&rgb[3 * x], &palette[3 * indices[x]], 3);
                out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
            }
        }
        ready_ = runTool({"convert", path("palette.ppm"), path("ours.gif")}).ok &&
                 runTool({"convert", path("palette.ppm"), "PCX:" + path("ours24.pcx")}).ok &&
                 inChild([&] { return writePalettePcx(path("ours.pcx")); }).ok;
    }
    ~PaletteFiles()
    {
        if (!folder_.empty())
            std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    std::string folder_;
    bool ready_ = false;
};

const Format kGif = {"gif", "gif", [] { return new Omvi::GifFormatCodec; }};
const Format kPcx = {"pcx", "pcx", [] { return new Omvi::PcxFormatCodec; }};

void pngLibpngRead(benchmark::State& state)
{
    Files& files = Files::get();
    const Format& png = kFormats.back();
    for (auto _ : state)
        reportThroughput(state, inChild([&] { return files.ready() && readWithLibpng(files.ours(png)); }));
}

void pngLibpngWrite(benchmark::State& state)
{
    Files& files = Files::get();
    const Format& png = kFormats.back();
    for (auto _ : state)
        reportThroughput(state, inChild([&] { return writeWithLibpng(files.scratch(png)); }));
}

void paletteRead(benchmark::State& state, const Format* format, const char* file)
{
    PaletteFiles& files = PaletteFiles::get();
    for (auto _ : state)
        reportThroughput(state, inChild([&] { return files.ready() && readOurs(*format, files.path(file)); }));
}

void paletteConvert(benchmark::State& state, const char* file)
{
    PaletteFiles& files = PaletteFiles::get();
    for (auto _ : state)
        reportThroughput(state, runTool({"convert", files.path(file), "ppm:/dev/null"}));
}

void pcxWrite(benchmark::State& state)
{
    PaletteFiles& files = PaletteFiles::get();
    for (auto _ : state)
        reportThroughput(state, inChild([&] { return writePalettePcx(files.path("scratch.pcx")); }));
}

bool registerPaletteFormats()
{
    settle(benchmark::RegisterBenchmark("png/read/libpng", pngLibpngRead));
    settle(benchmark::RegisterBenchmark("png/write/libpng", pngLibpngWrite));
    settle(benchmark::RegisterBenchmark("gif/read/ours", paletteRead, &kGif, "ours.gif"));
    settle(benchmark::RegisterBenchmark("gif/read/convert", paletteConvert, "ours.gif"));
    settle(benchmark::RegisterBenchmark("pcx/write/ours", pcxWrite));
    settle(benchmark::RegisterBenchmark("pcx/read/ours", paletteRead, &kPcx, "ours.pcx"));
    settle(benchmark::RegisterBenchmark("pcx/read/convert", paletteConvert, "ours.pcx"));
    settle(benchmark::RegisterBenchmark("pcx24/read/ours", paletteRead, &kPcx, "ours24.pcx"));
    settle(benchmark::RegisterBenchmark("pcx24/read/convert", paletteConvert, "ours24.pcx"));
    return true;
}

const bool paletteRegistered = registerPaletteFormats();


} // namespace
