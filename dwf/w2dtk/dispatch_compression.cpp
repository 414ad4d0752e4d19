// The compression marker opcodes.
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_compression_opcodes(WT_Opcode_Registry& r)
{
    constexpr int Marker_Kind = 301;
    r.add_extended_binary(WT_Compression_Marker::LZ_Number, Marker_Kind,
                          &wt_make_object<WT_Compression_Marker>);
    r.add_extended_binary(WT_Compression_Marker::Zlib_Number, Marker_Kind,
                          &wt_make_object<WT_Compression_Marker>);
    r.add_extended_binary(WT_Compression_Marker::Old_LZ_Number, Marker_Kind,
                          &wt_make_object<WT_Compression_Marker>);
}
