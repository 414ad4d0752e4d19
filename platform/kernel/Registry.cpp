#include "platform/kernel/Registry.h"

#include "platform/kernel/Path.h"

namespace platform
{

namespace
{
std::u16string folded(std::u16string_view name)
{
    std::u16string out(name);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

std::vector<std::u16string> componentsOf(std::u16string_view path)
{
    std::vector<std::u16string> parts;
    std::u16string current;
    for (char16_t c : path)
    {
        if (c == u'\\')
        {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        }
        else
        {
            current.push_back(c);
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}
} // namespace

struct Registry::Key
{
    std::u16string name;
    std::map<std::u16string, std::unique_ptr<Key>> children; // by folded name
    std::map<std::u16string, std::pair<std::u16string, RegistryValue>> values;
};

Registry::Registry() = default;
Registry::~Registry() = default;

Registry::Key* Registry::find(Hive hive, std::u16string_view path) const
{
    const auto root = hives_.find(hive);
    if (root == hives_.end())
        return nullptr;
    Key* key = root->second.get();
    for (const auto& part : componentsOf(path))
    {
        const auto child = key->children.find(folded(part));
        if (child == key->children.end())
            return nullptr;
        key = child->second.get();
    }
    return key;
}

Registry::Key* Registry::ensure(Hive hive, std::u16string_view path)
{
    auto& root = hives_[hive];
    if (!root)
        root = std::make_unique<Key>();
    Key* key = root.get();
    for (const auto& part : componentsOf(path))
    {
        auto& child = key->children[folded(part)];
        if (!child)
        {
            child = std::make_unique<Key>();
            child->name = part;
        }
        key = child.get();
    }
    return key;
}

void Registry::createKey(Hive hive, std::u16string_view path)
{
    ensure(hive, path);
}

bool Registry::keyExists(Hive hive, std::u16string_view path) const
{
    return find(hive, path) != nullptr;
}

bool Registry::deleteKeyTree(Hive hive, std::u16string_view path)
{
    auto parts = componentsOf(path);
    if (parts.empty())
        return false;
    const std::u16string leaf = folded(parts.back());
    parts.pop_back();
    std::u16string parentPath;
    for (const auto& part : parts)
        parentPath += part + u'\\';
    Key* parent = find(hive, parentPath);
    return parent && parent->children.erase(leaf) > 0;
}

std::vector<std::u16string> Registry::subkeys(Hive hive, std::u16string_view path) const
{
    std::vector<std::u16string> names;
    if (const Key* key = find(hive, path))
        for (const auto& [folded, child] : key->children)
            names.push_back(child->name);
    return names;
}

void Registry::setValue(Hive hive, std::u16string_view path, std::u16string_view name,
                        RegistryValue value)
{
    ensure(hive, path)->values[folded(name)] = {std::u16string(name), std::move(value)};
}

std::optional<RegistryValue> Registry::value(Hive hive, std::u16string_view path,
                                             std::u16string_view name) const
{
    const Key* key = find(hive, path);
    if (!key)
        return std::nullopt;
    const auto found = key->values.find(folded(name));
    if (found == key->values.end())
        return std::nullopt;
    return found->second.second;
}

std::vector<std::u16string> Registry::valueNames(Hive hive, std::u16string_view path) const
{
    std::vector<std::u16string> names;
    if (const Key* key = find(hive, path))
        for (const auto& [folded, entry] : key->values)
            names.push_back(entry.first);
    return names;
}

long Registry::queryString(Hive hive, std::u16string_view path, std::u16string_view name,
                           std::size_t bufferBytes, std::u16string& out) const
{
    out.clear();
    const auto held = value(hive, path, name);
    const auto* text = held ? std::get_if<std::u16string>(&*held) : nullptr;
    if (!text)
        return ERROR_FILE_NOT_FOUND;
    if ((text->size() + 1) * sizeof(char16_t) > bufferBytes)
        return ERROR_MORE_DATA;
    out = *text;
    return ERROR_SUCCESS;
}

void Registry::clear()
{
    hives_.clear();
}

Registry& processRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace platform
