#pragma once
// Running the quillcast program built beside a benchmark, in a scratch
// folder of its own, and measuring what a run costs.
#include "addin/tests/QuillcastBeside.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench_program
{

using addin_test::ProgramBesideThis;

// A folder of this run in the temporary folder, removed at the end.
struct Scratch
{
    std::string path;
    explicit Scratch(const std::string& prefix)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~Scratch()
    {
        if (!path.empty())
            std::system(("rm -rf '" + path + "'").c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// Runs `quillcast publish DOCUMENT -o PACKAGE` to completion; its peak
// resident memory in kilobytes, or -1 when it failed.
inline long PublishAndMeasure(const std::string& program, const std::string& document,
                              const std::string& package)
{
    std::vector<std::string> arguments = {program, "publish", document, "-o", package, "--force",
                                          "--quiet"};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// Publishes `document` to `package` once an iteration of `state`; the peak
// resident memory of the last run in kilobytes, or -1 (the benchmark then
// marked failed, its loop left) when a run failed.
inline long PublishEachIteration(benchmark::State& state, const std::string& program,
                                 const std::string& document, const std::string& package)
{
    long peakKilobytes = 0;
    for (auto _ : state)
    {
        peakKilobytes = PublishAndMeasure(program, document, package);
        if (peakKilobytes < 0)
        {
            state.SkipWithError("publishing failed");
            break;
        }
    }
    return peakKilobytes;
}

// What the publications of one generated document cost: its size and the
// program's peak resident memory in MB, and the seconds of every iteration.
struct PublishedDocument
{
    double documentMB = 0;
    double peakMB = 0;
    double seconds = 0;
};

// Publishes the document that `write` makes in `scratch` (it returns the
// document's path, or "" when it could not be written) once an iteration
// of `state`, then removes the document and its package. False, with the
// benchmark skipped and the reason given, when the program is not built
// beside the benchmark, the document could not be written or a run failed.
template <typename WriteDocument>
bool PublishGenerated(benchmark::State& state, const Scratch& scratch, WriteDocument write,
                      PublishedDocument& figures)
{
    const std::string program = ProgramBesideThis();
    if (::access(program.c_str(), X_OK) != 0 || scratch.path.empty())
    {
        state.SkipWithError("the quillcast program is not built beside this benchmark");
        return false;
    }
    const std::string document = write();
    struct stat status{};
    if (document.empty() || ::stat(document.c_str(), &status) != 0)
    {
        state.SkipWithError("the document could not be written");
        return false;
    }
    const std::string package = scratch.path + "/published.dwf";
    const auto start = std::chrono::steady_clock::now();
    const long peakKilobytes = PublishEachIteration(state, program, document, package);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::remove(package.c_str());
    std::remove(document.c_str());
    if (peakKilobytes < 0)
        return false;
    figures.documentMB = static_cast<double>(status.st_size) / 1e6;
    figures.peakMB = static_cast<double>(peakKilobytes) * 1024 / 1e6;
    figures.seconds = elapsed.count();
    return true;
}

} // namespace bench_program
