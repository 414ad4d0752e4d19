/*
 * Another user, or another program, acting on names while the quillcast
 * program works, for its tests: loaded with LD_PRELOAD, it stands between
 * the program and the C library's calls that make files and flush them, and
 * acts on a name at the moment between two of the program's steps.
 *
 *   QC_PLANT_IN      a folder; with QC_PLANT_LINK_TO, right after the
 *                    program made its first file there exclusively (openat
 *                    with O_CREAT and O_EXCL, or mkstemps), the file's
 *                    name is made a symbolic link to QC_PLANT_LINK_TO, as
 *                    anyone may do in a folder that others can write to;
 *                    with QC_PLANT_PREFIX, the first such file whose name
 *                    starts with it
 *   QC_APPEAR_AT     a path: at the program's first flush (fsync) of a file
 *                    in that path's folder, a file appears at the path, as
 *                    another program saving there would make it, holding
 *                    "saved meanwhile\n"
 *   QC_VANISH_AT     a path: right after the program made its first file
 *                    exclusively in that path's folder, the file at the path
 *                    is removed, as another program may remove it
 *   QC_APPEAR_ON_OPENING  a path: the file of QC_APPEAR_AT appears when the
 *                    program opens this path (its document) instead, before
 *                    the program has asked where to publish
 *   QC_HOLD_UNTIL    a path: when the program opens QC_HOLD_ON_OPENING (its
 *                    document, which it reads once it has looked at its
 *                    target), it waits until a file exists there (at most a
 *                    minute), having made the file QC_HOLD_UNTIL.PID to say it
 *                    waits: runs started one by one then go on together
 *   QC_NO_NOREPLACE  when set, renameat2 with flags fails with EINVAL, as on
 *                    a file system that cannot move a file without replacing
 *   QC_NO_LINKS      when set, linkat fails with EPERM, as on a file system
 *                    without hard links
 *   QC_SWAP_AT_MOVE  a path: right before the program's first rename (or
 *                    link) of a name that starts with ".qc-", that name is
 *                    made a symbolic link to the path, as anyone may do in
 *                    a folder that others can write to
 *   QC_REFUSE        "fchmod", or "unlinkat": each such call fails with
 *                    EPERM (unlinkat only on a name that starts with ".qc-")
 *   QC_SLOW_LOOK     a number of milliseconds: until the program first moves
 *                    a name that starts with ".qc-", the answer to each look
 *                    (fstatat) at another name in a folder comes that long
 *                    after the name was looked at, as on a network file
 *                    system
 *   QC_LOOK_FAILS    "EIO" or "ENOMEM": once the program moved a name that
 *                    starts with ".qc-" to another name, each look (fstatat)
 *                    at that other name fails so; with QC_LOOK_FAILS_BEFORE
 *                    set, each look at a name that starts with ".qc-" before
 *                    that fails instead
 *   QC_TAKE_AFTER_MOVE  when set, right after the program moved a name that
 *                    starts with ".qc-" to another name, that name is
 *                    removed, as anyone may do in a folder that others can
 *                    write to
 *   QC_MOVE_FAILS    an errno number: each rename (renameat) of a name that
 *                    starts with ".qc-" fails so, and then each removal
 *                    (unlinkat) of the name it was to take, as on a disk that
 *                    fails; with QC_SIGNAL_AT_FAILURE (a signal number) the
 *                    program sends itself that signal as the rename fails
 *   QC_LOOK_AT_TARGET_FAILS  an errno number: from when the program made a
 *                    file whose name starts with ".qc-" until it first moves
 *                    one, each look (fstatat) at another name in a folder
 *                    fails so
 *   QC_MOVES         a file: each move of a name that starts with ".qc-"
 *                    adds a line to it with the inode number of what was
 *                    moved, so that a run's package can be told from others
 *
 * Built without sanitizers: it runs before any runtime but the C library's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "shim_paths.h"

static char plantIn[PATH_MAX];
static const char* plantLinkTo;
static const char* plantPrefix;
static char appearIn[PATH_MAX];
static const char* appearAt;
static const char* appearOnOpening;
static const char* hold;
static const char* holdOnOpening;
static int noNoReplace;
static int noLinks;
static const char* swapTo;
static const char* refuse;
static char vanishIn[PATH_MAX];
static const char* vanishAt;
static long slowLook;
static int lookFails;
static int lookFailsBefore;
static int takeAfterMove;
static const char* moves;
static int moveFails;
static int signalAtFailure;
static int lookAtTargetFails;
/* Whether the program made a file whose name starts with ".qc-". */
static int madePending;
/* The folder and name that a failed move of a ".qc-" name was to take; the
   folder is -1 until then. */
static int failedFolder = -1;
static char failedName[PATH_MAX];
/* The folder and name that the program's first move of a ".qc-" name went
   to; the folder is -1 until then. */
static int movedFolder = -1;
static char movedName[PATH_MAX];

static void* next(const char* name)
{
    return dlsym(RTLD_NEXT, name);
}

/* The real path of the folder of `path`, or "". */
static void folderOf(const char* path, char* folder)
{
    char copy[PATH_MAX];
    snprintf(copy, sizeof copy, "%s", path);
    char* slash = strrchr(copy, '/');
    if (!slash)
        snprintf(copy, sizeof copy, ".");
    else if (slash == copy)
        copy[1] = '\0';
    else
        *slash = '\0';
    if (!realpath(copy, folder))
        folder[0] = '\0';
}

__attribute__((constructor)) static void start(void)
{
    const char* in = getenv("QC_PLANT_IN");
    plantLinkTo = getenv("QC_PLANT_LINK_TO");
    plantPrefix = getenv("QC_PLANT_PREFIX");
    if (in && plantLinkTo && !realpath(in, plantIn))
        plantIn[0] = '\0';
    appearAt = getenv("QC_APPEAR_AT");
    if (appearAt)
        folderOf(appearAt, appearIn);
    appearOnOpening = getenv("QC_APPEAR_ON_OPENING");
    noNoReplace = getenv("QC_NO_NOREPLACE") != NULL;
    noLinks = getenv("QC_NO_LINKS") != NULL;
    swapTo = getenv("QC_SWAP_AT_MOVE");
    refuse = getenv("QC_REFUSE");
    vanishAt = getenv("QC_VANISH_AT");
    if (vanishAt)
        folderOf(vanishAt, vanishIn);
    const char* slow = getenv("QC_SLOW_LOOK");
    slowLook = slow ? atol(slow) : 0;
    const char* fails = getenv("QC_LOOK_FAILS");
    lookFails = !fails ? 0 : strcmp(fails, "ENOMEM") == 0 ? ENOMEM : EIO;
    lookFailsBefore = getenv("QC_LOOK_FAILS_BEFORE") != NULL;
    takeAfterMove = getenv("QC_TAKE_AFTER_MOVE") != NULL;
    moves = getenv("QC_MOVES");
    const char* moveError = getenv("QC_MOVE_FAILS");
    moveFails = moveError ? atoi(moveError) : 0;
    const char* signal = getenv("QC_SIGNAL_AT_FAILURE");
    signalAtFailure = signal ? atoi(signal) : 0;
    const char* lookError = getenv("QC_LOOK_AT_TARGET_FAILS");
    lookAtTargetFails = lookError ? atoi(lookError) : 0;
    hold = getenv("QC_HOLD_UNTIL");
    holdOnOpening = getenv("QC_HOLD_ON_OPENING");
}

/* Says that this process waits, then waits for the word to go on, once. */
static void waitToGo(void)
{
    const char* go = hold;
    hold = NULL;
    char waiting[PATH_MAX];
    snprintf(waiting, sizeof waiting, "%s.%ld", go, (long)getpid());
    const int marker = creat(waiting, 0600);
    if (marker >= 0)
        close(marker);
    const struct timespec pause = {0, 1000000};
    for (int i = 0; i < 60000 && access(go, F_OK) != 0; ++i)
        nanosleep(&pause, NULL);
}

/* The file of QC_APPEAR_AT comes into being, once. */
static void appear(void)
{
    appearIn[0] = '\0';
    appearOnOpening = NULL;
    const int saved = errno;
    FILE* file = fopen(appearAt, "wx");
    if (!file || fputs("saved meanwhile\n", file) < 0 || fclose(file) != 0)
        perror("name_races: save");
    errno = saved;
}

/* After the program made `path` exclusively: the link goes in its place
   when it is the first file made in the chosen folder. */
static void made(const char* path)
{
    char folder[PATH_MAX];
    folderOf(path, folder);
    if (vanishIn[0] && strcmp(folder, vanishIn) == 0)
    {
        vanishIn[0] = '\0';
        const int saved = errno;
        if (unlink(vanishAt) != 0)
            perror("name_races: vanish");
        errno = saved;
    }
    if (!plantIn[0])
        return;
    const char* slash = strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    if (strcmp(folder, plantIn) != 0 ||
        (plantPrefix && strncmp(name, plantPrefix, strlen(plantPrefix)) != 0))
        return;
    plantIn[0] = '\0';
    const int saved = errno;
    unlink(path);
    if (symlink(plantLinkTo, path) != 0)
        perror("name_races: symlink");
    errno = saved;
}

/* Whether `name` is that of a file the program makes beside its target. */
static int pending(const char* name)
{
    return strncmp(name, ".qc-", 4) == 0;
}

static int exclusive(int flags)
{
    return (flags & O_CREAT) && (flags & O_EXCL);
}

static int modeOf(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
}

int openat(int folder, const char* name, int flags, ...)
{
    static int (*real)(int, const char*, int, ...);
    if (!real)
        real = (int (*)(int, const char*, int, ...))next("openat");
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    const int fd = real(folder, name, flags, mode);
    if (fd >= 0 && exclusive(flags))
    {
        const char* slash = strrchr(name, '/');
        madePending |= pending(slash ? slash + 1 : name);
        char path[PATH_MAX];
        pathIn(folder, name, path, sizeof path);
        made(path);
    }
    return fd;
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
    if (appearAt && appearOnOpening && strcmp(path, appearOnOpening) == 0)
        appear();
    if (hold && holdOnOpening && strcmp(path, holdOnOpening) == 0)
        waitToGo();
    return openat(AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    return open(path, flags, mode);
}

int mkstemps(char* pattern, int suffixLength)
{
    static int (*real)(char*, int);
    if (!real)
        real = (int (*)(char*, int))next("mkstemps");
    const int fd = real(pattern, suffixLength);
    if (fd >= 0)
        made(pattern);
    return fd;
}

int fsync(int fd)
{
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))next("fsync");
    struct stat info;
    if (appearIn[0] && fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    {
        char path[PATH_MAX];
        char folder[PATH_MAX];
        pathOf(fd, path, sizeof path);
        folderOf(path, folder);
        if (strcmp(folder, appearIn) == 0 && !appearOnOpening)
            appear();
    }
    return real(fd);
}

/* Before a move of `from`: a link takes its name, once. */
static void swapBeforeMove(int folder, const char* from)
{
    if (!swapTo || !pending(from))
        return;
    const char* to = swapTo;
    swapTo = NULL;
    const int saved = errno;
    if (((int (*)(int, const char*, int))next("unlinkat"))(folder, from, 0) != 0 ||
        symlinkat(to, folder, from) != 0)
        perror("name_races: swap");
    errno = saved;
}

/* After a move of `from` to `to` that answered `result`: what was moved
   is told, the name it went to is remembered, and taken away when asked. */
static int moved(int result, const char* from, int folder, const char* to)
{
    if (result != 0 || !pending(from) || pending(to))
        return result;
    const int saved = errno;
    struct stat info;
    if (moves && ((int (*)(int, const char*, struct stat*, int))next("fstatat"))(
                     folder, to, &info, AT_SYMLINK_NOFOLLOW) == 0)
    {
        FILE* file = fopen(moves, "a");
        if (file)
        {
            fprintf(file, "%lu\n", (unsigned long)info.st_ino);
            fclose(file);
        }
    }
    if (movedFolder < 0)
    {
        movedFolder = folder;
        snprintf(movedName, sizeof movedName, "%s", to);
    }
    if (takeAfterMove &&
        ((int (*)(int, const char*, int))next("unlinkat"))(folder, to, 0) != 0)
        perror("name_races: take");
    errno = saved;
    return result;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    static int (*real)(int, const char*, int, const char*, unsigned);
    if (!real)
        real = (int (*)(int, const char*, int, const char*, unsigned))next("renameat2");
    swapBeforeMove(fromFolder, from);
    if (noNoReplace && flags != 0)
    {
        errno = EINVAL;
        return -1;
    }
    return moved(real(fromFolder, from, toFolder, to, flags), from, toFolder, to);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    static int (*real)(int, const char*, int, const char*);
    if (!real)
        real = (int (*)(int, const char*, int, const char*))next("renameat");
    swapBeforeMove(fromFolder, from);
    if (moveFails && pending(from))
    {
        failedFolder = toFolder;
        snprintf(failedName, sizeof failedName, "%s", to);
        if (signalAtFailure > 0)
            kill(getpid(), signalAtFailure);
        errno = moveFails;
        return -1;
    }
    return moved(real(fromFolder, from, toFolder, to), from, toFolder, to);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
    static int (*real)(int, const char*, int, const char*, int);
    if (!real)
        real = (int (*)(int, const char*, int, const char*, int))next("linkat");
    swapBeforeMove(fromFolder, from);
    if (noLinks)
    {
        errno = EPERM;
        return -1;
    }
    return moved(real(fromFolder, from, toFolder, to, flags), from, toFolder, to);
}

static int look(int folder, const char* name, struct stat* info, int flags)
{
    static int (*real)(int, const char*, struct stat*, int);
    if (!real)
        real = (int (*)(int, const char*, struct stat*, int))next("fstatat");
    if (lookAtTargetFails && madePending && movedFolder < 0 && folder != AT_FDCWD && !pending(name))
    {
        errno = lookAtTargetFails;
        return -1;
    }
    if (lookFails && (lookFailsBefore ? movedFolder < 0 && pending(name)
                                      : movedFolder >= 0 && folder == movedFolder &&
                                            strcmp(name, movedName) == 0))
    {
        errno = lookFails;
        return -1;
    }
    const int slow = slowLook > 0 && movedFolder < 0 && folder != AT_FDCWD && !pending(name);
    const int result = real(folder, name, info, flags);
    if (slow)
    {
        /* The answer tells how the name was, not how it is when it comes. */
        const int saved = errno;
        const struct timespec pause = {slowLook / 1000, (slowLook % 1000) * 1000000};
        nanosleep(&pause, NULL);
        errno = saved;
    }
    return result;
}

int fstatat(int folder, const char* name, struct stat* info, int flags)
{
    return look(folder, name, info, flags);
}

int fstatat64(int folder, const char* name, struct stat64* info, int flags)
{
    return look(folder, name, (struct stat*)info, flags);
}

int unlinkat(int folder, const char* name, int flags)
{
    static int (*real)(int, const char*, int);
    if (!real)
        real = (int (*)(int, const char*, int))next("unlinkat");
    if (refuse && strcmp(refuse, "unlinkat") == 0 && pending(name))
    {
        errno = EPERM;
        return -1;
    }
    if (failedFolder >= 0 && folder == failedFolder && strcmp(name, failedName) == 0)
    {
        errno = moveFails;
        return -1;
    }
    return real(folder, name, flags);
}

int fchmod(int fd, mode_t mode)
{
    static int (*real)(int, mode_t);
    if (!real)
        real = (int (*)(int, mode_t))next("fchmod");
    if (refuse && strcmp(refuse, "fchmod") == 0)
    {
        errno = EPERM;
        return -1;
    }
    return real(fd, mode);
}
