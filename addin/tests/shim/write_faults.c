/*
 * A full disk on demand, for the tests of the quillcast program (and a signal
 * at the moment its package replaced the target): loaded with
 * LD_PRELOAD, it stands between the program and the C library's fwrite,
 * fflush and fclose, counts their calls and makes one of them fail as a full
 * file system makes it fail: nothing (more) is written, the stream's error
 * flag is set and errno is ENOSPC. It stands before fsync and fdatasync too
 * (counted together as "fsync"), whose chosen call fails as on a disk that
 * could not write what was asked: EIO, nothing flushed.
 *
 *   QC_FAULT_CALL   "fwrite", "fflush", "fclose" or "fsync": the kind of call
 *                   to fail
 *   QC_FAULT_AT     which call of that kind fails, counting from 1
 *   QC_FAULT_COUNTS a file that receives, when the program ends, the number
 *                   of calls of each kind made ("fwrite N\nfflush N\n...")
 *   QC_FAULT_TRACE  a file that receives, as they happen, one line per file
 *                   written ("write PATH", once for each run of writes to
 *                   one file), per flush ("fsync PATH") and per rename or
 *                   new link ("rename FROM TO", "link FROM TO"; names taken
 *                   relative to a folder's descriptor are given with the
 *                   folder's real path): the order in which they came
 *   QC_SIGNAL_AFTER_RENAME  a signal number: the program sends it to itself
 *                   right after a rename (or a link) onto a ".dwf" name
 *                   succeeded, the moment a package has just taken its
 *                   target's name
 *
 * fflush and fclose count only on streams written to since they were last
 * flushed: only those have bytes that a full disk can refuse. A failing
 * fclose still closes its stream, as the C library's does.
 *
 * Built without sanitizers: it runs before any runtime but the C library's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "shim_paths.h"

enum
{
    kFwrite,
    kFflush,
    kFclose,
    kFsync,
    kKinds
};

static const char* const kNames[kKinds] = {"fwrite", "fflush", "fclose", "fsync"};

static unsigned long calls[kKinds];
static int failing = -1;
static unsigned long failAt;
static int signalAfterRename;
static int trace = -1;
/* The file of the last traced write, so that a run of writes is one line. */
static char lastWritten[4096];

/* Streams with bytes written since their last flush. */
enum
{
    kDirtyStreams = 256
};
static FILE* dirty[kDirtyStreams];

static void markDirty(FILE* stream)
{
    int free = -1;
    for (int i = 0; i < kDirtyStreams; ++i)
    {
        if (dirty[i] == stream)
            return;
        if (!dirty[i] && free < 0)
            free = i;
    }
    if (free >= 0)
        dirty[free] = stream;
}

/* Whether the stream was dirty; it is clean afterwards. */
static int takeDirty(FILE* stream)
{
    int was = 0;
    for (int i = 0; i < kDirtyStreams; ++i)
    {
        if (dirty[i] && (dirty[i] == stream || !stream))
        {
            dirty[i] = NULL;
            was = 1;
        }
    }
    return was;
}

static void* next(const char* name)
{
    return dlsym(RTLD_NEXT, name);
}

static void setError(FILE* stream)
{
#ifdef _IO_ERR_SEEN
    if (stream)
        stream->_flags |= _IO_ERR_SEEN;
#else
    (void)stream;
#endif
}

static void traceLine(const char* kind, const char* first, const char* second)
{
    if (trace < 0)
        return;
    char line[8400];
    const int length = snprintf(line, sizeof line, second ? "%s %s %s\n" : "%s %s\n", kind, first,
                                second);
    if (length > 0 && (size_t)length < sizeof line && write(trace, line, (size_t)length) < 0)
        trace = -1;
}

/* Counts one call of `kind`; true when it is the one to fail. */
static int strikes(int kind)
{
    ++calls[kind];
    return kind == failing && calls[kind] == failAt;
}

__attribute__((constructor)) static void start(void)
{
    const char* call = getenv("QC_FAULT_CALL");
    const char* at = getenv("QC_FAULT_AT");
    if (call && at)
    {
        for (int kind = 0; kind < kKinds; ++kind)
        {
            if (strcmp(call, kNames[kind]) == 0)
                failing = kind;
        }
        failAt = strtoul(at, NULL, 10);
    }
    const char* traceFile = getenv("QC_FAULT_TRACE");
    if (traceFile)
        trace = open(traceFile, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const char* signal = getenv("QC_SIGNAL_AFTER_RENAME");
    if (signal)
        signalAfterRename = atoi(signal);
}

__attribute__((destructor)) static void finish(void)
{
    const char* path = getenv("QC_FAULT_COUNTS");
    if (!path)
        return;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return;
    char text[128];
    const int length =
        snprintf(text, sizeof text, "fwrite %lu\nfflush %lu\nfclose %lu\nfsync %lu\n",
                 calls[kFwrite], calls[kFflush], calls[kFclose], calls[kFsync]);
    if (length > 0 && write(fd, text, (size_t)length) < 0)
        calls[kFwrite] = 0; /* nothing more to do */
    close(fd);
}

size_t fwrite(const void* bytes, size_t size, size_t count, FILE* stream)
{
    static size_t (*real)(const void*, size_t, size_t, FILE*);
    if (!real)
        real = (size_t(*)(const void*, size_t, size_t, FILE*))next("fwrite");
    if (size != 0 && count != 0 && stream != stdout && stream != stderr)
    {
        if (strikes(kFwrite))
        {
            setError(stream);
            errno = ENOSPC;
            return 0;
        }
        markDirty(stream);
        if (trace >= 0)
        {
            char path[4096];
            pathOf(fileno(stream), path, sizeof path);
            if (strcmp(path, lastWritten) != 0)
            {
                traceLine("write", path, NULL);
                snprintf(lastWritten, sizeof lastWritten, "%s", path);
            }
        }
    }
    return real(bytes, size, count, stream);
}

int fflush(FILE* stream)
{
    static int (*real)(FILE*);
    if (!real)
        real = (int (*)(FILE*))next("fflush");
    if (stream != stdout && stream != stderr && takeDirty(stream) && strikes(kFflush))
    {
        setError(stream);
        errno = ENOSPC;
        return EOF;
    }
    return real(stream);
}

int fclose(FILE* stream)
{
    static int (*real)(FILE*);
    if (!real)
        real = (int (*)(FILE*))next("fclose");
    const int fails = stream && takeDirty(stream) && strikes(kFclose);
    const int result = real(stream);
    if (fails)
    {
        errno = ENOSPC;
        return EOF;
    }
    return result;
}

/* One flush of `fd` by `real`, traced and counted; the chosen one fails. */
static int flushed(int fd, int (*real)(int))
{
    if (trace >= 0)
    {
        char path[4096];
        pathOf(fd, path, sizeof path);
        traceLine("fsync", path, NULL);
        lastWritten[0] = '\0';
    }
    if (strikes(kFsync))
    {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int fsync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))next("fsync");
    return flushed(fd, real);
}

int fdatasync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))next("fdatasync");
    return flushed(fd, real);
}

/* After a successful rename or link of `from` to `to` (each relative to its
   folder): the trace line, and the signal when a package took its name. */
static void moved(const char* kind, int fromFolder, const char* from, int toFolder, const char* to)
{
    const int saved = errno;
    if (trace >= 0)
    {
        char fromPath[4096];
        char toPath[4096];
        pathIn(fromFolder, from, fromPath, sizeof fromPath);
        pathIn(toFolder, to, toPath, sizeof toPath);
        traceLine(kind, fromPath, toPath);
        lastWritten[0] = '\0';
    }
    const size_t length = strlen(to);
    if (signalAfterRename > 0 && length >= 4 && strcmp(to + length - 4, ".dwf") == 0)
        kill(getpid(), signalAfterRename);
    errno = saved;
}

int rename(const char* from, const char* to)
{
    static int (*real)(const char*, const char*);
    if (!real)
        real = (int (*)(const char*, const char*))next("rename");
    const int result = real(from, to);
    if (result == 0 && from && to)
        moved("rename", AT_FDCWD, from, AT_FDCWD, to);
    return result;
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    static int (*real)(int, const char*, int, const char*);
    if (!real)
        real = (int (*)(int, const char*, int, const char*))next("renameat");
    const int result = real(fromFolder, from, toFolder, to);
    if (result == 0 && from && to)
        moved("rename", fromFolder, from, toFolder, to);
    return result;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    static int (*real)(int, const char*, int, const char*, unsigned);
    if (!real)
        real = (int (*)(int, const char*, int, const char*, unsigned))next("renameat2");
    const int result = real(fromFolder, from, toFolder, to, flags);
    if (result == 0 && from && to)
        moved("rename", fromFolder, from, toFolder, to);
    return result;
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
    static int (*real)(int, const char*, int, const char*, int);
    if (!real)
        real = (int (*)(int, const char*, int, const char*, int))next("linkat");
    const int result = real(fromFolder, from, toFolder, to, flags);
    if (result == 0 && from && to)
        moved("link", fromFolder, from, toFolder, to);
    return result;
}
