#ifndef DWFCORE_REGULARFILE_H
#define DWFCORE_REGULARFILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct stat;

namespace DWFCore
{

//
// Every file the publisher reads comes from a document, a setting or a
// command line, and any of them may name a FIFO, a device or a folder in
// place of a file. Opening a FIFO for reading waits for a writer, and a
// device may never end, so such names are refused before a byte is read,
// with a reason the user can act on.
//

// The errno value of a refused file that exists but is neither a regular
// file nor a folder (a FIFO, a device, a socket): no system error says so.
// Both reason texts of the system (DWFCore::describeSystemError and
// platform::systemReason) read it as "Not a regular file".
constexpr int kNotRegularFile = 0x10000;

// The errno value of a refused file that this process made under the name
// it was opened by, when the name leads to another file by then (see
// DWFTempFileRegistry::isMadeFile). Read as "Replaced by another file since
// this run made it".
constexpr int kReplacedFile = 0x10001;

// Opens `path` (UTF-8, as the system takes it) for reading when it is a
// regular file or a link to one: the file is opened without waiting for
// anything, its kind is checked on the open descriptor (so it cannot change
// in between) and only then is the descriptor made blocking again. A name
// of one of the process's temporary files opens only the file made under
// it. Answers the descriptor (close-on-exec), or -1 with errno set: the
// system's error, EISDIR for a folder, kReplacedFile for another file than
// the one made, kNotRegularFile for anything else.
int openRegularFile(const std::string& path) noexcept;

// Opens `path` for writing and empties it, creating it (mode 0666 less the
// umask) when it is not there, but never through a link at its end (ELOOP);
// a name of one of the process's temporary files opens only the file made
// under it (kReplacedFile otherwise; ENOENT when it is gone), and nothing is
// emptied before that is known. Answers the descriptor (close-on-exec), or
// -1 with errno set.
int openFileForWriting(const std::string& path) noexcept;

// The same as a stdio stream ("rb"); null with errno set.
std::FILE* openRegularFileStream(const std::string& path) noexcept;

// Reads the open file `fd` from where it stands to its end into `bytes`
// (replacing them). A file of more than `limit` bytes is refused (EFBIG)
// before any of it is read, by its size, or as soon as it yields more. False
// with errno set; the descriptor stays open either way.
bool readWholeFile(int fd, std::size_t limit, std::vector<std::uint8_t>& bytes);

// The system's text for `error`, kNotRegularFile included; 0 reads as EIO.
std::string fileErrorText(int error);

// The folder that holds `path` ("." for a bare name, "/" for a name at the
// root), and the name it has there: a name is looked at and changed from
// within its folder, so that a path longer than the system takes whole
// still works when its folder's path does not exceed that.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Whether the name `name` in the folder `folder` is the file `file` (a link
// there is not followed: a link to the file is not the file). When the name
// cannot be looked at, `error` (when given) gets the reason, ENOENT where
// nothing holds it; it is left alone when another file holds the name.
bool holdsFile(int folder, const char* name, const struct stat& file, int* error = nullptr) noexcept;

} // namespace DWFCore

#endif
