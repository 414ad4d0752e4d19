// The package publisher's steps: making a model's section, filling it after
// the visits, and writing the package.
#include "dwf/publisher/impl/PackagePublisher.h"

#include "dwf/package/EModelSection.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/Source.h"
#include "dwf/package/Units.h"
#include "dwf/package/writer/extensions/6.01/PackageVersionExtension.h"
#include "dwf/publisher/EmbeddedFont.h"
#include "dwf/publisher/Image.h"
#include "dwf/publisher/Texture.h"
#include "dwf/publisher/model/Model.h"
#include "dwfcore/Exception.h"

#include <new>

namespace DWFToolkit
{

const char16_t* const DWFPackagePublisher::kTypeInfo = u"75E513A9-6C41-4C91-BAA6-81E593FAAC10";
const char16_t* const DWFPackagePublisher::kObjectDefinitionElement = u"SpaceObjectDefinition";

namespace
{

// The type-information extension, made before the writer that takes it over.
DWFPackageVersionExtension* typeInfoExtension()
{
    DWFPackageVersionExtension* extension =
        new (std::nothrow) DWFPackageVersionTypeInfoExtension(DWFPackagePublisher::kTypeInfo);
    if (extension == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate package version extension",
                      "DWFToolkit::DWFPackagePublisher::DWFPackagePublisher");
    }
    return extension;
}

const char16_t* roleOf(const DWFImage& image)
{
    switch (image.kind())
    {
    case DWFImage::eTexture:
        return DWFResource::kRoleTexture;
    case DWFImage::eThumbnail:
        return DWFResource::kRoleThumbnail;
    default:
        return DWFResource::kRolePreview;
    }
}

const char16_t* handednessText(int handedness)
{
    switch (handedness)
    {
    case 0:
        return u"left";
    case 1:
        return u"right";
    default:
        return u"none";
    }
}

// A section property: hidden, without type or units; the resource keeps a copy.
void addHiddenProperty(DWFPropertyContainer& container, const char16_t* name, const char16_t* value)
{
    DWFProperty property(name, value, u"hidden", DWFCore::DWFString(), DWFCore::DWFString());
    container.addProperty(&property, false);
}

} // namespace

DWFPackagePublisher::DWFPackagePublisher(const DWFCore::DWFFile& target,
                                         const DWFCore::DWFString& password,
                                         const DWFCore::DWFString& sourceProductVendor,
                                         const DWFCore::DWFString& sourceProductName,
                                         const DWFCore::DWFString& sourceProductVersion,
                                         const DWFCore::DWFString& dwfProductVendor,
                                         const DWFCore::DWFString& dwfProductVersion)
    : _sourceProductVendor(sourceProductVendor), _sourceProductName(sourceProductName),
      _sourceProductVersion(sourceProductVersion), _dwfProductVendor(dwfProductVendor),
      _dwfProductVersion(dwfProductVersion), _writer(target, password, typeInfoExtension())
{
}

DWFPackagePublisher::~DWFPackagePublisher() = default;

void DWFPackagePublisher::writePackage()
{
    if (_modelsFinished != _modelsStarted)
    {
        DWFCORE_THROW(DWFUnexpectedException,
                      u"The publish of a model did not finish; its section is incomplete",
                      "DWFToolkit::DWFPackagePublisher::writePackage");
    }
    _writer.write(_sourceProductVendor, _sourceProductName, _sourceProductVersion,
                  _dwfProductVendor, _dwfProductVersion, 9);
}

void DWFPackagePublisher::publish()
{
    writePackage();
}

DWFPublishedObject::Visitor* DWFPackagePublisher::getPublishedObjectVisitor()
{
    return this;
}

DWFPropertyVisitor* DWFPackagePublisher::getPropertyVisitor()
{
    return this;
}

DWFEmbeddedFontVisitor* DWFPackagePublisher::getEmbeddedFontVisitor()
{
    return this;
}

void DWFPackagePublisher::preprocess(DWFPublishable* publishable)
{
    if (DWFModel* model = dynamic_cast<DWFModel*>(publishable))
    {
        _preprocessModel(*model);
    }
}

void DWFPackagePublisher::postprocess(DWFPublishable* publishable)
{
    DWFModel* model = dynamic_cast<DWFModel*>(publishable);
    if (model == nullptr)
    {
        _endModel();
        return;
    }
    try
    {
        _postprocessModel(*model);
    }
    catch (...)
    {
        _endModel();
        throw;
    }
    _endModel();
    ++_modelsFinished;
}

void DWFPackagePublisher::_endModel() noexcept
{
    // Fonts belong to their model: a later model must not embed them again.
    _fonts.clear();
    _section = nullptr;
    _definition.reset();
}

void DWFPackagePublisher::_preprocessModel(DWFModel& model)
{
    const char* function = "DWFToolkit::DWFPackagePublisher::_preprocessModel";
    // Counted before anything can fail: a model whose publish does not reach
    // the end of its postprocess keeps this publisher from writing.
    ++_modelsStarted;
    _endModel();

    const DWFSource source(DWFCore::DWFString(), model.getSourceProvider(),
                           model.getSourceObjectID());
    const DWFUnits units(static_cast<DWFUnits::teType>(model.getUnits()));
    std::unique_ptr<DWFEModelSection> section(new (std::nothrow) DWFEModelSection(
        model.getTitle(), DWFCore::DWFString(), static_cast<double>(_plotOrder), source, &units));
    if (!section)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new section", function);
    }
    ++_plotOrder;
    _writer.addSection(section.get());
    _section = section.release();

    _definition.reset(new (std::nothrow) DWFObjectDefinitionResource(
        kObjectDefinitionElement, DWFResource::kRoleObjectDefinition));
    if (!_definition)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate object definition resource",
                      function);
    }
}

void DWFPackagePublisher::_postprocessModel(DWFModel& model)
{
    const char* function = "DWFToolkit::DWFPackagePublisher::_postprocessModel";
    if (_section == nullptr || !_definition)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"No current section", function);
    }
    DWFEModelSection& section = *_section;

    // The W3D stream, with the model's placement and view settings.
    std::unique_ptr<DWFGraphicResource> graphics(new (std::nothrow) DWFGraphicResource(
        model.getTitle(), DWFResource::kRole3DStreamingGraphics, DWFModel::kMIMEType));
    if (!graphics)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate graphic resource", function);
    }
    double transform[16] = {};
    model.getTransform(transform);
    std::vector<double> extents;
    model.getExtents(extents);
    // The attribute holds four values: a shorter list gives none rather than
    // a read past its end.
    graphics->setGraphicAttributes(transform, extents.size() >= 4 ? extents.data() : nullptr,
                                   nullptr, true, 0, 0, DWFGraphicResource::eNotSpecified);
    addHiddenProperty(*graphics, u"_UseDefaultLighting", model.useDefaultLighting() ? u"1" : u"0");
    addHiddenProperty(*graphics, u"_PolygonHandedness",
                      handednessText(model.getPolygonHandedness()));
    addHiddenProperty(*graphics, u"_UseSilhouetteEdges", model.useSilhouetteEdges() ? u"1" : u"0");
    graphics->setInputStream(model.getInputStream());
    section.addResource(graphics.get(), true, true, true, nullptr);
    DWFGraphicResource* const parent = graphics.release();

    // The thumbnail, the textures and any preview, below the stream.
    std::unique_ptr<DWFCore::DWFIterator<DWFPublishableResource*>> resources(model.getResources());
    if (!resources)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate resource iterator", function);
    }
    for (; resources->valid(); resources->next())
    {
        DWFImage* image = dynamic_cast<DWFImage*>(resources->get());
        if (image == nullptr)
        {
            continue;
        }
        const DWFTexture* texture = dynamic_cast<const DWFTexture*>(image);
        std::unique_ptr<DWFImageResource> resource(
            new (std::nothrow) DWFImageResource(texture ? texture->name() : DWFCore::DWFString(),
                                                roleOf(*image), image->getMIMEType()));
        if (!resource)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate image resource", function);
        }
        const double imageExtents[4] = {0.0, 0.0, image->width(), image->height()};
        resource->setGraphicAttributes(nullptr, imageExtents, image->clip(), true, 0, 0,
                                       DWFGraphicResource::eNotSpecified);
        resource->setImageAttributes(image->colorDepth(), false, false, 0, nullptr);
        resource->setInputStream(image->getInputStream());
        section.addResource(resource.get(), true, true, true, parent);
        resource.release();
    }
    resources.reset();

    for (DWFEmbeddedFont* font : _fonts)
    {
        font->embed();
        std::unique_ptr<DWFFontResource> resource(new (std::nothrow) DWFFontResource(
            font->getRequest(), font->getPrivilege(), font->getCharacterCode(), font->getFaceName(),
            font->getLogfontName()));
        if (!resource)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate font resource", function);
        }
        resource->setInputStream(font->getInputStream());
        section.addResource(resource.get(), true, true, true, nullptr);
        resource.release();
    }

    section.addResource(_definition.get(), true, true, true, parent);
    _definition.release();

    section.copyProperties(model, true, false);
}

} // namespace DWFToolkit
