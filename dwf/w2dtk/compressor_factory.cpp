#include "dwf/w2dtk/compressor.h"

#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/lz_compressor.h"
#include "dwf/w2dtk/zlib_compressor.h"

std::unique_ptr<WT_Compressor> wt_make_compressor(WT_File& file)
{
    if (file.target_version() >= WT_Compression_Marker::Zlib_Version)
        return std::make_unique<WT_Zlib_Compressor>(file);
    return std::make_unique<WT_LZ_Compressor>(file);
}

std::unique_ptr<WT_Decompressor> wt_make_decompressor(WT_File& file, int marker_number)
{
    if (marker_number == WT_Compression_Marker::Zlib_Number)
        return std::make_unique<WT_Zlib_Decompressor>(file);
    return std::make_unique<WT_LZ_Decompressor>(file);
}
