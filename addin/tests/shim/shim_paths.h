/*
 * Paths as the test libraries that stand between the quillcast program and
 * the C library see them: an open descriptor's path, and a name taken
 * relative to a folder's descriptor as a whole path. Included by each
 * library; everything here is static to it.
 */
#ifndef QUILLCAST_SHIM_PATHS_H
#define QUILLCAST_SHIM_PATHS_H

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

/* The path of the open descriptor `fd`, as the system names it, or "?". */
static void pathOf(int fd, char* path, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, size - 1);
    if (length <= 0)
    {
        snprintf(path, size, "?");
        return;
    }
    path[length] = '\0';
}

/* `name` as a path: relative to the folder open as `folder`, or as given. */
static void pathIn(int folder, const char* name, char* path, size_t size)
{
    if (folder == AT_FDCWD || name[0] == '/')
    {
        snprintf(path, size, "%s", name);
        return;
    }
    char where[4096];
    pathOf(folder, where, sizeof where);
    snprintf(path, size, "%s/%s", where, name);
}

#endif
