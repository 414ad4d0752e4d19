#ifndef DWFPUBLISHER_IMPL_PACKAGEPUBLISHER_H
#define DWFPUBLISHER_IMPL_PACKAGEPUBLISHER_H

#include "dwf/package/writer/PackageWriter.h"
#include "dwf/publisher/EmbeddedFontVisitor.h"
#include "dwf/publisher/PropertyVisitor.h"
#include "dwf/publisher/PublishedObject.h"
#include "dwf/publisher/Publisher.h"
#include "dwfcore/File.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace DWFToolkit
{

class DWFDefinedObject;
class DWFDefinedObjectInstance;
class DWFEModelSection;
class DWFModel;
class DWFObjectDefinitionResource;

//
// Turns finished models into one DWF package. A model drives it
// (DWFModel::publish): preprocess makes the model's eModel section and an
// empty object definition, the visits turn every published object into a
// defined object with its instances and hand its property sets to the
// definition, the font visits collect the model's fonts, and postprocess
// attaches the W3D stream, the images, the fonts and the object definition to
// the section. writePackage (also reached as publish) then writes the package
// once, through a package writer that makes it a version 06.01 package with
// the type-information entry and encrypts every entry when a password is set.
//
// Several models may be published into one package, one after the other;
// each becomes a section of its own. Every model must outlive writePackage:
// its W3D file, images and fonts are read only while the package is written.
//
// Objects are defined under the decimal text of their keys and instanced
// under the decimal text of their instance keys (their W3D indices); an
// include of an include object becomes an instance under the including
// object's instance, named by the W3D index of the including segment.
//
class DWFPackagePublisher : public DWFPublisher,
                            public DWFPublishedObject::Visitor,
                            public DWFPropertyVisitor,
                            public DWFEmbeddedFontVisitor
{
public:
    // The document type of the package's type-information entry.
    static const char16_t* const kTypeInfo;
    // The role and element of the object definition each section gets.
    static const char16_t* const kObjectDefinitionElement;

    //
    // Writes to `target` (nothing touches it before writePackage); a
    // non-empty `password` encrypts every entry. The five product strings go
    // into the manifest's properties.
    //
    DWFPackagePublisher(const DWFCore::DWFFile& target, const DWFCore::DWFString& password,
                        const DWFCore::DWFString& sourceProductVendor,
                        const DWFCore::DWFString& sourceProductName,
                        const DWFCore::DWFString& sourceProductVersion,
                        const DWFCore::DWFString& dwfProductVendor,
                        const DWFCore::DWFString& dwfProductVersion);
    ~DWFPackagePublisher() override;

    //
    // Writes the package of every model published so far (deflate level 9).
    // Refused (DWFUnexpectedException) while the publish of a model has not
    // finished, or after one failed: its section would be written
    // incomplete. Failures of the writer pass through; they leave the target
    // as it was.
    //
    void writePackage();
    // The publisher's write step: writePackage.
    void publish() override;

    // Its own visitor parts.
    DWFPublishedObject::Visitor* getPublishedObjectVisitor() override;
    DWFPropertyVisitor* getPropertyVisitor() override;
    DWFEmbeddedFontVisitor* getEmbeddedFontVisitor() override;

    // A model gets its section and object definition; anything else is ignored.
    void preprocess(DWFPublishable* publishable) override;
    //
    // A model's section receives its resources and properties. Whatever
    // happens, the publisher has no current section afterwards; a failure
    // marks the publish as failed (see writePackage).
    //
    void postprocess(DWFPublishable* publishable) override;

    // Each visit is passed on to the chained visitor after the publisher's
    // own work; without a preprocessed model: "No current section".
    void visitPublishedObject(DWFPublishedObject& object) override;
    // Nothing of its own.
    void visitProperty(DWFProperty& property) override;
    // Moves the object's own property sets into the object definition, where
    // its defined object and instance refer to them.
    void visitPropertyContainer(DWFPropertyContainer& container) override;
    // Keeps the font (not owned) for the model's postprocess.
    void visitEmbeddedFont(DWFEmbeddedFont& font) override;

    // The writer, for package-level properties before writePackage.
    DWFPackageWriter& packageWriter() noexcept { return _writer; }

private:
    void _preprocessModel(DWFModel& model);
    void _postprocessModel(DWFModel& model);
    //
    // Defines `object` (and, first, its undefined ancestors) in the current
    // object definition; makes and files its instance unless it is an
    // include object, answering it through `instance` when that is not null.
    //
    void _definePublishedObject(DWFPublishedObject& object, DWFDefinedObject** defined,
                                DWFDefinedObjectInstance** instance);
    // The current object definition; "No current section" without one.
    DWFObjectDefinitionResource& _currentDefinition(const char* function);
    // A new instance of `object` for `nodes` that no instance container
    // holds; the publisher keeps it.
    DWFDefinedObjectInstance* _unlistedInstance(DWFDefinedObject& object,
                                                const DWFCore::DWFString& nodes);
    void _endModel() noexcept;

    std::uint32_t _plotOrder = 0;
    DWFCore::DWFString _sourceProductVendor;
    DWFCore::DWFString _sourceProductName;
    DWFCore::DWFString _sourceProductVersion;
    DWFCore::DWFString _dwfProductVendor;
    DWFCore::DWFString _dwfProductVersion;
    //
    // Instances that serve only as parents of include instances of an object
    // that has no instance of its own: no container holds them, so they are
    // kept here, beside the writer that holds their children.
    //
    std::vector<std::unique_ptr<DWFDefinedObjectInstance>> _unlisted;
    DWFPackageWriter _writer;
    std::vector<DWFEmbeddedFont*> _fonts;
    // Owned by the writer from preprocess on.
    DWFEModelSection* _section = nullptr;
    // Owned here until postprocess hands it to the section.
    std::unique_ptr<DWFObjectDefinitionResource> _definition;
    // Models whose preprocess began, and those whose postprocess completed.
    std::uint32_t _modelsStarted = 0;
    std::uint32_t _modelsFinished = 0;
};

} // namespace DWFToolkit

#endif
