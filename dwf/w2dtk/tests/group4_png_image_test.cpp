// Group 4 and PNG images: golden bytes, round trips with trickled input, and
// damaged operands.
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/group4_png_image.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace raster_test;

namespace
{
WT_Color_Map two_colors()
{
    WT_RGBA32 const colors[2] = {WT_RGBA32(0, 0, 0, 255), WT_RGBA32(255, 255, 255, 255)};
    WT_File scratch;
    WT_Color_Map map;
    map.set(2, colors, scratch);
    return map;
}

std::string serialize_one(WT_Group4_PNG_Image& image, bool binary)
{
    return body_bytes(binary,
                      [&](WT_File& file) { EXPECT_EQ(image.serialize(file), WT_Result_Success); });
}

WT_Result serialize_result(WT_Group4_PNG_Image& image, bool binary = true)
{
    WT_Result result = WT_Result_Success;
    write_stream(binary, [&](WT_File& file) { result = image.serialize(file); });
    return result;
}

const std::uint8_t Png_Start[4] = {0x89, 'P', 'N', 'G'};
} // namespace

TEST(Group4_PNG_Golden, Both_Forms)
{
    WT_Group4_PNG_Image png(2, 3, WT_Group4_PNG_Image::PNG, -7, nullptr, 4, Png_Start,
                            WT_Logical_Point(1, 2), WT_Logical_Point(4, 6), false);
    EXPECT_EQ(serialize_one(png, false),
              "\r\n   (Group4PNGImage PNG -7 3,2 1,2 4,6 (4 \r\n\t89504E47))");
    EXPECT_EQ(serialize_one(png, true), "{" + le32(4 + 31) + le16(12) + le16(3) + le16(2) +
                                            le32(1) + le32(2) + le32(3) + le32(4) + le32(-7) +
                                            le32(4) + raw({0x89, 'P', 'N', 'G'}) + "}");

    WT_Color_Map const map = two_colors();
    std::uint8_t const coded[1] = {0xA5};
    WT_Group4_PNG_Image mapped(1, 8, WT_Group4_PNG_Image::Group4X_Mapped, 0, &map, 1, coded,
                               WT_Logical_Point(0, 0), WT_Logical_Point(8, 1), false);
    EXPECT_EQ(serialize_one(mapped, false),
              "\r\n   (Group4PNGImage 'group 4X' 0 8,1 0,0 8,1 9 "
              "\r\n(ColorMap 2\r\n\t0,0,0,255 255,255,255,255) (1 \r\n\tA5))");
    EXPECT_EQ(serialize_one(mapped, true), "{" + le32(1 + 9 + 31) + le16(13) + le16(8) + le16(1) +
                                               le32(0) + le32(0) + le32(8) + le32(1) + le32(0) +
                                               raw({2, 0, 0, 0, 255, 255, 255, 255, 255}) +
                                               le32(1) + raw({0xA5}) + "}");
}

TEST(Group4_PNG_Round_Trip, Every_Format_In_Both_Forms)
{
    WT_Color_Map const map = two_colors();
    std::vector<std::uint8_t> data(100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * 13);
    for (bool binary : {false, true})
        for (auto format : {WT_Group4_PNG_Image::Group4, WT_Group4_PNG_Image::PNG,
                            WT_Group4_PNG_Image::Group4X_Mapped})
        {
            SCOPED_TRACE(std::string(WT_Group4_PNG_Image::format_name(format)) +
                         (binary ? " binary" : " ascii"));
            const WT_Color_Map* m = format == WT_Group4_PNG_Image::Group4X_Mapped ? &map : nullptr;
            WT_Group4_PNG_Image image(40, 20, format, 123456, m, 100, data.data(),
                                      WT_Logical_Point(-50, -60), WT_Logical_Point(70, 80), false);
            std::string const stream = write_stream(
                binary, [&](WT_File& f) { ASSERT_EQ(image.serialize(f), WT_Result_Success); });
            for (std::size_t hi : {std::size_t(1), std::size_t(64)})
            {
                Read_Back r = read_back(stream, 1, hi);
                EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
                auto images = r.all<WT_Group4_PNG_Image>(WT_Object::Group4_PNG_Image_ID);
                ASSERT_EQ(images.size(), 1u);
                WT_Group4_PNG_Image const& got = *images[0];
                EXPECT_EQ(got.format(), format);
                EXPECT_EQ(got.rows(), 40);
                EXPECT_EQ(got.columns(), 20);
                EXPECT_EQ(got.identifier(), 123456);
                EXPECT_EQ(got.min_corner(), WT_Logical_Point(-50, -60));
                EXPECT_EQ(got.max_corner(), WT_Logical_Point(70, 80));
                ASSERT_EQ(got.data_size(), 100u);
                EXPECT_EQ(std::vector<std::uint8_t>(got.data(), got.data() + 100), data);
                ASSERT_EQ(got.color_map() != nullptr, m != nullptr);
                if (m)
                {
                    EXPECT_TRUE(*got.color_map() == map);
                }
            }
        }
}

TEST(Group4_PNG_Errors, Writing_And_Reading_Refuse_Bad_Operands)
{
    WT_Logical_Point const lo(0, 0), hi(1, 1);
    WT_Group4_PNG_Image unmapped(1, 8, WT_Group4_PNG_Image::Group4X_Mapped, 0, nullptr, 4,
                                 Png_Start, lo, hi, false);
    EXPECT_EQ(serialize_result(unmapped), WT_Result_Write_Failed);
    WT_Group4_PNG_Image foreign(1, 8, WT_Group4_PNG_Image::WT_Image_Format(8), 0, nullptr, 4,
                                Png_Start, lo, hi, false);
    EXPECT_EQ(serialize_result(foreign), WT_Result_Not_Available);
    WT_Group4_PNG_Image no_data(1, 8, WT_Group4_PNG_Image::PNG, 0, nullptr, 4, nullptr, lo, hi,
                                false);
    EXPECT_EQ(serialize_result(no_data), WT_Result_Usage_Error);

    auto ascii = [](const std::string& operand)
    { return read_back("(W2D V06.00)(Group4PNGImage " + operand + ")(EndOfDWF)\r\n").end; };
    EXPECT_EQ(ascii("PNG 1 1,1 0,0 1,1 (2 0102)"), WT_Result_End_Of_Stream);
    EXPECT_EQ(ascii("JPEG 1 1,1 0,0 1,1 (2 0102)"), WT_Result_Inconsistent_Operand);
    EXPECT_EQ(ascii("PNG 1 1 1 0,0 1,1 (2 0102)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("PNG 1 1,1 0,0 1,1 2 0102)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("PNG 1 1,1 0,0 1,1 (-2 0102)"), WT_Result_Corrupt_Stream);
    // The announced map size must match the map.
    EXPECT_EQ(ascii("'group 4X' 1 1,1 0,0 1,1 9 (ColorMap 1 1,2,3,4) (1 01)"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(ascii("'group 4X' 1 1,1 0,0 1,1 5 (ColorMap 1 1,2,3,4) (1 01)"),
              WT_Result_End_Of_Stream);

    std::string const operand = le16(1) + le16(1) + le32(0) + le32(0) + le32(1) + le32(1) +
                                le32(0) + le32(2) + raw({1, 2}) + "}";
    auto binary = [](int number, std::uint32_t frame, const std::string& body) {
        return read_back("(W2D V06.00){" + le32(frame) + le16(number) + body + "(EndOfDWF)\r\n")
            .end;
    };
    EXPECT_EQ(binary(12, std::uint32_t(operand.size() + 2), operand), WT_Result_End_Of_Stream);
    EXPECT_EQ(binary(12, std::uint32_t(operand.size() + 3), operand),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(binary(9, 20, operand), WT_Result_Inconsistent_Operand);

    // A reader that never materializes passes over both forms.
    for (bool binary_form : {false, true})
    {
        WT_Group4_PNG_Image png(1, 4, WT_Group4_PNG_Image::PNG, 0, nullptr, 4, Png_Start, lo, hi,
                                false);
        std::string const stream = write_stream(
            binary_form, [&](WT_File& f) { EXPECT_EQ(png.serialize(f), WT_Result_Success); });
        w2d_test::Memory_Stream input(stream);
        WT_File file;
        w2d_test::open_for_reading(file, input, 1, 3);
        ASSERT_EQ(file.open(), WT_Result_Success);
        int objects = 0;
        WT_Result result = WT_Result_Success;
        for (int step = 0; step < 10000 && objects < 3; ++step)
        {
            result = file.get_next_object();
            if (result == WT_Result_Success)
                ++objects;
            else if (result != WT_Result_Waiting_For_Data)
                break;
        }
        EXPECT_EQ(objects, 3);
        ASSERT_NE(file.object(), nullptr);
        EXPECT_EQ(file.object()->object_id(), WT_Object::End_Of_DWF_ID);
        file.close();
    }
}

TEST(Group4_PNG_Errors, Damaged_Streams_End_In_An_Error)
{
    WT_Color_Map const map = two_colors();
    std::uint8_t data[24];
    for (int i = 0; i < 24; ++i)
        data[i] = std::uint8_t(i + 100);
    WT_Group4_PNG_Image mapped(3, 8, WT_Group4_PNG_Image::Group4X_Mapped, 5, &map, 24, data,
                               WT_Logical_Point(1, 2), WT_Logical_Point(30, 40), false);
    WT_Group4_PNG_Image png(3, 8, WT_Group4_PNG_Image::PNG, 6, nullptr, 24, data,
                            WT_Logical_Point(1, 2), WT_Logical_Point(30, 40), false);
    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [&](WT_File& f)
                         {
                             EXPECT_EQ(mapped.serialize(f), WT_Result_Success);
                             EXPECT_EQ(png.serialize(f), WT_Result_Success);
                         });
        expect_damage_survived(stream, binary ? 21 : 22);
    }
}
