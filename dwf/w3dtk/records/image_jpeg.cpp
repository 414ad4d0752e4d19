#include "dwf/w3dtk/records/image_jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>

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

// ---- compression: a destination growing inside a vector

struct Destination
{
    jpeg_destination_mgr pub;
    std::vector<unsigned char>* out;
    std::size_t first_capacity;
};

// Grows the vector to `size`; false when memory runs out. Kept out of the
// callbacks' own frames so nothing with a destructor is alive when they jump.
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

void start_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    if (!resize(*destination->out, destination->first_capacity))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    destination->pub.next_output_byte = destination->out->data();
    destination->pub.free_in_buffer = destination->out->size();
}

boolean grow_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    std::size_t const used = destination->out->size();
    std::size_t const growth = std::min<std::size_t>(used, 65536);
    if (!resize(*destination->out, used + growth))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    destination->pub.next_output_byte = destination->out->data() + used;
    destination->pub.free_in_buffer = growth;
    return TRUE;
}

void end_destination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<Destination*>(info->dest);
    destination->out->resize(destination->out->size() - destination->pub.free_in_buffer);
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
    Destination destination;
    destination.pub.init_destination = start_destination;
    destination.pub.empty_output_buffer = grow_destination;
    destination.pub.term_destination = end_destination;
    destination.out = &out;
    destination.first_capacity = std::max<std::size_t>(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 4096);
    Compress_Job const job{rgb, width, height, quality, &destination};
    bool const done = run_compress(&job);
    if (!done)
        out.clear();
    return done;
}

bool BJpegCodec::Decompress(const unsigned char* data, std::size_t size, int width, int height,
                            std::vector<unsigned char>& pixels) noexcept
{
    if (!data || size == 0 || width <= 0 || height <= 0)
        return false;
    Decompress_Job const job{data, size, width, height, &pixels};
    return run_decompress(&job);
}
