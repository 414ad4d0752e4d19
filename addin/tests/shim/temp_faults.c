/*
 * What may befall the files the quillcast program makes in its temporary
 * folder, for its tests: loaded with LD_PRELOAD, it stands between the
 * program and the C library's calls that remove and open names there.
 *
 *   QC_REFUSE_IN      a folder; with QC_REFUSE_PREFIX, removing (unlink,
 *                    unlinkat, rmdir) a name in it that starts with the
 *                    prefix, or anything below a folder of such a name,
 *                    fails with EACCES, as in a folder where removing is
 *                    refused
 *   QC_SWAP_IN        a folder; with QC_SWAP_PREFIX, QC_SWAP_AT (a count
 *                    from 1) and QC_SWAP_LINK_TO, right before the program
 *                    opens a file there whose name starts with the prefix to
 *                    read it for the QC_SWAP_AT-th time, the name is made a
 *                    symbolic link to QC_SWAP_LINK_TO: the file was replaced
 *                    after it was written and before it was read back
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

#include "shim_paths.h"

#define LONGEST (2 * PATH_MAX)

static int (*realUnlink)(const char*);
static int (*realUnlinkat)(int, const char*, int);
static int (*realRmdir)(const char*);
static int (*realOpenat)(int, const char*, int, ...);

/* Found on first use: another library's constructor may call one of them
   before ours has run. */
static void findReal(void)
{
    if (realOpenat)
        return;
    realUnlink = (int (*)(const char*))dlsym(RTLD_NEXT, "unlink");
    realUnlinkat = (int (*)(int, const char*, int))dlsym(RTLD_NEXT, "unlinkat");
    realRmdir = (int (*)(const char*))dlsym(RTLD_NEXT, "rmdir");
    realOpenat = (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, "openat");
}

/* Whether `name`, taken in the folder open as `folder`, is in the folder
   the variable `in` names, under a name (or below a folder) that starts
   with what the variable `prefix` holds. `path` receives the whole path. */
static int matches(int folder, const char* name, const char* in, const char* prefix, char* path)
{
    const char* start = getenv(prefix);
    if (!getenv(in) || !start)
        return 0;
    pathIn(folder, name, path, LONGEST);
    /* The folder as given, or as the system names an open folder. */
    char real[PATH_MAX];
    const char* forms[2] = {getenv(in), realpath(getenv(in), real)};
    for (int i = 0; i < 2; ++i)
    {
        const size_t length = forms[i] ? strlen(forms[i]) : 0;
        if (length && strncmp(path, forms[i], length) == 0 && path[length] == '/' &&
            strncmp(path + length + 1, start, strlen(start)) == 0)
            return 1;
    }
    return 0;
}

static int refused(int folder, const char* name)
{
    char path[LONGEST];
    findReal();
    if (!matches(folder, name, "QC_REFUSE_IN", "QC_REFUSE_PREFIX", path))
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

static long readings;

int openat(int folder, const char* name, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
    va_end(arguments);
    findReal();
    char path[LONGEST];
    const char* at = getenv("QC_SWAP_AT");
    const char* to = getenv("QC_SWAP_LINK_TO");
    if (at && to && (flags & O_ACCMODE) == O_RDONLY && !(flags & O_CREAT) &&
        matches(folder, name, "QC_SWAP_IN", "QC_SWAP_PREFIX", path) && ++readings == atol(at))
    {
        const int saved = errno;
        realUnlink(path);
        if (symlink(to, path) != 0)
            perror("temp_faults: symlink");
        errno = saved;
    }
    return realOpenat(folder, name, flags, mode);
}

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
    va_end(arguments);
    return openat(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat64(int folder, const char* name, int flags, ...) __attribute__((alias("openat")));
