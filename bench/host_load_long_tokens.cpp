// Loading a host document whose bulk is one long token (a comment, or the
// value of one attribute) beside one padded with the same size of blanks:
// the time should stay in proportion to the document whatever its tokens.
// Each load runs in a child process of its own, so that its peak resident
// memory ("peak_MB") is measured apart from the benchmark's.
#include "host/Loader.h"
#include "platform/kernel/Path.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
enum class Filler
{
    Blanks,
    Comment,
    Attribute,
};

// Writes `bytes` of `fill` to `out` a mebibyte at a time.
void writeRepeated(std::ofstream& out, char fill, std::size_t bytes)
{
    const std::string chunk(std::size_t{1} << 20, fill);
    for (; bytes > chunk.size(); bytes -= chunk.size())
        out << chunk;
    out << chunk.substr(0, bytes);
}

// A temporary file holding a small part padded by `bytes` of `filler`,
// written without ever holding the document, so that the benchmark's own
// memory stays small; removed at the end.
class DocumentFile
{
public:
    DocumentFile(Filler filler, std::size_t bytes)
    {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern =
            std::string(folder && *folder ? folder : "/tmp") + "/quillcast-bench-XXXXXX.xml";
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd >= 0)
            ::close(fd);
        path_ = pattern;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << "<host-document>\n";
        if (filler == Filler::Blanks)
            writeRepeated(out, ' ', bytes);
        if (filler == Filler::Comment)
        {
            out << "<!--";
            writeRepeated(out, 'x', bytes);
            out << "-->";
        }
        out << "\n<document type=\"1\" title=\"";
        if (filler == Filler::Attribute)
            writeRepeated(out, 't', bytes);
        out << "p.PRT\" path=\"/samples/p.PRT\">\n<body>\n<face triangles=\"1\">\n"
               "<triangles>0 0 0 1 0 0 0 1 0</triangles>\n"
               "<normals>0 0 1 0 0 1 0 0 1</normals>\n</face>\n</body>\n</document>\n"
               "</host-document>\n";
    }
    ~DocumentFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Loads the file in a child process; its peak resident memory in kB, or -1
// when the load failed.
long loadInChild(const std::string& path)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        bool loaded = false;
        try
        {
            loaded = host::loadHostDocument(platform::path::fromNative(path)) != nullptr;
        }
        catch (...)
        {
        }
        ::_exit(loaded ? 0 : 1);
    }
    int status = 0;
    rusage usage = {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void loadPadded(benchmark::State& state, Filler filler)
{
    const auto bytes = static_cast<std::size_t>(state.range(0)) * 1000 * 1000;
    const DocumentFile file(filler, bytes);
    long peak = 0;
    for (auto _ : state)
    {
        const long kilobytes = loadInChild(file.path());
        if (kilobytes < 0)
        {
            state.SkipWithError("the document did not load");
            return;
        }
        peak = std::max(peak, kilobytes);
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes));
}
} // namespace

static void BM_LoadPaddedWithBlanks(benchmark::State& state)
{
    loadPadded(state, Filler::Blanks);
}
static void BM_LoadPaddedWithOneComment(benchmark::State& state)
{
    loadPadded(state, Filler::Comment);
}
static void BM_LoadPaddedWithOneAttribute(benchmark::State& state)
{
    loadPadded(state, Filler::Attribute);
}
// Sizes in MB: the time per MB should not grow with the size. One load
// each: the largest take seconds.
static void paddedSizes(benchmark::internal::Benchmark* run)
{
    run->Arg(16)->Arg(64)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}
BENCHMARK(BM_LoadPaddedWithBlanks)->Apply(paddedSizes);
BENCHMARK(BM_LoadPaddedWithOneComment)->Apply(paddedSizes);
BENCHMARK(BM_LoadPaddedWithOneAttribute)->Apply(paddedSizes);
