#ifndef DWFPUBLISHER_PUBLISHABLE_H
#define DWFPUBLISHER_PUBLISHABLE_H

#include "dwfcore/InputStream.h"
#include "dwfcore/Iterator.h"
#include "dwfcore/String.h"

namespace DWFToolkit
{

class DWFPublisher;
class DWFEmbeddedFont;

//
// Something with bytes of a MIME type that a publisher can put into a
// package: a model, an image, a texture.
//
class DWFPublishable
{
public:
    virtual ~DWFPublishable();

    virtual const DWFCore::DWFString& getMIMEType() = 0;
    // A new stream over the bytes; the caller owns it.
    virtual DWFCore::DWFInputStream* getInputStream() = 0;
};

// A publishable that travels with a section as one of its resources.
class DWFPublishableResource : public DWFPublishable
{
};

//
// A publishable that becomes a section of its own. It drives a publisher
// through publish; sections that can carry fonts and further resources
// override the three operations that the base refuses.
//
class DWFPublishableSection : public DWFPublishable
{
public:
    virtual void publish(DWFPublisher& publisher) = 0;

    // The base refuses (DWFNotImplementedException) and takes nothing: the
    // caller keeps the font.
    virtual void embedFont(DWFEmbeddedFont* font);
    // The base refuses (DWFNotImplementedException) and takes nothing.
    virtual void addResource(DWFPublishableResource* resource);
    // The base refuses (DWFNotImplementedException).
    virtual DWFCore::DWFIterator<DWFPublishableResource*>* getResources();
};

} // namespace DWFToolkit

#endif
