// The publish sequence: a closed model drives a publisher through its steps.
#include "dwf/publisher/model/Model.h"

#include "dwf/publisher/Publisher.h"

namespace DWFToolkit
{

namespace
{
// The stream index of the record serialized with `key`; all bits set when no
// record was.
DWFPublishedObject::tKey indexOf(const BStreamFileToolkit& toolkit, DWFPublishedObject::tKey key)
{
    int index = -1;
    if (toolkit.KeyToIndex(key, index) != TK_Done)
    {
        return DWFPublishedObject::kNoIndex;
    }
    return static_cast<DWFPublishedObject::tKey>(index);
}
} // namespace

void DWFModel::publish(DWFPublisher& publisher)
{
    publisher.preprocess(this);
    DWFPublishedObject::Visitor* const objectVisitor = publisher.getPublishedObjectVisitor();
    DWFPropertyVisitor* const propertyVisitor = publisher.getPropertyVisitor();
    DWFEmbeddedFontVisitor* const fontVisitor = publisher.getEmbeddedFontVisitor();

    // In ascending key order, which is the order in which the segments were
    // made: a parent's instance key is set before any child is visited.
    _objects.forEach(
        [&](const DWFPublishedObject::tKey&, DWFPublishedObject*& object)
        {
            object->setInstanceKey(indexOf(_toolkit, object->key()));
            for (auto& reference : object->references())
            {
                reference->index = indexOf(_toolkit, reference->key);
            }
            if (objectVisitor != nullptr)
            {
                object->accept(*objectVisitor);
            }
            if (propertyVisitor != nullptr)
            {
                object->accept(*propertyVisitor);
            }
        });

    if (fontVisitor != nullptr)
    {
        for (auto& font : _fonts)
        {
            fontVisitor->visitEmbeddedFont(*font);
        }
    }
    publisher.postprocess(this);
}

} // namespace DWFToolkit
