#pragma once
// The timed loop the end-to-end publishing benchmarks share: the add-in's
// command run once per iteration over an in-memory host, into a package of
// this process in the temporary folder.
#include "addin/PublishRun.h"
#include "host/memory/Application.h"
#include "platform/kernel/Path.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace publish_bench
{

// Publishes `app`'s document once per iteration to "<prefix><pid>.dwf" in
// $TMPDIR (else /tmp), each run replacing the last; answers the package's
// size in bytes (0 when there is none) and removes it. A run that did not
// publish marks the benchmark as failed.
inline long PublishEachIteration(benchmark::State& state, host::memory::Application& app,
                                 const char* prefix)
{
    const char* folder = std::getenv("TMPDIR");
    const std::string target = std::string(folder && *folder ? folder : "/tmp") + "/" + prefix +
                               std::to_string(::getpid()) + ".dwf";
    PublishRequest request;
    request.target = platform::path::fromNative(target);
    request.replaceExisting = true;
    bool published = true;
    for (auto _ : state)
    {
        const PublishOutcome outcome = RunPublishCommand(app, request);
        published = published && outcome.status == PublishOutcome::Status::Published;
    }
    std::FILE* package = std::fopen(target.c_str(), "rb");
    long bytes = 0;
    if (package)
    {
        std::fseek(package, 0, SEEK_END);
        bytes = std::ftell(package);
        std::fclose(package);
    }
    std::remove(target.c_str());
    if (!published)
        state.SkipWithError("the package was not published");
    return bytes;
}

} // namespace publish_bench
