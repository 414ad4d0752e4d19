#pragma once
// Registration scripts kept as data and applied to a registry: each entry
// is a key with its default and named values, and the two markers that
// say how unregistration treats it.
#include "platform/kernel/Registry.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform
{

struct ScriptKey
{
    Hive hive = Hive::ClassesRoot;
    std::u16string path; // '\\'-separated, may hold %NAME% placeholders
    std::optional<RegistryValue> defaultValue;
    std::vector<std::pair<std::u16string, RegistryValue>> namedValues;
    bool noRemove = false;    // kept by unregistration (shared parents)
    bool forceRemove = false; // removed whole before it is written again
};

struct RegistrationScript
{
    int id = 0;
    std::vector<ScriptKey> keys; // parents before children
};

using Replacements = std::map<std::u16string, std::u16string>; // "APPID" -> "{...}"

// Writes every key and value, placeholders replaced. Keys marked
// forceRemove are deleted whole first, so stale subkeys go.
void applyScript(Registry& registry, const RegistrationScript& script,
                 const Replacements& replacements);
// Removes every key of the script that is not marked noRemove, children
// first, each with all it holds; keys marked noRemove stay.
void removeScript(Registry& registry, const RegistrationScript& script,
                  const Replacements& replacements);

// "%APPID%" and the like replaced; an unknown placeholder stays as it is.
std::u16string expandPlaceholders(std::u16string_view text, const Replacements& replacements);

} // namespace platform
