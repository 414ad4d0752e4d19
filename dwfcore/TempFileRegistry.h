#ifndef DWFCORE_TEMPFILEREGISTRY_H
#define DWFCORE_TEMPFILEREGISTRY_H

#include <cstddef>
#include <string>

namespace DWFCore
{

//
// The one list of the temporary files this process has made and not yet
// removed or handed over: the temporary files of the publishers (sheet
// streams, thumbnails, toolbar bitmaps) and the package that is being
// written beside its target. A file is listed from the moment it exists,
// so a run that is interrupted can remove every one of them, and nothing
// else.
//
// The interrupting signals (SIGINT, SIGTERM, SIGHUP) are held back while
// the list changes, and a file is created and listed, or removed (or
// renamed) and unlisted, in one such step. The handler therefore always
// sees a whole list and does nothing but unlink the paths prepared in it.
// The list is meant for the process's one thread, as everything that
// publishes runs on it.
//
class DWFTempFileRegistry
{
public:
    // Creates a new file from a mkstemps pattern ("...XXXXXX" followed by
    // `suffixLength` more characters) exclusively with mode 0600 and lists
    // it; `pattern` becomes its name. Answers the open descriptor, or -1
    // with errno set (nothing is listed then).
    static int create(std::string& pattern, int suffixLength = 0);

    // Removes a listed file and unlists it. True when the file is gone;
    // false with errno set when unlink failed (the file stays listed).
    static bool remove(const std::string& path);

    // Renames a listed file over `target` and unlists it: from then on the
    // file is the caller's. False with errno set when rename failed (the
    // file stays listed).
    static bool renameOver(const std::string& path, const std::string& target);

    // Unlists a file without touching it.
    static void forget(const std::string& path);

    static bool listed(const std::string& path);
    static std::size_t count();

    // Removes every listed file; safe to call from a signal handler.
    static void removeAllNow() noexcept;

    // From now on SIGINT, SIGTERM and SIGHUP remove every listed file and
    // then end the process by the same signal, as if nothing had caught it.
    // A signal that the process was started to ignore stays ignored.
    static void removeOnSignals();
};

} // namespace DWFCore

#endif
