// The host's material library is a file of the user's installation: any
// bytes must give a library or none, and reading every material of it must
// stay inside what was parsed.
#include "addin/publishers/MaterialDatabaseReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{
void require(bool promise)
{
    if (!promise)
        __builtin_trap();
}

// Every element and attribute of the tree, as far as libxml2 nests it.
void walk(const platform::xml::Element& element, int depth)
{
    require(depth < 10000);
    element.name();
    element.attributes();
    element.attribute(u"RGB");
    for (platform::xml::Element child = element.firstChild(); child; child = child.nextSibling())
        walk(child, depth + 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MaterialDatabaseReader reader;
    reader.LoadXml(bytes);
    const int count = reader.MaterialCount();
    require(count == 0 || reader.IsLoaded());
    for (int index = -1; index <= count && index < 256; ++index)
    {
        reader.ReadMaterials(index);
        const auto& material = reader.CurrentMaterial();
        require(material.red >= 0 && material.red <= 255);
        require(material.green >= 0 && material.green <= 255);
        require(material.blue >= 0 && material.blue <= 255);
    }
    if (auto document = platform::xml::Document::parse(bytes))
        walk(document->documentElement(), 0);
    return 0;
}
