#include "dwf/package/Bookmark.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <utility>

namespace DWFToolkit
{

DWFBookmark::DWFBookmark() = default;

DWFBookmark::~DWFBookmark()
{
    // Flatten the tree into a work list instead of recursing: a deep tree
    // read from a document must not exhaust the stack.
    tList pending;
    pending.swap(_children);
    while (!pending.empty())
    {
        DWFBookmark* bookmark = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), bookmark->_children.begin(), bookmark->_children.end());
        bookmark->_children.clear();
        delete bookmark;
    }
}

bool DWFBookmark::_wouldCycle(const DWFBookmark* child) const
{
    // `child` has no parent, so adding it makes a cycle exactly when it is
    // this bookmark's root. Walk up from here and down through the child's
    // subtree in step, and stop at whichever answers first: building a tree
    // from the top or from the bottom stays linear.
    const DWFBookmark* up = this;
    std::vector<const DWFBookmark*> down{child};
    for (;;)
    {
        if (up == child)
        {
            return true;
        }
        up = up->_parent;
        if (up == nullptr)
        {
            return false;
        }
        const DWFBookmark* visited = down.back();
        down.pop_back();
        if (visited == this)
        {
            return true;
        }
        down.insert(down.end(), visited->_children.begin(), visited->_children.end());
        if (down.empty())
        {
            return false;
        }
    }
}

void DWFBookmark::addChildBookmark(DWFBookmark* child)
{
    if (child == nullptr || child->_parent != nullptr || child == this || _wouldCycle(child))
    {
        return;
    }
    _children.push_back(child);
    child->_parent = this;
}

void DWFBookmark::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFBookmark::parseAttributeList");
    }
    DWFAttributeText::ReadTextFields(attributes, {{"name", &_name}, {"href", &_href}});
}

void DWFBookmark::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (_children.empty())
    {
        return;
    }
    const DWFCore::DWFString prefix = namespaceXML(flags);
    serializer.startElement(u"Bookmark", prefix);

    // Depth-first with an explicit stack of (bookmark, next child to write).
    std::vector<std::pair<const DWFBookmark*, std::size_t>> open;
    open.emplace_back(this, 0);
    while (!open.empty())
    {
        auto& top = open.back();
        if (top.second == top.first->_children.size())
        {
            open.pop_back();
            serializer.endElement();
            continue;
        }
        const DWFBookmark* child = top.first->_children[top.second++];
        serializer.startElement(u"Bookmark", prefix);
        serializer.addAttribute(u"name", child->_name);
        serializer.addAttribute(u"href", child->_href);
        open.emplace_back(child, 0);
    }
}

} // namespace DWFToolkit
