// Object nodes: the name defined once, then numbers; binary differences taken
// from the node last written, which is what the reader adds them to.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/object_node.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace raster_test;

namespace
{
std::vector<int> numbers_read(const std::string& stream, std::size_t hi = 64,
                              WT_Result* end = nullptr)
{
    Read_Back r = read_back(stream, 1, hi);
    if (end)
        *end = r.end;
    else
        EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
    std::vector<int> numbers;
    for (WT_Object_Node* node : r.all<WT_Object_Node>(WT_Object::Object_Node_ID))
        numbers.push_back(node->number());
    return numbers;
}
} // namespace

TEST(Object_Node_Golden, Name_Once_Then_Numbers)
{
    std::string const ascii = body_bytes(false,
                                         [](WT_File& f)
                                         {
                                             WT_Object_Node node(f, 5, "Part A");
                                             EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                             EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                             WT_Object_Node unnamed(f, 9);
                                             EXPECT_EQ(unnamed.serialize(f), WT_Result_Success);
                                         });
    EXPECT_EQ(ascii, "\r\n(Node 5 'Part A')\r\n(Node 5)\r\n(Node 9)");

    std::string const binary = body_bytes(true,
                                          [](WT_File& f)
                                          {
                                              WT_Object_Node node(f, 4);
                                              EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                              node.set(5); // changed from 4 to 5
                                              EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                              node.set(70000);
                                              EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                              node.set(69000);
                                              EXPECT_EQ(node.serialize(f), WT_Result_Success);
                                              WT_Object_Node named(f, 3, u"Welle \u00e9");
                                              EXPECT_EQ(named.serialize(f), WT_Result_Success);
                                              EXPECT_EQ(named.serialize(f), WT_Result_Success);
                                          });
    EXPECT_EQ(binary, "N" + le32(4) + raw({0x0E}) + "N" + le32(70000) + "n" + le16(-1000) +
                          "(Node 3 {" + le32(7) + std::string("W\0e\0l\0l\0e\0 \0\xE9\0", 14) +
                          "})" + "n" + le16(0));
}

TEST(Object_Node_Golden, Nothing_Before_Version_600)
{
    std::string const stream = write_stream(
        false,
        [](WT_File& f)
        {
            WT_Object_Node node(f, 5, "Part A");
            EXPECT_EQ(node.serialize(f), WT_Result_Success);
        },
        55);
    EXPECT_EQ(stream, "(DWF V00.55)\r\n(EndOfDWF)\r\n");
}

TEST(Object_Node_Round_Trip, Differences_Count_From_The_Node_Last_Written)
{
    // Two node objects in turn: each binary difference is taken from the node
    // the reader saw last, not from the writing object's own history.
    for (bool binary : {false, true})
    {
        std::string const stream = write_stream(binary,
                                                [](WT_File& f)
                                                {
                                                    WT_Object_Node x(f, 4);
                                                    WT_Object_Node y(f, 7);
                                                    EXPECT_EQ(x.serialize(f), WT_Result_Success);
                                                    x.set(5);
                                                    EXPECT_EQ(x.serialize(f), WT_Result_Success);
                                                    EXPECT_EQ(y.serialize(f), WT_Result_Success);
                                                    x.set(6);
                                                    EXPECT_EQ(x.serialize(f), WT_Result_Success);
                                                    y.set(-40000);
                                                    EXPECT_EQ(y.serialize(f), WT_Result_Success);
                                                    y.set(-39999);
                                                    EXPECT_EQ(y.serialize(f), WT_Result_Success);
                                                });
        if (binary)
        {
            // 4, 5 (+1), 7 (+2), 6 (-1), then absolute: a negative node is no base.
            EXPECT_EQ(stream.substr(12, 22), "N" + le32(4) + raw({0x0E}) + "n" + le16(2) + "n" +
                                                 le16(-1) + "N" + le32(-40000) + "N" +
                                                 le32(-39999));
        }
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
            EXPECT_EQ(numbers_read(stream, hi), (std::vector<int>{4, 5, 7, 6, -40000, -39999}));
    }
}

TEST(Object_Node_Sync, Drawables_Write_A_Changed_Node_First)
{
    std::uint8_t const rgb[3] = {1, 2, 3};
    WT_Image image(1, 1, WT_Image::RGB, 0, nullptr, 3, rgb, WT_Logical_Point(0, 0),
                   WT_Logical_Point(1, 1), false);
    std::string const stream =
        write_stream(true,
                     [&](WT_File& f)
                     {
                         f.desired_rendition().object_node() = WT_Object_Node(f, 12, "Shaft");
                         f.desired_rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
                         EXPECT_EQ(image.serialize(f), WT_Result_Success);
                         f.desired_rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
                         EXPECT_EQ(image.serialize(f), WT_Result_Success);
                         f.desired_rendition().object_node().set(13);
                         f.desired_rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
                         EXPECT_EQ(image.serialize(f), WT_Result_Success);
                     });
    Read_Back r = read_back(stream);
    std::vector<int> ids;
    for (auto const& o : r.objects)
        ids.push_back(o->object_id());
    EXPECT_EQ(ids,
              (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Object_Node_ID,
                                WT_Object::Image_ID, WT_Object::Image_ID, WT_Object::Object_Node_ID,
                                WT_Object::Image_ID, WT_Object::End_Of_DWF_ID}));
    auto nodes = r.all<WT_Object_Node>(WT_Object::Object_Node_ID);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_STREQ(nodes[0]->name().ascii(), "Shaft");
    EXPECT_EQ(nodes[1]->number(), 13);
}

TEST(Object_Node_Errors, Malformed_Operands)
{
    WT_Result end = WT_Result_Success;
    numbers_read("(W2D V06.00)(Node x)(EndOfDWF)", 64, &end);
    EXPECT_EQ(end, WT_Result_Corrupt_Stream);
    // A difference that leaves the 32-bit range.
    numbers_read("(W2D V06.00)N" + le32(2147483647) + raw({0x0E}) + "(EndOfDWF)", 64, &end);
    EXPECT_EQ(end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(numbers_read("(W2D V06.00)(Node 8)(Node 9 'nine')" + raw({0x0E}) + "(EndOfDWF)"),
              (std::vector<int>{8, 9, 10}));

    WT_Object_Node node;
    WT_File file;
    WT_Opcode opcode;
    opcode.set_token(WT_Opcode::Single_Byte, "Q", 1);
    EXPECT_EQ(node.materialize(opcode, file), WT_Result_Foreign_Opcode);
    opcode.set_token(WT_Opcode::Extended_Binary, "{\x02\0\0\0\x01\0", 7);
    EXPECT_EQ(node.materialize(opcode, file), WT_Result_Foreign_Opcode);

    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [](WT_File& f)
                         {
                             WT_Object_Node x(f, 300, "Named node");
                             for (int n : {300, 301, 40000, 39000, 2})
                             {
                                 x.set(n);
                                 EXPECT_EQ(x.serialize(f), WT_Result_Success);
                             }
                         });
        expect_damage_survived(stream, binary ? 41 : 42);
    }
}
