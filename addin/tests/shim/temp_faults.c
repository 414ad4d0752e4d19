/*
 * What may befall the files the quillcast program makes in its temporary
 * folder, for its tests: loaded with LD_PRELOAD, it stands between the
 * program and the C library's calls that remove and open names there.
 *
 *   QC_REFUSE_IN      a folder; with QC_REFUSE_PREFIX, removing (unlink,
 *                    unlinkat, rmdir) a name in it that starts with the
 *                    prefix, or anything below a folder of such a name,
 *                    fails with EACCES, as in a folder where removal is
 *                    refused
 *   QC_SWAP_IN        a folder; with QC_SWAP_PREFIX, QC_SWAP_AT (a count
 *                    from 1) and QC_SWAP_LINK_TO, right before the program
 *                    opens a file there whose name starts with the prefix
 *                    to read it for the QC_SWAP_AT-th time, the name is made
 *                    a symbolic link to QC_SWAP_LINK_TO: the file was
 *                    replaced after it was written and before it was read
 *                    back
 *
 * Built without sanitizers: it runs before any runtime but the C library's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Room for a folder's real path, a slash and a name. */
#define LONGEST (2 * PATH_MAX)

static char refuseIn[PATH_MAX];
static const char* refusePrefix;
static char swapIn[PATH_MAX];
static const char* swapPrefix;
static const char* swapLinkTo;
static long swapAt;

static int (*realUnlink)(const char*);
static int (*realUnlinkat)(int, const char*, int);
static int (*realRmdir)(const char*);
static int (*realOpenat)(int, const char*, int, ...);

/* The C library's own calls, found on first use: another library's
   constructor may call one before ours has run. */
static void findReal(void)
{
    if (realOpenat)
        return;
    realUnlink = (int (*)(const char*))dlsym(RTLD_NEXT, "unlink");
    realUnlinkat = (int (*)(int, const char*, int))dlsym(RTLD_NEXT, "unlinkat");
    realRmdir = (int (*)(const char*))dlsym(RTLD_NEXT, "rmdir");
    realOpenat = (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, "openat");
}

__attribute__((constructor)) static void start(void)
{
    findReal();
    const char* in = getenv("QC_REFUSE_IN");
    refusePrefix = getenv("QC_REFUSE_PREFIX");
    if (!in || !refusePrefix || !realpath(in, refuseIn))
        refuseIn[0] = '\0';
    in = getenv("QC_SWAP_IN");
    swapPrefix = getenv("QC_SWAP_PREFIX");
    swapLinkTo = getenv("QC_SWAP_LINK_TO");
    swapAt = getenv("QC_SWAP_AT") ? atol(getenv("QC_SWAP_AT")) : 0;
    if (!in || !swapPrefix || !swapLinkTo || swapAt < 1 || !realpath(in, swapIn))
        swapIn[0] = '\0';
}

/* The path of `name` taken relative to the folder open as `folder`, its
   folder made real: "" when that folder cannot be found. */
static void realPathIn(int folder, const char* name, char* path)
{
    char whole[LONGEST];
    if (folder == AT_FDCWD || name[0] == '/')
        snprintf(whole, sizeof whole, "%s", name);
    else
    {
        char link[64];
        char where[PATH_MAX];
        snprintf(link, sizeof link, "/proc/self/fd/%d", folder);
        const ssize_t length = readlink(link, where, sizeof where - 1);
        where[length > 0 ? length : 0] = '\0';
        snprintf(whole, sizeof whole, "%s/%s", where, name);
    }
    char* slash = strrchr(whole, '/');
    char real[PATH_MAX];
    path[0] = '\0';
    if (slash == NULL)
        return;
    *slash = '\0';
    if (realpath(whole[0] ? whole : "/", real))
        snprintf(path, LONGEST, "%s/%s", real, slash + 1);
}

/* Whether `path` (real) is in `folder` and its name there, or the name of
   the folder it is below, starts with `prefix`. */
static int below(const char* path, const char* folder, const char* prefix)
{
    const size_t length = strlen(folder);
    return folder[0] && strncmp(path, folder, length) == 0 && path[length] == '/' &&
           strncmp(path + length + 1, prefix, strlen(prefix)) == 0;
}

static int refused(int folder, const char* name)
{
    findReal();
    if (!refuseIn[0])
        return 0;
    char path[LONGEST];
    realPathIn(folder, name, path);
    if (!below(path, refuseIn, refusePrefix))
        return 0;
    errno = EACCES;
    return 1;
}

int unlink(const char* path)
{
    return refused(AT_FDCWD, path) ? -1 : realUnlink(path);
}

int unlinkat(int folder, const char* name, int flags)
{
    return refused(folder, name) ? -1 : realUnlinkat(folder, name, flags);
}

int rmdir(const char* path)
{
    return refused(AT_FDCWD, path) ? -1 : realRmdir(path);
}

/* Before the program opens `name` to read it: the link goes in its place at
   the chosen reading. */
static void reading(int folder, const char* name, int flags)
{
    if (!swapIn[0] || (flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT))
        return;
    char path[LONGEST];
    realPathIn(folder, name, path);
    if (!below(path, swapIn, swapPrefix) || strchr(path + strlen(swapIn) + 1, '/') || --swapAt > 0)
        return;
    swapIn[0] = '\0';
    const int saved = errno;
    realUnlink(path);
    if (symlink(swapLinkTo, path) != 0)
        perror("temp_faults: symlink");
    errno = saved;
}

static int modeOf(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
}

int openat(int folder, const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    findReal();
    reading(folder, name, flags);
    return realOpenat(folder, name, flags, mode);
}

int openat64(int folder, const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    return openat(folder, name, flags, mode);
}

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    return openat(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    return openat(AT_FDCWD, path, flags, mode);
}
