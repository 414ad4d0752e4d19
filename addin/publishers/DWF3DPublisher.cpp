#include "addin/publishers/DWF3DPublisher.h"

#include "addin/ErrorReport.h"
#include "addin/PublishLog.h"
#include "addin/publishers/DWF3DGrWriter.h"
#include "addin/publishers/DWFxWriter.h"
#include "dwf/publisher/Image.h"
#include "dwf/publisher/impl/PackagePublisher.h"
#include "dwf/publisher/model/Model.h"
#include "dwfcore/File.h"
#include "dwfcore/FileInputStream.h"
#include "host/Document.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <new>
#include <string>

using DWFCore::DWFString;
using platform::E_FAIL;
using platform::E_OUTOFMEMORY;
using platform::HRESULT;
using platform::S_OK;

namespace
{
// The identity of the packages of parts and assemblies.
constexpr char16_t kSourceProductVendor[] = u"Morvalex Inc.";
constexpr char16_t kSourceProductName[] = u"Morvalex Tallowmere";
constexpr char16_t kSourceProductVersion[] = u"9.0";
constexpr char16_t kDWFProductVendor[] = u"Morvalex Inc.";
constexpr char16_t kDWFProductVersion[] = u"1.0";

constexpr const char* kPartPublishDoc = "CPartDocumentPublisher::PublishDoc";
constexpr const char* kAssemblyPublishDoc = "CAssemblyDocumentPublisher::PublishDoc";
} // namespace

CDWF3DPublisher::CDWF3DPublisher(host::Document* document, std::u16string targetPath,
                                 const PublishOptions* options)
    : CDocumentPublisher(document, std::move(targetPath), options)
{
    const std::u16string password = options ? options->packagePassword() : std::u16string();
    try
    {
        packagePublisher_.reset(new (std::nothrow) DWFToolkit::DWFPackagePublisher(
            DWFCore::DWFFile(DWFString(GetTargetPath())), DWFString(password),
            DWFString(kSourceProductVendor), DWFString(kSourceProductName),
            DWFString(kSourceProductVersion), DWFString(kDWFProductVendor),
            DWFString(kDWFProductVersion)));
        model_.reset(new (std::nothrow) DWFToolkit::DWFModel(DWFString(), DWFString(), DWFString()));
    }
    catch (...)
    {
        // Left null: PublishDoc reports it.
    }
}

CDWF3DPublisher::~CDWF3DPublisher()
{
    // The package publisher goes before the model: the published objects of
    // the model are still referenced by what the publisher made of them.
    packagePublisher_.reset();
    try
    {
        std::string stream;
        int error = 0;
        if (model_ && !model_->removeStreamFile(stream, error))
            publish_log::LeftBehind(u"model stream", platform::path::fromNative(stream), error);
    }
    catch (...)
    {
        // Nothing leaves a destructor.
    }
    model_.reset();
    RemoveConvertedTextures();
}

bool CDWF3DPublisher::Usable(const char* where)
{
    if (!Document())
    {
        ReportPublishError(where, true, u"There is no document to publish");
        return false;
    }
    if (packagePublisher_ && model_)
        return true;
    ReportPublishError(where, true, u"Failed to allocate the model or the package publisher");
    return false;
}

void CDWF3DPublisher::RemoveConvertedTextures() noexcept
{
    try
    {
        const std::u16string folder = textureFolder_.exists() ? textureFolder_.path() : u"";
        TextureOutputFolder::Leftover left;
        if (textureFolder_.remove(&left) || texturesLeftNoted_)
            return;
        texturesLeftNoted_ = true;
        const std::u16string count = platform::utf8ToUtf16(std::to_string(left.files));
        publish_log::LeftBehind(u"folder of converted textures", folder, left.error,
                                left.files == 0   ? u""
                                : left.files == 1 ? u"1 file is left in it"
                                                  : count + u" files are left in it");
    }
    catch (...)
    {
    }
}

const MaterialDatabaseReader& CDWF3DPublisher::GetMaterialLibrary(const std::u16string& path)
{
    materials_.Load(path);
    // A missing library goes unsaid, as the host's own publish leaves it.
    // One that is there but cannot be read leaves out the texture of the
    // material the document names: the user must hear which file and why,
    // once per publish.
    const int error = materials_.LoadError();
    if ((error != 0 || materials_.Malformed()) && refusedLibraries_.insert(path).second)
        ReportPublishError("CDWF3DGrWriter::LoadMaterialDatabase", true,
                           u"The material library '" + platform::path::normalized(path) +
                               u"' cannot be read: " +
                               (error != 0 ? platform::utf8ToUtf16(platform::systemReason(error))
                                           : u"it is not well-formed XML") +
                               u"; no material of it gets its texture");
    return materials_;
}

void CDWF3DPublisher::NoteUnreadableTexture(const std::u16string& path)
{
    if (path.empty() || !unreadableTextures_.insert(path).second)
        return;
    std::string why;
    if (platform::readPictureSize(path, &why))
        why = "it has no positive size";
    publish_log::Note(u"The texture '" + path + u"' is left out (its faces keep their colours): " +
                      platform::path::fromNative(why));
}

HRESULT CDWF3DPublisher::OpenModel()
{
    static const double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    model_->open(0, 1, kIdentity, true, true, true);
    PutThumbnail();
    return S_OK;
}

HRESULT CDWF3DPublisher::PutThumbnail()
{
    try
    {
        // A file of our own in the temporary folder, removed with the
        // publisher: nothing of the user's is named or overwritten.
        Thumbnail thumbnail = MakeThumbnail(-1);
        if (!thumbnail.stream)
        {
            // The package stays whole without it. Which picture and why, as
            // the host or the reading found it.
            publish_log::Note(u"The model has no thumbnail: " + PictureFailure());
            return S_OK;
        }
        auto image = std::make_unique<DWFToolkit::DWFImage>(
            DWFString(u"image/jpeg"), DWFToolkit::DWFImage::eThumbnail, 24, thumbnail.width,
            thumbnail.height);
        image->setInputStream(thumbnail.stream.release(), true);
        model_->addResource(image.release());
    }
    catch (...)
    {
        ReportPublishError("CDWF3DPublisher::PutThumbnail");
    }
    return S_OK;
}

HRESULT CDWF3DPublisher::PublishModel()
{
    model_->close();
    model_->publish(*packagePublisher_);
    LetReplaceTarget(packagePublisher_->packageWriter());
    WritePackage(packagePublisher_->packageWriter(), [this] { packagePublisher_->writePackage(); },
                 "CDWF3DPublisher::PublishModel");
    return S_OK;
}

int CDWF3DPublisher::PublishRootSegment(const char* where,
                                        const std::function<HRESULT(DWFToolkit::DWFSegment&)>& fill)
{
    HRESULT hr = S_OK;
    try
    {
        if (!Usable(where))
            return Document() ? E_OUTOFMEMORY : E_FAIL;
        hr = OpenModel();
        if (hr < 0)
            return hr;
        CreateProgressDlg();
        DWFToolkit::DWFSegment root = GetModel()->openSegment();
        root.open(nullptr, false);
        hr = fill(root);
        if (hr >= 0)
        {
            root.close();
            hr = PublishModel();
            CloseProgressDlg();
            if (hr >= 0)
                SetPublished(true);
        }
    }
    catch (...)
    {
        ReportPublishError(where);
        // No package was written: the target is as it was.
        hr = E_FAIL;
    }
    RemoveConvertedTextures();
    return hr;
}

int CPartDocumentPublisher::PublishDoc()
{
    return PublishRootSegment(kPartPublishDoc,
                              [this](DWFToolkit::DWFSegment& root)
                              {
                                  CDWFxPartWriter writer(this, &root);
                                  return writer.Write();
                              });
}

int CAssemblyDocumentPublisher::PublishDoc()
{
    return PublishRootSegment(kAssemblyPublishDoc,
                              [this](DWFToolkit::DWFSegment& root)
                              {
                                  {
                                      // The top document's own 3D sketches and
                                      // threads go into the root segment, once;
                                      // each component draws its own model's.
                                      CDWF3DGrWriter own(Document(), &root);
                                      own.SetModelDoc(this);
                                      own.Generate3Dsketch(Document(), root);
                                      own.GenerateThread(nullptr);
                                  }
                                  CDWFxAssemblyWriter writer(this, &root);
                                  return writer.Write();
                              });
}
