#pragma once
// Where the stand-in host keeps its settings in the registry, and how the
// command line or the environment fills them in.
#include "platform/kernel/Registry.h"

#include <optional>
#include <string>

namespace platform
{

// Key under the local machine hive that holds the host's set-up values.
extern const char16_t kHostSetupKey[];
// Names the host's toolbox settings file; its folder two levels up is the
// host's data folder.
extern const char16_t kToolboxIniFileValue[];
// Environment variable read when the command line names no settings file.
extern const char kToolboxIniEnvironment[];

// Sets "ToolboxIniFile" from the explicit value (the command line), else
// from the environment variable, else from the fallback (what the host
// document names); with none of them the registry is left as it is.
// Returns the value set.
std::optional<std::u16string>
seedToolboxIniFile(Registry& registry, const std::optional<std::u16string>& explicitValue,
                   const std::optional<std::u16string>& fallback = std::nullopt);

// The host's data folder: the folder two levels up from the settings file
// that "ToolboxIniFile" names in the process registry; empty when none is
// named.
std::u16string hostDataFolder();

} // namespace platform
