#include "imaging/codecs/tiff/TiffHandle.h"

#include "dwfcore/RegularFile.h"
#include "imaging/codecs/tiff/TiffHeaderView.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <jerror.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <xtiffio.h>

namespace Omvi
{
namespace
{

// Directories past this many are not looked for: a file cannot hold more
// in any sensible use, and walking a longer chain is only a way to hang.
constexpr int kMostDirectories = 65536;

// The options every handle is opened with: this handle's own error and
// warning channels and the allocation cap.
class OpenOptions
{
public:
    OpenOptions(TIFFErrorHandlerExtR onError, TIFFErrorHandlerExtR onWarning, void* handle)
        : options_(TIFFOpenOptionsAlloc())
    {
        if (!options_)
            return;
        TIFFOpenOptionsSetMaxSingleMemAlloc(options_, static_cast<tmsize_t>(TiffHandle::kMaxSingleAllocation));
        TIFFOpenOptionsSetErrorHandlerExtR(options_, onError, handle);
        TIFFOpenOptionsSetWarningHandlerExtR(options_, onWarning, handle);
    }
    ~OpenOptions()
    {
        if (options_)
            TIFFOpenOptionsFree(options_);
    }
    OpenOptions(const OpenOptions&) = delete;
    OpenOptions& operator=(const OpenOptions&) = delete;

    TIFFOpenOptions* get() const { return options_; }

private:
    TIFFOpenOptions* options_;
};

// libjpeg's own text of its warning that the coded data ended early, which
// libtiff passes on as a warning of the handle.
const std::string& jpegDataEndedText()
{
    static const std::string text = [] {
        jpeg_error_mgr manager;
        jpeg_std_error(&manager);
        const char* message = JWRN_JPEG_EOF <= manager.last_jpeg_message
                                  ? manager.jpeg_message_table[JWRN_JPEG_EOF]
                                  : nullptr;
        return std::string(message != nullptr ? message : "Premature end of JPEG file");
    }();
    return text;
}

// libtiff's client procedures on a TiffHeaderView (the client data).
tmsize_t readView(thandle_t view, void* buffer, tmsize_t count)
{
    if (count < 0)
        return -1;
    return static_cast<tmsize_t>(static_cast<TiffHeaderView*>(view)->read(buffer, static_cast<std::uint64_t>(count)));
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t seekView(thandle_t view, toff_t offset, int whence)
{
    // libtiff hands a move back as an offset that wrapped round, as lseek
    // takes it.
    return static_cast<toff_t>(static_cast<TiffHeaderView*>(view)->seek(static_cast<std::int64_t>(offset), whence));
}

toff_t sizeOfView(thandle_t view)
{
    return static_cast<toff_t>(static_cast<TiffHeaderView*>(view)->size());
}

// The handle closes the view itself, after libtiff is done with it.
int closeNothing(thandle_t)
{
    return 0;
}

int mapNothing(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

} // namespace

TiffHandle::TiffHandle(std::string path, bool writing) : path_(std::move(path)), writing_(writing) {}

TiffHandle::~TiffHandle()
{
    close();
}

std::unique_ptr<TiffHandle> TiffHandle::openForReading(const std::string& nativePath)
{
    // Only regular files: a pipe or a device would make libtiff wait.
    const int descriptor = DWFCore::openRegularFile(nativePath);
    if (descriptor < 0)
        return nullptr;
    // Read, not mapped: a mapped file would count in the process's memory
    // as it is read, and a file cut short underneath would fault.
    return open(nativePath, descriptor, "rm", false);
}

std::unique_ptr<TiffHandle> TiffHandle::openDirectory(const std::string& nativePath, int directory)
{
    std::unique_ptr<TiffHandle> handle = openForReading(nativePath);
    if (handle && !handle->setDirectory(directory))
        return nullptr;
    return handle;
}

std::unique_ptr<TiffHandle> TiffHandle::openDirectory(const std::string& nativePath, const TiffDirectory& directory)
{
    std::unique_ptr<TiffHeaderView> view = TiffHeaderView::open(nativePath, directory.offset);
    if (!view)
        return nullptr;
    return openView(nativePath, std::move(view));
}

std::unique_ptr<TiffHandle> TiffHandle::createForWriting(const std::string& nativePath)
{
    // Created exclusively and kept open: no other file can take the name
    // between the test and the writing.
    const int descriptor = ::open(nativePath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    std::unique_ptr<TiffHandle> handle = open(nativePath, descriptor, "w", true);
    if (!handle)
        ::unlink(nativePath.c_str());
    return handle;
}

std::unique_ptr<TiffHandle> TiffHandle::open(const std::string& nativePath, int descriptor, const char* mode,
                                             bool writing)
{
    // Registers the GeoTIFF tags with libtiff (once per process).
    XTIFFInitialize();
    std::unique_ptr<TiffHandle> handle(new TiffHandle(nativePath, writing));
    OpenOptions options(&TiffHandle::onError, &TiffHandle::onWarning, handle.get());
    if (!options.get())
    {
        ::close(descriptor);
        return nullptr;
    }
    handle->tiff_ = TIFFFdOpenExt(descriptor, nativePath.c_str(), mode, options.get());
    if (!handle->tiff_)
    {
        // libtiff leaves the descriptor open when it refuses the file.
        ::close(descriptor);
        return nullptr;
    }
    return handle;
}

std::unique_ptr<TiffHandle> TiffHandle::openView(const std::string& nativePath, std::unique_ptr<TiffHeaderView> view)
{
    XTIFFInitialize();
    std::unique_ptr<TiffHandle> handle(new TiffHandle(nativePath, false));
    OpenOptions options(&TiffHandle::onError, &TiffHandle::onWarning, handle.get());
    if (!options.get())
        return nullptr;
    // Read, not mapped, as openForReading.
    handle->tiff_ = TIFFClientOpenExt(nativePath.c_str(), "rm", view.get(), readView, writeNothing, seekView,
                                      closeNothing, sizeOfView, mapNothing, unmapNothing, options.get());
    if (!handle->tiff_)
        return nullptr;
    handle->view_ = std::move(view);
    return handle;
}

bool TiffHandle::setDirectory(int index)
{
    if (!tiff_ || index < 0 || index >= kMostDirectories)
        return false;
    return TIFFSetDirectory(tiff_, static_cast<tdir_t>(index)) == 1;
}

bool TiffHandle::close()
{
    if (!tiff_)
        return !hasError();
    if (writing_)
        TIFFFlush(tiff_);
    // TIFFClose closes the descriptor too (a view's, with the view).
    TIFFClose(tiff_);
    tiff_ = nullptr;
    view_.reset();
    return !hasError();
}

void TiffHandle::clearError()
{
    errors_ = 0;
    lastError_.clear();
}

int TiffHandle::onError(TIFF*, void* self, const char* module, const char* format, va_list arguments)
{
    auto* handle = static_cast<TiffHandle*>(self);
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    ++handle->errors_;
    handle->lastError_ = module ? std::string(module) + ": " + text : std::string(text);
    // Handled: libtiff's process-wide handler is not called.
    return 1;
}

int TiffHandle::onWarning(TIFF*, void* self, const char*, const char* format, va_list arguments)
{
    // Warnings are libtiff repairing a file as it reads it; nothing to
    // report, but for JPEG data that ends early.
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    if (jpegDataEndedText() == text)
        static_cast<TiffHandle*>(self)->jpegDataEnded_ = true;
    return 1;
}

} // namespace Omvi
