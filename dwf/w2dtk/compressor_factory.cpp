#include "dwf/w2dtk/compressor.h"

// The stream coders are added here once they exist; until then a file that
// wants compression reports WT_Result_Not_Available instead of writing
// uncompressed bytes under a compression marker.
std::unique_ptr<WT_Compressor> wt_make_compressor(WT_File&)
{
    return nullptr;
}

std::unique_ptr<WT_Decompressor> wt_make_decompressor(WT_File&, int)
{
    return nullptr;
}
