#pragma once

#include <cstddef>
#include <vector>

// JPEG coding of three-byte RGB images for the image record, through libjpeg.
// libjpeg reports errors by calling an exit routine that must not return;
// here it jumps back (longjmp) into the one function that set it up, whose
// locals are all plain C data, so no destructor is skipped and no exception
// crosses libjpeg's C frames. Nothing is printed.
struct BJpegCodec
{
    // Codes width x height RGB pixels (rows one after another, no gaps) at
    // `quality` (libjpeg's scale, 1..100) into `out`. libjpeg writes into a
    // block of width x height bytes (at least 4096) that grows by its size,
    // but by at most 64 KB at a time, each time it is full. False on any
    // libjpeg failure.
    static bool Compress(const unsigned char* rgb, int width, int height, int quality,
                         std::vector<unsigned char>& out) noexcept;

    // Decodes `size` bytes of JPEG data into `pixels` (resized to width x
    // height x 3 once the data's header is seen to describe exactly that
    // image). False when the data are damaged or incomplete, describe another
    // size, or cannot be turned into RGB.
    static bool Decompress(const unsigned char* data, std::size_t size, int width, int height,
                           std::vector<unsigned char>& pixels) noexcept;
};
