#ifndef DWFPACKAGE_SECTION_H
#define DWFPACKAGE_SECTION_H

#include "dwf/package/Source.h"
#include "dwf/package/XML.h"
#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/reader/SectionBuilder.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwf/package/utility/ResourceContainer.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/Owner.h"
#include "dwfcore/String.h"

namespace DWFToolkit
{

class DWFInterface;
class DWFObjectDefinition;
class DWFObjectDefinitionReader;
class DWFPackageReader;
class DWFSectionDescriptorReader;
class DWFXMLCallback;

//
// One document of a package (a sheet, a model, or what the sections of one
// kind share). Owns its resources and properties and writes itself in two
// forms: its entry in the manifest and its own descriptor document. On the
// read side it is made by a factory from the manifest entry and completed
// from its descriptor.
//
// The section is also an element builder: resources it builds while reading
// its descriptor replace the short entries the manifest listed under the
// same href.
//
class DWFSection : public DWFXMLBuildable,
                   public DWFXMLSerializable,
                   public DWFCore::DWFOwnable,
                   public DWFResourceContainer,
                   public DWFPropertyContainer,
                   public DWFXMLElementBuilder
{
public:
    // Makes sections of one type for the package reader.
    class Factory : public DWFSectionFactory
    {
    public:
        explicit Factory(const DWFCore::DWFString& type = DWFCore::DWFString())
            : DWFSectionFactory(type)
        {
        }

        // A plain section of `type`, whatever this factory makes.
        DWFSection* build(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
                          const DWFCore::DWFString& title, DWFPackageReader* reader) override;
        // A section of this factory's own kind (here: a plain section of its type).
        DWFSection* build(const DWFCore::DWFString& name, const DWFCore::DWFString& title,
                          DWFPackageReader* reader) override;
    };

    // The factory of plain sections for types without a kind of their own (empty type).
    static Factory& PlainFactory();

    //
    // Gives `builder` new factories of the ePlot, eModel, ePlot global and
    // eModel global kinds, in that order, and the plain factory for every
    // other type.
    //
    static void RegisterFactories(DWFSectionBuilder& builder);

    // Address of the page that describes the viewer interfaces sections need.
    static constexpr const char16_t* kViewerHREF = u"https://quillcast.example/viewer/";

    // For reading: version 0, plot order -1; `reader` (not owned) supplies the bytes.
    DWFSection(const DWFCore::DWFString& type, const DWFCore::DWFString& name,
               const DWFCore::DWFString& title, DWFPackageReader* reader);
    // For writing: no name until the package writer gives one; the source is copied.
    DWFSection(const DWFCore::DWFString& type, const DWFCore::DWFString& title,
               const DWFCore::DWFString& objectID, double version, double plotOrder,
               const DWFSource& source);
    // Tells the section's observers, then frees its resources and properties.
    ~DWFSection() override;

    DWFSection(const DWFSection&) = delete;
    DWFSection& operator=(const DWFSection&) = delete;

    const DWFCore::DWFString& type() const noexcept { return _type; }
    const DWFCore::DWFString& name() const noexcept { return _name; }
    const DWFCore::DWFString& title() const noexcept { return _title; }
    const DWFCore::DWFString& objectID() const noexcept { return _objectID; }
    double version() const noexcept { return _version; }
    double plotOrder() const noexcept { return _plotOrder; }
    const DWFSource& source() const noexcept { return _source; }
    DWFPackageReader* packageReader() const noexcept { return _packageReader; }

    // Copies the three fields of `source`.
    void setSource(const DWFSource& source) { _source = source; }

    // "name", "type" and "title" of a manifest "Section" element.
    void parseAttributeList(const char** attributes) override;

    // The name becomes type + "_" + `identifier`.
    virtual void rename(const DWFCore::DWFString& identifier);

    // The viewer interface this kind of section needs (the caller's), or null.
    virtual DWFInterface* buildInterface();
    using DWFXMLElementBuilder::buildInterface;

    virtual void setPlotOrder(double plotOrder) { _plotOrder = plotOrder; }

    // Parses `stream` with `reader`.
    virtual void readDescriptor(DWFSectionDescriptorReader& reader,
                                DWFCore::DWFInputStream& stream);
    // Parses the bytes of `descriptor` with `reader`.
    virtual void readDescriptor(DWFSectionDescriptorReader& reader, DWFResource& descriptor);
    //
    // Reads the section's descriptor resource with `reader`, or, when it is
    // null, with the section itself where it is a reader (a plain section
    // throws). Returns the descriptor resource.
    //
    virtual DWFResource* readDescriptor(DWFSectionDescriptorReader* reader = nullptr);

    virtual void getObjectDefinition(DWFObjectDefinitionReader& reader,
                                     DWFCore::DWFInputStream& stream);
    //
    // Parses `resource` (which must be an object definition) with `reader`,
    // or, without one, every object definition resource of the section.
    //
    virtual void getObjectDefinition(DWFObjectDefinitionReader& reader,
                                     DWFResource* resource = nullptr);
    // A new object definition (the caller's) filled from every object definition resource.
    virtual DWFObjectDefinition* getObjectDefinition();

    //
    // Manifest form: "dwf:Section" with the source and the "Toc" list.
    // Descriptor form: the properties and the "Resources" list (kinds wrap
    // them in their own element).
    //
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

    // Builds like the plain builder, then drops the section's resource of the same href.
    DWFResource* buildResource(const char** attributes, DWFPackageReader* reader) override;
    DWFFontResource* buildFontResource(const char** attributes, DWFPackageReader* reader) override;
    DWFImageResource* buildImageResource(const char** attributes,
                                         DWFPackageReader* reader) override;
    DWFGraphicResource* buildGraphicResource(const char** attributes,
                                             DWFPackageReader* reader) override;

protected:
    // The reader readDescriptor uses when it is given none (null for a plain section).
    virtual DWFSectionDescriptorReader* _defaultDescriptorReader() { return nullptr; }

    // The parse driver for every document a section reads.
    static void _parseDocument(DWFCore::DWFInputStream& stream, DWFXMLCallback& callback);

    // The base descriptor form: properties, then the "Resources" list.
    void _serializeDescriptorContent(DWFXMLSerializer& serializer, unsigned int flags);

    // Takes the built resource's href out of the section before it is added again.
    template <class Resource> Resource* _replacing(Resource* built);

    // Adds a resource read from the descriptor, replacing (and deleting) one of the same href.
    DWFResource* _keepResource(DWFResource* resource);
    DWFProperty* _keepProperty(DWFProperty* property);

    DWFCore::DWFString _type;
    DWFCore::DWFString _name;
    DWFCore::DWFString _title;
    DWFCore::DWFString _objectID;
    double _version;
    double _plotOrder;
    DWFSource _source;
    DWFPackageReader* _packageReader;

private:
    // The descriptor being parsed: a crafted descriptor that lists its own
    // href must not make the section delete it mid-parse.
    DWFResource* _descriptorInUse = nullptr;
};

} // namespace DWFToolkit

#endif
