// Opcodes of the stream's frame and of the colour attribute.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/dwf_header.h"
#include "dwf/w2dtk/end_of_dwf.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/unknown.h"

void wt_register_spine_opcodes(WT_Opcode_Registry& r)
{
    r.add_single_byte(0x03, 3, &wt_make_object<WT_Color>);
    r.add_single_byte('C', 67, &wt_make_object<WT_Color>);
    r.add_single_byte('c', 99, &wt_make_object<WT_Color>);
    r.add_extended_ascii("(Color", 260, &wt_make_object<WT_Color>);
    r.add_extended_ascii("(ColorMap", 261, &wt_make_object<WT_Color_Map>);
    r.add_extended_binary(1, 293, &wt_make_object<WT_Color_Map>);

    r.add_extended_ascii("(DWF V", 268, &wt_make_object<WT_DWF_Header>);
    r.add_extended_ascii("(W2D V", 268, &wt_make_object<WT_DWF_Header>);
    r.add_extended_ascii("(EndOfDWF", 272, &wt_make_object<WT_End_Of_DWF>);

    // The bezier forms have no reader: kept as unknown, whose materialize
    // refuses single bytes, so a stream holding them stops there.
    r.add_single_byte(0x02, 2, &wt_make_object<WT_Unknown>);
    r.add_single_byte('B', 66, &wt_make_object<WT_Unknown>);
    r.add_single_byte('b', 98, &wt_make_object<WT_Unknown>);
}
