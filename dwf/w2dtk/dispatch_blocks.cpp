// Opcodes of blocks and block references, the directory, groups, named views,
// embedding, embedded and trusted fonts, pen patterns, user data, GUIDs and
// sign data.
#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/block_ref.h"
#include "dwf/w2dtk/directory.h"
#include "dwf/w2dtk/embed.h"
#include "dwf/w2dtk/embedded_font.h"
#include "dwf/w2dtk/group.h"
#include "dwf/w2dtk/guid_list.h"
#include "dwf/w2dtk/named_view.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/pen_pattern.h"
#include "dwf/w2dtk/sign_data.h"
#include "dwf/w2dtk/trusted_font_list.h"
#include "dwf/w2dtk/user_data.h"

namespace
{
std::unique_ptr<WT_Object> make_binary_block_ref(const WT_Opcode& opcode, WT_File&)
{
    return std::make_unique<WT_Block_Ref>(opcode.binary_number());
}
} // namespace

void wt_register_block_opcodes(WT_Opcode_Registry& r)
{
    r.add_extended_ascii("(BlockMeaning", 321, &wt_make_object<WT_Block_Meaning>);
    r.add_extended_binary(322, 322, &wt_make_object<WT_Block_Meaning>);
    r.add_extended_ascii("(Encryption", 324, &wt_make_object<WT_Encryption>);
    r.add_extended_binary(323, 323, &wt_make_object<WT_Encryption>);
    r.add_extended_ascii("(Orientation", 326, &wt_make_object<WT_Orientation>);
    r.add_extended_binary(325, 325, &wt_make_object<WT_Orientation>);
    r.add_extended_ascii("(Alignment", 328, &wt_make_object<WT_Alignment>);
    r.add_extended_binary(327, 327, &wt_make_object<WT_Alignment>);
    r.add_extended_ascii("(Psswd", 329, &wt_make_object<WT_Password>);
    r.add_extended_binary(331, 331, &wt_make_object<WT_Password>);
    r.add_extended_ascii("(Guid", 332, &wt_make_object<WT_Guid>);
    r.add_extended_binary(330, 330, &wt_make_object<WT_Guid>);
    r.add_extended_ascii("(Time", 334, &wt_make_object<WT_File_Time>);
    r.add_extended_binary(333, 333, &wt_make_object<WT_File_Time>);

    r.add_extended_ascii("(BlockRef", 351, &wt_make_object<WT_Block_Ref>);
    for (int format = WT_Block_Ref::Graphics_Hdr; format <= WT_Block_Ref::BlockRef; ++format)
        r.add_extended_binary(std::uint16_t(format), 350, &make_binary_block_ref);
    r.add_extended_ascii("(Directory", 353, &wt_make_object<WT_Directory>);
    r.add_extended_binary(352, 352, &wt_make_object<WT_Directory>);

    r.add_extended_ascii("(UserData", 355, &wt_make_object<WT_User_Data>);
    r.add_extended_binary(354, 354, &wt_make_object<WT_User_Data>);
    r.add_extended_ascii("(GuidList", 361, &wt_make_object<WT_Guid_List>);
    r.add_extended_binary(360, 360, &wt_make_object<WT_Guid_List>);
    r.add_extended_ascii("(SignData", 359, &wt_make_object<WT_Sign_Data>);
    r.add_extended_binary(358, 358, &wt_make_object<WT_Sign_Data>);

    r.add_extended_ascii("(GroupBegin", 313, &wt_make_object<WT_Group_Begin>);
    r.add_extended_ascii("(GroupEnd", 314, &wt_make_object<WT_Group_End>);
    r.add_extended_ascii("(NamedView", 281, &wt_make_object<WT_Named_View>);
    r.add_extended_ascii("(Embed", 271, &wt_make_object<WT_Embed>);
    r.add_extended_ascii("(Embedded_Font", 319, &wt_make_object<WT_Embedded_Font>);
    r.add_extended_binary(318, 318, &wt_make_object<WT_Embedded_Font>);
    r.add_extended_ascii("(TrustedFontList", 320, &wt_make_object<WT_Trusted_Font_List>);
    r.add_extended_ascii("(PenPattern", 357, &wt_make_object<WT_Pen_Pattern>);
    r.add_extended_binary(356, 356, &wt_make_object<WT_Pen_Pattern>);
}
