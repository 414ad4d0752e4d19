#pragma once
// The publisher draws an object with its texture of a configuration only
// when that configuration is one of the documents it asks has: the
// published document, and the document the object belongs to. A texture
// under any other name is never drawn, so the loader refuses it with its
// line, as it does every other reference to something the file lacks.
//
// The loader hands over each texture with the place it was written in and
// each face of a component's body that names a feature; `check` runs once
// the whole file is read, when every component knows its model document
// and the active document is settled.
#include <map>
#include <string>
#include <vector>

namespace host
{
namespace memory
{
class Component;
class Document;
class Feature;
} // namespace memory

class TextureConfigurationCheck
{
public:
    // Where a texture is written, as far as the configurations it is
    // looked up in go.
    struct Place
    {
        // The <document> that holds it.
        memory::Document* document = nullptr;
        // The component whose model document the texture's object belongs
        // to: for a texture of a component's body or face, that component;
        // for a component's own texture, the subassembly that holds it
        // (none on the top assembly's own level).
        memory::Component* belongsTo = nullptr;
        // The feature whose texture it is.
        memory::Feature* feature = nullptr;
    };

    // `configuration` must stay where it is until `check` (the key the
    // texture is kept under).
    void add(const std::u16string& configuration, int line, const Place& place);
    // A face of `component`'s body names `feature`: the feature's textures
    // are looked up in the component's model document too.
    void addFeatureUser(memory::Feature* feature, memory::Component* component);
    // Throws LoadError for the first texture, in file order, whose
    // configuration none of its documents has.
    void check(memory::Document* active) const;

private:
    struct Entry
    {
        const std::u16string* configuration;
        int line;
        Place place;
    };
    std::vector<Entry> entries_;
    // The components whose faces name each feature, each once.
    std::map<memory::Feature*, std::vector<memory::Component*>> featureUsers_;
};

} // namespace host
