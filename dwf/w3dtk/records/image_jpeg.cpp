#include "dwf/w3dtk/records/image_jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace
{
// A progressive image of more scans than this is refused: each scan is a pass
// over the whole image, so damaged data could otherwise take very long.
constexpr int Max_Scans = 1000;

// The error manager: libjpeg's, then where to jump back to.
struct Error_Manager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jump_back(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Error_Manager*>(info->err)->jump, 1);
}

void say_nothing(j_common_ptr) {}

void install(Error_Manager& error, jpeg_common_struct& info)
{
    info.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = jump_back;
    error.pub.output_message = say_nothing;
}

// ---- compression: a destination growing in a block of its own

// The bytes libjpeg writes. Not zero-filled: only what libjpeg touches is
// ever written (and paged in), however large the first capacity.
struct Output_Block
{
    std::unique_ptr<unsigned char[]> bytes;
    std::size_t capacity = 0;
    std::size_t used = 0;

    // Grows to `size`, keeping the bytes written; false when memory runs out.
    bool grow(std::size_t size) noexcept
    {
        std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[size]);
        if (!larger)
            return false;
        if (bytes)
            std::memcpy(larger.get(), bytes.get(), std::min(capacity, size));
        bytes = std::move(larger);
        capacity = size;
        return true;
    }
};

struct Destination
{
    jpeg_destination_mgr pub;
    Output_Block* out;
    std::size_t first_capacity;
};

// The callbacks call noexcept helpers only, so nothing with a destructor is
// alive in their frames when the error exit jumps out of them.
void start_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    if (!destination->out->grow(destination->first_capacity))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    destination->pub.next_output_byte = destination->out->bytes.get();
    destination->pub.free_in_buffer = destination->out->capacity;
}

// Each time libjpeg fills the block it grows by its size, at most 64 KB.
boolean grow_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    std::size_t const used = destination->out->capacity;
    std::size_t const growth = std::min<std::size_t>(used, 65536);
    if (!destination->out->grow(used + growth))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    destination->pub.next_output_byte = destination->out->bytes.get() + used;
    destination->pub.free_in_buffer = growth;
    return TRUE;
}

void end_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    destination->out->used = destination->out->capacity - destination->pub.free_in_buffer;
}

struct Compress_Job
{
    const unsigned char* rgb;
    int width;
    int height;
    int quality;
    Destination* destination;
};

// Every local here is plain C data: the error exit may jump back into this
// function from anywhere inside libjpeg.
bool run_compress(const Compress_Job* job)
{
    jpeg_compress_struct info;
    Error_Manager error;
    std::memset(&info, 0, sizeof info);
    install(error, *reinterpret_cast<jpeg_common_struct*>(&info));
    if (setjmp(error.jump))
    {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = &job->destination->pub;
    info.image_width = static_cast<JDIMENSION>(job->width);
    info.image_height = static_cast<JDIMENSION>(job->height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, job->quality, FALSE);
    jpeg_start_compress(&info, TRUE);
    std::size_t const stride = static_cast<std::size_t>(job->width) * 3;
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW row = const_cast<JSAMPLE*>(job->rgb + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// ---- decompression: a source over the whole buffer, which never has more

// Sizes the pixel buffer; false when memory runs out.
bool resize(std::vector<unsigned char>& bytes, std::size_t size) noexcept
{
    try
    {
        bytes.resize(size);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

void no_op(j_decompress_ptr) {}

boolean no_more_data(j_decompress_ptr)
{
    return FALSE;
}

void skip(j_decompress_ptr info, long count)
{
    jpeg_source_mgr& source = *info->src;
    if (count <= 0)
        return;
    if (static_cast<unsigned long>(count) > source.bytes_in_buffer)
    {
        source.bytes_in_buffer = 0;
        return;
    }
    source.next_input_byte += count;
    source.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void watch_scans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > Max_Scans)
        ERREXIT(info, JERR_NOT_COMPILED);
}

struct Decompress_Job
{
    const unsigned char* data;
    std::size_t size;
    int width;
    int height;
    std::vector<unsigned char>* pixels;
};

bool run_decompress(const Decompress_Job* job)
{
    jpeg_decompress_struct info;
    Error_Manager error;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    std::memset(&info, 0, sizeof info);
    install(error, *reinterpret_cast<jpeg_common_struct*>(&info));
    if (setjmp(error.jump))
    {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    source.next_input_byte = job->data;
    source.bytes_in_buffer = job->size;
    source.init_source = no_op;
    source.fill_input_buffer = no_more_data;
    source.skip_input_data = skip;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = no_op;
    info.src = &source;
    progress.progress_monitor = watch_scans;
    info.progress = &progress;

    bool fits = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK &&
                info.image_width == static_cast<JDIMENSION>(job->width) &&
                info.image_height == static_cast<JDIMENSION>(job->height);
    if (fits)
    {
        info.out_color_space = JCS_RGB;
        fits = jpeg_start_decompress(&info) && info.output_components == 3 &&
               info.output_width == info.image_width && info.output_height == info.image_height &&
               resize(*job->pixels, static_cast<std::size_t>(job->width) * 3 *
                                        static_cast<std::size_t>(job->height));
    }
    std::size_t const stride = static_cast<std::size_t>(job->width) * 3;
    while (fits && info.output_scanline < info.output_height)
    {
        JSAMPROW row = job->pixels->data() + info.output_scanline * stride;
        // Nothing decoded means the data ended early: the source never has more.
        fits = jpeg_read_scanlines(&info, &row, 1) == 1;
    }
    // Every row is in when the loop ends well; a missing end marker after
    // them costs nothing, so the finish is not judged.
    if (fits)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return fits;
}
} // namespace

bool BJpegCodec::Compress(const unsigned char* rgb, int width, int height, int quality,
                          std::vector<unsigned char>& out) noexcept
{
    if (!rgb || width <= 0 || height <= 0)
        return false;
    out.clear();
    Output_Block block;
    Destination destination;
    destination.pub.init_destination = start_destination;
    destination.pub.empty_output_buffer = grow_destination;
    destination.pub.term_destination = end_destination;
    destination.out = &block;
    destination.first_capacity = std::max<std::size_t>(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 4096);
    Compress_Job const job{rgb, width, height, quality, &destination};
    if (!run_compress(&job))
        return false;
    try
    {
        out.assign(block.bytes.get(), block.bytes.get() + block.used);
    }
    catch (...)
    {
        return false;
    }
    return true;
}

bool BJpegCodec::Decompress(const unsigned char* data, std::size_t size, int width, int height,
                            std::vector<unsigned char>& pixels) noexcept
{
    if (!data || size == 0 || width <= 0 || height <= 0)
        return false;
    Decompress_Job const job{data, size, width, height, &pixels};
    return run_decompress(&job);
}
