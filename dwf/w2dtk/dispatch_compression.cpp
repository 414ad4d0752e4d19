// The compression marker opcodes.
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/opcode_registry.h"

#include <cstdint>
#include <initializer_list>

void wt_register_compression_opcodes(WT_Opcode_Registry& r)
{
    // 16 announces the LZ coder and 17 zlib; 291 is read as a marker as well
    // and decoded like any number other than 17.
    for (std::uint16_t number : {16, 17, 291})
        r.add_extended_binary(number, 301, &wt_make_object<WT_Compression_Marker>);
}
