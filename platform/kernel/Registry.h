#pragma once
// An in-memory registry: hives of keys, each key with named string or
// DWORD values (the unnamed value is the key's default). Key names compare
// without regard to ASCII case, as the system's do; paths use '\\'.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform
{

enum class Hive
{
    ClassesRoot,
    LocalMachine,
    CurrentUser
};

using RegistryValue = std::variant<std::u16string, std::uint32_t>;

// Status codes of the system's registry calls.
constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_MORE_DATA = 234;

class Registry
{
public:
    Registry();
    ~Registry();

    // Creates the key and every missing parent.
    void createKey(Hive hive, std::u16string_view path);
    bool keyExists(Hive hive, std::u16string_view path) const;
    // Removes the key with every subkey and value; false when it is absent.
    bool deleteKeyTree(Hive hive, std::u16string_view path);
    std::vector<std::u16string> subkeys(Hive hive, std::u16string_view path) const;

    // Creates the key when needed; an empty name sets the default value.
    void setValue(Hive hive, std::u16string_view path, std::u16string_view name,
                  RegistryValue value);
    std::optional<RegistryValue> value(Hive hive, std::u16string_view path,
                                       std::u16string_view name) const;
    std::vector<std::u16string> valueNames(Hive hive, std::u16string_view path) const;

    // Reads a string value into a caller's buffer of `bufferBytes` bytes, as
    // the system's query does: ERROR_MORE_DATA when the text and its
    // terminator do not fit (out is then left empty), ERROR_FILE_NOT_FOUND
    // for a missing key or value or a value that is not a string.
    long queryString(Hive hive, std::u16string_view path, std::u16string_view name,
                     std::size_t bufferBytes, std::u16string& out) const;

    void clear();

private:
    struct Key;
    Key* find(Hive hive, std::u16string_view path) const;
    Key* ensure(Hive hive, std::u16string_view path);
    std::map<Hive, std::unique_ptr<Key>> hives_;
};

// The registry of the process: what the add-in reads and registration
// writes when no other registry is named.
Registry& processRegistry();

} // namespace platform
