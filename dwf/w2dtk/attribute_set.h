#pragma once

#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/code_page.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/font_extension.h"
#include "dwf/w2dtk/layer.h"
#include "dwf/w2dtk/marker_size.h"
#include "dwf/w2dtk/marker_symbol.h"
#include "dwf/w2dtk/object_node.h"
#include "dwf/w2dtk/plot_info.h"
#include "dwf/w2dtk/projection.h"
#include "dwf/w2dtk/result.h"
#include "dwf/w2dtk/units.h"
#include "dwf/w2dtk/url.h"
#include "dwf/w2dtk/view.h"
#include "dwf/w2dtk/viewport.h"
#include "dwf/w2dtk/visibility.h"

// ---- text, fonts, line and fill styling, metadata and drawing information
#include "dwf/w2dtk/background.h"
#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/drawing_info.h"
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/fill_pattern.h"
#include "dwf/w2dtk/font.h"
#include "dwf/w2dtk/line_pattern.h"
#include "dwf/w2dtk/line_style.h"
#include "dwf/w2dtk/line_weight.h"
#include "dwf/w2dtk/merge_control.h"
#include "dwf/w2dtk/metadata_set.h"

// ---- blocks, groups, named views, embedding and pen patterns
#include "dwf/w2dtk/block_ref.h"
#include "dwf/w2dtk/pen_pattern.h"

#include <cstdint>

class WT_Attribute;
class WT_File;

// The rendition: one object of each attribute kind, with change bits. A file
// holds the desired rendition (what the next drawable is drawn with) and the
// current one (as last written or as read so far).
//
// Each opcode family keeps its members, bits and member() cases in its own
// block below, so families can be added side by side without touching each
// other's lines (see dwf/w2dtk/README.md).
class WT_Attribute_Set
{
public:
    // Main change mask.
    enum WT_Attribute_Bit : std::uint32_t
    {
        Color_Bit = 0x1,
        Fill_Bit = 0x2,
        Visibility_Bit = 0x4,
        URL_Bit = 0x8,
        Line_Weight_Bit = 0x10,
        Line_Style_Bit = 0x20,
        Marker_Size_Bit = 0x40,
        Marker_Symbol_Bit = 0x80,
        Layer_Bit = 0x100,
        Color_Map_Bit = 0x200,
        Line_Pattern_Bit = 0x400,
        Projection_Bit = 0x800, // recorded by the projection itself; never synced here
        Font_Bit = 0x1000,
        Viewport_Bit = 0x2000,
        Code_Page_Bit = 0x4000,
        Dash_Pattern_Bit = 0x8000,
        Fill_Pattern_Bit = 0x10000,
        Merge_Control_Bit = 0x20000,
        Block_Ref_Bit = 0x40000,
        Pen_Pattern_Bit = 0x80000,
        Font_Extension_Bit = 0x100000,
        Object_Node_Bit = 0x200000,
    };

    // Drawing-information mask.
    enum WT_Drawing_Info_Bit : std::uint32_t
    {
        View_Bit = 0x1,
        Background_Bit = 0x2,
        Plot_Optimized_Bit = 0x4,
        Inked_Area_Bit = 0x8,
        Pen_Pat_Options_Bit = 0x10,
    };

    // Metadata mask (set by the default actions of the metadata objects).
    enum WT_Metadata_Bit : std::uint32_t
    {
        Description_Bit = 0x1,
        Author_Bit = 0x2,
        Comments_Bit = 0x4,
        Creator_Bit = 0x8,
        Created_Bit = 0x10,
        Modified_Bit = 0x20,
        Source_Filename_Bit = 0x40,
        Source_Created_Bit = 0x80,
        Source_Modified_Bit = 0x100,
        Named_Views_Bit = 0x200,
        Copyright_Bit = 0x800,
        Keywords_Bit = 0x1000,
        Title_Bit = 0x2000,
        Subject_Bit = 0x4000,
    };

    WT_Attribute_Set() = default;
    WT_Attribute_Set(const WT_Attribute_Set&) = default;
    WT_Attribute_Set& operator=(const WT_Attribute_Set&) = default;

    // Writes, for each kind in mask whose bit is set in the change mask, the
    // member whose value differs from the one last written; lowest bit first.
    // Drawing-information members changed since the last sync go first.
    WT_Result sync(WT_File& file, std::uint32_t mask);

    // The member behind one bit of each mask, or null for kinds not held.
    WT_Attribute* member(std::uint32_t bit);
    WT_Attribute* drawing_info_member(std::uint32_t bit);

    std::uint32_t changed() const { return m_changed; }
    void mark_changed(std::uint32_t bits) { m_changed |= bits; }
    void clear_changed(std::uint32_t bits) { m_changed &= ~bits; }
    std::uint32_t drawing_info_changed() const { return m_drawing_info_changed; }
    void mark_drawing_info_changed(std::uint32_t bits) { m_drawing_info_changed |= bits; }
    std::uint32_t metadata_changed() const { return m_metadata_changed; }
    void mark_metadata_changed(std::uint32_t bits) { m_metadata_changed |= bits; }

    // Stream version recorded from the header (major × 100 + minor).
    int stream_version() const { return m_major_version * 100 + m_minor_version; }
    void set_stream_version(int major, int minor)
    {
        m_major_version = major;
        m_minor_version = minor;
    }
    int major_version() const { return m_major_version; }
    int minor_version() const { return m_minor_version; }

    // ---- colour family
    WT_Color& color() { return m_color; }
    WT_Color_Map& color_map() { return m_color_map; }
    const WT_Color& color() const { return m_color; }
    const WT_Color_Map& color_map() const { return m_color_map; }

    // ---- geometry, units, views, viewports and layers
    WT_Layer& layer() { return m_layer; }
    WT_Viewport& viewport() { return m_viewport; }
    WT_Visibility& visibility() { return m_visibility; }
    WT_Marker_Size& marker_size() { return m_marker_size; }
    WT_Marker_Symbol& marker_symbol() { return m_marker_symbol; }
    WT_Projection& projection() { return m_projection; }
    WT_Code_Page& code_page() { return m_code_page; }
    WT_Font_Extension& font_extension() { return m_font_extension; }
    WT_Plot_Info& plot_info() { return m_plot_info; } // no change bit
    WT_Units& units() { return m_units; }             // no change bit
    WT_View& view() { return m_view; }                // drawing-information bit View_Bit
    const WT_Layer& layer() const { return m_layer; }
    const WT_Viewport& viewport() const { return m_viewport; }
    const WT_Visibility& visibility() const { return m_visibility; }
    const WT_Plot_Info& plot_info() const { return m_plot_info; }
    const WT_Units& units() const { return m_units; }
    const WT_View& view() const { return m_view; }

    // ---- text, fonts, line and fill styling, metadata and drawing information
    WT_Fill m_fill;
    WT_Line_Weight m_line_weight;
    WT_Line_Style m_line_style;
    WT_Line_Pattern m_line_pattern;
    WT_Dash_Pattern m_dash_pattern;
    WT_Fill_Pattern m_fill_pattern;
    WT_Merge_Control m_merge_control;
    WT_Background m_background;
    WT_Plot_Optimized m_plot_optimized;
    WT_Inked_Area m_inked_area;
    WT_Pen_Pat_Options m_pen_pat_options;
    WT_Metadata_Set m_metadata;
    WT_Font m_font;
    WT_Fill& fill() { return m_fill; }
    WT_Line_Weight& line_weight() { return m_line_weight; }
    WT_Line_Style& line_style() { return m_line_style; }
    WT_Line_Pattern& line_pattern() { return m_line_pattern; }
    WT_Dash_Pattern& dash_pattern() { return m_dash_pattern; }
    WT_Fill_Pattern& fill_pattern() { return m_fill_pattern; }
    WT_Merge_Control& merge_control() { return m_merge_control; }
    WT_Background& background() { return m_background; }
    const WT_Fill& fill() const { return m_fill; }
    const WT_Line_Weight& line_weight() const { return m_line_weight; }
    const WT_Line_Style& line_style() const { return m_line_style; }
    const WT_Line_Pattern& line_pattern() const { return m_line_pattern; }
    const WT_Dash_Pattern& dash_pattern() const { return m_dash_pattern; }
    const WT_Fill_Pattern& fill_pattern() const { return m_fill_pattern; }
    const WT_Merge_Control& merge_control() const { return m_merge_control; }
    const WT_Background& background() const { return m_background; }
    WT_Plot_Optimized& plot_optimized() { return m_plot_optimized; }
    WT_Inked_Area& inked_area() { return m_inked_area; }
    WT_Pen_Pat_Options& pen_pat_options() { return m_pen_pat_options; }
    WT_Metadata_Set& metadata() { return m_metadata; }
    WT_Font& font() { return m_font; }
    const WT_Font& font() const { return m_font; }
    const WT_Plot_Optimized& plot_optimized() const { return m_plot_optimized; }
    const WT_Inked_Area& inked_area() const { return m_inked_area; }
    const WT_Pen_Pat_Options& pen_pat_options() const { return m_pen_pat_options; }

    // ---- images, Gouraud shading, URLs and object nodes
    WT_URL& url() { return m_url; }
    const WT_URL& url() const { return m_url; }
    // The links known to this rendition: in the desired rendition, which link
    // numbers are already in the stream; in the current one, every link read.
    WT_URL_List& url_list() { return m_url_list; }
    const WT_URL_List& url_list() const { return m_url_list; }
    WT_Object_Node& object_node() { return m_object_node; }
    const WT_Object_Node& object_node() const { return m_object_node; }

    // ---- blocks, groups, named views, embedding and pen patterns
    WT_Block_Ref& block_ref() { return m_block_ref; }
    const WT_Block_Ref& block_ref() const { return m_block_ref; }
    WT_Pen_Pattern& pen_pattern() { return m_pen_pattern; }
    const WT_Pen_Pattern& pen_pattern() const { return m_pen_pattern; }

private:
    std::uint32_t m_changed = 0;
    std::uint32_t m_drawing_info_changed = 0;
    std::uint32_t m_metadata_changed = 0;
    int m_major_version = 6;
    int m_minor_version = 0;

    // ---- colour family
    WT_Color m_color;
    WT_Color_Map m_color_map;

    // ---- geometry, units, views, viewports and layers
    WT_Layer m_layer;
    WT_Viewport m_viewport;
    WT_Visibility m_visibility;
    WT_Marker_Size m_marker_size;
    WT_Marker_Symbol m_marker_symbol;
    WT_Projection m_projection;
    WT_Code_Page m_code_page;
    WT_Font_Extension m_font_extension;
    WT_Plot_Info m_plot_info;
    WT_Units m_units;
    WT_View m_view;

    // ---- text, fonts, line and fill styling, metadata and drawing information

    // ---- images, Gouraud shading, URLs and object nodes
    WT_URL m_url;
    WT_URL_List m_url_list;
    WT_Object_Node m_object_node;

    // ---- blocks, groups, named views, embedding and pen patterns
    WT_Block_Ref m_block_ref;
    WT_Pen_Pattern m_pen_pattern;
};
