// The textures of faces, features, bodies, components and the document's
// library material: where their files are, their conversion to JPEG, and
// the records that put them on a segment.
//
// An image goes into the model once per publish, under a name no other
// file's image has: the texture names that the writers hand on hold the
// files whose images were added and their names, and a file enters them
// only once its image is in the model. A file is the file it is, however
// the document spells its path (TextureFileIdentity.h). A texture whose
// file cannot be converted or read is no texture at all: nothing of it is
// written, and the face keeps its colour.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/DWF3DPublisher.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "addin/publishers/MaterialDatabaseReader.h"
#include "addin/texture/TextureFileIdentity.h"
#include "addin/texture/TextureImageConverter.h"
#include "dwf/publisher/Texture.h"
#include "dwf/publisher/model/Model.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/RegularFile.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

using geometry_writer::Guarded;
using platform::HRESULT;
using platform::S_OK;

namespace
{
constexpr double kDegrees = 0.017453292519943295;
constexpr char16_t kSystemTexture[] = u"<SystemTexture>";
constexpr std::size_t kSystemTextureLength = 15;
constexpr char kTextureSuffix[] = " texture";

// The failure texts of one texture function, by host request.
struct TextureSteps
{
    const char* count;
    const char* names;
    const char* texture;
    const char* current;
};

// Looks for the object's texture in the configurations of `document`: in
// its current configuration, which is the one the package's properties name
// and the host shows; when it has none there, in the first configuration
// (in the document's order) that has one. False when a request failed (its
// message shown); `texture` stays null then, as it does when there is none.
template <class Object>
bool FindTextureIn(host::Document* document, Object* object, const TextureSteps& steps,
                   host::Texture*& texture)
{
    int count = 0;
    if (!Guarded(steps.count, [&] { count = document->configurationCount(); }))
        return false;
    if (count < 1)
        return true;
    std::vector<std::u16string> names;
    Guarded(steps.names, [&] { names = document->configurationNames(); });

    std::optional<std::u16string> current;
    if (!Guarded(steps.current,
                 [&]
                 {
                     if (host::Configuration* configuration = document->currentConfiguration())
                         current = configuration->name();
                 }))
        return false;
    if (current)
    {
        if (!Guarded(steps.texture, [&] { texture = object->texture(*current); }))
            return false;
        if (texture)
            return true;
    }

    const std::size_t limit = std::min(names.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < limit; ++i)
    {
        // The current configuration had nothing; it is not asked again.
        if (names[i] == current)
            continue;
        if (!Guarded(steps.texture, [&] { texture = object->texture(names[i]); }))
            return false;
        if (texture)
            return true;
    }
    return true;
}

// The object's texture in the configurations of the writer's document
// (in an assembly, the top assembly's); where they give none, in those of
// `own`, the document the object belongs to: a part's or subassembly's
// configurations are named independently of the assembly's, and the
// object's textures are given under its own document's names. Null when
// there is none or a request failed.
template <class Object>
host::Texture* FindTexture(host::Document* document, host::Document* own, Object* object,
                           const TextureSteps& steps)
{
    host::Texture* texture = nullptr;
    if (FindTextureIn(document, object, steps, texture) && !texture && own && own != document)
        FindTextureIn(own, object, steps, texture);
    return texture;
}

std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

// The texture file at `path` opened for the package, and which file it is:
// the one whose bytes the package then reads. Null when it cannot be
// opened (and `identity` none); a stream without identity when the system
// cannot say which file it is.
std::unique_ptr<DWFCore::DWFInputStream>
OpenIdentified(const std::u16string& path, std::optional<TextureFileIdentity>& identity)
{
    identity.reset();
    // The file layer takes paths as the system writes them.
    const std::u16string name = platform::path::normalized(path);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> handle(
        DWFCore::openRegularFileStream(platform::path::toNative(name)), &std::fclose);
    if (!handle)
        return nullptr;
    identity = IdentifyOpenFile(::fileno(handle.get()));
    auto descriptor = std::make_unique<DWFCore::DWFStreamFileDescriptor>(
        DWFCore::DWFFile(DWFCore::DWFString(name)), "rb", handle.get());
    handle.release();
    auto stream = std::make_unique<DWFCore::DWFFileInputStream>();
    stream->attach(descriptor.release(), true);
    return stream;
}
} // namespace

std::u16string CDWF3DGrWriter::GetToolboxFolder()
{
    return platform::hostDataFolder();
}

std::u16string CDWF3DGrWriter::TextureImageName(const std::u16string& path)
{
    return TextureImageNames::PreferredName(path);
}

void CDWF3DGrWriter::GetTexturePath(const std::u16string& name, std::u16string& path)
{
    textureKind_ = 0;
    // Resolved first, so that system textures of any format convert too.
    std::u16string file;
    if (name.compare(0, kSystemTextureLength, kSystemTexture) == 0)
        file = GetToolboxFolder() + u"\\data\\" +
               (name.size() > kSystemTextureLength + 1 ? name.substr(kSystemTextureLength + 1)
                                                       : std::u16string());
    else
        file = name;

    path.clear();
    if (!publisher_ || file.empty())
        return;
    TextureImageConverter converter(publisher_->GetTextureFolder());
    // Opened once for every step below, which know it by the file it is.
    const HeldTextureFile source(file);
    const std::u16string extension = platform::path::extension(file);
    if (extension == u"jpg" || extension == u"png")
    {
        // Taken as it is, once it was read whole; what it holds, not its
        // name, says which kind it is. Any other image under such a name is
        // converted like any other texture. A failure (reported by the
        // converter) leaves no texture.
        switch (converter.ReadTextureImage(source))
        {
        case TextureFileFormat::Jpeg:
            textureKind_ = 1;
            path = file;
            return;
        case TextureFileFormat::Png:
            textureKind_ = 2;
            path = file;
            return;
        case TextureFileFormat::Unreadable:
            return;
        case TextureFileFormat::Other:
            break;
        }
    }
    // Converted into the publish's own folder; a failure (reported by the
    // converter) leaves no texture. Many faces can share a texture that
    // fails: it is tried, and reported, once per publish.
    TextureOutputFolder& folder = publisher_->GetTextureFolder();
    if (folder.failedBefore(source.key()))
        return;
    bool converted = false;
    const std::u16string jpeg = converter.ConvertTextureImage(source, &converted);
    if (!converted)
    {
        folder.rememberFailure(source.key());
        return;
    }
    textureKind_ = 1;
    path = jpeg;
}

int CDWF3DGrWriter::AddTexture(DWFToolkit::DWFSegment& segment, const std::u16string& path)
{
    if (path.empty() || !publisher_ || !publisher_->GetModel())
    {
        faceTextured_ = false;
        return 1;
    }
    // Looked up by the file it is, not by the spelling of its path: opened
    // first, so that the file looked up is the one the package reads. An
    // image already in the model was measured when it went in.
    std::optional<TextureFileIdentity> identity;
    std::unique_ptr<DWFCore::DWFInputStream> stream = OpenIdentified(path, identity);
    const std::u16string* known =
        identity ? textureNames_->Find(*identity) : textureNames_->Find(path);
    std::u16string imageName;
    if (known)
        imageName = *known;
    else
    {
        double width = 0.0;
        double height = 0.0;
        if (publisher_->GetImageSize(path, width, height) != S_OK || !(width > 0.0) ||
            !(height > 0.0))
        {
            // Missing, no picture, cut short: the face goes without, and the
            // user hears which file and why.
            publisher_->NoteUnreadableTexture(path);
            faceTextured_ = false;
            return 1;
        }
        imageName = textureNames_->Choose(path);
        // One that cannot be opened says why.
        if (!stream)
            stream = CDocumentPublisher::OpenForReading(platform::path::normalized(path));
        const bool jpeg = textureKind_ == 1;
        auto texture = std::make_unique<DWFToolkit::DWFTexture>(
            DWFCore::DWFString(imageName),
            DWFCore::DWFString(jpeg ? u"image/jpeg" : u"image/png"), jpeg ? 24 : 32, width,
            height);
        texture->setInputStream(stream.release(), true);
        publisher_->GetModel()->addResource(texture.release());
        if (identity)
            textureNames_->Add(*identity, imageName);
        else
            textureNames_->Add(path, imageName);
    }
    const std::string textureName = Narrow(imageName) + kTextureSuffix;

    TK_Texture& definition = segment.getTextureHandler();
    definition.SetFlags(0);
    definition.SetImage(Narrow(imageName).c_str());
    definition.SetName(textureName.c_str());
    definition.serialize(0);

    TK_Color& colour = segment.getColorHandler();
    colour.SetGeometry(1);
    colour.SetChannels(1);
    colour.SetChannelName(0, textureName.c_str());
    colour.serialize(0);
    return 0;
}

HRESULT CDWF3DGrWriter::GenerateBodyTexture(DWFToolkit::DWFSegment& segment, host::Body* body)
{
    static const TextureSteps steps = {
        "CDWF3DGrWriter::GenerateBodyTexture. It is count of configuration",
        "CDWF3DGrWriter::GenerateBodyTexture. It is name of configuration",
        "CDWF3DGrWriter::GenerateBodyTexture", "CDWF3DGrWriter::GenerateBodyTexture"};
    try
    {
        if (!body || !document_)
            return S_OK;
        host::Texture* texture = FindTexture(document_, ownDocument_, body, steps);
        if (!texture)
            return S_OK;
        parameters_[kBodyAngle] = texture->angle() * kDegrees;
        parameters_[kBodyScale] = texture->scale();
        const std::u16string file = texture->fileName();
        if (file.empty())
            return 1;
        std::u16string path;
        GetTexturePath(file, path);
        if (AddTexture(segment, path) == 0)
            bodyTextured_ = true;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GenerateBodyTexture");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateFaceTexture(DWFToolkit::DWFSegment& segment, host::Face* face)
{
    static const TextureSteps steps = {
        "CDWF3DGrWriter::GenerateFaceTexture.It is the count of configuration",
        "CDWF3DGrWriter::GenerateFaceTexture", "CDWF3DGrWriter::GenerateFaceTexture",
        "CDWF3DGrWriter::GenerateFaceTexture"};
    try
    {
        if (!face || !document_)
            return S_OK;
        host::Texture* texture = FindTexture(document_, ownDocument_, face, steps);
        if (!texture)
            return S_OK;
        parameters_[kFaceAngle] = texture->angle() * kDegrees;
        parameters_[kFaceScale] = texture->scale();
        const std::u16string file = texture->fileName();
        if (file.empty())
            return 1;
        std::u16string path;
        GetTexturePath(file, path);
        faceTextured_ = true;
        AddTexture(segment, path);
    }
    catch (...)
    {
        faceTextured_ = false;
        ReportPublishError("CDWF3DGrWriter::GenerateFaceTexture");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateFeatureTexture(DWFToolkit::DWFSegment& segment, host::Face* face)
{
    static const TextureSteps steps = {
        "CDWF3DGrWriter::GenerateFeatureTexture.It is get count configuration error",
        "CDWF3DGrWriter::GenerateFeatureTexture.It is get name of configuration error",
        "CDWF3DGrWriter::GenerateFeatureTexture.It is get texture error",
        "CDWF3DGrWriter::GenerateFeatureTexture"};
    try
    {
        if (!face || !document_)
            return S_OK;
        host::Feature* feature = nullptr;
        Guarded("CDWF3DGrWriter::GenerateFeatureTexture.It is generate feature error",
                [&] { feature = face->feature(); });
        if (!feature)
        {
            parameters_[kFeatureScale] = 0.0;
            return S_OK;
        }
        host::Texture* texture = FindTexture(document_, ownDocument_, feature, steps);
        if (!texture)
            return S_OK;
        const double angle = texture->angle() * kDegrees;
        const double scale = texture->scale();
        const std::u16string file = texture->fileName();
        if (file.empty())
        {
            parameters_[kFeatureScale] = 0.0;
            return S_OK;
        }
        std::u16string path;
        GetTexturePath(file, path);
        const int result = AddTexture(segment, path);
        parameters_[kFeatureAngle] = angle;
        parameters_[kFeatureScale] = result == 1 ? 0.0 : scale;
    }
    catch (...)
    {
        parameters_[kFeatureScale] = 0.0;
        ReportPublishError("CDWF3DGrWriter::GenerateFeatureTexture");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateComponentTexture(DWFToolkit::DWFSegment& segment,
                                                 host::Component* component, ComponentEntry& entry,
                                                 host::Document* holder)
{
    static const TextureSteps steps = {
        "CDWF3DGrWriter::GenerateComponentTexture", "CDWF3DGrWriter::GenerateComponentTexture",
        "CDWF3DGrWriter::GenerateComponentTexture", "CDWF3DGrWriter::GenerateComponentTexture"};
    try
    {
        if (!component || !document_)
            return S_OK;
        host::Texture* texture = FindTexture(document_, holder, component, steps);
        if (!texture)
            return S_OK;
        const std::vector<double> box = component->boundingBox(0, 0);
        const double size = box.size() == 6 ? Distance3D(box.data(), box.data() + 3) : 0.0;
        entry.angle = texture->angle() * kDegrees;
        entry.scale = texture->scale() * (std::isfinite(size) ? size : 0.0);
        const std::u16string file = texture->fileName();
        if (file.empty())
            return S_OK;
        std::u16string path;
        GetTexturePath(file, path);
        entry.textured = AddTexture(segment, path) == 0;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GenerateComponentTexture");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::LoadMaterialDatabase(DWFToolkit::DWFSegment& segment,
                                             host::Document* document)
{
    if (!document)
        return S_OK;
    parameters_[kMaterialScale] = 0.0;
    try
    {
        const std::u16string id = document->materialId();
        if (id.empty())
            return S_OK;
        const std::optional<std::int64_t> number = MaterialDatabaseReader::MaterialNumber(id);
        if (!number)
        {
            ReportMissingMaterial(id, id.find(u'|') == std::u16string::npos
                                          ? u"it holds no '|' and is not a number"
                                          : u"the text after its last '|' is not a number");
            return S_OK;
        }

        const std::u16string folder = GetToolboxFolder();
        const std::u16string library = folder + MaterialDatabaseReader::kLibraryPath;
        // The publisher parses the library once for the whole publish; a
        // copy of its reader shares what was parsed.
        MaterialDatabaseReader reader;
        if (publisher_)
            reader = publisher_->GetMaterialLibrary(library);
        else
            reader.Load(library);
        // A library that is missing is passed over, as the host passes over
        // it; one that cannot be read has been reported.
        if (!reader.IsLoaded())
            return S_OK;
        // Materials are numbered from 1. The library is counted only to say
        // why a number is not in it.
        if (*number < 1 || *number > std::numeric_limits<int>::max() ||
            !reader.ReadMaterials(static_cast<int>(*number - 1)))
        {
            const int count = reader.MaterialCount();
            std::u16string held = u"no material";
            if (count == 1)
                held = u"one material, numbered 1";
            else if (count > 1)
                held =
                    platform::utf8ToUtf16(std::to_string(count)) + u" materials, numbered from 1";
            ReportMissingMaterial(id,
                                  u"'" + platform::path::normalized(library) + u"' holds " + held);
            return S_OK;
        }
        const MaterialDatabaseReader::Material& material = reader.CurrentMaterial();
        if (material.textureFileName.empty())
            return S_OK;
        parameters_[kMaterialAngle] = material.crossHatchAngle;
        parameters_[kMaterialScale] = material.crossHatchScale;

        std::u16string path;
        GetTexturePath(folder + u"\\data\\" + material.textureFileName, path);
        const int result = AddTexture(segment, path);
        if (result == 1)
            parameters_[kMaterialScale] = 0.0;
        return result;
    }
    catch (...)
    {
        parameters_[kMaterialScale] = 0.0;
        ReportPublishError("CDWF3DGrWriter::LoadMaterialDatabase");
    }
    return S_OK;
}

void CDWF3DGrWriter::ReportMissingMaterial(const std::u16string& id, const std::u16string& why)
{
    // Every component whose model names the material would say the same:
    // it is said once per publish.
    if (publisher_ && !publisher_->FirstMissingMaterial(id))
        return;
    ReportPublishError("CDWF3DGrWriter::LoadMaterialDatabase", true,
                       u"The material '" + id + u"' is not in the material library: " + why +
                           u"; it goes without its texture");
}
