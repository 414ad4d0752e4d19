#include "host/TextureConfigurationCheck.h"

#include "host/Loader.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <set>

namespace host
{

namespace
{

// A message names at most this many configurations; the rest are "…".
constexpr std::size_t kNamesShown = 8;

memory::Document* modelOf(const memory::Component* component)
{
    // The loader points every component's model at one of its own documents.
    return component ? static_cast<memory::Document*>(component->model) : nullptr;
}

std::string quoted(const std::u16string& name)
{
    return "'" + platform::utf16ToUtf8(name) + "'";
}

} // namespace

void TextureConfigurationCheck::add(const std::u16string& configuration, int line,
                                    const Place& place)
{
    entries_.push_back({&configuration, line, place});
}

void TextureConfigurationCheck::addFeatureUser(memory::Feature* feature,
                                               memory::Component* component)
{
    std::vector<memory::Component*>& users = featureUsers_[feature];
    // A component's faces come one after the other.
    if (users.empty() || users.back() != component)
        users.push_back(component);
}

void TextureConfigurationCheck::check(memory::Document* active) const
{
    // Each document's configurations as a set, made when first asked.
    std::map<const memory::Document*, std::set<std::u16string>> known;
    const auto configurationsOf =
        [&](const memory::Document* document) -> const std::set<std::u16string>&
    {
        auto found = known.find(document);
        if (found == known.end())
        {
            const std::vector<std::u16string>& names = document->configurations;
            found = known.emplace(document, std::set(names.begin(), names.end())).first;
        }
        return found->second;
    };

    for (const Entry& entry : entries_)
    {
        // The documents the publisher asks: the published one, the one the
        // texture is written in, and the model document its object belongs
        // to in an assembly.
        std::vector<const memory::Document*> documents = {active, entry.place.document};
        documents.push_back(modelOf(entry.place.belongsTo));
        if (entry.place.feature)
        {
            const auto users = featureUsers_.find(entry.place.feature);
            if (users != featureUsers_.end())
                for (const memory::Component* component : users->second)
                    documents.push_back(modelOf(component));
        }
        documents.erase(std::remove(documents.begin(), documents.end(), nullptr), documents.end());

        const std::u16string& configuration = *entry.configuration;
        const bool found = std::any_of(documents.begin(), documents.end(),
                                       [&](const memory::Document* document)
                                       { return configurationsOf(document).count(configuration); });
        if (found)
            continue;

        // One name more than is shown says that there are more.
        std::vector<std::u16string> names;
        for (const memory::Document* document : documents)
            for (const std::u16string& name : document->configurations)
                if (names.size() <= kNamesShown &&
                    std::find(names.begin(), names.end(), name) == names.end())
                    names.push_back(name);
        const std::string head = "<texture> names configuration " + quoted(configuration);
        if (names.empty())
            throw LoadError(entry.line,
                            head + ", but its document has no <configuration>: it would never "
                                   "be drawn");
        std::string list;
        for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
            list += (i ? ", " : "") + quoted(names[i]);
        if (names.size() > kNamesShown)
            list += ", ...";
        throw LoadError(entry.line, head +
                                        ", which is none of the configurations it can be drawn "
                                        "in (names match exactly, case included): " +
                                        list);
    }
}

} // namespace host
