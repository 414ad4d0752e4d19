#ifndef DWFCORE_TEMPFILEREGISTRY_H
#define DWFCORE_TEMPFILEREGISTRY_H

#include <cstddef>
#include <string>
#include <sys/types.h>

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
// Folders are listed too (the private folder of converted textures and its
// subfolders), with the names of the files their owner is about to make in
// them: an interrupted run unlinks every listed file first and then removes
// the listed folders, newest first, so that a folder is empty when its turn
// comes.
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

    // The same in the folder open as `folder` (a descriptor that must stay
    // open for as long as the file is listed): `pattern` is a name without
    // a slash, and the new file is made with O_EXCL and O_NOFOLLOW, so that
    // nothing already there, a link included, is ever opened in its place.
    // `mode` is the mode asked for at creation, on which the umask or the
    // folder's default ACL act as on any new file. The file is listed by
    // that folder and name, so that its removal does not depend on the
    // folder's path (which may be too long to name it whole). Answers the
    // open descriptor (read-write, close-on-exec), or -1 with errno set
    // (nothing is listed then).
    static int createIn(int folder, std::string& pattern, int suffixLength = 0,
                        mode_t mode = 0600);

    // Makes a new folder from a mkdtemp pattern ("...XXXXXX") with mode 0700
    // and lists it; `pattern` becomes its name. False with errno set when it
    // cannot be made (nothing is listed then).
    static bool createFolder(std::string& pattern);

    // Makes the folder `path` (mode 0700) and lists it. False with errno set
    // when mkdir failed (EEXIST included; nothing is listed then).
    static bool makeFolder(const std::string& path);

    // Lists the name of a file that the caller is about to create itself,
    // in a listed folder, so that it goes with the folder whenever the run
    // is interrupted. False (errno ENOMEM) when there is no room to list it.
    static bool claim(const std::string& path);

    // Removes a listed file and unlists it. True when the file is gone;
    // false with errno set when unlink failed (the file stays listed).
    static bool remove(const std::string& path);

    // Renames a listed file over `target` and unlists it: from then on the
    // file is the caller's. False with errno set when rename failed (the
    // file stays listed). Once the signals are handled (removeOnSignals), a
    // successful rename leaves them held back until the process ends: the
    // run then finishes with its own status.
    static bool renameOver(const std::string& path, const std::string& target);

    // Removes a file listed by createIn and unlists it, as remove.
    static bool removeIn(int folder, const std::string& name);

    // What a move leaves beside the file moved (or not moved): for each,
    // the errno of the removal that failed, 0 when nothing stays.
    struct MoveLeftovers
    {
        // The file's own name, where the file was linked to the target.
        int secondName = 0;
        // The empty file that claimed the target's name, where the file
        // could not be renamed over it.
        int claim = 0;
        // The errno of a look at the target's name that could not tell
        // whether it still holds that claim, which then stays.
        int claimUnseen = 0;
    };

    // Moves a file listed by createIn to `target` in the same folder and
    // unlists it, as renameOver does. With `replace` a file that holds the
    // name `target` is replaced. Without, nothing that holds it by then is
    // replaced, a link that leads nowhere included: the move fails with
    // EEXIST and the file stays listed. Where the file system cannot move
    // without replacing, the file is linked under `target` (which fails the
    // same way) and its own name then removed; should that removal fail,
    // `left` (when given) says so, and the file keeps both names. Where it
    // can make no link either, `target` is claimed first by an empty file
    // made exclusively (EEXIST when taken) and the file then renamed over
    // the claim, which goes again when the rename fails; should that
    // removal fail too, `left` says so, and the signals stay held back as
    // after a move, so that the run ends by itself and can name the claim.
    // A run killed outright between the two steps leaves the empty claim at
    // `target`.
    static bool moveIn(int folder, const std::string& name, const std::string& target, bool replace,
                       MoveLeftovers* left = nullptr);

    // Removes a listed folder, which must be empty, and unlists it. True
    // when the folder is gone; false with errno set when rmdir failed.
    static bool removeFolder(const std::string& path);

    // Unlists a file or folder without touching it.
    static void forget(const std::string& path);

    // Whether the open file `fd`, just opened by the name `path`, may be
    // used as that name: false when `path` names a file this process made
    // and listed, and `fd` is another file (in a folder where others may
    // write, the name can be made to lead elsewhere once the file is made).
    static bool isMadeFile(const std::string& path, int fd);

    static bool listed(const std::string& path);
    static std::size_t count();

    // Removes every listed file, then every listed folder; safe to call from
    // a signal handler.
    static void removeAllNow() noexcept;

    // From now on SIGINT, SIGTERM and SIGHUP remove every listed file and
    // then end the process by the same signal, as if nothing had caught it,
    // up to the first renameOver or moveIn (see there).
    // A signal that the process was started to ignore stays ignored.
    static void removeOnSignals();
};

} // namespace DWFCore

#endif
