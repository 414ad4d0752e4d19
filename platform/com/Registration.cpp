#include "platform/com/Registration.h"

namespace platform
{

std::u16string expandPlaceholders(std::u16string_view text, const Replacements& replacements)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size())
    {
        if (text[i] == u'%')
        {
            const std::size_t close = text.find(u'%', i + 1);
            if (close != std::u16string_view::npos)
            {
                const auto found =
                    replacements.find(std::u16string(text.substr(i + 1, close - i - 1)));
                if (found != replacements.end())
                {
                    out += found->second;
                    i = close + 1;
                    continue;
                }
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

namespace
{
RegistryValue expanded(const RegistryValue& value, const Replacements& replacements)
{
    if (const auto* text = std::get_if<std::u16string>(&value))
        return expandPlaceholders(*text, replacements);
    return value;
}
} // namespace

void applyScript(Registry& registry, const RegistrationScript& script,
                 const Replacements& replacements)
{
    for (const auto& key : script.keys)
    {
        const std::u16string path = expandPlaceholders(key.path, replacements);
        if (key.forceRemove)
            registry.deleteKeyTree(key.hive, path);
        registry.createKey(key.hive, path);
        if (key.defaultValue)
            registry.setValue(key.hive, path, u"", expanded(*key.defaultValue, replacements));
        for (const auto& [name, value] : key.namedValues)
            registry.setValue(key.hive, path, name, expanded(value, replacements));
    }
}

void removeScript(Registry& registry, const RegistrationScript& script,
                  const Replacements& replacements)
{
    for (auto key = script.keys.rbegin(); key != script.keys.rend(); ++key)
    {
        if (key->noRemove)
            continue;
        registry.deleteKeyTree(key->hive, expandPlaceholders(key->path, replacements));
    }
}

} // namespace platform
