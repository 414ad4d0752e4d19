#pragma once
// Scratch files: created exclusively and unlinked at once, so they vanish
// when closed and never truncate or follow a file that is already there.
#include "imaging/FileSpecifier.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

// Opens a new scratch file at `path` for reading and writing and unlinks
// it; -1 with `error` set to the system error number on failure. The one
// existing file accepted is an empty placeholder of the calling user with no
// other name, as makeScratchFileSpecifier leaves it.
int openScratchFile(const std::string& path, int& error);

// A scratch file whose name could not be unlinked once it was open stays in
// its folder (and among the process's temporary files). The library has
// nobody to tell, so it keeps them here for whoever made the session.
struct ScratchFileLeft
{
    std::string path;
    int error = 0; // why unlink failed
};
// The scratch files left since the last call; they are forgotten here.
std::vector<ScratchFileLeft> takeScratchFilesLeft();

// A kind-0 specifier naming a fresh, empty, exclusively created file in the
// temporary folder whose name starts with `prefix` (the session's paging
// file uses "IMG"). When none can be made, FileIOException "Unable to create
// temporary file in 'FOLDER/': REASON" is thrown, with the code the session
// gives the same failure (temporaryFileExceptionCode).
FileSpecifier makeScratchFileSpecifier(const char* prefix);

// The creation failure code of a system error number: 0 path not found,
// 1 access denied or in use, 2 write-protected medium, 3 anything else.
std::int32_t creationFailureCode(int error);
// The code of the FileIOException "Unable to create temporary file" for a
// creation failure code: 1 path not found, 3 access denied or in use,
// 9 write-protected medium, 10 anything else.
std::int32_t temporaryFileExceptionCode(std::int32_t creationFailure);

} // namespace Omvi
