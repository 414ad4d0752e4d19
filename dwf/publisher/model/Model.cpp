#include "dwf/publisher/model/Model.h"

#include "dwf/publisher/Texture.h"
#include "dwf/w3dtk/records/comment.h"
#include "dwf/w3dtk/records/compression.h"
#include "dwf/w3dtk/records/file_info.h"
#include "dwf/w3dtk/records/header.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/terminator.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwfcore/Exception.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

namespace DWFToolkit
{

namespace
{
// How every model stream is encoded: see the toolkit's write options.
constexpr int kWriteOptions = TK_Option_Informational | TK_Option_Raw_Points |
                              TK_Option_No_Instances | TK_Option_Connectivity |
                              TK_Option_Plain_Faces;
static_assert(kWriteOptions == 0x1A06, "model streams use write options 0x1A06");
constexpr int kNormalBits = 24;

//
// Takes `item` into `owner`: a null item is a DWFNullPointerException saying
// `nullMessage`; when there is no memory to keep it, the item is deleted and
// a DWFMemoryException says `memoryMessage`.
//
template <class T>
void adopt(std::vector<std::unique_ptr<T>>& owner, T* item, const char16_t* nullMessage,
           const char16_t* memoryMessage, const char* function)
{
    if (item == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, nullMessage, function);
    }
    std::unique_ptr<T> owned(item);
    try
    {
        owner.push_back(std::move(owned));
    }
    catch (const std::bad_alloc&)
    {
        DWFCORE_THROW(DWFMemoryException, memoryMessage, function);
    }
}
} // namespace

const char16_t* const DWFModel::kMIMEType = u"application/x-w3d";

//
// The model's way to its temporary file. It remembers any failed write, also
// one whose exception a caller caught and went on after, so that close can
// tell whether the stream in the file is whole.
//
class DWFModel::_GuardedOutput : public DWFCore::DWFOutputStream
{
public:
    explicit _GuardedOutput(DWFCore::DWFOutputStream& target) : _target(target) {}

    void flush() override
    {
        try
        {
            _target.flush();
        }
        catch (...)
        {
            _failed = true;
            throw;
        }
    }

    size_t write(const void* buffer, size_t bytes) override
    {
        size_t written = 0;
        try
        {
            written = _target.write(buffer, bytes);
        }
        catch (...)
        {
            _failed = true;
            throw;
        }
        if (written != bytes)
        {
            _failed = true;
        }
        return written;
    }

    bool failed() const noexcept { return _failed; }

private:
    DWFCore::DWFOutputStream& _target;
    bool _failed = false;
};

DWFPublishableResource*& DWFModel::ResourceIterator::get()
{
    if (!valid())
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"No more elements",
                      "DWFToolkit::DWFModel::ResourceIterator::get");
    }
    return _resources[_position];
}

DWFModel::DWFModel(const DWFCore::DWFString& title, const DWFCore::DWFString& sourceProvider,
                   const DWFCore::DWFString& sourceObjectID)
    : DWFPropertyContainer(DWFCore::DWFString()), _mimeType(kMIMEType), _title(title),
      _sourceProvider(sourceProvider), _sourceObjectID(sourceObjectID), _extents(4, 0.0)
{
    std::fill(std::begin(_transform), std::end(_transform), 0.0);
    _transform[0] = _transform[5] = _transform[10] = _transform[15] = 1.0;
}

DWFModel::~DWFModel()
{
    if (_open)
    {
        // A stream is always terminated; a failure here has nobody to tell.
        try
        {
            _endStream();
        }
        catch (...)
        {
        }
        _open = false;
    }
    _fonts.clear();
    _resources.clear();
    _objects.forEach([](const DWFPublishedObject::tKey&, DWFPublishedObject*& object)
                     { delete object; });
    _objects.clear();
    _displaced.clear();
    _discardStream();
}

DWFCore::DWFOutputStream& DWFModel::_streamTarget(DWFCore::DWFOutputStream& file)
{
    return file;
}

void DWFModel::_requireOpen(const char* function) const
{
    if (!_open)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Model must be open", function);
    }
}

void DWFModel::_serializeOwn(BBaseOpcodeHandler& handler)
{
    handler.SetObserver(_writer.get());
    handler.serialize(0);
}

void DWFModel::_discardStream() noexcept
{
    // The writer still refers to the output, and the output to the file.
    _writer.reset();
    _output.reset();
    if (_tempFile && !_tempFile->remove())
    {
        _leftStream = _LeftFile{std::string(), errno};
        try
        {
            _leftStream->path = _tempFile->file().nativePath();
        }
        catch (...)
        {
            // Told without its name, then.
        }
    }
    _tempFile.reset();
}

bool DWFModel::removeStreamFile(std::string& path, int& error) noexcept
{
    if (_open)
    {
        // As when the model goes: the stream is ended, though nobody will
        // read it.
        try
        {
            _endStream();
        }
        catch (...)
        {
        }
        _open = false;
    }
    _discardStream();
    if (!_leftStream)
    {
        return true;
    }
    path = std::move(_leftStream->path);
    error = _leftStream->error;
    _leftStream.reset();
    return false;
}

void DWFModel::open(int polygonHandedness, int units, const double* transform,
                    bool useDefaultLighting, bool publishEdges, bool useSilhouetteEdges)
{
    static const char* const function = "DWFToolkit::DWFModel::open";
    if (_open)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Model already open", function);
    }
    if (_writer)
    {
        // Opening again continues the stream, which needs the file still open
        // for writing (reading it back ends that); nothing has changed yet.
        _tempFile->getOutputStream();
    }
    try
    {
        if (!_writer)
        {
            _toolkit.Restart();
            _tempFile.reset(DWFCore::DWFTempFile::Create(u"model_w3d_", true));
            _output.reset(new (std::nothrow)
                              _GuardedOutput(_streamTarget(*_tempFile->getOutputStream())));
            if (!_output)
            {
                DWFCORE_THROW(DWFMemoryException, u"Failed to allocate W3D stream writer",
                              function);
            }
            _writer.reset(new (std::nothrow) W3DStreamWriter(*_output, _toolkit));
            if (!_writer)
            {
                DWFCORE_THROW(DWFMemoryException, u"Failed to allocate W3D stream writer",
                              function);
            }
        }
        if (_writer->open() == TK_Error)
        {
            DWFCORE_THROW(DWFIOException, u"Failed to open W3D stream", function);
        }

        _toolkit.SetWriteFlags(kWriteOptions);
        _toolkit.SetNumNormalBits(kNormalBits);

        TK_Header header;
        _serializeOwn(header);
        TK_Comment comment("W3D V01.00");
        _serializeOwn(comment);
        TK_File_Info info;
        info.SetFlags(0);
        _serializeOwn(info);
        if (_compress)
        {
            _serializeOwn(_toolkit.GetOpcodeHandler(TK_Compression::Start));
        }

        // The getters below work on an open model; a failure from here on
        // closes it again.
        _open = true;
        if (publishEdges)
        {
            TK_Open_Segment& style = getOpenSegmentHandler();
            style.SetSegment(DWFSegment::kPublishedEdgesStyle);
            style.serialize(0);
            getCloseSegmentHandler().serialize(0);
        }
    }
    catch (...)
    {
        _open = false;
        _discardStream();
        throw;
    }

    _polygonHandedness = polygonHandedness;
    _units = units;
    if (transform != nullptr)
    {
        std::copy(transform, transform + 16, _transform);
    }
    else
    {
        std::fill(std::begin(_transform), std::end(_transform), 0.0);
        _transform[0] = _transform[5] = _transform[10] = _transform[15] = 1.0;
    }
    _useSilhouetteEdges = useSilhouetteEdges;
    _useDefaultLighting = useDefaultLighting;
}

void DWFModel::_endStream()
{
    if (_compress)
    {
        _serializeOwn(_toolkit.GetOpcodeHandler(TK_Compression::Stop));
    }
    _serializeOwn(_toolkit.GetOpcodeHandler(TK_Terminator::Terminate));
    _writer->close();
}

void DWFModel::close()
{
    static const char* const function = "DWFToolkit::DWFModel::close";
    _requireOpen(function);
    _open = false;
    try
    {
        _endStream();
    }
    catch (...)
    {
        _discardStream();
        throw;
    }
    if (_output->failed())
    {
        // An earlier write failed and its caller went on: the file holds a
        // stream with a hole in it.
        _discardStream();
        DWFCORE_THROW(DWFIOException, u"Failed to write W3D stream", function);
    }
}

DWFSegment DWFModel::openSegment()
{
    _requireOpen("DWFToolkit::DWFModel::openSegment");
    return DWFSegment(this, this, this, this, this, nullptr);
}

DWFIncludeSegment DWFModel::openIncludeSegment()
{
    _requireOpen("DWFToolkit::DWFModel::openIncludeSegment");
    return DWFIncludeSegment(this, this, this, this, this);
}

DWFCore::DWFInputStream* DWFModel::getInputStream()
{
    static const char* const function = "DWFToolkit::DWFModel::getInputStream";
    if (_open)
    {
        // Reading the file back ends writing to it.
        DWFCORE_THROW(DWFUnexpectedException, u"Model must be closed", function);
    }
    if (!_tempFile)
    {
        DWFCORE_THROW(DWFIOException, u"No input stream available for the model", function);
    }
    return _tempFile->getInputStream();
}

void DWFModel::embedFont(DWFEmbeddedFont* font)
{
    adopt(_fonts, font, u"Font was null", u"Failed to embed font",
          "DWFToolkit::DWFModel::embedFont");
}

void DWFModel::addResource(DWFPublishableResource* resource)
{
    adopt(_resources, resource, u"Resource was null", u"Failed to add resource",
          "DWFToolkit::DWFModel::addResource");
    if (const auto* texture = dynamic_cast<const DWFTexture*>(resource))
    {
        _writeImageRecord(*texture);
    }
}

DWFCore::DWFIterator<DWFPublishableResource*>* DWFModel::getResources()
{
    try
    {
        std::vector<DWFPublishableResource*> resources;
        resources.reserve(_resources.size());
        for (const auto& resource : _resources)
        {
            resources.push_back(resource.get());
        }
        return new (std::nothrow) ResourceIterator(std::move(resources));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

DWFPublishedObject* DWFModel::makePublishedObject(DWFPublishedObject::tKey key,
                                                  const DWFCore::DWFString& name)
{
    static const char* const function = "DWFToolkit::DWFModel::makePublishedObject";
    std::unique_ptr<DWFPublishedObject> object(new (std::nothrow) DWFPublishedObject(key, name));
    if (!object)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate object", function);
    }
    DWFPublishedObject** existing = _objects.find(key);
    if (existing != nullptr)
    {
        // The earlier object leaves the map but not the model.
        try
        {
            _displaced.emplace_back(*existing);
        }
        catch (const std::bad_alloc&)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate object", function);
        }
        *existing = object.release();
        return *existing;
    }
    _objects.insert(key, object.get(), true);
    return object.release();
}

DWFPublishedObject* DWFModel::findPublishedObject(DWFPublishedObject::tKey key)
{
    DWFPublishedObject** object = _objects.find(key);
    if (object == nullptr)
    {
        DWFCORE_THROW(DWFDoesNotExistException, u"Object not found",
                      "DWFToolkit::DWFModel::findPublishedObject");
    }
    return *object;
}

void DWFModel::getTransform(double* transform) const noexcept
{
    if (transform != nullptr)
    {
        std::copy(std::begin(_transform), std::end(_transform), transform);
    }
}

void DWFModel::getExtents(std::vector<double>& extents) const
{
    extents.assign(_extents.begin(), _extents.end());
}

} // namespace DWFToolkit
