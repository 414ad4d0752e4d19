#pragma once

// One of each object of the blocks family that a version-6 stream may carry,
// for the whole-stream and damage tests and the fuzz seeds.

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/embed.h"
#include "dwf/w2dtk/embedded_font.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/guid_list.h"
#include "dwf/w2dtk/named_view.h"
#include "dwf/w2dtk/pen_pattern.h"
#include "dwf/w2dtk/trusted_font_list.h"
#include "dwf/w2dtk/user_data.h"

#include <gtest/gtest.h>

namespace block_samples
{

inline void write_block_family(WT_File& file)
{
    EXPECT_EQ(WT_Alignment(WT_Alignment::Align_Top).serialize(file), WT_Result_Success);
    EXPECT_EQ(WT_Block_Meaning(WT_Block_Meaning::Seal).serialize(file), WT_Result_Success);
    WT_Password::Bytes password;
    for (std::size_t i = 0; i < password.size(); ++i)
        password[i] = std::uint8_t("p()'\\"[i % 5]);
    EXPECT_EQ(WT_Password(password).serialize(file), WT_Result_Success);
    EXPECT_EQ(WT_File_Time(12, 34).serialize(file), WT_Result_Success);
    WT_Guid::Value value;
    value.data1 = 77;
    value.data4[3] = 0x29; // ")"
    WT_Guid_List guids;
    guids.add(WT_Guid(value));
    EXPECT_EQ(guids.serialize(file), WT_Result_Success);
    EXPECT_EQ(WT_User_Data("data (x)", {1, 2, 3, ')'}).serialize(file), WT_Result_Success);
    WT_Named_View view(WT_Logical_Box({0, 0}, {50, 60}), "view 'one'");
    EXPECT_EQ(view.serialize(file), WT_Result_Success);
    WT_Embed embed;
    embed.set_mime("text", "plain", "");
    embed.set_source("it's \\ (here)");
    EXPECT_EQ(embed.serialize(file), WT_Result_Success);
    WT_Embedded_Font font(1, 1, 1, {'(', ')'}, {'\''}, {9, 8, 7});
    EXPECT_EQ(font.serialize(file), WT_Result_Success);
    WT_Trusted_Font_List fonts;
    fonts.add("Sans");
    fonts.add("Mono (x)");
    EXPECT_EQ(fonts.serialize(file), WT_Result_Success);
    WT_Pen_Pattern pattern(2, 25);
    EXPECT_EQ(pattern.serialize(file), WT_Result_Success);
}

} // namespace block_samples
