#include "platform/gdi/Picture.h"

#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include "dwfcore/RegularFile.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace platform
{

namespace
{

struct FileCloser
{
    void operator()(std::FILE* file) const
    {
        if (file)
            std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The file a picture is saved to: the file made for it by whoever asked
// (a temporary file of ours, whose name must not be made to lead to another
// of the user's files), else a new or emptied file, never through a link.
FilePtr openForWriting(const std::u16string& path)
{
    const int fd = DWFCore::openFileForWriting(path::toNative(path));
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (fd >= 0 && !file)
    {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return FilePtr(file);
}

// A picture named by a document may be a FIFO or a device: only a regular
// file is read.
FilePtr openForReading(const std::u16string& path)
{
    return FilePtr(DWFCore::openRegularFileStream(path::toNative(path)));
}

// "<what> '<path>': <the system's reason>", the reason being `error` (an
// errno value taken at once after the failing call).
std::string systemFailure(const char* what, const std::u16string& path, int error)
{
    return std::string(what) + " '" + path::toNative(path) + "': " + systemReason(error);
}

enum class Kind
{
    Unknown,
    Jpeg,
    Png
};

Kind sniff(std::FILE* file)
{
    unsigned char head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return Kind::Jpeg;
    if (got == 8 && png_sig_cmp(head, 0, 8) == 0)
        return Kind::Png;
    return Kind::Unknown;
}

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the set-up point with the message kept for the caller.
struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // errno when libjpeg gave up: the reason of a failed write or read.
    int systemError = 0;

    // The manager to hand to libjpeg; the caller still sets the jump point,
    // which must live in its own frame.
    jpeg_error_mgr* install()
    {
        jpeg_std_error(&manager);
        manager.error_exit = exit;
        manager.emit_message = silence;
        message[0] = '\0';
        systemError = 0;
        return &manager;
    }

private:
    static void exit(j_common_ptr info)
    {
        auto* error = reinterpret_cast<JpegError*>(info->err);
        error->systemError = errno;
        (*info->err->format_message)(info, error->message);
        std::longjmp(error->jump, 1);
    }
    static void silence(j_common_ptr, int) {}
};

// Decodes a JPEG; `pixels` is resized only after the header is known. All
// objects with destructors live outside the jump's reach.
bool decodeJpeg(std::FILE* file, bool headerOnly, RgbPicture& picture, std::string& error)
{
    jpeg_decompress_struct info;
    JpegError jerr;
    std::memset(&info, 0, sizeof info);
    info.err = jerr.install();
    if (setjmp(jerr.jump))
    {
        error = jerr.message;
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    picture.width = static_cast<int>(info.image_width);
    picture.height = static_cast<int>(info.image_height);
    if (headerOnly)
    {
        jpeg_destroy_decompress(&info);
        return true;
    }
    if (static_cast<std::uint64_t>(info.image_width) * info.image_height > kMaxPicturePixels)
    {
        jpeg_destroy_decompress(&info);
        error = "picture too large";
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture.pixels.assign(static_cast<std::size_t>(info.output_width) * info.output_height * 3, 0);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = picture.pixels.data() +
                       static_cast<std::size_t>(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool decodePng(std::FILE* file, bool headerOnly, RgbPicture& picture, std::string& error)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_stdio(&image, file))
    {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    if (headerOnly)
    {
        png_image_free(&image);
        return true;
    }
    if (static_cast<std::uint64_t>(image.width) * image.height > kMaxPicturePixels)
    {
        png_image_free(&image);
        error = "picture too large";
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    picture.pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr))
    {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

bool readPicture(const std::u16string& path, bool headerOnly, RgbPicture& picture,
                 std::string& error)
{
    FilePtr file = openForReading(path);
    if (!file)
    {
        error = systemFailure("cannot open the picture file", path, errno);
        return false;
    }
    bool read = false;
    switch (sniff(file.get()))
    {
    case Kind::Jpeg:
        read = decodeJpeg(file.get(), headerOnly, picture, error);
        break;
    case Kind::Png:
        // The file already checked, not the name again: it may have been
        // replaced in between.
        read = decodePng(file.get(), headerOnly, picture, error);
        break;
    default:
        error = "'" + path::toNative(path) + "' is not a JPEG or PNG picture";
        return false;
    }
    if (!read)
        error = "the picture '" + path::toNative(path) + "' cannot be read: " + error;
    return read;
}

bool encodeJpeg(std::FILE* file, const RgbPicture& picture, int quality, std::string& error,
                int& systemError)
{
    jpeg_compress_struct info;
    JpegError jerr;
    std::memset(&info, 0, sizeof info);
    info.err = jerr.install();
    errno = 0;
    if (setjmp(jerr.jump))
    {
        error = jerr.message;
        systemError = jerr.manager.msg_code == JERR_FILE_WRITE ? jerr.systemError : 0;
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
    {
        // libjpeg takes non-const rows but only reads them.
        auto* row =
            const_cast<JSAMPLE*>(picture.pixels.data() +
                                 static_cast<std::size_t>(info.next_scanline) * picture.width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::optional<PictureSize> readPictureSize(const std::u16string& path, std::string* why)
{
    RgbPicture picture;
    std::string error;
    if (!readPicture(path, true, picture, error))
    {
        if (why)
            *why = error;
        return std::nullopt;
    }
    return PictureSize{picture.width, picture.height};
}

bool loadPicture(const std::u16string& path, RgbPicture& picture, std::string& error)
{
    picture = RgbPicture{};
    return readPicture(path, false, picture, error);
}

bool saveBitmap(const std::u16string& path, const RgbPicture& picture, std::string& error)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
    {
        error = "picture has no pixels or the wrong number of them";
        return false;
    }
    // Rows are padded to four bytes and stored bottom-up in BGR order.
    const std::size_t rowBytes =
        (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t(3);
    const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(picture.height);
    if (imageBytes + 54 > 0xFFFFFFFFu)
    {
        error = "picture too large for a bitmap file";
        return false;
    }
    std::vector<std::uint8_t> bytes(54 + imageBytes, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(picture.width));
    put32(22, static_cast<std::uint32_t>(picture.height));
    bytes[26] = 1;  // planes
    bytes[28] = 24; // bits per pixel
    put32(34, static_cast<std::uint32_t>(imageBytes));
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < picture.height; ++y)
    {
        const std::uint8_t* source =
            picture.pixels.data() +
            static_cast<std::size_t>(picture.height - 1 - y) * picture.width * 3;
        std::uint8_t* target = bytes.data() + 54 + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < picture.width; ++x)
        {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    FilePtr file = openForWriting(path);
    if (!file)
    {
        error = systemFailure("cannot create the bitmap file", path, errno);
        return false;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    {
        error = systemFailure("cannot write the bitmap file", path, errno);
        return false;
    }
    errno = 0;
    if (std::fclose(file.release()) != 0)
    {
        error = systemFailure("cannot write the bitmap file", path, errno);
        return false;
    }
    return true;
}

bool saveJpeg(const std::u16string& path, const RgbPicture& picture, int quality,
              std::string& error)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
    {
        error = "picture has no pixels or the wrong number of them";
        return false;
    }
    if (quality < 1 || quality > 100)
    {
        error = "JPEG quality out of range";
        return false;
    }
    FilePtr file = openForWriting(path);
    if (!file)
    {
        error = systemFailure("cannot create the JPEG file", path, errno);
        return false;
    }
    int systemError = 0;
    if (!encodeJpeg(file.get(), picture, quality, error, systemError))
    {
        // A write that failed says why; anything else is libjpeg's word.
        if (systemError != 0 || std::ferror(file.get()))
            error = systemFailure("cannot write the JPEG file", path, systemError);
        return false;
    }
    errno = 0;
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
    {
        error = systemFailure("cannot write the JPEG file", path, errno);
        return false;
    }
    errno = 0;
    if (std::fclose(file.release()) != 0)
    {
        error = systemFailure("cannot write the JPEG file", path, errno);
        return false;
    }
    return true;
}

} // namespace platform
