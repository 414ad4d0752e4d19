#include "dwf/w2dtk/opcode_statistics.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace
{
struct Kind_Name
{
    int m_kind;
    const char* m_name;
};

// Labels of the opcode kinds; kinds not listed have none.
constexpr Kind_Name Kind_Names[] = {
    {2, "SBBO_BEZIER_16R"},
    {3, "SBBO_SET_COLOR_RGBA"},
    {6, "SBBO_SET_FONT"},
    {7, "SBBO_DRAW_GOURAUD_POLYTRIANGLE_16R"},
    {11, "SBBO_DRAW_CONTOUR_SET_16R"},
    {12, "SBBO_DRAW_LINE_16R"},
    {14, "SBBO_OBJECT_NODE_AUTO"},
    {16, "SBBO_DRAW_POLYLINE_POLYGON_16R"},
    {17, "SBBO_DRAW_GOURAUD_POLYLINE_16R"},
    {18, "SBBO_DRAW_CIRCLE_16R"},
    {20, "SBBO_DRAW_POLYTRIANGLE_16R"},
    {23, "SBBO_SET_LINE_WEIGHT"},
    {24, "SBBO_DRAW_TEXT_COMPLEX"},
    {66, "SBAO_BEZIER_32R"},
    {67, "SBAO_SET_COLOR_INDEXED"},
    {69, "SBAO_DRAW_ELLIPSE"},
    {70, "SBAO_SET_FILL_ON"},
    {71, "SBAO_SET_MARKER_SYMBOL"},
    {76, "SBAO_DRAW_LINE"},
    {77, "SBAO_DRAW_POLYMARKER"},
    {78, "SBBO_OBJECT_NODE_32"},
    {79, "SBBO_SET_ORIGIN_32"},
    {80, "SBAO_DRAW_POLYLINE_POLYGON"},
    {82, "SBAO_DRAW_CIRCLE"},
    {83, "SBAO_SET_MARKER_SIZE"},
    {84, "SBAO_DRAW_POLYTRIANGLE"},
    {86, "SBAO_SET_VISIBILITY_ON"},
    {98, "SBBO_BEZIER_32"},
    {99, "SBBO_SET_COLOR_INDEXED"},
    {101, "SBBO_DRAW_ELLIPSE_32R"},
    {102, "SBAO_SET_FILL_OFF"},
    {103, "SBBO_DRAW_GOURAUD_POLYTRIANGLE_32R"},
    {107, "SBBO_DRAW_CONTOUR_SET_32R"},
    {108, "SBBO_DRAW_LINE_32R"},
    {109, "SBBO_DRAW_POLYMARKER_32R"},
    {110, "SBBO_OBJECT_NODE_16"},
    {112, "SBBO_DRAW_POLYLINE_POLYGON_32R"},
    {113, "SBBO_DRAW_GOURAUD_POLYLINE_32R"},
    {114, "SBBO_DRAW_CIRCLE_32R"},
    {115, "SBBO_SET_MARKER_SIZE"},
    {116, "SBBO_DRAW_POLYTRIANGLE_32R"},
    {118, "SBAO_SET_VISIBILITY_OFF"},
    {120, "SBBO_DRAW_TEXT_BASIC"},
    {141, "SBBO_DRAW_POLYMARKER_16R"},
    {146, "SBBO_DRAW_CIRCULAR_ARC_32R"},
    {172, "SBBO_SET_LAYER"},
    {204, "SBBO_SET_LINE_PATTERN"},
    {256, "EXAO_DEFINE_AUTHOR"},
    {257, "EXAO_SET_BACKGROUND"},
    {258, "EXAO_DRAW_CIRCLE"},
    {259, "EXAO_DRAW_CONTOUR"},
    {260, "EXAO_SET_COLOR"},
    {261, "EXAO_SET_COLOR_MAP"},
    {262, "EXAO_DEFINE_COMMENTS"},
    {263, "EXAO_DEFINE_COPYRIGHT"},
    {264, "EXAO_DEFINE_CREATOR"},
    {265, "EXAO_DEFINE_CREATION_TIME"},
    {266, "EXAO_SET_CODE_PAGE"},
    {267, "EXAO_SET_DASH_PATTERN"},
    {268, "EXAO_DEFINE_DWF_HEADER"},
    {269, "EXAO_DEFINE_DESCRIPTION"},
    {270, "EXAO_DRAW_ELLIPSE"},
    {271, "EXAO_DEFINE_EMBED"},
    {272, "EXAO_DEFINE_END_OF_DWF"},
    {273, "EXAO_SET_FONT"},
    {274, "EXAO_DRAW_IMAGE"},
    {275, "EXAO_DEFINE_KEYWORDS"},
    {276, "EXAO_SET_LAYER"},
    {277, "EXAO_SET_LINE_PATTERN"},
    {278, "EXAO_SET_LINE_WEIGHT"},
    {279, "EXAO_SET_LINE_STYLE"},
    {280, "EXAO_DEFINE_MODIFICATION_TIME"},
    {281, "EXAO_DEFINE_NAMED_VIEW"},
    {282, "EXAO_DEFINE_PLOT_INFO"},
    {283, "EXAO_SET_PROJECTION"},
    {284, "EXAO_DEFINE_SOURCE_CREATION_TIME"},
    {285, "EXAO_DEFINE_SOURCE_MODIFICATION_TIME"},
    {286, "EXAO_SOURCE_FILENAME"},
    {287, "EXAO_DRAW_TEXT"},
    {288, "EXAO_SET_URL"},
    {289, "EXAO_DEFINE_UNITS"},
    {290, "EXAO_SET_VIEWPORT"},
    {291, "EXAO_SET_VIEW"},
    {292, "EXAO_UNKNOWN"},
    {293, "EXBO_SET_COLOR_MAP"},
    {294, "EXBO_DRAW_IMAGE_BITONAL_MAPPED"},
    {295, "EXBO_DRAW_IMAGE_GROUP3X_MAPPED"},
    {296, "EXBO_DRAW_IMAGE_INDEXED"},
    {297, "EXBO_DRAW_IMAGE_MAPPED"},
    {298, "EXBO_DRAW_IMAGE_RGB"},
    {299, "EXBO_DRAW_IMAGE_RGBA"},
    {300, "EXBO_DRAW_IMAGE_JPEG"},
    {301, "EXBO_MRVX_COMPRESSION"},
    {302, "EXBO_UNKNOWN"},
    {303, "EXAO_DEFINE_TITLE"},
    {304, "EXAO_DEFINE_SUBJECT"},
    {305, "EXBO_DRAW_IMAGE_PNG"},
    {306, "EXBO_DRAW_IMAGE_GROUP4"},
    {307, "EXAO_DRAW_PNG_GROUP4_IMAGE"},
    {308, "EXAO_SET_MERGE_CONTROL"},
    {312, "EXAO_SET_OPTIMIZED_FOR_PLOTTING"},
    {313, "EXAO_SET_GROUP_BEGIN"},
    {314, "EXAO_SET_GROUP_END"},
    {315, "EXAO_SET_FILL_PATTERN"},
    {316, "EXAO_SET_INKED_AREA"},
    {317, "EXBO_DRAW_IMAGE_GROUP4X_MAPPED"},
    {318, "EXBO_EMBEDDED_FONT"},
    {319, "EXAO_EMBEDDED_FONT"},
    {320, "EXAO_TRUSTED_FONT_LIST"},
    {321, "EXAO_BLOCK_MEANING"},
    {322, "EXBO_BLOCK_MEANING"},
    {323, "EXBO_ENCRYPTION"},
    {324, "EXAO_ENCRYPTION"},
    {325, "WD_EXBO_ORIENTATION"},
    {326, "EXAO_ORIENTATION"},
    {327, "WD_EXBO_ALIGNMENT"},
    {328, "EXAO_ALIGNMENT"},
    {329, "EXAO_PASSWORD"},
    {330, "WD_EXBO_GUID"},
    {331, "WD_EXBO_PASSWORD"},
    {332, "EXAO_GUID"},
    {333, "WD_EXBO_FILETIME"},
    {334, "EXAO_FILETIME"},
    {335, "EXBO_GRAPHICS_HDR"},
    {336, "EXBO_OVERLAY_HDR"},
    {337, "EXBO_REDLINE_HDR"},
    {338, "EXBO_THUMBNAIL"},
    {339, "EXBO_PREVIEW"},
    {340, "EXBO_OVERLAY_PREVIEW"},
    {341, "EXBO_FONT"},
    {342, "EXBO_GRAPHICS"},
    {343, "EXBO_OVERLAY"},
    {344, "EXBO_REDLINE"},
    {345, "EXBO_USER"},
    {346, "EXBO_NULL"},
    {347, "EXBO_GLOBAL_SHEET"},
    {348, "EXBO_GLOBAL"},
    {349, "EXBO_SIGNATURE"},
    {350, "EXBO_BLOCKREF"},
    {351, "EXAO_BLOCKREF"},
    {352, "EXBO_DIRECTORY"},
    {353, "EXAO_DIRECTORY"},
    {354, "EXBO_USERDATA"},
    {355, "EXAO_USERDATA"},
    {356, "EXBO_PEN_PATTERN"},
    {357, "EXAO_PEN_PATTERN"},
    {358, "EXBO_SIGNDATA"},
    {359, "EXAO_SIGNDATA"},
    {360, "EXBO_GUID_LIST"},
    {361, "EXAO_GUID_LIST"},
    {362, "EXAO_SET_FONT_EXTENSION"},
    {363, "EXAO_PENPAT_OPTIONS"},
    {364, "EXAO_GOURAUD_POLYTRIANGLE"},
    {365, "EXAO_DRAWING_INFO"},
    {366, "EXAO_OBJECT_NODE"},
    {367, "EXAO_GOURAUD_POLYLINE"},
    {368, "EXAO_BEZIER"},
};
} // namespace

void WT_Opcode_Statistics::record(int kind, std::uint64_t position)
{
    finish(position);
    if (!valid(kind))
        return;
    m_current_kind = kind;
    ++m_counts[std::size_t(kind)];
}

void WT_Opcode_Statistics::finish(std::uint64_t position)
{
    if (valid(m_current_kind) && position > m_last_position)
        m_bytes[std::size_t(m_current_kind)] += std::uint32_t(position - m_last_position);
    m_last_position = std::max(m_last_position, position);
}

const char* WT_Opcode_Statistics::kind_name(int kind)
{
    for (const Kind_Name& entry : Kind_Names)
        if (entry.m_kind == kind)
            return entry.m_name;
    return "";
}
