#pragma once
// One libtiff handle on one file, with its own error channel: what libtiff
// has to say about this handle is kept here (never printed, and never
// routed through libtiff's process-wide handlers), and every single
// allocation libtiff makes for the handle is capped, so a damaged file
// costs at most kMaxSingleAllocation bytes at a time. Every handle knows
// the GeoTIFF tags.
#include "imaging/codecs/tiff/TiffDirectory.h"

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>

typedef struct tiff TIFF;

namespace Omvi
{

class TiffHeaderView;

class TiffHandle
{
public:
    // The largest block libtiff may allocate at once for a handle, and the
    // largest buffer the codec allocates for a row, a strip or a band of
    // tiles.
    static constexpr std::int64_t kMaxSingleAllocation = std::int64_t{256} << 20;

    // A regular file opened for reading on its first directory; null when it
    // cannot be opened or libtiff does not take it.
    static std::unique_ptr<TiffHandle> openForReading(const std::string& nativePath);
    // The same, moved to directory `directory` (counted from 0); null when the
    // file has no such directory. libtiff walks the chain of directories
    // from the first to it.
    static std::unique_ptr<TiffHandle> openDirectory(const std::string& nativePath, int directory);
    // The same on a directory found before (TiffDirectory), reached at its
    // offset through a TiffHeaderView: one directory read however far down
    // the chain it lies. For libtiff that directory is the file's first;
    // setDirectory counts from it. Null when it cannot be read.
    static std::unique_ptr<TiffHandle> openDirectory(const std::string& nativePath, const TiffDirectory& directory);
    // A new file created for writing; null when the file exists already or
    // cannot be made. An existing file is never touched.
    static std::unique_ptr<TiffHandle> createForWriting(const std::string& nativePath);

    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    // Closes the handle when close() was not called; a handle that was
    // writing writes its pending directory first, and any failure of that is
    // swallowed.
    ~TiffHandle();

    TIFF* get() const { return tiff_; }
    const std::string& path() const { return path_; }
    bool isWriting() const { return writing_; }

    // Goes to directory `index`; false when there is none.
    bool setDirectory(int index);

    // Closes the handle; a writing handle first writes what it still holds.
    // False when libtiff reported an error while doing so.
    bool close();

    // Whether libtiff reported an error about this handle since the last
    // clearError, and its last message.
    bool hasError() const { return errors_ > 0; }
    const std::string& lastError() const { return lastError_; }
    void clearError();

    // Whether the coded data of a JPEG strip or tile of this handle ended
    // before its image did. libtiff only warns of it and decodes the rest
    // as made-up pixels, so from then on nothing the handle decodes is
    // taken as the file's.
    bool jpegDataEnded() const { return jpegDataEnded_; }

private:
    TiffHandle(std::string path, bool writing);
    static std::unique_ptr<TiffHandle> open(const std::string& nativePath, int descriptor, const char* mode,
                                            bool writing);
    static std::unique_ptr<TiffHandle> openView(const std::string& nativePath, std::unique_ptr<TiffHeaderView> view);
    static int onError(TIFF* tiff, void* self, const char* module, const char* format, va_list arguments);
    static int onWarning(TIFF* tiff, void* self, const char* module, const char* format, va_list arguments);

    TIFF* tiff_ = nullptr;
    // What a handle opened at a directory reads through; it outlives tiff_.
    std::unique_ptr<TiffHeaderView> view_;
    std::string path_;
    bool writing_;
    int errors_ = 0;
    std::string lastError_;
    bool jpegDataEnded_ = false;
};

} // namespace Omvi
