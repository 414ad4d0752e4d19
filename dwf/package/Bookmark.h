#ifndef DWFPACKAGE_BOOKMARK_H
#define DWFPACKAGE_BOOKMARK_H

#include "dwf/package/XML.h"

#include <vector>

namespace DWFToolkit
{

//
// One node of a global section's bookmark tree; a bookmark owns its children.
// The root's own name and href are not written. Walking the tree (writing,
// destruction) uses no recursion, so any depth is safe.
//
class DWFBookmark : public DWFXMLBuildable, public DWFXMLSerializable
{
public:
    typedef std::vector<DWFBookmark*> tList;

    DWFBookmark();
    ~DWFBookmark() override;

    DWFBookmark(const DWFBookmark&) = delete;
    DWFBookmark& operator=(const DWFBookmark&) = delete;

    const DWFCore::DWFString& name() const noexcept { return _name; }
    const DWFCore::DWFString& href() const noexcept { return _href; }
    const tList& getChildBookmarks() const noexcept { return _children; }

    //
    // Appends `child` and owns it from then on. Null is ignored, and so is a
    // bookmark that already has a parent or that would make the tree a cycle.
    //
    void addChildBookmark(DWFBookmark* child);

    void parseAttributeList(const char** attributes) override;
    // Nothing for a root without children, else the nested "Bookmark" elements.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    bool _wouldCycle(const DWFBookmark* child) const;

    DWFCore::DWFString _name;
    DWFCore::DWFString _href;
    tList _children;
    DWFBookmark* _parent = nullptr;
};

} // namespace DWFToolkit

#endif
