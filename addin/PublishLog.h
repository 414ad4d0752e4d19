#pragma once
// What the add-in's publications tell whoever hosts it beyond their message
// boxes: which packages were written (a package may be written although a
// box was shown for some of its content), and notes on what was left out
// without a failure (a sheet without its thumbnail). The command line tells
// a written package from a lost one by it and prints the notes.
#include <string>
#include <vector>

namespace publish_log
{

// A package was put in place at `target`, `replaced` when it took the place
// of a file that held that name.
void PackageWritten(const std::u16string& target, bool replaced = false);
// The folder of a package put in place at `target` could not be flushed to
// the disk: a power loss may still undo the move.
void FolderNotFlushed(const std::u16string& target);
// The name `target` could not be looked at after a package was moved
// there: whether it holds the package is not known.
void PlaceNotChecked(const std::u16string& target);
// Something was left out of a package that is still whole.
void Note(const std::u16string& text);
// A temporary file or folder that the run made could not be removed and
// stays in the temporary folder: a note names it (`what`, then `path`),
// adds `detail` when given, and gives the system's reason for `error` (the
// errno of the removal that failed). The package is as whole as it was.
void LeftBehind(const std::u16string& what, const std::u16string& path, int error,
                const std::u16string& detail = std::u16string());

const std::vector<std::u16string>& WrittenPackages();
// Those of the written packages that replaced a file.
const std::vector<std::u16string>& ReplacingPackages();
const std::vector<std::u16string>& UnflushedPackages();
const std::vector<std::u16string>& UncheckedPackages();
const std::vector<std::u16string>& Notes();

// Forgets every list.
void Reset();

} // namespace publish_log
