#include "platform/kernel/HostSettings.h"

#include "platform/kernel/Path.h"

#include <cstdlib>

namespace platform
{

const char16_t kHostSetupKey[] = u"SOFTWARE\\Quillcast\\Host\\Setup";
const char16_t kToolboxIniFileValue[] = u"ToolboxIniFile";
const char kToolboxIniEnvironment[] = "QUILLCAST_TOOLBOX_INI";

std::optional<std::u16string> seedToolboxIniFile(Registry& registry,
                                                 const std::optional<std::u16string>& explicitValue,
                                                 const std::optional<std::u16string>& fallback)
{
    std::optional<std::u16string> chosen = explicitValue;
    if (!chosen)
    {
        if (const char* fromEnvironment = std::getenv(kToolboxIniEnvironment))
            chosen = path::fromNative(fromEnvironment);
    }
    if (!chosen && fallback && !fallback->empty())
        chosen = fallback;
    if (chosen)
        registry.setValue(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, *chosen);
    return chosen;
}

std::u16string hostDataFolder()
{
    const auto value = processRegistry().value(Hive::LocalMachine, kHostSetupKey,
                                               kToolboxIniFileValue);
    if (!value)
        return std::u16string();
    const std::u16string* iniFile = std::get_if<std::u16string>(&*value);
    if (!iniFile)
        return std::u16string();
    // The settings file and the folder that holds it are cut off.
    return path::cutLastComponent(path::cutLastComponent(*iniFile));
}

} // namespace platform
