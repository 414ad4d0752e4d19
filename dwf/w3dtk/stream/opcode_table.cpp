// The toolkit's table of one handler per opcode byte. Every byte starts with a
// TK_Unavailable (reading it is an error that names the opcode); each family
// replaces the slots of its records in its own block below, and includes its
// headers in its own block above, so families land side by side.
#include "dwf/w3dtk/stream/default_handlers.h"
#include "dwf/w3dtk/stream/toolkit.h"

// ---- stream: framing, segments, tags, dictionary
#include "dwf/w3dtk/records/comment.h"
#include "dwf/w3dtk/records/compression.h"
#include "dwf/w3dtk/records/dictionary.h"
#include "dwf/w3dtk/records/file_info.h"
#include "dwf/w3dtk/records/renumber.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/tag.h"
#include "dwf/w3dtk/records/terminator.h"
// ---- end stream

// ---- polyhedron: mesh
#include "dwf/w3dtk/geometry/mesh.h"
// ---- end polyhedron

// ---- shell
#include "dwf/w3dtk/geometry/shell.h"
// ---- end shell

// ---- records: colours, curves, text and fonts, includes and instances,
//      textures and images, attributes, user data and options
#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/font.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/instance.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/references.h"
#include "dwf/w3dtk/records/text.h"
#include "dwf/w3dtk/records/text_font.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/user_data.h"
#include "dwf/w3dtk/records/user_options.h"
#include "dwf/w3dtk/records/visibility.h"
#include "dwf/w3dtk/records/w3d_image.h"
// ---- end records

// ---- periphery: image, NURBS surface, solids, lights, points, bounding,
//      rendering options, camera, window and clip, poly-polypoints
#include "dwf/w3dtk/geometry/poly_cylinder.h"
#include "dwf/w3dtk/geometry/poly_polypoint.h"
#include "dwf/w3dtk/records/bounding.h"
#include "dwf/w3dtk/records/camera.h"
#include "dwf/w3dtk/records/image.h"
#include "dwf/w3dtk/records/lights.h"
#include "dwf/w3dtk/records/nurbs_surface.h"
#include "dwf/w3dtk/records/point.h"
#include "dwf/w3dtk/records/rendering_options.h"
#include "dwf/w3dtk/records/solids.h"
#include "dwf/w3dtk/records/window_clip.h"
// ---- end periphery

#include <memory>

void BStreamFileToolkit::install_handlers()
{
    for (int opcode = 0; opcode < 256; ++opcode)
        m_handlers[static_cast<std::size_t>(opcode)] = std::make_unique<TK_Unavailable>(opcode);
    auto install = [this](int opcode, std::unique_ptr<BBaseOpcodeHandler> handler)
    { m_handlers[static_cast<std::size_t>(opcode)] = std::move(handler); };
    (void)install;

    // ---- stream
    install(0x00, std::make_unique<TK_Terminator>(TK_Terminator::Terminate));
    install(0x01, std::make_unique<TK_Terminator>(TK_Terminator::Pause));
    install(0x28, std::make_unique<TK_Open_Segment>());
    install(0x29, std::make_unique<TK_Close_Segment>());
    install(0x3B, std::make_unique<TK_Comment>());
    install(0x44, std::make_unique<TK_Dictionary>());
    install(0x49, std::make_unique<TK_File_Info>());
    install(0x4B, std::make_unique<TK_Renumber>(TK_Renumber::Global));
    install(0x5A, std::make_unique<TK_Compression>(TK_Compression::Start));
    install(0x6B, std::make_unique<TK_Renumber>(TK_Renumber::Local));
    install(0x71, std::make_unique<TK_Tag>());
    install(0x73, std::make_unique<TK_Reopen_Segment>());
    install(0x7A, std::make_unique<TK_Compression>(TK_Compression::Stop));
    // ---- end stream

    // ---- polyhedron
    install(0x4D, std::make_unique<TK_Mesh>());
    // ---- end polyhedron

    // ---- shell
    install(0x53, std::make_unique<TK_Shell>());
    // ---- end shell

    // ---- records
    install(0x07, std::make_unique<TK_Callback>());
    install(0x08, std::make_unique<TK_Color_By_Index>(0x08));
    install(0x09, std::make_unique<TK_Color_By_Index>(0x09));
    install(0x0A, std::make_unique<TK_Color_By_FIndex>());
    install(0x0B, std::make_unique<TK_Color_By_Value>());
    install(0x0C, std::make_unique<TK_Color_Map>());
    install(0x0D, std::make_unique<TK_Linear_Pattern>(0x0D));
    install(0x0E, std::make_unique<TK_Size>(0x0E));
    install(0x12, std::make_unique<TK_External_Reference>());
    install(0x15, std::make_unique<TK_URL>());
    install(0x16, std::make_unique<TK_Unicode_Options>());
    install(0x18, std::make_unique<TK_XML>());
    install(0x20, std::make_unique<TK_Size>(0x20));
    install(0x21, std::make_unique<TK_Selectability>());
    install(0x22, std::make_unique<TK_Color>());
    install(0x23, std::make_unique<TK_Enumerated>(0x23));
    install(0x24, std::make_unique<TK_Matrix>(0x24));
    install(0x25, std::make_unique<TK_Matrix>(0x25));
    install(0x26, std::make_unique<TK_Instance>());
    install(0x2A, std::make_unique<TK_Enumerated>(0x2A));
    install(0x2B, std::make_unique<TK_Size>(0x2B));
    install(0x2C, std::make_unique<TK_Streaming>());
    install(0x2D, std::make_unique<TK_Linear_Pattern>(0x2D));
    install(0x3C, std::make_unique<TK_Referenced_Segment>(0x3C));
    install(0x3D, std::make_unique<TK_Size>(0x3D));
    install(0x40, std::make_unique<TK_Enumerated>(0x40));
    install(0x43, std::make_unique<TK_Circle>(0x43));
    install(0x45, std::make_unique<TK_Ellipse>(0x45));
    install(0x46, std::make_unique<TK_Text_Font>());
    install(0x47, std::make_unique<TK_Polypoint>(0x47));
    install(0x48, std::make_unique<TK_Heuristics>());
    install(0x4C, std::make_unique<TK_Polypoint>(0x4C));
    install(0x4E, std::make_unique<TK_NURBS_Curve>());
    install(0x50, std::make_unique<TK_Enumerated>(0x50));
    install(0x54, std::make_unique<TK_Text>(0x54));
    install(0x55, std::make_unique<TK_User_Options>());
    install(0x56, std::make_unique<TK_Visibility>());
    install(0x5B, std::make_unique<TK_User_Data>());
    install(0x5C, std::make_unique<TK_Circle>(0x5C));
    install(0x63, std::make_unique<TK_Circle>(0x63));
    install(0x65, std::make_unique<TK_Ellipse>(0x65));
    install(0x66, std::make_unique<TK_Font>());
    install(0x68, std::make_unique<TK_Enumerated>(0x68));
    install(0x6C, std::make_unique<TK_Line>());
    install(0x6E, std::make_unique<TK_User_Index>());
    install(0x70, std::make_unique<TK_Enumerated>(0x70));
    install(0x74, std::make_unique<TK_Texture>());
    install(0x76, std::make_unique<TK_User_Value>());
    install(0x77, std::make_unique<TK_Circle>(0x77));
    install(0x78, std::make_unique<TK_Text>(0x78));
    install(0x7B, std::make_unique<TK_Referenced_Segment>(0x7B));
    install(0x7E, std::make_unique<TK_Color_RGB>());
    install(0xE0, std::make_unique<W3D_Image>());
    // ---- end records

    // ---- periphery
    install(0x10, std::make_unique<TK_PolyPolypoint>(0x10));
    install(0x2E, std::make_unique<TK_Point>(0x2E));
    install(0x2F, std::make_unique<TK_Cutting_Plane>());
    install(0x3E, std::make_unique<TK_Camera>(0x3E));
    install(0x41, std::make_unique<TK_NURBS_Surface>());
    install(0x42, std::make_unique<TK_Bounding>(0x42));
    install(0x4F, std::make_unique<TK_Clip_Region>());
    install(0x51, std::make_unique<TK_PolyCylinder>());
    install(0x52, std::make_unique<TK_Rendering_Options>());
    install(0x57, std::make_unique<TK_Window>());
    install(0x58, std::make_unique<TK_Point>(0x58));
    install(0x59, std::make_unique<TK_Cylinder>());
    install(0x5E, std::make_unique<TK_Spot_Light>());
    install(0x61, std::make_unique<TK_Area_Light>());
    install(0x62, std::make_unique<TK_Bounding>(0x62));
    install(0x64, std::make_unique<TK_Point>(0x64));
    install(0x67, std::make_unique<TK_Grid>());
    install(0x69, std::make_unique<TK_Image>());
    install(0x6F, std::make_unique<TK_Clip_Rectangle>());
    install(0x7C, std::make_unique<TK_Point>(0x7C));
    install(0x7D, std::make_unique<TK_Camera>(0x7D));
    // ---- end periphery
}
