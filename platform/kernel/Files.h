#pragma once
// Temporary files, the module's own location and the system's reason for a
// failed call.
#include <optional>
#include <string>
#include <string_view>

namespace platform
{

// The temporary folder: $TMPDIR, else /tmp.
std::string temporaryFolder();

// Creates an empty file with a unique name in the temporary folder, made
// exclusively and listed among the process's temporary files (which an
// interrupting signal removes); the name starts with `prefix` and ends with
// `suffix`. Nothing when it cannot be created, with errno telling why. The
// caller removes it with removeTemporaryFile.
std::optional<std::u16string> createTemporaryFile(const std::string& prefix,
                                                  const std::string& suffix = "");

// Removes a file made by createTemporaryFile and takes it off the list.
// True when it is gone (also when it was gone already).
bool removeTemporaryFile(std::u16string_view path);
// Takes a file off that list without touching it (the caller removed it
// already, or keeps it); `path` as the system takes it.
void forgetTemporaryFile(const std::string& path);

// The full file name of the running module: what the command line set, or
// else the running program. Its folder holds the module's resources.
std::u16string moduleFileName();
void setModuleFileName(std::u16string path);

// The system's text for the errno value `error`, as a message gives it after
// the file it concerns; 0 (a call that failed without saying why) reads as
// EIO, and a file refused as no regular file (DWFCore::openRegularFile)
// reads "Not a regular file".
std::string systemReason(int error);

} // namespace platform
