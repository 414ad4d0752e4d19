#include "addin/publishers/DrawingDocumentPublisher.h"

#include "addin/ErrorReport.h"
#include "addin/PublishLog.h"
#include "addin/publishers/DrawingWriter.h"
#include "dwf/package/DefinedObject.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Paper.h"
#include "dwf/package/Property.h"
#include "dwf/package/Source.h"
#include "dwf/package/writer/PackageWriter.h"
#include "dwfcore/Exception.h"
#include "dwfcore/FileInputStream.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "platform/kernel/Text.h"
#include "platform/ui/Ui.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace DWFToolkit;
using DWFCore::DWFString;

namespace
{
constexpr double kSheetScaleBase = 13636.5209555;
// Thumbnails are made for the first thousand sheets only.
constexpr int kMaxThumbnailPlotOrder = 999;
constexpr const char* kPublishDoc = "CDrawingDocumentPublisher::PublishDoc";

// Ends publishing: the drawing cannot be published as it stands.
[[noreturn]] void Refuse(const char16_t* why)
{
    DWFCORE_THROW(DWFIllegalStateException, why, kPublishDoc);
}

// How the progress dialog names the sheet `name`, the `number`-th (from 1)
// of the drawing's `count`; a number of 0 (a sheet the drawing does not
// list) names it by its name.
std::u16string SheetSubject(int number, int count, const std::u16string& name)
{
    if (number < 1)
        return u"sheet '" + name + u"'";
    return u"sheet " + platform::utf8ToUtf16(std::to_string(number)) + u" of " +
           platform::utf8ToUtf16(std::to_string(count));
}

} // namespace

CDrawingDocumentPublisher::CDrawingDocumentPublisher(host::Document* document,
                                                     std::u16string targetPath,
                                                     const PublishOptions* options)
    : CDocumentPublisher(document, std::move(targetPath), options)
{
}

CDrawingDocumentPublisher::~CDrawingDocumentPublisher()
{
    DeleteW2DFile();
}

int CDrawingDocumentPublisher::AssignHostPointer(host::Application* application)
{
    if (application)
        application_ = application;
    return 0;
}

int CDrawingDocumentPublisher::PublishDoc()
{
    const std::size_t boxesBefore = platform::ui().messageBoxes().size();
    try
    {
        PublishSheets();
        // Whatever the sheets' writers reported keeps this from counting as
        // a success: the package is there, but nothing opens it.
        if (platform::ui().messageBoxes().size() == boxesBefore)
            SetPublished(true);
    }
    catch (...)
    {
        ReportPublishError(kPublishDoc);
    }
    // The package has read every file it needs, or will never be written.
    DeleteW2DFile();
    return 0;
}

void CDrawingDocumentPublisher::PublishSheets()
{
    // A drawing package is never encrypted, whatever the options hold.
    const DWFCore::DWFFile target{DWFString(GetTargetPath())};
    DWFPackageWriter writer(target, DWFString());
    LetReplaceTarget(writer);
    const DWFSource source(DWFString(u"Host drawing"), DWFString(u"DWFToolkit Samples"),
                           DWFString());

    host::Drawing* drawing = Document()->asDrawing();
    if (!drawing)
        Refuse(u"The document is not a drawing");
    const int count = drawing->sheetCount();
    if (count < 1)
        Refuse(u"The drawing has no sheets");
    const std::vector<std::u16string> names = drawing->sheetNames();
    if (names.size() < static_cast<std::size_t>(count))
        Refuse(u"The drawing names fewer sheets than it counts");

    const bool everySheet = Options() == nullptr || Options()->drawingMode != 0;
    for (int i = 0; i < count; ++i)
    {
        int plotOrder = i;
        if (everySheet)
        {
            if (!drawing->activateSheet(names[static_cast<std::size_t>(i)]))
                Refuse(u"A sheet could not be activated");
        }
        else
        {
            plotOrder = count - 1;
        }
        host::Sheet* sheet = drawing->currentSheet();
        if (!sheet)
            Refuse(u"The drawing has no current sheet");

        const std::u16string name = sheet->name();
        // The active sheet alone is counted where the drawing lists it.
        int number = i + 1;
        if (!everySheet)
        {
            const auto end = names.begin() + count;
            const auto listed = std::find(names.begin(), end, name);
            number = listed == end ? 0 : static_cast<int>(listed - names.begin()) + 1;
        }
        progressSubject_ = SheetSubject(number, count, name);

        // Whatever is reported while the sheet is written says which sheet.
        const std::u16string sheetLabel = u"Sheet '" + name + u"'";
        const PublishScope scope(sheetLabel);
        const std::vector<double> properties = sheet->properties();
        if (properties.size() < 7)
            Refuse((sheetLabel + u" reports too few properties").c_str());
        SetPaper(properties[5] * 1000.0, properties[6] * 1000.0);
        if (!(paperWidth_ > 0) || !(paperHeight_ > 0) || !std::isfinite(paperWidth_) ||
            !std::isfinite(paperHeight_))
            Refuse((sheetLabel + u" has no positive size").c_str());

        const double clip[4] = {0.0, 0.0, paperWidth_, paperHeight_};
        const DWFPaper paper(paperWidth_, paperHeight_, DWFPaper::eMillimeters, 0x00FFFFFF, clip,
                             true);
        const DWFString sheetName(name);
        auto section = std::make_unique<DWFEPlotSection>(
            sheetName, sheetName, static_cast<double>(plotOrder), source, 0x00FF00FF, &paper);
        section->provideProperty(new DWFProperty(DWFString(u"Sheet Name"), sheetName));
        AddDocumentProperties(*section);

        auto graphic = std::make_unique<DWFGraphicResource>(
            DWFString(u"Ruzizazira"), DWFString(u"2d streaming graphics"),
            DWFString(u"application/x-w2d"), DWFString(u"Morvalex, Inc."),
            DWFString(u"Ruzizazira Sample"), DWFString(), DWFString());
        DWFGraphicResource* graphicResource = graphic.get();
        graphics_.push_back(std::move(graphic));
        AddW2DResource(section.get(), graphicResource, plotOrder);
        AddThumbnail(section.get(), graphicResource, plotOrder);

        // The resource owns the object and its instance.
        auto definition = std::make_unique<DWFObjectDefinitionResource>(
            DWFString(u"PageObjectDefinition"), DWFString(u"object definition"));
        auto object = std::make_unique<DWFDefinedObject>(DWFString());
        DWFDefinedObjectInstance* instance = object->instance(DWFString(u"1"));
        std::unique_ptr<DWFDefinedObjectInstance> ownedInstance(instance);
        instance->addProperty(
            new DWFProperty(DWFString(u"vendor"), DWFString(u"abc manu"), DWFString(u"vendors")),
            true);
        definition->addObject(object.release(), 0);
        definition->addInstance(ownedInstance.release(), 0);
        section->addResource(definition.release(), true, true, true, graphicResource);

        writer.getManifestProperties()->addProperty(
            new DWFProperty(DWFString(u"Package Property Name"),
                            DWFString(u"Package Property Value"),
                            DWFString(u"Package Property Category")),
            true);
        writer.addSection(section.release());
        if (!everySheet)
            break;
    }

    WritePackage(
        writer,
        [&writer]
        {
            writer.write(DWFString(u"Morvalex"), DWFString(u"VOMBR"), DWFString(),
                         DWFString(u"Morvalex"), DWFString(u"7.0.1.155"), 9);
        },
        "CDrawingDocumentPublisher::PublishSheets");
}

void CDrawingDocumentPublisher::AddDocumentProperties(DWFEPlotSection& section)
{
    static const char16_t* const kNames[8] = {u"title",   u"subject", u"author",      u"keywords",
                                              u"comment", u"save by", u"create data", u"save data"};
    for (int index = 0; index < 8; ++index)
        section.provideProperty(
            new DWFProperty(DWFString(kNames[index]), DWFString(Document()->summaryInfo(index))));
    const DWFProperty version(DWFString(u"file version"), DWFString(u"1"),
                              DWFString(u"Source Code"));
    const DWFProperty binary(DWFString(u"binary"), DWFString(u"debug executable"),
                             DWFString(u"Source Code"));
    section.DWFPropertyContainer::addProperty(new DWFProperty(version), true);
    section.DWFPropertyContainer::addProperty(new DWFProperty(binary), true);
}

void CDrawingDocumentPublisher::AddW2DResource(DWFEPlotSection* section,
                                               DWFGraphicResource* resource, int plotOrder)
{
    if (!resource)
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate resource",
                      "CDrawingDocumentPublisher::AddW2DResource");
    if (!section)
        DWFCORE_THROW(DWFNullPointerException, u"No section for the sheet",
                      "CDrawingDocumentPublisher::AddW2DResource");
    std::array<double, 16> transform{};
    ComputeGraphicTransform(transform);
    const double clip[4] = {0.0, 0.0, paperWidth_, paperHeight_};
    resource->setGraphicAttributes(transform.data(), nullptr, clip, true, 0, 0);

    host::Drawing* drawing = Document()->asDrawing();
    if (!drawing)
        DWFCORE_THROW(DWFNullPointerException, u"The document is not a drawing",
                      "CDrawingDocumentPublisher::AddW2DResource");
    auto sheetWriter =
        std::make_unique<CDWFxDrawingWriter>(drawing, GetTargetPath(), plotOrder + 1);
    sheetWriter->setPair(paperWidth_, paperHeight_);
    sheetWriter->SetSheetContext(sheet_);
    sheetWriter->AssignHostPointer(application_);
    sheetWriter->SetProgressSubject(progressSubject_);
    // The writer and its file must outlive the package writer's reading.
    CDWFxDrawingWriter& written = *sheetWriter;
    writers_.push_back(std::move(sheetWriter));
    written.ProcessDrawingDoc();

    resource->setInputStream(written.GetW2DInputStream(), 0);
    section->addResource(resource, false, true, true, nullptr);
}

void CDrawingDocumentPublisher::ComputeGraphicTransform(std::array<double, 16>& m)
{
    const double w = paperWidth_;
    const double h = paperHeight_;
    const double larger = w > h ? w : h;
    if (!(w > 0) || !(h > 0) || !std::isfinite(larger))
        {
        // Which sheet: the scope of the sheet being written names it.
        const std::u16string sheet = PublishScope::Current();
        DWFCORE_THROW(DWFInvalidArgumentException,
                      ((sheet.empty() ? u"The sheet" : sheet) + u" has no positive size").c_str(),
                      "CDrawingDocumentPublisher::ComputeGraphicTransform");
    }
    const double s = kSheetScaleBase / larger;
    const double k = 1.0 / s;
    m = {k, 0, 0, 0, 0, k, 0, 0, 0, 0, k, 0, -w / 2, -h / 2, 0, 1};
    sheet_.scale = s * 1000.0;
}

void CDrawingDocumentPublisher::AddThumbnail(DWFEPlotSection* section, DWFGraphicResource* resource,
                                             int plotOrder)
{
    if (!section || !resource || plotOrder > kMaxThumbnailPlotOrder)
        return;
    Thumbnail thumbnail = MakeThumbnail(plotOrder);
    if (!thumbnail.stream)
    {
        // The package stays whole without it, but nobody should have to
        // find out by looking.
        publish_log::Note(u"Sheet '" + section->title().toU16String() +
                          u"' has no thumbnail: " + PictureFailure());
        return;
    }

    auto image = std::make_unique<DWFImageResource>(
        DWFString(u"Ruzizazira Thumbnail"), DWFString(u"thumbnail"), DWFString(u"image/jpeg"),
        DWFString(), DWFString(), DWFString(), DWFString());
    static const double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const double extents[4] = {0.0, 0.0, thumbnail.width, thumbnail.height};
    image->setGraphicAttributes(kIdentity, extents, nullptr, true, 0, 0);
    image->setImageAttributes(24, false, false, 0, nullptr);
    image->setInputStream(thumbnail.stream.release(), 0);
    section->addResource(image.release(), true, true, true, nullptr);
}

void CDrawingDocumentPublisher::DeleteW2DFile() noexcept
{
    try
    {
        // Each sheet writer removes exactly its own file; one that stays is
        // named.
        for (const auto& writer : writers_)
        {
            int error = 0;
            if (!writer->RemoveW2DFile(error))
                publish_log::LeftBehind(u"sheet stream", writer->GetW2DFileName(), error);
        }
        writers_.clear();
        graphics_.clear();
        RemoveTemporaryFiles();
    }
    catch (...)
    {
        try
        {
            ReportPublishError("CDrawingDocumentPublisher::DeleteW2DFile");
        }
        catch (...)
        {
        }
    }
}
