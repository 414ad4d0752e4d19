#include "dwf/w3dtk/stream/opcode_names.h"

#include <array>
#include <cstdio>

namespace
{
struct Named
{
    int opcode;
    const char* name;
};

// Every opcode the format assigns, including the two without a handler.
constexpr Named Assigned[] = {
    {0x00, "Termination"},
    {0x01, "Pause"},
    {0x07, "Callback"},
    {0x08, "Color_By_Index"},
    {0x09, "Color_By_Index_16"},
    {0x0A, "Color_By_FIndex"},
    {0x0B, "Color_By_Value"},
    {0x0C, "Color_Map"},
    {0x0D, "Edge_Pattern"},
    {0x0E, "Edge_Weight"},
    {0x10, "PolyPolyline"},
    {0x12, "External_Reference"},
    {0x15, "URL"},
    {0x16, "Unicode_Options"},
    {0x18, "XML"},
    {0x20, "Text_Spacing"},
    {0x21, "Selectability"},
    {0x22, "Color"},
    {0x23, "Window_Frame"},
    {0x24, "Texture_Matrix"},
    {0x25, "Modelling_Matrix"},
    {0x26, "Repeat_Object"},
    {0x28, "Open_Segment"},
    {0x29, "Close_Segment"},
    {0x2A, "Text_Alignment"},
    {0x2B, "Marker_Size"},
    {0x2C, "<Streaming_Mode>"},
    {0x2D, "Line_Pattern"},
    {0x2E, "Local_Light"},
    {0x2F, "Cutting_Plane"},
    {0x3B, "Comment"},
    {0x3C, "Include_Segment"},
    {0x3D, "Line_Weight"},
    {0x3E, "Camera"},
    {0x40, "Marker_Symbol"},
    {0x41, "NURBS_Surface"},
    {0x42, "Bounding_Info"},
    {0x43, "Circle"},
    {0x44, "Dictionary"},
    {0x45, "Ellipse"},
    {0x46, "Text_Font"},
    {0x47, "Polygon"},
    {0x48, "Heuristics"},
    {0x49, "File_Info"},
    {0x4B, "Renumber_Key_Global"},
    {0x4C, "Polyline"},
    {0x4D, "Mesh"},
    {0x4E, "NURBS_Curve"},
    {0x4F, "Clip_Region"},
    {0x50, "Face_Pattern"},
    {0x51, "PolyCylinder"},
    {0x52, "Rendering_Options"},
    {0x53, "Shell"},
    {0x54, "Text"},
    {0x55, "User_Options"},
    {0x56, "Visibility"},
    {0x57, "Window"},
    {0x58, "Marker"},
    {0x59, "Cylinder"},
    {0x5A, "Start_Compression"},
    {0x5B, "Start_User_Data"},
    {0x5C, "Circular_Chord"},
    {0x5D, "Stop_User_Data"},
    {0x5E, "Spot_Light"},
    {0x61, "Area_Light"},
    {0x62, "Bounding"},
    {0x63, "Circular_Arc"},
    {0x64, "Distant_Light"},
    {0x65, "Elliprical_Arc"}, // the format's own spelling
    {0x66, "Font"},
    {0x67, "Grid"},
    {0x68, "Handedness"},
    {0x69, "Image"},
    {0x6B, "Renumber_Key_Local"},
    {0x6C, "Line"},
    {0x6E, "User_Index"},
    {0x6F, "Clip_Rectangle"},
    {0x70, "Window_Pattern"},
    {0x71, "Tag"},
    {0x73, "Reopen_Segment"},
    {0x74, "Texture"},
    {0x76, "User_Value"},
    {0x77, "Circular_Wedge"},
    {0x78, "Text_With_Encoding"},
    {0x7A, "Stop_Compression"},
    {0x7B, "Style_Segment"},
    {0x7C, "Text_Path"},
    {0x7D, "View"},
    {0x7E, "Color_RGB"},
    {0xE0, "W3D_Image"},
    {0xFF, "<Extended>"},
};

struct Name_Table
{
    std::array<std::array<char, 24>, 256> names{};

    Name_Table()
    {
        for (int opcode = 0; opcode < 256; ++opcode)
        {
            // Unassigned bytes: "-- ' --" for printable ones, "-- 0x02 --" otherwise.
            if (opcode > 0x20 && opcode < 0x7F)
                std::snprintf(names[opcode].data(), names[opcode].size(), "-- %c --", opcode);
            else
                std::snprintf(names[opcode].data(), names[opcode].size(), "-- 0x%02X --", opcode);
        }
        for (Named const& named : Assigned)
            std::snprintf(names[named.opcode].data(), names[named.opcode].size(), "%s", named.name);
    }
};

const Name_Table& name_table()
{
    static const Name_Table table;
    return table;
}
} // namespace

const char* TK_Opcode_Name(int opcode)
{
    return name_table().names[static_cast<unsigned>(opcode) & 0xFF].data();
}

std::string TK_Opcode_Text(int opcode)
{
    opcode &= 0xFF;
    char text[64];
    if (opcode >= 0x20 && opcode <= 0x7E)
        std::snprintf(text, sizeof text, "0x%02X (%c)    %s", opcode, opcode,
                      TK_Opcode_Name(opcode));
    else
        std::snprintf(text, sizeof text, "0x%02X        %s", opcode, TK_Opcode_Name(opcode));
    return text;
}
