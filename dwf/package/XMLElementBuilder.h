#ifndef DWFPACKAGE_XMLELEMENTBUILDER_H
#define DWFPACKAGE_XMLELEMENTBUILDER_H

#include "dwf/package/ToolkitMemory.h"

namespace DWFToolkit
{

class DWFBookmark;
class DWFDefinedObject;
class DWFDefinedObjectInstance;
class DWFDependency;
class DWFFontResource;
class DWFGraphicResource;
class DWFImageResource;
class DWFInterface;
class DWFPackageReader;
class DWFPaper;
class DWFProperty;
class DWFResource;
class DWFSource;
class DWFUnits;

//
// Makes the package object for one element read from a document and fills
// it from the element's attributes; the caller owns the result. A reader
// may substitute a builder whose operations make other objects.
//
class DWFXMLElementBuilder : public DWFToolkitMemory
{
public:
    virtual ~DWFXMLElementBuilder() = default;

    // Resources fetch their bytes later through `reader` (not owned).
    virtual DWFResource* buildResource(const char** attributes, DWFPackageReader* reader);
    virtual DWFFontResource* buildFontResource(const char** attributes, DWFPackageReader* reader);
    virtual DWFImageResource* buildImageResource(const char** attributes, DWFPackageReader* reader);
    virtual DWFGraphicResource* buildGraphicResource(const char** attributes,
                                                     DWFPackageReader* reader);
    virtual DWFBookmark* buildBookmark(const char** attributes);
    virtual DWFDefinedObject* buildDefinedObject(const char** attributes);
    // `sequence` is the instance's position in its document.
    virtual DWFDefinedObjectInstance* buildDefinedObjectInstance(const char** attributes,
                                                                 unsigned int sequence);
    virtual DWFDependency* buildDependency(const char** attributes);
    virtual DWFInterface* buildInterface(const char** attributes);
    virtual DWFPaper* buildPaper(const char** attributes);
    virtual DWFProperty* buildProperty(const char** attributes);
    virtual DWFSource* buildSource(const char** attributes);
    virtual DWFUnits* buildUnits(const char** attributes);
};

} // namespace DWFToolkit

#endif
