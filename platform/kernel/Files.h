#pragma once
// Temporary files and the module's own location.
#include <optional>
#include <string>

namespace platform
{

// Creates an empty file with a unique name in the temporary folder ($TMPDIR,
// else /tmp), made exclusively; the name starts with `prefix` and ends with
// `suffix`. Nothing when it cannot be created. The caller removes it.
std::optional<std::u16string> createTemporaryFile(const std::string& prefix,
                                                  const std::string& suffix = "");

// The full file name of the running module: what the command line set, or
// else the running program. Its folder holds the module's resources.
std::u16string moduleFileName();
void setModuleFileName(std::u16string path);

} // namespace platform
