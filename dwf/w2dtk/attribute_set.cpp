#include "dwf/w2dtk/attribute_set.h"

#include "dwf/w2dtk/file.h"

WT_Attribute* WT_Attribute_Set::member(std::uint32_t bit)
{
    switch (bit)
    {
    // ---- colour family
    case Color_Bit:
        return &m_color;
    case Color_Map_Bit:
        return &m_color_map;

    // ---- geometry, units, views, viewports and layers
    case Visibility_Bit:
        return &m_visibility;
    case Marker_Size_Bit:
        return &m_marker_size;
    case Marker_Symbol_Bit:
        return &m_marker_symbol;
    case Layer_Bit:
        return &m_layer;
    case Viewport_Bit:
        return &m_viewport;
    case Code_Page_Bit:
        return &m_code_page;
    case Font_Extension_Bit:
        return &m_font_extension;

    // ---- text, fonts, line and fill styling, metadata and drawing information
    case Fill_Bit:
        return &m_fill;
    case Line_Weight_Bit:
        return &m_line_weight;
    case Line_Style_Bit:
        return &m_line_style;
    case Line_Pattern_Bit:
        return &m_line_pattern;
    case Dash_Pattern_Bit:
        return &m_dash_pattern;
    case Fill_Pattern_Bit:
        return &m_fill_pattern;
    case Merge_Control_Bit:
        return &m_merge_control;
    case Font_Bit:
        return &m_font;

        // ---- images, Gouraud shading, URLs and object nodes
    case URL_Bit:
        return &m_url;
    case Object_Node_Bit:
        return &m_object_node;

        // ---- blocks, groups, named views, embedding and pen patterns
    case Block_Ref_Bit:
        return &m_block_ref;
    case Pen_Pattern_Bit:
        return &m_pen_pattern;

    default:
        return nullptr;
    }
}

WT_Attribute* WT_Attribute_Set::drawing_info_member(std::uint32_t bit)
{
    switch (bit)
    {
    // ---- geometry, units, views, viewports and layers
    case View_Bit:
        return &m_view;

    // ---- text, fonts, line and fill styling, metadata and drawing information
    case Background_Bit:
        return &m_background;
    case Plot_Optimized_Bit:
        return &m_plot_optimized;
    case Inked_Area_Bit:
        return &m_inked_area;
    case Pen_Pat_Options_Bit:
        return &m_pen_pat_options;

    default:
        return nullptr;
    }
}

WT_Result WT_Attribute_Set::sync(WT_File& file, std::uint32_t mask)
{
    if (m_drawing_info_changed != 0)
    {
        std::uint32_t const pending = m_drawing_info_changed;
        m_drawing_info_changed = 0;
        for (std::uint32_t bit = 1; bit != 0 && bit <= pending; bit <<= 1)
        {
            if (!(pending & bit))
                continue;
            if (WT_Attribute* attribute = drawing_info_member(bit))
                WT_CHECK(attribute->sync(file));
        }
    }

    // The projection records itself in the current rendition; it is never
    // written from here.
    std::uint32_t const pending = m_changed & mask & ~std::uint32_t(Projection_Bit);
    if (pending == 0)
        return WT_Result_Success;
    m_changed &= ~pending;
    for (std::uint32_t bit = 1; bit != 0 && bit <= pending; bit <<= 1)
    {
        if (!(pending & bit))
            continue;
        if (WT_Attribute* attribute = member(bit))
            WT_CHECK(attribute->sync(file));
    }
    return WT_Result_Success;
}
