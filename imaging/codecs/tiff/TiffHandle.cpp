#include "imaging/codecs/tiff/TiffHandle.h"

#include "dwfcore/RegularFile.h"

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
    OpenOptions() : options_(TIFFOpenOptionsAlloc()) {}
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
    OpenOptions options;
    if (!options.get())
    {
        ::close(descriptor);
        return nullptr;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxSingleAllocation));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &TiffHandle::onError, handle.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &TiffHandle::onWarning, handle.get());
    handle->tiff_ = TIFFFdOpenExt(descriptor, nativePath.c_str(), mode, options.get());
    if (!handle->tiff_)
    {
        // libtiff leaves the descriptor open when it refuses the file.
        ::close(descriptor);
        return nullptr;
    }
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
    // TIFFClose closes the descriptor too.
    TIFFClose(tiff_);
    tiff_ = nullptr;
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
