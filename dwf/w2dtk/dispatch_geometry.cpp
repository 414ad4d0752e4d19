// Opcodes of polylines, polygons, contour sets, ellipses, the origin, units,
// views, viewports, layers, visibility, markers, projection, code page, font
// extension and plot information.
#include "dwf/w2dtk/code_page.h"
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/font_extension.h"
#include "dwf/w2dtk/layer.h"
#include "dwf/w2dtk/marker_size.h"
#include "dwf/w2dtk/marker_symbol.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/origin.h"
#include "dwf/w2dtk/plot_info.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "dwf/w2dtk/projection.h"
#include "dwf/w2dtk/units.h"
#include "dwf/w2dtk/view.h"
#include "dwf/w2dtk/viewport.h"
#include "dwf/w2dtk/visibility.h"

#include <initializer_list>
#include <memory>

namespace
{
// Point lists are polygons while the fill is on, polylines otherwise.
std::unique_ptr<WT_Object> make_point_list(const WT_Opcode&, WT_File& file)
{
    if (wt_current_fill(file))
        return std::make_unique<WT_Polygon>();
    return std::make_unique<WT_Polyline>();
}

// Likewise circles, arcs and ellipses are filled or outlined.
std::unique_ptr<WT_Object> make_ellipse(const WT_Opcode&, WT_File& file)
{
    if (wt_current_fill(file))
        return std::make_unique<WT_Filled_Ellipse>();
    return std::make_unique<WT_Outline_Ellipse>();
}
} // namespace

void wt_register_geometry_opcodes(WT_Opcode_Registry& r)
{
    for (int byte : std::initializer_list<int>{0x0C, 'L', 'l'})
        r.add_single_byte(std::uint8_t(byte), byte, &wt_make_object<WT_Polyline>);
    for (int byte : std::initializer_list<int>{0x10, 'P', 'p'})
        r.add_single_byte(std::uint8_t(byte), byte, &make_point_list);
    for (int byte : std::initializer_list<int>{0x12, 'R', 'r', 'E', 'e', 0x92})
        r.add_single_byte(std::uint8_t(byte), byte, &make_ellipse);
    r.add_extended_ascii("(Circle", 258, &make_ellipse);
    r.add_extended_ascii("(Ellipse", 270, &make_ellipse);

    for (int byte : std::initializer_list<int>{0x0B, 'k'})
        r.add_single_byte(std::uint8_t(byte), byte, &wt_make_object<WT_Contour_Set>);
    r.add_extended_ascii("(Contour", 259, &wt_make_object<WT_Contour_Set>);
    r.add_single_byte('O', 'O', &wt_make_object<WT_Origin>);

    r.add_extended_ascii("(Units", 289, &wt_make_object<WT_Units>);
    r.add_extended_ascii("(View", 291, &wt_make_object<WT_View>);
    r.add_extended_ascii("(Viewport", 290, &wt_make_object<WT_Viewport>);
    r.add_single_byte(0xAC, 0xAC, &wt_make_object<WT_Layer>);
    r.add_extended_ascii("(Layer", 276, &wt_make_object<WT_Layer>);

    r.add_single_byte('V', 'V', &wt_make_object<WT_Visibility>);
    r.add_single_byte('v', 'v', &wt_make_object<WT_Visibility>);
    r.add_single_byte('S', 'S', &wt_make_object<WT_Marker_Size>);
    r.add_single_byte('s', 's', &wt_make_object<WT_Marker_Size>);
    r.add_single_byte('G', 'G', &wt_make_object<WT_Marker_Symbol>);
    r.add_extended_ascii("(Projection", 283, &wt_make_object<WT_Projection>);
    r.add_extended_ascii("(CodePage", 266, &wt_make_object<WT_Code_Page>);
    r.add_extended_ascii("(FontExtension", 362, &wt_make_object<WT_Font_Extension>);
    r.add_extended_ascii("(PlotInfo", 282, &wt_make_object<WT_Plot_Info>);
}
