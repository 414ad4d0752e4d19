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

    //
    // Every object learns its stream index before any is visited: a visit may
    // define an object's parent, or an included object, ahead of that
    // object's own turn, and their instances must carry their real indices.
    //
    _objects.forEach(
        [&](const DWFPublishedObject::tKey&, DWFPublishedObject*& object)
        {
            object->setInstanceKey(indexOf(_toolkit, object->key()));
            for (auto& reference : object->references())
            {
                // A null entry is left for the visitor to report.
                if (reference)
                {
                    reference->index = indexOf(_toolkit, reference->key);
                }
            }
        });

    // In ascending key order, which is the order in which the segments were made.
    _objects.forEach(
        [&](const DWFPublishedObject::tKey&, DWFPublishedObject*& object)
        {
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
