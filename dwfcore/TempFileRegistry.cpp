#include "dwfcore/TempFileRegistry.h"

#include "dwfcore/Random.h"
#include "dwfcore/RegularFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DWFCore
{

namespace
{

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What a listed name is: each stored string starts with one of these,
// the path follows.
constexpr char kFile = 'f';
constexpr char kFolder = 'd';

// One listed name: an owned C string (the kind, then the name), the
// folder it is relative to (AT_FDCWD for a path), and for a file made here
// which file it is (a claimed name has none yet).
struct Entry
{
    char* text;
    int folder;
    bool made;
    dev_t device;
    ino_t inode;
};

// Plain storage that the handler can walk: an array of entries, empty
// slots with a null text. Changed only while the signals are held back.
struct List
{
    Entry* paths = nullptr;
    std::size_t used = 0; // slots in use or freed, from the front
    std::size_t capacity = 0;
    std::size_t listed = 0;
};

List& list()
{
    // Never destroyed: a signal may arrive while static objects go away.
    static List* instance = new List;
    return *instance;
}

// Holds the interrupting signals back for the life of the object, so that
// the list changes in one step as far as the handler can see.
class HeldSignals
{
public:
    HeldSignals()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : kSignals)
        {
            sigaddset(&held, signal);
        }
        pthread_sigmask(SIG_BLOCK, &held, &_previous);
    }
    ~HeldSignals()
    {
        if (_kept)
        {
            return;
        }
        // Callers read errno after the step; letting the signals go must not change it.
        const int saved = errno;
        pthread_sigmask(SIG_SETMASK, &_previous, nullptr);
        errno = saved;
    }

    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    // The signals stay held back after the object is gone, until the
    // process ends.
    void keep() { _kept = true; }

private:
    sigset_t _previous;
    bool _kept = false;
};

// Whether removeOnSignals put the handler in place.
bool handling = false;

// Lists a copy of `path` (relative to `folder`) as a `kind`; false (errno
// ENOMEM) when there is no room.
bool add(const char* path, char kind = kFile, int folder = AT_FDCWD)
{
    List& l = list();
    const std::size_t length = std::strlen(path);
    char* copy = static_cast<char*>(std::malloc(length + 2));
    if (copy == nullptr)
    {
        errno = ENOMEM;
        return false;
    }
    copy[0] = kind;
    std::memcpy(copy + 1, path, length + 1);
    if (l.used == l.capacity)
    {
        // Reuse freed slots before growing.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < l.used; ++i)
        {
            if (l.paths[i].text != nullptr)
            {
                l.paths[kept++] = l.paths[i];
            }
        }
        l.used = kept;
    }
    if (l.used == l.capacity)
    {
        const std::size_t capacity = l.capacity == 0 ? 16 : l.capacity * 2;
        Entry* bigger = static_cast<Entry*>(std::calloc(capacity, sizeof(Entry)));
        if (bigger == nullptr)
        {
            std::free(copy);
            errno = ENOMEM;
            return false;
        }
        if (l.used > 0)
        {
            std::memcpy(bigger, l.paths, l.used * sizeof(Entry));
        }
        std::free(l.paths);
        l.paths = bigger;
        l.capacity = capacity;
    }
    l.paths[l.used++] = Entry{copy, folder, false, 0, 0};
    ++l.listed;
    return true;
}

Entry* find(const std::string& path, int folder = AT_FDCWD)
{
    List& l = list();
    // Newest first: files are mostly removed in the reverse order of making.
    for (std::size_t i = l.used; i-- > 0;)
    {
        if (l.paths[i].text != nullptr && l.paths[i].folder == folder &&
            path == l.paths[i].text + 1)
        {
            return &l.paths[i];
        }
    }
    return nullptr;
}

void drop(const std::string& path, int folder = AT_FDCWD)
{
    List& l = list();
    if (Entry* slot = find(path, folder))
    {
        std::free(slot->text);
        slot->text = nullptr;
        --l.listed;
        while (l.used > 0 && l.paths[l.used - 1].text == nullptr)
        {
            --l.used;
        }
    }
}

// Lists the file just made as `path` (in `folder`) and open as `fd`, with
// which file it is; on failure (errno ENOMEM) the file goes again.
bool listMadeFile(const char* path, int fd, int folder = AT_FDCWD)
{
    struct stat status;
    if (::fstat(fd, &status) != 0 || !add(path, kFile, folder))
    {
        const int error = errno;
        ::close(fd);
        ::unlinkat(folder, path, 0);
        errno = error;
        return false;
    }
    Entry& entry = list().paths[list().used - 1];
    entry.made = true;
    entry.device = status.st_dev;
    entry.inode = status.st_ino;
    return true;
}

// Where the six "X" of a mkstemps pattern start, the `suffixLength`
// characters after them excluded; false (errno EINVAL) when they are not
// there.
bool findRun(const std::string& pattern, int suffixLength, std::size_t& at)
{
    constexpr std::size_t kRun = 6;
    const std::size_t suffix = static_cast<std::size_t>(suffixLength);
    if (suffixLength < 0 || pattern.size() < kRun + suffix ||
        pattern.compare(pattern.size() - suffix - kRun, kRun, "XXXXXX") != 0)
    {
        errno = EINVAL;
        return false;
    }
    at = pattern.size() - suffix - kRun;
    return true;
}

// Six new letters or digits at `at`: the name of a next attempt.
void drawRun(std::string& name, std::size_t at)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (std::size_t i = 0; i < 6; ++i)
    {
        name[at + i] = kLetters[DWFRandom::draw() % (sizeof kLetters - 1)];
    }
}

// After a move that put a file in its target's place. The target holds the
// new file now and the run has done what it was for: a signal from here on
// must not end it as if it had been interrupted (by a status that says the
// target was left alone). What is left to do is short, so the signals wait
// for the process to end. The same after a move that left a claim at the
// target's name: the run must live to name it.
void keepHeldToTheEnd(HeldSignals& held)
{
    if (handling)
    {
        held.keep();
    }
}

//
// Takes the free name `to` by a plain rename, where the file system offers
// no other way to leave a taken name alone: the name is claimed first by an
// empty file made exclusively, so that of runs racing for it one alone gets
// it (the others fail with EEXIST), and the file is renamed over the claim.
// A claim that someone else replaced or removed meanwhile is left alone
// (EEXIST); one that the rename does not take is removed again, and when
// that fails too, `left.claim` gets the reason. Only a name known to hold
// the claim is removed: when it cannot be looked at, `left.claimUnseen`
// gets the reason and the name stays as it is. The caller holds the
// interrupting signals back throughout, so a handled signal never finds the
// claim: only a run killed outright between the two steps leaves it
// unnamed (an empty file at `to`).
//
bool renameOverClaim(int folder, const char* from, const char* to,
                     DWFTempFileRegistry::MoveLeftovers& left)
{
    const int claim =
        ::openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
    {
        return false;
    }
    struct stat made;
    const bool known = ::fstat(claim, &made) == 0;
    ::close(claim);
    // A look that fails for another reason than an absence cannot tell
    // whose the name is.
    int unseen = 0;
    if (known && !holdsFile(folder, to, made, &unseen) && (unseen == 0 || unseen == ENOENT))
    {
        errno = EEXIST;
        return false;
    }
    if (::renameat(folder, from, folder, to) == 0)
    {
        return true;
    }
    const int error = errno;
    unseen = 0;
    if (known && !holdsFile(folder, to, made, &unseen))
    {
        if (unseen != 0 && unseen != ENOENT)
        {
            left.claimUnseen = unseen;
        }
    }
    else if (::unlinkat(folder, to, 0) != 0 && errno != ENOENT)
    {
        left.claim = errno;
    }
    errno = error;
    return false;
}

// Moves `from` to `to` in `folder` unless a name holds `to` by then (EEXIST).
bool moveToFreeName(int folder, const char* from, const char* to,
                    DWFTempFileRegistry::MoveLeftovers& left)
{
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
    {
        return true;
    }
    // EINVAL or ENOSYS: a file system (or kernel) that cannot promise to
    // leave the target alone. A new link can: it fails on any name that is
    // taken.
    if (errno != EINVAL && errno != ENOSYS)
    {
        return false;
    }
    if (::linkat(folder, from, folder, to, 0) == 0)
    {
        // Should its own name stay, the file has one more name; it is whole.
        if (::unlinkat(folder, from, 0) != 0)
        {
            left.secondName = errno;
        }
        return true;
    }
    // EPERM or EOPNOTSUPP: no links either (shared folders of virtual
    // machines, object stores and other FUSE mounts).
    if (errno != EPERM && errno != EOPNOTSUPP)
    {
        return false;
    }
    return renameOverClaim(folder, from, to, left);
}

// Lists a folder the caller has just made; when there is no room to list
// it, the folder goes again and errno is ENOMEM.
bool listMadeFolder(const char* path)
{
    if (add(path, kFolder))
    {
        return true;
    }
    const int error = errno;
    ::rmdir(path);
    errno = error;
    return false;
}

extern "C" void removeAndDie(int signal)
{
    const int saved = errno;
    DWFTempFileRegistry::removeAllNow();
    // End the way the signal would have ended us: default action, unblocked.
    struct sigaction fallback;
    std::memset(&fallback, 0, sizeof fallback);
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    ::raise(signal);
    ::sigprocmask(SIG_UNBLOCK, &just, nullptr);
    errno = saved;
}

} // namespace

int DWFTempFileRegistry::create(std::string& pattern, int suffixLength)
{
    HeldSignals held;
    const int fd = ::mkstemps(pattern.data(), suffixLength);
    if (fd < 0)
    {
        return -1;
    }
    return listMadeFile(pattern.c_str(), fd) ? fd : -1;
}

int DWFTempFileRegistry::createIn(int folder, std::string& pattern, int suffixLength, mode_t mode)
{
    std::size_t run = 0;
    if (!findRun(pattern, suffixLength, run) || pattern.find('/') != std::string::npos)
    {
        errno = EINVAL;
        return -1;
    }
    // As many attempts as mkstemps makes before it gives up on a folder
    // full of names like ours.
    constexpr int kAttempts = 62 * 62 * 62;
    for (int attempt = 0; attempt < kAttempts; ++attempt)
    {
        drawRun(pattern, run);
        HeldSignals held;
        const int fd = ::openat(folder, pattern.c_str(),
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0)
        {
            if (errno == EEXIST)
            {
                continue;
            }
            return -1;
        }
        return listMadeFile(pattern.c_str(), fd, folder) ? fd : -1;
    }
    errno = EEXIST;
    return -1;
}

bool DWFTempFileRegistry::createFolder(std::string& pattern)
{
    HeldSignals held;
    return ::mkdtemp(pattern.data()) != nullptr && listMadeFolder(pattern.c_str());
}

bool DWFTempFileRegistry::makeFolder(const std::string& path)
{
    HeldSignals held;
    return ::mkdir(path.c_str(), 0700) == 0 && listMadeFolder(path.c_str());
}

bool DWFTempFileRegistry::claim(const std::string& path)
{
    HeldSignals held;
    return find(path) != nullptr || add(path.c_str(), kFile);
}

bool DWFTempFileRegistry::removeFolder(const std::string& path)
{
    HeldSignals held;
    if (::rmdir(path.c_str()) != 0 && errno != ENOENT)
    {
        return false;
    }
    drop(path);
    return true;
}

bool DWFTempFileRegistry::remove(const std::string& path)
{
    HeldSignals held;
    // Unlinked before it is unlisted: a signal in between at worst unlinks
    // a name that is already gone.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    {
        return false;
    }
    drop(path);
    return true;
}

bool DWFTempFileRegistry::removeIn(int folder, const std::string& name)
{
    HeldSignals held;
    if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT)
    {
        return false;
    }
    drop(name, folder);
    return true;
}

bool DWFTempFileRegistry::moveIn(int folder, const std::string& name, const std::string& target,
                                 bool replace, MoveLeftovers* left)
{
    HeldSignals held;
    MoveLeftovers found;
    const bool moved = replace ? ::renameat(folder, name.c_str(), folder, target.c_str()) == 0
                               : moveToFreeName(folder, name.c_str(), target.c_str(), found);
    const int error = errno;
    if (left != nullptr)
    {
        *left = found;
    }
    if (!moved)
    {
        if (found.claim != 0 || found.claimUnseen != 0)
        {
            keepHeldToTheEnd(held);
        }
        errno = error;
        return false;
    }
    drop(name, folder);
    keepHeldToTheEnd(held);
    return true;
}

bool DWFTempFileRegistry::renameOver(const std::string& path, const std::string& target)
{
    HeldSignals held;
    if (::rename(path.c_str(), target.c_str()) != 0)
    {
        return false;
    }
    drop(path);
    keepHeldToTheEnd(held);
    return true;
}

void DWFTempFileRegistry::forget(const std::string& path)
{
    HeldSignals held;
    drop(path);
}

bool DWFTempFileRegistry::isMadeFile(const std::string& path, int fd)
{
    HeldSignals held;
    const Entry* entry = find(path);
    if (entry == nullptr || !entry->made)
    {
        return true;
    }
    struct stat status;
    return ::fstat(fd, &status) == 0 && status.st_dev == entry->device &&
           status.st_ino == entry->inode;
}

bool DWFTempFileRegistry::listed(const std::string& path)
{
    HeldSignals held;
    return find(path) != nullptr;
}

std::size_t DWFTempFileRegistry::count()
{
    HeldSignals held;
    return list().listed;
}

void DWFTempFileRegistry::removeAllNow() noexcept
{
    List& l = list();
    for (std::size_t i = 0; i < l.used; ++i)
    {
        const Entry& entry = l.paths[i];
        if (entry.text != nullptr && entry.text[0] == kFile)
        {
            ::unlinkat(entry.folder, entry.text + 1, 0);
        }
    }
    // Newest first: a subfolder is listed after the folder that holds it.
    for (std::size_t i = l.used; i-- > 0;)
    {
        if (l.paths[i].text != nullptr && l.paths[i].text[0] == kFolder)
        {
            ::rmdir(l.paths[i].text + 1);
        }
    }
}

void DWFTempFileRegistry::removeOnSignals()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &removeAndDie;
    // While one of them is handled the others wait; the process ends first.
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
    {
        sigaddset(&action.sa_mask, signal);
    }
    handling = true;
    for (int signal : kSignals)
    {
        // A signal the process was started to ignore (nohup) stays ignored.
        struct sigaction current;
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
        {
            continue;
        }
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace DWFCore
