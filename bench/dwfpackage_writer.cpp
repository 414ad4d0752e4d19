// Package write throughput: 100 sections of 1 MiB resources through the
// package writer, beside the same bytes written as 100 entries through the
// package file descriptor alone, at the same deflate level and into the same
// folder, so the cost of the package layer (sections, manifest, descriptors,
// the resource copy loop, the temporary file and rename) shows as a ratio.

#include "dwf/package/EPlotSection.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/writer/PackageWriter.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/zip/PackageFileDescriptor.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kSections = 100;
constexpr size_t kResourceSize = 1u << 20;
constexpr size_t kChunk = 16384; // what the package writer copies at a time

// Drawing-stream-like bytes with some noise, compressing to roughly a third.
const std::vector<uint8_t>& resourceBytes()
{
    static const std::vector<uint8_t> bytes = []
    {
        static const char words[] = "(Polyline 4 0,0 120,0 120,80 0,80)(Color 12)(LineWeight 3)";
        std::vector<uint8_t> out(kResourceSize);
        uint64_t x = 88172645463325252ull;
        for (size_t i = 0; i < out.size(); ++i)
        {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            out[i] = (x & 7) == 0 ? static_cast<uint8_t>(x >> 32)
                                  : static_cast<uint8_t>(words[i % (sizeof words - 1)]);
        }
        return out;
    }();
    return bytes;
}

std::string targetPath(const char* name)
{
    return std::string("/tmp/") + name + "-" + std::to_string(::getpid()) + ".dwf";
}

void PackageWriterSections(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const std::vector<uint8_t>& data = resourceBytes();
    const std::string target = targetPath("bench-package");
    for (auto _ : state)
    {
        DWFToolkit::DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        for (int i = 0; i < kSections; ++i)
        {
            auto* section =
                new DWFToolkit::DWFEPlotSection(u"Sheet", u"", 0, DWFToolkit::DWFSource());
            auto* graphic = new DWFToolkit::DWFGraphicResource(
                u"Sheet", DWFToolkit::DWFResource::kRole2DStreamingGraphics, u"application/x-w2d",
                u"", u"", u"", u"");
            graphic->setInputStream(new DWFCore::DWFBufferInputStream(data.data(), data.size()));
            section->addResource(graphic, true);
            writer.addSection(section);
        }
        writer.write(u"", u"", u"", u"", u"", level);
    }
    ::unlink(target.c_str());
    state.SetBytesProcessed(state.iterations() * int64_t(kSections) * int64_t(kResourceSize));
}

void ZipLayerEntries(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const std::vector<uint8_t>& data = resourceBytes();
    const std::string target = targetPath("bench-zip");
    for (auto _ : state)
    {
        DWFToolkit::DWFPackageFileDescriptor archive(DWFCore::DWFFile(target.c_str()), level, 6, 0);
        archive.open();
        for (int i = 0; i < kSections; ++i)
        {
            std::unique_ptr<DWFCore::DWFZippingOutputStream> stream(archive.zip(
                DWFCore::DWFString((u"com.morvalex.dwf.ePlot_" + std::u16string(1, u'A' + i % 26) +
                                    std::u16string(1, u'A' + i / 26) + u"\\graphics.w2d")
                                       .c_str())));
            for (size_t at = 0; at < data.size(); at += kChunk)
            {
                stream->write(data.data() + at, kChunk);
            }
            stream->close();
        }
        archive.close();
    }
    ::unlink(target.c_str());
    state.SetBytesProcessed(state.iterations() * int64_t(kSections) * int64_t(kResourceSize));
}

} // namespace

BENCHMARK(ZipLayerEntries)->Arg(1)->Arg(9)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(PackageWriterSections)->Arg(1)->Arg(9)->Unit(benchmark::kMillisecond)->MinTime(2.0);
