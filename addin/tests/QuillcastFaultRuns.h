#pragma once
// What the tests of the quillcast program under faults share: an old
// package to publish over and check byte for byte, the cause printed under
// a message, a document changed in one place, the write-fault library and
// where to make it strike (or what it traced), and a child started with the
// interrupting signals at their defaults.
#include "QuillcastHarness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <climits>
#include <cstdlib>
#include <map>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace publish_test
{

inline const std::vector<std::uint8_t> kOldPackage = {'t', 'h', 'e', ' ', 'o', 'l', 'd', ' ',
                                                      'p', 'a', 'c', 'k', 'a', 'g', 'e'};

class QuillcastFaultRuns : public QuillcastProgram
{
protected:
    void PlaceOldPackage(const std::string& path) const
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(kOldPackage.data()),
                   static_cast<std::streamsize>(kOldPackage.size()));
    }
    // Runs a publication of `document` over an old package at Target(),
    // with `prefix` before the program (shell assignments, ulimit ...) and
    // `options` after it.
    int PublishOverOld(const std::string& document, std::string& errors,
                       const std::string& prefix = "", const std::string& options = "")
    {
        PlaceOldPackage(Target());
        return QuillcastAfter(prefix,
                              "publish " + Quoted(document) + " -o " + Quoted(Target()) +
                                  " --force " + options,
                              errors);
    }
    // A moment of a run at which a signal strikes: while a file whose name
    // starts with `prefix` exists beside the target (`inPackages`) or in
    // the temporary folder.
    struct SignalMoment
    {
        const char* name;
        bool inPackages;
        const char* prefix;
    };

    // Runs `arguments` (a publication whose target is `<folder>/out/sample.dwf`,
    // over an old package, with `<folder>/tmp` as its temporary folder) and
    // sends `signal` at `moment`: the run must die by that signal and leave
    // the old package alone, nothing beside it and nothing in the temporary
    // folder. A loaded machine may let a short moment pass unseen, so a run
    // that ended whole first is tried again, up to three times.
    void ExpectSignalLeavesNothing(const std::string& folder, const std::vector<std::string>& arguments,
                                   int signal, const SignalMoment& moment) const;

    // Publishes `document` over an old package three times through the
    // write-fault library: traced, to see that the package is flushed after
    // its last write and before the rename, and its folder after the
    // rename; with the package's flush failing (a lost run, the target
    // untouched); and with the folder's failing (the new package in place,
    // exit 3, the messages say so). `header` begins the new package.
    void ExpectFlushedAroundTheRename(const std::string& document, const std::string& header);

    // What a run that wrote nothing must leave: the old package as it
    // was, nothing beside it, nothing in the temporary folder.
    void ExpectUntouched() const
    {
        EXPECT_EQ(ReadBytes(Target()), kOldPackage);
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        ExpectNoTemporaryFiles();
    }
    // The cause line printed under the add-in's message.
    static std::string CauseLine(const std::string& errors)
    {
        const std::string marker = "quillcast:   cause: ";
        const std::size_t at = errors.find(marker);
        if (at == std::string::npos)
            return {};
        return errors.substr(at + marker.size(), errors.find('\n', at) - at - marker.size());
    }
    // Whether a private mount namespace can be made here (root, or a
    // machine that allows unprivileged namespaces).
    bool PrivateMounts() const
    {
        const std::string probe = root_ + "/probe";
        ::mkdir(probe.c_str(), 0700);
        const bool can = RunCommand("unshare -m sh -c 'mount -t tmpfs -o size=8k qc-probe " +
                                    probe + "' >/dev/null 2>&1") == 0;
        ::rmdir(probe.c_str());
        return can;
    }

    // For SetUp: the test library `name` built beside the program goes in
    // front of the runs as preload_; without it, the test skips, saying
    // that `what` is not built.
    void PreloadOrSkip(const std::string& name, const std::string& what);

    std::string preload_;
};

// `text` with the first `from` in it made `to`; a `from` that is not there
// fails the test (the text is then answered as it was).
inline std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A part document of one body whose faces carry the texture files given,
// one a face in order, each face a grey triangle with its coordinates.
inline std::string PartOfTexturedFaces(const std::string& title,
                                       const std::vector<std::string>& files)
{
    std::string xml = "<host-document><document type=\"1\" title=\"" + title +
                      "\"><configuration name=\"Default\" current=\"1\"/><body>";
    for (const std::string& file : files)
        xml += "<face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
               "<normals>0 0 1 0 0 1 0 0 1</normals>"
               "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>"
               "<material values=\"0.5 0.5 0.5 0 1 0.5 0 0.2 0.1\"/>"
               "<texture configuration=\"Default\" file=\"" +
               file + "\" angle=\"0\" scale=\"1\"/></face>";
    return xml + "</body></document></host-document>";
}

inline bool AnyStartsWith(const std::vector<std::string>& names, const std::string& prefix)
{
    for (const auto& name : names)
    {
        if (name.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

// Starts `arguments` (the program first) with TMPDIR set to `temporary`
// (and the `extra` variables, "NAME=value"), standard error thrown away and
// SIGINT, SIGTERM and SIGHUP at their defaults, whatever the test runner
// ignores. The child's id, or -1.
inline pid_t SpawnWithDefaultSignals(std::vector<std::string> arguments,
                                     const std::string& temporary,
                                     const std::vector<std::string>& extra = {})
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> environment = {"TMPDIR=" + temporary};
    environment.insert(environment.end(), extra.begin(), extra.end());
    for (char** e = environ; *e; ++e)
    {
        if (std::string(*e).rfind("TMPDIR=", 0) != 0)
            environment.push_back(*e);
    }
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, argv[0], &files, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return spawned == 0 ? child : -1;
}

// Waits until a name starting with `prefix` shows in `folder` (bounded, in
// case the child ends first), then sends `signal` and reaps the child. True
// when the moment was reached; `status` is the child's.
inline bool SignalAtMoment(pid_t child, int signal, const std::string& folder,
                           const std::string& prefix, int& status)
{
    bool reached = false;
    bool ended = false;
    status = 0;
    for (int poll = 0; poll < 600000 && !reached && !ended; ++poll)
    {
        reached = AnyStartsWith(FilesIn(folder), prefix);
        if (!reached)
        {
            ended = ::waitpid(child, &status, WNOHANG) == child;
            ::usleep(200);
        }
    }
    if (!ended)
    {
        ::kill(child, signal);
        ::waitpid(child, &status, 0);
    }
    return reached;
}

// The library of the tests called `name` beside the program; empty when it
// is not built.
inline std::string LibraryBeside(const std::string& program, const std::string& name)
{
    const std::string library = program.substr(0, program.rfind('/')) + "/" + name;
    return ::access(library.c_str(), R_OK) == 0 ? library : std::string();
}

// The library of the tests that fails the Nth fwrite, fflush or fclose with
// ENOSPC, beside the program; empty when it is not built.
inline std::string WriteFaultLibrary(const std::string& program)
{
    return LibraryBeside(program, "quillcast_write_faults.so");
}

// What LD_PRELOAD must hold for the program: a sanitizer runtime insists on
// coming first, so when this build carries one (the test program shows it
// mapped), that runtime goes before the library.
inline std::string Preload(const std::string& library)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
    {
        const std::size_t at = line.find('/');
        if (at != std::string::npos && line.find("/libasan.so", at) != std::string::npos)
            return line.substr(at) + " " + library;
    }
    return library;
}

// "LD_PRELOAD=… " for the library of the tests called `name` beside the
// program, to go in front of a run; empty when the library is not built.
inline std::string PreloadBeside(const std::string& program, const std::string& name)
{
    const std::string library = LibraryBeside(program, name);
    return library.empty() ? std::string() : "LD_PRELOAD=" + Quoted(Preload(library)) + " ";
}

inline void QuillcastFaultRuns::PreloadOrSkip(const std::string& name, const std::string& what)
{
    preload_ = PreloadBeside(program_, name);
    if (preload_.empty())
        GTEST_SKIP() << what << " is not built beside the program";
}

// The calls of each kind that a run made, as the library counted them.
inline std::map<std::string, unsigned long> FaultCounts(const std::string& file)
{
    std::map<std::string, unsigned long> calls;
    std::ifstream in(file);
    std::string kind;
    unsigned long n = 0;
    while (in >> kind >> n)
        calls[kind] = n;
    return calls;
}

// Where the package replaced its target in a run traced by the write-fault
// library: the line numbers of the last write to the unfinished package, its
// flush, its move onto the target (a rename, or a new link where the file
// system cannot rename without replacing) and the next flush of the target's
// folder, and the numbers of the two flushes among all flushes of the run
// (counting from 1, as QC_FAULT_AT does). A line that is not there is npos
// (a call 0).
struct PackageFlushes
{
    std::size_t lastWrite = std::string::npos;
    std::size_t fileFlush = std::string::npos;
    std::size_t rename = std::string::npos;
    std::size_t folderFlush = std::string::npos;
    std::size_t writeAfterFlush = std::string::npos;
    unsigned long fileFlushCall = 0;
    unsigned long folderFlushCall = 0;
};

inline PackageFlushes FindPackageFlushes(const std::string& traceFile, const std::string& target)
{
    // The library names descriptors by their real paths.
    char real[PATH_MAX];
    const std::string folder = target.substr(0, target.rfind('/'));
    const std::string canonical = ::realpath(folder.c_str(), real) ? real : folder;
    const std::string unfinished = canonical + "/.qc-"; // then six characters and ".tmp"
    const std::string placed = " " + canonical + target.substr(target.rfind('/'));
    std::ifstream in(traceFile);
    std::string line;
    PackageFlushes found;
    unsigned long flushes = 0;
    std::string renamed;
    for (std::size_t n = 0; std::getline(in, line); ++n)
    {
        const std::size_t space = line.find(' ');
        const std::string kind = line.substr(0, space);
        const std::string path = line.substr(space + 1);
        const bool ofPackage = path.rfind(unfinished, 0) == 0;
        if (kind == "fsync")
            ++flushes;
        if (kind == "write" && ofPackage)
        {
            found.lastWrite = n;
            if (found.fileFlush != std::string::npos)
                found.writeAfterFlush = n;
        }
        else if (kind == "fsync" && ofPackage && found.fileFlush == std::string::npos)
        {
            found.fileFlush = n;
            found.fileFlushCall = flushes;
        }
        else if ((kind == "rename" || kind == "link") && ofPackage &&
                 path.size() > placed.size() &&
                 path.compare(path.size() - placed.size(), placed.size(), placed) == 0)
        {
            found.rename = n;
        }
        else if (kind == "fsync" && path == canonical && found.rename != std::string::npos &&
                 found.folderFlush == std::string::npos)
        {
            found.folderFlush = n;
            found.folderFlushCall = flushes;
        }
    }
    return found;
}

// `count` call numbers spread evenly over 1..total, first and last included.
inline std::vector<unsigned long> Spread(unsigned long total, unsigned long count)
{
    std::vector<unsigned long> points;
    if (total == 0)
        return points;
    if (count >= total)
    {
        for (unsigned long n = 1; n <= total; ++n)
            points.push_back(n);
        return points;
    }
    for (unsigned long i = 0; i < count; ++i)
        points.push_back(1 + (count > 1 ? i * (total - 1) / (count - 1) : 0));
    return points;
}

inline void QuillcastFaultRuns::ExpectSignalLeavesNothing(const std::string& folder,
                                                          const std::vector<std::string>& arguments,
                                                          int signal, const SignalMoment& moment) const
{
    const std::string temporary = folder + "/tmp";
    const std::string packages = folder + "/out";
    ::mkdir(folder.c_str(), 0700);
    ::mkdir(temporary.c_str(), 0700);
    ::mkdir(packages.c_str(), 0700);
    const std::string target = packages + "/sample.dwf";
    int status = 0;
    bool reached = false;
    for (int attempt = 0; attempt < 3 && !reached; ++attempt)
    {
        PlaceOldPackage(target);
        // The child starts with the signals at their defaults, whatever
        // the test runner ignores.
        const pid_t child = SpawnWithDefaultSignals(arguments, temporary);
        ASSERT_GT(child, 0);
        reached = SignalAtMoment(child, signal, moment.inPackages ? packages : temporary, moment.prefix,
                                 status);
        if (!reached && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            break;
    }
    EXPECT_TRUE(reached) << "the run ended before the moment";
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{});
    EXPECT_EQ(FilesIn(packages), std::vector<std::string>{"sample.dwf"});
    EXPECT_EQ(ReadBytes(target), kOldPackage);
}

inline void QuillcastFaultRuns::ExpectFlushedAroundTheRename(const std::string& document,
                                                             const std::string& header)
{
    const std::string preload = PreloadBeside(program_, "quillcast_write_faults.so");
    if (preload.empty())
        GTEST_SKIP() << "the write-fault library is not built beside the program";
    const std::string trace = root_ + "/trace.txt";
    std::string errors;
    ASSERT_EQ(PublishOverOld(document, errors, preload + "QC_FAULT_TRACE=" + Quoted(trace)), 0)
        << errors;
    const PackageFlushes flushes = FindPackageFlushes(trace, Target());
    ASSERT_NE(flushes.lastWrite, std::string::npos) << Contents(trace);
    ASSERT_NE(flushes.fileFlush, std::string::npos) << "the package was not flushed";
    EXPECT_GT(flushes.fileFlush, flushes.lastWrite);
    EXPECT_EQ(flushes.writeAfterFlush, std::string::npos) << "written after its flush";
    ASSERT_NE(flushes.rename, std::string::npos) << Contents(trace);
    EXPECT_GT(flushes.rename, flushes.fileFlush);
    ASSERT_NE(flushes.folderFlush, std::string::npos) << "the folder was not flushed";
    EXPECT_GT(flushes.folderFlush, flushes.rename);

    // The package's flush fails: the write failed, the old package stays.
    {
        SCOPED_TRACE("the package's flush fails");
        const int status = PublishOverOld(document, errors,
                                          preload + "QC_FAULT_CALL=fsync QC_FAULT_AT=" +
                                              std::to_string(flushes.fileFlushCall));
        EXPECT_EQ(status, 1) << errors;
        const std::string cause = CauseLine(errors);
        const std::string expected = "Failed to flush the package file '" + packages_ + "/.qc-";
        EXPECT_EQ(cause.substr(0, expected.size()), expected) << errors;
        EXPECT_EQ(cause.substr(expected.size() + 6), ".tmp': Input/output error") << errors;
        EXPECT_NE(errors.find("quillcast: no package was written"), std::string::npos) << errors;
        ExpectUntouched();
    }

    // The folder's flush fails: the new package is in place, but the run
    // says that a power loss may still undo that.
    {
        SCOPED_TRACE("the folder's flush fails");
        const int status = PublishOverOld(document, errors,
                                          preload + "QC_FAULT_CALL=fsync QC_FAULT_AT=" +
                                              std::to_string(flushes.folderFlushCall));
        EXPECT_EQ(status, 3) << errors;
        EXPECT_EQ(CauseLine(errors), "The package replaced '" + Target() +
                                         "', but a power loss may still undo that: Failed to "
                                         "flush the folder '" +
                                         packages_ + "': Input/output error");
        EXPECT_NE(errors.find("quillcast: the package was written to '" + Target() +
                              "', but its folder could not be flushed to the disk"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(errors.find("some of its content"), std::string::npos) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, header.size()), header);
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        ExpectNoTemporaryFiles();
    }
}

} // namespace publish_test
