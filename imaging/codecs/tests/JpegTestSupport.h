#pragma once
// Writing and reading JPEG data through the JFIF codec in the tests, and
// JPEG files made directly with libjpeg for the variants no tool writes
// (CMYK, YCCK, two components).
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <csetjmp>
#include <cstdio>
#include <functional>

#include <jpeglib.h>

namespace OmviTest
{

using FrameSetup = std::function<void(Omvi::WriteImageFileFrameInterface&)>;

// The frame attributes the imaging core sends for a grey (1 channel) or
// colour (4 channels) image: size, bits a pixel, bits used, colour space.
inline void describeFrame(Omvi::WriteImageFileFrameInterface& frame, const TestImage& image)
{
    frame.setSize(image.height, image.width);
    frame.setThirdValue(image.channels == 1 ? 8 : 32);
    frame.setBitsPerPixel(image.channels == 1 ? 8 : 24);
    frame.setDataModelKind(image.channels == 1 ? 3 : 1);
}

// The JPEG bytes the codec's stream writer makes of `image`.
inline Pixels encodeJpeg(const TestImage& image, const FrameSetup& setup = {})
{
    Omvi::JfifFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<Omvi::WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<Omvi::WriteImageFileFrameInterface> frame(writer->createFrame());
    describeFrame(*frame, image);
    if (setup)
        setup(*frame);
    ImageRows rows(image);
    writer->writeFrame(frame.get(), &rows);
    return stream.bytes;
}

// The frame of JPEG bytes, read through a file (by a strict reader when
// asked).
struct OpenedJpeg
{
    explicit OpenedJpeg(const Pixels& bytes, bool strict = false) : file(bytes)
    {
        codec.setStrictDecoding(strict);
        reader.reset(codec.openForRead(file.specifier()));
        if (reader)
            frame.reset(reader->openFrame(0));
    }
    Omvi::JfifFormatCodec codec;
    MemoryFile file;
    std::unique_ptr<Omvi::ReadImageFileInterface> reader;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame;
};

// The rows the codec decodes from JPEG bytes: 4 channels for colour, 1 for
// grey.
inline TestImage decodeJpeg(const Pixels& bytes)
{
    OpenedJpeg opened(bytes);
    if (!opened.frame)
        return {};
    return readAllRows(*opened.frame, opened.frame->dataModelKind() == 3 ? 1 : 4);
}

namespace detail
{
struct JumpingErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};
inline void jumpOut(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}
} // namespace detail

// A JPEG made directly with libjpeg from `components` bytes a pixel in the
// colour space `input`, stored in `stored`.
inline Pixels libjpegEncode(const Pixels& samples, int width, int height, int components, J_COLOR_SPACE input,
                            J_COLOR_SPACE stored, int quality = 100, bool progressive = false,
                            bool adobeMarker = true)
{
    jpeg_compress_struct info;
    detail::JumpingErrors errors;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = detail::jumpOut;
    if (setjmp(errors.jump))
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, quality, TRUE);
    // libjpeg marks CMYK and YCCK files as Adobe's unless told not to.
    if (!adobeMarker)
        info.write_Adobe_marker = FALSE;
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < height; ++y)
    {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + static_cast<std::size_t>(y) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Pixels bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// libjpeg's own decoding of a JPEG into `output` samples, with the float
// DCT the codec uses.
inline Pixels libjpegDecode(const Pixels& bytes, J_COLOR_SPACE output, int* components = nullptr)
{
    jpeg_decompress_struct info;
    detail::JumpingErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = detail::jumpOut;
    Pixels* samples = new Pixels;
    if (setjmp(errors.jump))
    {
        jpeg_destroy_decompress(&info);
        delete samples;
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = output;
    info.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&info);
    const std::size_t rowBytes = static_cast<std::size_t>(info.output_width) * info.output_components;
    samples->resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = samples->data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (components)
        *components = info.output_components;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    Pixels result = std::move(*samples);
    delete samples;
    return result;
}

} // namespace OmviTest
