// Opcodes of images, Gouraud shading, polymarkers, polytriangles, group 4 and
// PNG images, URLs and object nodes.
#include "dwf/w2dtk/gouraud.h"
#include "dwf/w2dtk/group4_png_image.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/object_node.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/polymarker.h"
#include "dwf/w2dtk/polytriangle.h"
#include "dwf/w2dtk/url.h"

namespace
{
std::unique_ptr<WT_Object> make_binary_image(const WT_Opcode& opcode, WT_File&)
{
    return std::make_unique<WT_Image>(opcode.binary_number());
}

std::unique_ptr<WT_Object> make_binary_group4_png(const WT_Opcode& opcode, WT_File&)
{
    return std::make_unique<WT_Group4_PNG_Image>(opcode.binary_number());
}
} // namespace

void wt_register_raster_opcodes(WT_Opcode_Registry& r)
{
    r.add_extended_ascii("(Image", 274, &wt_make_object<WT_Image>);
    for (int format = WT_Image::Bitonal_Mapped; format <= WT_Image::JPEG; ++format)
        r.add_extended_binary(std::uint16_t(format), 292 + format, &make_binary_image);

    r.add_extended_ascii("(Group4PNGImage", 307, &wt_make_object<WT_Group4_PNG_Image>);
    r.add_extended_binary(WT_Group4_PNG_Image::Group4, 306, &make_binary_group4_png);
    r.add_extended_binary(WT_Group4_PNG_Image::PNG, 305, &make_binary_group4_png);
    r.add_extended_binary(WT_Group4_PNG_Image::Group4X_Mapped, 317, &make_binary_group4_png);

    r.add_extended_ascii("(URL", 288, &wt_make_object<WT_URL>);

    r.add_single_byte(0x0E, 14, &wt_make_object<WT_Object_Node>);
    r.add_single_byte('N', 78, &wt_make_object<WT_Object_Node>);
    r.add_single_byte('n', 110, &wt_make_object<WT_Object_Node>);
    r.add_extended_ascii("(Node", 366, &wt_make_object<WT_Object_Node>);

    r.add_single_byte('M', 77, &wt_make_object<WT_Polymarker>);
    r.add_single_byte('m', 109, &wt_make_object<WT_Polymarker>);
    r.add_single_byte(0x8D, 141, &wt_make_object<WT_Polymarker>);
    r.add_single_byte('T', 84, &wt_make_object<WT_Polytriangle>);
    r.add_single_byte('t', 116, &wt_make_object<WT_Polytriangle>);
    r.add_single_byte(0x14, 20, &wt_make_object<WT_Polytriangle>);

    r.add_extended_ascii("(GourLine", 367, &wt_make_object<WT_Gouraud_Polyline>);
    r.add_single_byte('q', 113, &wt_make_object<WT_Gouraud_Polyline>);
    r.add_single_byte(0x11, 17, &wt_make_object<WT_Gouraud_Polyline>);
    r.add_extended_ascii("(Gouraud", 364, &wt_make_object<WT_Gouraud_Polytriangle>);
    r.add_single_byte('g', 103, &wt_make_object<WT_Gouraud_Polytriangle>);
    r.add_single_byte(0x07, 7, &wt_make_object<WT_Gouraud_Polytriangle>);
}
