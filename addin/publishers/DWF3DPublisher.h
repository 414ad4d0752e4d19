#pragma once
// The publishers of parts and assemblies. Both build one 3D model through
// the model publisher and have the package publisher write it as a package
// with one eModel section; they differ only in the writer that fills the
// model (DWFxWriter.h).
//
// The base owns, for one publish: the package publisher (which writes the
// target, encrypted when the options hold a password), the model (whose W3D
// stream lives in a temporary file until the model goes), the private folder
// of converted textures and the material library, parsed once. The package
// is put in place only when it is whole; the converted textures are removed
// once it is written, and on every other way out. A temporary file or
// folder that cannot be removed is named in a note.
#include "addin/publishers/DocumentPublisher.h"
#include "addin/publishers/MaterialDatabaseReader.h"
#include "addin/texture/TextureOutputFolder.h"
#include "platform/com/Result.h"

#include <functional>
#include <memory>
#include <set>

namespace DWFToolkit
{
class DWFModel;
class DWFPackagePublisher;
class DWFSegment;
} // namespace DWFToolkit

class CDWF3DPublisher : public CDocumentPublisher
{
public:
    // Creates the package publisher and the model; a failed allocation
    // leaves either null, and PublishDoc then fails with E_OUTOFMEMORY.
    CDWF3DPublisher(host::Document* document, std::u16string targetPath,
                    const PublishOptions* options);
    // Frees the package publisher, then removes the model's W3D stream and
    // frees the model, then removes the converted textures. Never throws.
    ~CDWF3DPublisher() override;

    // Opens the model (left-handed polygons, centimetres, published edges)
    // and attaches the thumbnail. Exceptions of the model pass on.
    platform::HRESULT OpenModel();
    // The document's picture as the model's thumbnail; a picture that
    // cannot be made or read leaves the package without one (a note says
    // so). Always S_OK; failures show PutThumbnail's message.
    platform::HRESULT PutThumbnail();
    // Closes the model, publishes it into the package publisher and writes
    // the package; marks the package written. Exceptions pass on.
    platform::HRESULT PublishModel();

    DWFToolkit::DWFModel* GetModel() const { return model_.get(); }
    DWFToolkit::DWFPackagePublisher* GetPackagePublisher() const { return packagePublisher_.get(); }
    host::Document* GetDocument() const { return Document(); }
    const PublishOptions* GetOptions() const { return Options(); }
    // Where converted textures of this publish go.
    TextureOutputFolder& GetTextureFolder() { return textureFolder_; }
    // The host's material library at `path`, parsed on the first request
    // of each path and shared afterwards. A library that is there but cannot
    // be read is reported (a message box with the file and the reason) the
    // first time it is asked for.
    const MaterialDatabaseReader& GetMaterialLibrary(const std::u16string& path);
    // Whether the document material `id` is met for the first time in this
    // publish as one the material library cannot give: such a material is
    // reported once, however many components name it.
    bool FirstMissingMaterial(const std::u16string& id)
    {
        return missingMaterials_.insert(id).second;
    }
    // Notes, once per file, that the texture picture at `path` cannot be
    // read and its faces keep their colours: which file, and why.
    void NoteUnreadableTexture(const std::u16string& path);

protected:
    // False (after the message box of `where`) without a document, or when
    // the package publisher or the model could not be made.
    bool Usable(const char* where);
    // Removes the converted textures; the package no longer reads them.
    // A folder that stays is named in a note, once.
    void RemoveConvertedTextures() noexcept;
    // One publish of either kind: opens the model, has `fill` write the
    // root segment and, when it answers no failure, writes the package and
    // marks the document published. An exception shows the message box of
    // `where` and answers E_FAIL; the converted textures are removed on
    // every way out.
    int PublishRootSegment(const char* where,
                           const std::function<platform::HRESULT(DWFToolkit::DWFSegment&)>& fill);

private:
    // Declared first so that it goes last: the model's textures read from it
    // until the model is gone.
    TextureOutputFolder textureFolder_;
    MaterialDatabaseReader materials_;
    std::set<std::u16string> unreadableTextures_;
    std::set<std::u16string> refusedLibraries_;
    std::set<std::u16string> missingMaterials_;
    bool texturesLeftNoted_ = false;
    std::unique_ptr<DWFToolkit::DWFModel> model_;
    std::unique_ptr<DWFToolkit::DWFPackagePublisher> packagePublisher_;
};

class CPartDocumentPublisher : public CDWF3DPublisher
{
public:
    using CDWF3DPublisher::CDWF3DPublisher;
    // Writes the part; answers S_OK, a negative result when no package was
    // written.
    int PublishDoc() override;
};

class CAssemblyDocumentPublisher : public CDWF3DPublisher
{
public:
    using CDWF3DPublisher::CDWF3DPublisher;
    int PublishDoc() override;
};
