#include "dwf/package/reader/SectionBuilder.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/reader/ElementName.h"
#include "dwfcore/Exception.h"

namespace DWFToolkit
{

DWFSectionBuilder::~DWFSectionBuilder() = default;

DWFSectionFactory* DWFSectionBuilder::addFactory(DWFSectionFactory* factory)
{
    if (factory == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No factory provided",
                      "DWFToolkit::DWFSectionBuilder::addFactory");
    }
    std::unique_ptr<DWFSectionFactory>& slot = _factories[factory->type()];
    if (slot.get() == factory)
    {
        return nullptr;
    }
    DWFSectionFactory* const replaced = slot.release();
    slot.reset(factory);
    return replaced;
}

DWFSection* DWFSectionBuilder::buildSection(const char** attributes, DWFPackageReader* reader)
{
    DWFCore::DWFString name;
    DWFCore::DWFString type;
    DWFCore::DWFString title;
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes && attributes[i] != nullptr && attributes[i + 1] != nullptr;
         i += 2)
    {
        const char* local = DWFElementName::Local(attributes[i], DWFElementName::eDWF);
        const char* value = attributes[i + 1];
        if (DWFElementName::Is(local, "name") && once.first(0))
        {
            name = value;
        }
        else if (DWFElementName::Is(local, "type") && once.first(1))
        {
            type = value;
        }
        else if (DWFElementName::Is(local, "title") && once.first(2))
        {
            title = value;
        }
    }
    const auto found = _factories.find(type);
    if (found != _factories.end())
    {
        return found->second->build(name, title, reader);
    }
    return _plain ? _plain->build(type, name, title, reader) : nullptr;
}

} // namespace DWFToolkit
