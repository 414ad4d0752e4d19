// User data, GUID lists and sign data: golden forms, read back with input
// trickling in, frames that disagree with their contents, and damage.
#include "dwf/w2dtk/guid_list.h"
#include "dwf/w2dtk/sign_data.h"
#include "dwf/w2dtk/user_data.h"

#include "dwf/w2dtk/tests/object_streams.h"

#include <gtest/gtest.h>

using namespace w2d_test;

namespace
{
std::string u32(std::uint32_t v)
{
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

WT_Guid guid(std::uint32_t n)
{
    WT_Guid::Value v;
    v.data1 = n;
    v.data2 = 2;
    v.data3 = 3;
    v.data4[7] = std::uint8_t(n);
    return WT_Guid(v);
}

std::string guid_bytes(std::uint32_t n)
{
    return "{" + u32(19) + bytes({0x4A, 0x01}) + u32(n) + bytes({2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0}) +
           std::string(1, char(n)) + "}";
}

std::vector<std::uint8_t> payload(std::size_t n)
{
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i)
        data[i] = std::uint8_t(i * 37 + 1);
    return data;
}

// Every framing object in one stream of version 55.
std::string framing_stream(bool binary)
{
    return write_stream(binary, 55,
                        [](WT_File& file)
                        {
                            EXPECT_EQ(WT_User_Data("it's a \\ test", payload(70)).serialize(file),
                                      0);
                            EXPECT_EQ(WT_User_Data("", {}).serialize(file), 0);
                            WT_Guid_List list;
                            list.add(guid(1));
                            list.add(guid(2));
                            EXPECT_EQ(list.serialize(file), 0);
                            WT_Sign_Data signed_guids;
                            signed_guids.guids() = list;
                            signed_guids.set_data(payload(5));
                            EXPECT_EQ(signed_guids.serialize(file), 0);
                            WT_Sign_Data bare;
                            EXPECT_EQ(bare.serialize(file), 0);
                        });
}
} // namespace

TEST(User_Data, Golden_Forms)
{
    auto body = [](bool binary, WT_User_Data data)
    { return write_body(binary, 600, [&](WT_File& file) { EXPECT_EQ(data.serialize(file), 0); }); };
    EXPECT_EQ(body(false, WT_User_Data("notes", {})), "\r\n(UserData 'notes' 0  )");
    EXPECT_EQ(body(false, WT_User_Data("x", {0xAB, 0x01})), "\r\n(UserData 'x' 2 \r\n\tAB01 )");
    // Description length + data size + 9 without escapes; escapes add theirs.
    EXPECT_EQ(body(true, WT_User_Data("ab", {7})),
              "{" + u32(12) + bytes({0x62, 0x01}) + "'ab'" + u32(1) + bytes({7}) + "}");
    EXPECT_EQ(body(true, WT_User_Data("a'", {})),
              "{" + u32(12) + bytes({0x62, 0x01}) + "'a\\''" + u32(0) + "}");
}

TEST(Guid_List_And_Sign_Data, Golden_Forms)
{
    WT_Guid_List list;
    list.add(guid(1));
    EXPECT_EQ(write_body(true, 55, [&](WT_File& file) { EXPECT_EQ(list.serialize(file), 0); }),
              "{" + u32(31) + bytes({0x68, 0x01}) + u32(1) + guid_bytes(1) + "}");
    EXPECT_EQ(write_body(false, 55, [&](WT_File& file) { EXPECT_EQ(list.serialize(file), 0); }),
              "\r\n   (GuidList 1 \r\n   (Guid 1 2 3 \r\n\t0000000000000001 ) )");

    WT_Sign_Data sign;
    sign.set_data({9, 8});
    EXPECT_EQ(write_body(true, 55, [&](WT_File& file) { EXPECT_EQ(sign.serialize(file), 0); }),
              "{" + u32(10) + bytes({0x66, 0x01}) + "0" + u32(2) + bytes({9, 8}) + "}");
    sign.guids() = list;
    EXPECT_EQ(write_body(true, 55, [&](WT_File& file) { EXPECT_EQ(sign.serialize(file), 0); }),
              "{" + u32(10 + 36) + bytes({0x66, 0x01}) + "1" + "{" + u32(31) + bytes({0x68, 0x01}) +
                  u32(1) + guid_bytes(1) + "}" + u32(2) + bytes({9, 8}) + "}");
    // Version 6 streams carry no sign data.
    EXPECT_EQ(write_body(false, 600,
                         [&](WT_File& file)
                         { EXPECT_EQ(sign.serialize(file), WT_Result_Usage_Error); }),
              "");
}

TEST(Framing, Read_Back_In_Both_Forms_With_Input_Trickling)
{
    for (bool binary : {false, true})
    {
        std::string const stream = framing_stream(binary);
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            Read_Back back = read_back<WT_User_Data, WT_Guid_List, WT_Sign_Data>(stream, 1, hi);
            ASSERT_EQ(back.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(back.objects.size(), 5u);
            auto const& data = back.at<WT_User_Data>(0);
            EXPECT_TRUE(data.description() == WT_String("it's a \\ test"));
            EXPECT_EQ(data.data(), payload(70));
            EXPECT_TRUE(back.at<WT_User_Data>(1).description().empty());
            EXPECT_TRUE(back.at<WT_User_Data>(1).data().empty());
            auto const& list = back.at<WT_Guid_List>(2);
            ASSERT_EQ(list.count(), 2u);
            EXPECT_TRUE(**list.items().begin() == guid(1));
            auto const& signed_guids = back.at<WT_Sign_Data>(3);
            EXPECT_TRUE(signed_guids.guids() == list);
            EXPECT_EQ(signed_guids.data(), payload(5));
            EXPECT_EQ(back.at<WT_Sign_Data>(4).guids().count(), 0u);
            EXPECT_TRUE(back.at<WT_Sign_Data>(4).data().empty());
        }
    }
}

TEST(Framing, Sizes_From_The_Stream_Are_Checked)
{
    std::string const head = header(55);
    std::string const tail = trailer(true);
    auto end_of = [&](const std::string& body)
    { return read_back<WT_User_Data, WT_Guid_List, WT_Sign_Data>(head + body + tail).end; };
    // A data size beyond the frame, a negative or absurd ASCII size.
    EXPECT_EQ(end_of("{" + u32(12) + bytes({0x62, 0x01}) + "'ab'" + u32(0x7FFFFFFF) + "}"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(end_of("(UserData 'x' -1 )"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(UserData 'x' 2000000000 00)"), WT_Result_Corrupt_Stream);
    // A GUID count the frame cannot hold.
    EXPECT_EQ(end_of("{" + u32(31) + bytes({0x68, 0x01}) + u32(1000000) + "}"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(end_of("(GuidList -3 )"), WT_Result_Corrupt_Stream);
    // A GUID list larger than the sign data around it; a bad flag.
    EXPECT_EQ(end_of("{" + u32(10) + bytes({0x66, 0x01}) + "1" + "{" + u32(31) +
                     bytes({0x68, 0x01}) + u32(1) + guid_bytes(1) + "}" + u32(0) + "}"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(end_of("(SignData 7 0  )"), WT_Result_Corrupt_Stream);
    // Something other than a GUID inside the list.
    EXPECT_EQ(end_of("(GuidList 1 (Time 1 2))"), WT_Result_Corrupt_Stream);
}

TEST(Framing, Damaged_Streams_Fail_Cleanly)
{
    expect_survives_damage(framing_stream(false), 150, 11);
    expect_survives_damage(framing_stream(true), 150, 12);
}
