#include "dwf/package/XMLElementBuilder.h"

#include "dwf/package/Bookmark.h"
#include "dwf/package/DefinedObject.h"
#include "dwf/package/Dependency.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Paper.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/Source.h"
#include "dwf/package/Units.h"
#include "dwfcore/Exception.h"

#include <memory>
#include <new>
#include <utility>

namespace DWFToolkit
{

namespace
{

// Allocates, fills from the attributes, and hands over; a failed parse frees the object.
template <class T, class... Arguments> T* build(const char** attributes, Arguments&&... arguments)
{
    std::unique_ptr<T> object(new (std::nothrow) T(std::forward<Arguments>(arguments)...));
    if (!object)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate DWFXMLBuildable object",
                      "DWFToolkit::DWFXMLElementBuilder::_build");
    }
    object->parseAttributeList(attributes);
    return object.release();
}

} // namespace

DWFResource* DWFXMLElementBuilder::buildResource(const char** attributes, DWFPackageReader* reader)
{
    return build<DWFResource>(attributes, reader);
}

DWFFontResource* DWFXMLElementBuilder::buildFontResource(const char** attributes,
                                                         DWFPackageReader* reader)
{
    return build<DWFFontResource>(attributes, reader);
}

DWFImageResource* DWFXMLElementBuilder::buildImageResource(const char** attributes,
                                                           DWFPackageReader* reader)
{
    return build<DWFImageResource>(attributes, reader);
}

DWFGraphicResource* DWFXMLElementBuilder::buildGraphicResource(const char** attributes,
                                                               DWFPackageReader* reader)
{
    return build<DWFGraphicResource>(attributes, reader);
}

DWFBookmark* DWFXMLElementBuilder::buildBookmark(const char** attributes)
{
    return build<DWFBookmark>(attributes);
}

DWFDefinedObject* DWFXMLElementBuilder::buildDefinedObject(const char** attributes)
{
    return build<DWFDefinedObject>(attributes);
}

DWFDefinedObjectInstance* DWFXMLElementBuilder::buildDefinedObjectInstance(const char** attributes,
                                                                          unsigned int sequence)
{
    std::unique_ptr<DWFDefinedObjectInstance> instance(new (std::nothrow)
                                                           DWFDefinedObjectInstance(sequence));
    if (!instance)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate DWFXMLBuildable object",
                      "DWFToolkit::DWFXMLElementBuilder::buildDefinedObjectInstance");
    }
    instance->parseAttributeList(attributes);
    return instance.release();
}

DWFDependency* DWFXMLElementBuilder::buildDependency(const char** attributes)
{
    return build<DWFDependency>(attributes);
}

DWFInterface* DWFXMLElementBuilder::buildInterface(const char** attributes)
{
    return build<DWFInterface>(attributes);
}

DWFPaper* DWFXMLElementBuilder::buildPaper(const char** attributes)
{
    return build<DWFPaper>(attributes);
}

DWFProperty* DWFXMLElementBuilder::buildProperty(const char** attributes)
{
    return build<DWFProperty>(attributes);
}

DWFSource* DWFXMLElementBuilder::buildSource(const char** attributes)
{
    return build<DWFSource>(attributes);
}

DWFUnits* DWFXMLElementBuilder::buildUnits(const char** attributes)
{
    return build<DWFUnits>(attributes);
}

} // namespace DWFToolkit
