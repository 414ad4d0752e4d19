#ifndef DWFPUBLISHER_PUBLISHER_H
#define DWFPUBLISHER_PUBLISHER_H

#include "dwf/publisher/EmbeddedFontVisitor.h"
#include "dwf/publisher/PropertyVisitor.h"
#include "dwf/publisher/PublishedObject.h"

namespace DWFToolkit
{

class DWFPublishable;

//
// What a publishable section drives when it is published: a preprocess step,
// the visitors that see its published objects, their properties and its fonts,
// and a postprocess step; publish then writes the result. The base does nothing
// in its steps and hands out the visitors it was given (none by default).
//
class DWFPublisher
{
public:
    // The visitors are not owned.
    explicit DWFPublisher(DWFPublishedObject::Visitor* objectVisitor = nullptr,
                          DWFPropertyVisitor* propertyVisitor = nullptr,
                          DWFEmbeddedFontVisitor* fontVisitor = nullptr)
        : _objectVisitor(objectVisitor), _propertyVisitor(propertyVisitor),
          _fontVisitor(fontVisitor)
    {
    }
    virtual ~DWFPublisher();

    DWFPublisher(const DWFPublisher&) = delete;
    DWFPublisher& operator=(const DWFPublisher&) = delete;

    // Writes what the visits built.
    virtual void publish();

    virtual DWFPublishedObject::Visitor* getPublishedObjectVisitor();
    virtual DWFPropertyVisitor* getPropertyVisitor();
    virtual DWFEmbeddedFontVisitor* getEmbeddedFontVisitor();

    virtual void preprocess(DWFPublishable* publishable);
    virtual void postprocess(DWFPublishable* publishable);

protected:
    DWFPublishedObject::Visitor* _objectVisitor;
    DWFPropertyVisitor* _propertyVisitor;
    DWFEmbeddedFontVisitor* _fontVisitor;
};

} // namespace DWFToolkit

#endif
