// Raster images: golden bytes of both forms, round trips with input trickling
// in, the checks that keep stream sizes from driving memory, and the texture
// converter's one-JPEG file read back by an independent walker.
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/units.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace raster_test;

namespace
{
// A 100 × 50 JPEG (a red/green gradient) as an encoder wrote it.
const char* const Jpeg_Hex = "ffd8ffe000104a46494600010100000100010000ffdb004300100b0c0e0c"
                             "0a100e0d0e1211101318281a181616183123251d283a333d3c3933383740"
                             "485c4e404457453738506d51575f626768673e4d71797064785c656763ff"
                             "db0043011112121815182f1a1a2f63423842636363636363636363636363"
                             "636363636363636363636363636363636363636363636363636363636363"
                             "6363636363636363ffc00011080032006403012200021101031101ffc400"
                             "1f0000010501010101010100000000000000000102030405060708090a0b"
                             "ffc400b5100002010303020403050504040000017d010203000411051221"
                             "31410613516107227114328191a1082342b1c11552d1f02433627282090a"
                             "161718191a25262728292a3435363738393a434445464748494a53545556"
                             "5758595a636465666768696a737475767778797a838485868788898a9293"
                             "9495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6"
                             "c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7"
                             "f8f9faffc4001f0100030101010101010101010000000000000102030405"
                             "060708090a0bffc400b51100020102040403040705040400010277000102"
                             "031104052131061241510761711322328108144291a1b1c109233352f015"
                             "6272d10a162434e125f11718191a262728292a35363738393a4344454647"
                             "48494a535455565758595a636465666768696a737475767778797a828384"
                             "85868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7"
                             "b8b9bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9ea"
                             "f2f3f4f5f6f7f8f9faffda000c03010002110311003f00e34454f1155911"
                             "7b53c455ebb99cf0a8561153c45564454f11566ea1d50a8561153c455644"
                             "5ed4f117b54399d30a8561153c45564455208bdaa1ccea8542a88aa41155"
                             "91153c4550ea1d50a8561153c45564454f117b566e674c2a15445455c117"
                             "b5153ce6fed0c71153c45564455208ab6750fce2150aa22a788aad08bda9"
                             "e22acdcce98542b08a9e22ab222a788aa1ccea8542b08a9e22ab222f6a78"
                             "8aa1d43aa150ac22a788aac88bda9e22f6a8733a6150ac22a788aac88a9e"
                             "22acdd43aa150ac22a2ae08a8a9f686fed0c71153c45564454f1156ce67e"
                             "6f0a8561153c45564454f11566ea1d50a8561153c45564454f1154399d50"
                             "a8561153c45564454f1154399d30a8561153c45568454f11543a87542a15"
                             "4454f1155a1153c4559b99d50a855115157045454fb436f68618a78a28ae"
                             "b67e7f01e29e28a2a19d502414f145150ce980f14f145150cea80f14f145"
                             "159b3aa03c53c5145433a603c51451526e7fffd9";

std::vector<std::uint8_t> jpeg_bytes()
{
    std::vector<std::uint8_t> out;
    std::string const hex = Jpeg_Hex;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

WT_Color_Map make_map(int entries)
{
    std::vector<WT_RGBA32> colors;
    for (int i = 0; i < entries; ++i)
        colors.push_back(WT_RGBA32(i & 0xFF, (i >> 8) & 0xFF, 7, 255));
    WT_File scratch;
    WT_Color_Map map;
    map.set(entries, colors.data(), scratch);
    return map;
}

WT_Color_Map black_and_white()
{
    WT_RGBA32 const colors[2] = {WT_RGBA32(0, 0, 0, 255), WT_RGBA32(255, 255, 255, 255)};
    WT_File scratch;
    WT_Color_Map map;
    map.set(2, colors, scratch);
    return map;
}

std::string serialize_one(WT_Image& image, bool binary)
{
    return body_bytes(binary,
                      [&](WT_File& file) { EXPECT_EQ(image.serialize(file), WT_Result_Success); });
}

WT_Result serialize_result(WT_Image& image, bool binary = true)
{
    WT_Result result = WT_Result_Success;
    write_stream(binary, [&](WT_File& file) { result = image.serialize(file); });
    return result;
}

// Reads a stream back and returns its images.
std::vector<WT_Image*> images_of(const Read_Back& r)
{
    return r.all<WT_Image>(WT_Object::Image_ID);
}

std::string framed_image(int number, const std::string& operand)
{
    return "(W2D V06.00){" + le32(std::int64_t(operand.size()) + 2) + le16(number) + operand +
           "(EndOfDWF)\r\n";
}
} // namespace

TEST(Image_Golden, Bitonal_Rows_Are_Coded_As_Group_3X)
{
    // One row of 16 white pixels: the row prefix 00, then the white code for 16
    // (101010), packed from bit 0 upward into the single byte 0x54.
    WT_Color_Map const map = black_and_white();
    std::uint8_t const white[2] = {0, 0};
    WT_Image image(1, 16, WT_Image::Bitonal_Mapped, 5, &map, 2, white, WT_Logical_Point(0, 0),
                   WT_Logical_Point(16, 1), false);
    std::string const expected = "{" + le32(1 + 9 + 31) + le16(3) + le16(16) + le16(1) + le32(0) +
                                 le32(0) + le32(16) + le32(1) + le32(5) +
                                 raw({2, 0, 0, 0, 255, 255, 255, 255, 255}) + le32(1) +
                                 raw({0x54}) + "}";
    EXPECT_EQ(serialize_one(image, true), expected);
    EXPECT_EQ(image.format(), WT_Image::Group3X_Mapped);
    EXPECT_EQ(image.data_size(), 1u);

    // 64 black pixels: a white run of 0 (00110101), then the black make-up code
    // for 64 (0000001111) with no terminating code, since the row ends there.
    std::uint8_t const black[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    WT_Image dark(1, 64, WT_Image::Bitonal_Mapped, 0, &map, 8, black, WT_Logical_Point(0, 0),
                  WT_Logical_Point(64, 1), true);
    ASSERT_EQ(dark.convert_bitonal_to_group_3x(), WT_Result_Success);
    ASSERT_EQ(dark.data_size(), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(dark.data(), dark.data() + 3),
              (std::vector<std::uint8_t>{0xB0, 0x02, 0x0F}));
}

TEST(Image_Golden, Texture_Converter_Jpeg_In_Binary)
{
    std::vector<std::uint8_t> const jpeg = jpeg_bytes();
    WT_Image image(50, 100, WT_Image::JPEG, 0, nullptr, std::uint32_t(jpeg.size()), jpeg.data(),
                   WT_Logical_Point(0, 0), WT_Logical_Point(100000, 50000), false);
    std::string const expected = "{" + le32(std::int64_t(jpeg.size()) + 31) + le16(8) + le16(100) +
                                 le16(50) + le32(0) + le32(0) + le32(100000) + le32(50000) +
                                 le32(0) + le32(std::int64_t(jpeg.size())) + raw(jpeg) + "}";
    EXPECT_EQ(serialize_one(image, true), expected);
    // Written again into another file: the same bytes, the caller's corners untouched.
    EXPECT_EQ(serialize_one(image, true), expected);
    EXPECT_EQ(image.min_corner(), WT_Logical_Point(0, 0));
    EXPECT_EQ(image.max_corner(), WT_Logical_Point(100000, 50000));
}

TEST(Image_Golden, Ascii_Forms)
{
    std::uint8_t const pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    WT_Image rgba(1, 2, WT_Image::RGBA, 9, nullptr, 8, pixels, WT_Logical_Point(0, 0),
                  WT_Logical_Point(20, 10), false);
    EXPECT_EQ(serialize_one(rgba, false),
              "\r\n   (Image 'RGBA' 9 2,1 0,0 20,10 (8 \r\n\t0102030405060708))");
    // In binary the packed pixels go out as red, green, blue, alpha.
    EXPECT_EQ(serialize_one(rgba, true), "{" + le32(8 + 31) + le16(7) + le16(2) + le16(1) +
                                             le32(0) + le32(0) + le32(20) + le32(10) + le32(9) +
                                             le32(8) + raw({3, 2, 1, 4, 7, 6, 5, 8}) + "}");

    WT_Color_Map const map = make_map(5);
    std::uint8_t const indices[4] = {0, 1, 2, 3};
    WT_Image mapped(2, 2, WT_Image::Mapped, 1, &map, 4, indices, WT_Logical_Point(-5, -5),
                    WT_Logical_Point(5, 5), false);
    EXPECT_EQ(serialize_one(mapped, false),
              "\r\n   (Image 'mapped' 1 2,2 -5,-5 5,5 "
              "\r\n(ColorMap 5\r\n\t0,0,7,255 1,0,7,255 2,0,7,255 3,0,7,255\r\n\t4,0,7,255)"
              " (4 \r\n\t00010203))");
}

TEST(Image_Golden, Binary_Corners_Follow_The_Current_Point)
{
    std::uint8_t const data[3] = {1, 2, 3};
    WT_Image first(1, 1, WT_Image::RGB, 0, nullptr, 3, data, WT_Logical_Point(10, 10),
                   WT_Logical_Point(20, 30), false);
    WT_Image second(1, 1, WT_Image::RGB, 0, nullptr, 3, data, WT_Logical_Point(15, 5),
                    WT_Logical_Point(25, 25), false);
    std::string const bytes = body_bytes(true,
                                         [&](WT_File& file)
                                         {
                                             EXPECT_EQ(first.serialize(file), WT_Result_Success);
                                             EXPECT_EQ(second.serialize(file), WT_Result_Success);
                                         });
    std::string const head = "{" + le32(34) + le16(6) + le16(1) + le16(1);
    std::string const tail = le32(0) + le32(3) + raw({1, 2, 3}) + "}";
    EXPECT_EQ(bytes, head + le32(10) + le32(10) + le32(10) + le32(20) + tail + head + le32(-5) +
                         le32(-25) + le32(10) + le32(20) + tail);

    Read_Back r = read_back("(W2D V06.00)" + bytes + "(EndOfDWF)\r\n", 1, 1);
    auto images = images_of(r);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1]->min_corner(), WT_Logical_Point(15, 5));
    EXPECT_EQ(images[1]->max_corner(), WT_Logical_Point(25, 25));
}

TEST(Image_Round_Trip, Every_Format_In_Both_Forms)
{
    WT_Color_Map const two = black_and_white();
    WT_Color_Map const small = make_map(3);
    WT_Color_Map const full = make_map(256);
    std::vector<std::uint8_t> bytes(600);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(i * 37 + 11);
    std::vector<std::uint8_t> const jpeg = jpeg_bytes();

    struct Case
    {
        WT_Image::WT_Image_Format format;
        std::uint16_t rows, columns;
        const WT_Color_Map* map;
        std::uint32_t size;
        const std::uint8_t* data;
    };
    std::vector<Case> const cases = {
        {WT_Image::Bitonal_Mapped, 20, 30, &two, 80, bytes.data()},
        {WT_Image::Group3X_Mapped, 3, 4, &small, 17, bytes.data()},
        {WT_Image::Indexed, 10, 10, nullptr, 100, bytes.data()},
        {WT_Image::Mapped, 20, 30, &full, 600, bytes.data()},
        {WT_Image::RGB, 10, 20, nullptr, 600, bytes.data()},
        {WT_Image::RGBA, 10, 15, nullptr, 600, bytes.data()},
        {WT_Image::JPEG, 50, 100, nullptr, std::uint32_t(jpeg.size()), jpeg.data()},
    };
    for (bool binary : {false, true})
        for (Case const& c : cases)
        {
            SCOPED_TRACE(std::string(WT_Image::format_word(c.format)) +
                         (binary ? " binary" : " ascii"));
            WT_Image image(c.rows, c.columns, c.format, 77, c.map, c.size, c.data,
                           WT_Logical_Point(-100, 200), WT_Logical_Point(3000, 4000), false);
            std::string const stream = write_stream(
                binary, [&](WT_File& f) { ASSERT_EQ(image.serialize(f), WT_Result_Success); });
            for (std::size_t hi : {std::size_t(1), std::size_t(64)})
            {
                Read_Back r = read_back(stream, 1, hi);
                EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
                auto images = images_of(r);
                ASSERT_EQ(images.size(), 1u);
                WT_Image const& got = *images[0];
                // What was written (bitonal data is written as group 3X).
                EXPECT_EQ(got.format(), image.format());
                EXPECT_EQ(got.rows(), c.rows);
                EXPECT_EQ(got.columns(), c.columns);
                EXPECT_EQ(got.identifier(), 77u);
                EXPECT_EQ(got.min_corner(), WT_Logical_Point(-100, 200));
                EXPECT_EQ(got.max_corner(), WT_Logical_Point(3000, 4000));
                ASSERT_EQ(got.data_size(), image.data_size());
                EXPECT_EQ(
                    std::vector<std::uint8_t>(got.data(), got.data() + got.data_size()),
                    std::vector<std::uint8_t>(image.data(), image.data() + image.data_size()));
                ASSERT_EQ(got.color_map() != nullptr, c.map != nullptr);
                if (c.map)
                {
                    EXPECT_TRUE(*got.color_map() == *c.map);
                }
            }
        }
}

TEST(Image_Round_Trip, Indexed_Image_Writes_The_Changed_Colour_Map_First)
{
    std::uint8_t const data[4] = {0, 1, 2, 3};
    WT_Image image(2, 2, WT_Image::Indexed, 0, nullptr, 4, data, WT_Logical_Point(0, 0),
                   WT_Logical_Point(2, 2), false);
    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [&](WT_File& file)
                         {
                             WT_RGBA32 const colors[4] = {WT_RGBA32(1, 2, 3), WT_RGBA32(4, 5, 6),
                                                          WT_RGBA32(7, 8, 9), WT_RGBA32(9, 9, 9)};
                             file.desired_rendition().color_map().set(4, colors, file);
                             file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
                             EXPECT_EQ(image.serialize(file), WT_Result_Success);
                             EXPECT_EQ(image.serialize(file), WT_Result_Success);
                         });
        Read_Back r = read_back(stream);
        ASSERT_EQ(r.objects.size(), 5u);
        EXPECT_EQ(r.objects[1]->object_id(), WT_Object::Color_Map_ID);
        EXPECT_EQ(static_cast<WT_Color_Map&>(*r.objects[1]).size(), 4);
        EXPECT_EQ(r.objects[2]->object_id(), WT_Object::Image_ID);
        EXPECT_EQ(r.objects[3]->object_id(), WT_Object::Image_ID);
    }
}

TEST(Image_Errors, Writing_Refuses_What_Cannot_Be_Written)
{
    std::uint8_t data[64] = {};
    WT_Color_Map const two = black_and_white();
    WT_Color_Map const three = make_map(3);
    WT_Color_Map const large = make_map(300);
    WT_Logical_Point const lo(0, 0), hi(1, 1);

    WT_Image no_rows(0, 4, WT_Image::RGB, 0, nullptr, 12, data, lo, hi, false);
    EXPECT_EQ(serialize_result(no_rows), WT_Result_Usage_Error);
    WT_Image no_data(1, 4, WT_Image::RGB, 0, nullptr, 12, nullptr, lo, hi, false);
    EXPECT_EQ(serialize_result(no_data), WT_Result_Usage_Error);
    WT_Image bad_format(1, 4, WT_Image::WT_Image_Format(9), 0, nullptr, 12, data, lo, hi, false);
    EXPECT_EQ(serialize_result(bad_format), WT_Result_Not_Available);
    WT_Image unmapped(1, 4, WT_Image::Mapped, 0, nullptr, 4, data, lo, hi, false);
    EXPECT_EQ(serialize_result(unmapped), WT_Result_Write_Failed);
    WT_Image bitonal_three(1, 8, WT_Image::Bitonal_Mapped, 0, &three, 1, data, lo, hi, false);
    EXPECT_EQ(serialize_result(bitonal_three), WT_Result_Usage_Error);
    // 3 rows of 9 columns need 6 bytes.
    WT_Image bitonal_short(3, 9, WT_Image::Bitonal_Mapped, 0, &two, 5, data, lo, hi, false);
    EXPECT_EQ(serialize_result(bitonal_short), WT_Result_Usage_Error);
    WT_Image rgba_short(2, 2, WT_Image::RGBA, 0, nullptr, 12, data, lo, hi, false);
    EXPECT_EQ(serialize_result(rgba_short), WT_Result_Usage_Error);

    // A map of more than 256 entries has no binary operand, but the ASCII form carries it.
    WT_Image wide_map(1, 4, WT_Image::Mapped, 0, &large, 4, data, lo, hi, false);
    EXPECT_EQ(serialize_result(wide_map, true), WT_Result_Usage_Error);
    std::string const ascii = write_stream(
        false, [&](WT_File& f) { EXPECT_EQ(wide_map.serialize(f), WT_Result_Success); });
    Read_Back const r = read_back(ascii);
    auto images = images_of(r);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->color_map()->size(), 300);
}

TEST(Image_Errors, Reading_Rejects_Inconsistent_Operands)
{
    std::string const corners = le32(0) + le32(0) + le32(1) + le32(1);
    // A bitonal frame never occurs in a stream.
    std::string bitonal = le16(8) + le16(1) + corners + le32(0) +
                          raw({2, 0, 0, 0, 255, 255, 255, 255, 255}) + le32(1) + raw({0}) + "}";
    EXPECT_EQ(read_back(framed_image(2, bitonal)).end, WT_Result_Corrupt_Stream);

    std::string const rgb = le16(1) + le16(1) + corners + le32(0) + le32(3) + raw({1, 2, 3}) + "}";
    EXPECT_EQ(read_back(framed_image(6, rgb)).end, WT_Result_End_Of_Stream);
    // Data size and frame size disagree: a huge size in a small frame is refused
    // before anything is allocated for it.
    std::string const huge =
        le16(1) + le16(1) + corners + le32(0) + le32(0xFFFFFFF0) + raw({1, 2, 3}) + "}";
    EXPECT_EQ(read_back(framed_image(6, huge)).end, WT_Result_Inconsistent_Operand);
    // RGBA data must hold exactly rows × columns pixels.
    std::string const rgba =
        le16(2) + le16(1) + corners + le32(0) + le32(4) + raw({1, 2, 3, 4}) + "}";
    EXPECT_EQ(read_back(framed_image(7, rgba)).end, WT_Result_Inconsistent_Operand);
    // A missing closing brace.
    std::string const unclosed =
        le16(1) + le16(1) + corners + le32(0) + le32(3) + raw({1, 2, 3}) + "!";
    EXPECT_EQ(read_back(framed_image(6, unclosed)).end, WT_Result_Corrupt_Stream);

    auto ascii = [](const std::string& operand)
    { return read_back("(W2D V06.00)(Image " + operand + ")(EndOfDWF)\r\n").end; };
    EXPECT_EQ(ascii("'RGB' 0 1,1 0,0 1,1 (3 010203)"), WT_Result_End_Of_Stream);
    EXPECT_EQ(ascii("'PNG' 0 1,1 0,0 1,1 (3 010203)"), WT_Result_Inconsistent_Operand);
    EXPECT_EQ(ascii("bitonal 0 1,1 0,0 1,1 (3 010203)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("'RGB' 0 1;1 0,0 1,1 (3 010203)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("'RGB' 0 1,1 0,0 1,1 3 010203)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("'RGB' 0 1,1 0,0 1,1 (-3 010203)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("'RGB' 0 1,1 0,0 1,1 (2147483647 01)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(ascii("'RGBA' 0 1,1 0,0 1,1 (3 010203)"), WT_Result_Inconsistent_Operand);
    EXPECT_EQ(ascii("'mapped' 0 1,1 0,0 1,1 (Color 1,2,3,4) (1 01)"), WT_Result_Corrupt_Stream);
    // A size the data does not back: the reader reaches the end of the input.
    EXPECT_EQ(read_back("(W2D V06.00)(Image 'RGB' 0 1,1 0,0 1,1 (200000000 0102").end,
              WT_Result_End_Of_Input);

    WT_Image image;
    WT_File file;
    WT_Opcode single;
    single.set_token(WT_Opcode::Single_Byte, "I", 1);
    EXPECT_EQ(image.skip_operand(single, file), WT_Result_Foreign_Opcode);
    EXPECT_EQ(image.materialize(single, file), WT_Result_Foreign_Opcode);
}

TEST(Image_Errors, Damaged_Streams_End_In_An_Error)
{
    WT_Color_Map const small = make_map(3);
    std::uint8_t data[40];
    for (int i = 0; i < 40; ++i)
        data[i] = std::uint8_t(i);
    WT_Image mapped(4, 10, WT_Image::Mapped, 3, &small, 40, data, WT_Logical_Point(1, 2),
                    WT_Logical_Point(30, 40), false);
    WT_Image rgba(2, 5, WT_Image::RGBA, 4, nullptr, 40, data, WT_Logical_Point(1, 2),
                  WT_Logical_Point(30, 40), false);
    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [&](WT_File& f)
                         {
                             EXPECT_EQ(mapped.serialize(f), WT_Result_Success);
                             EXPECT_EQ(rgba.serialize(f), WT_Result_Success);
                         });
        expect_damage_survived(stream, binary ? 11 : 12);
    }
}

namespace
{
// Walks a binary W2D stream on its own terms (no toolkit code) and returns the
// data of the first JPEG image frame.
bool find_jpeg(const std::string& s, std::vector<std::uint8_t>& jpeg)
{
    if (s.compare(0, 12, "(W2D V06.00)") != 0)
        return false;
    std::size_t at = 12;
    auto u32 = [&s](std::size_t p)
    {
        return std::uint32_t(std::uint8_t(s[p])) | (std::uint32_t(std::uint8_t(s[p + 1])) << 8) |
               (std::uint32_t(std::uint8_t(s[p + 2])) << 16) |
               (std::uint32_t(std::uint8_t(s[p + 3])) << 24);
    };
    while (at < s.size())
    {
        char const c = s[at];
        if (c == '\r' || c == '\n' || c == ' ')
            ++at;
        else if (c == '(')
        {
            int depth = 0;
            do
            {
                if (s[at] == '(')
                    ++depth;
                else if (s[at] == ')')
                    --depth;
                ++at;
            } while (depth > 0 && at < s.size());
        }
        else if (c == '{' && at + 7 <= s.size())
        {
            std::uint32_t const size = u32(at + 1);
            int const number = std::uint8_t(s[at + 5]) | (std::uint8_t(s[at + 6]) << 8);
            if (number == 8)
            {
                // number, columns, rows, two corners, identifier: 24 bytes, then the size.
                std::size_t const data_size_at = at + 5 + 2 + 4 + 16 + 4;
                std::uint32_t const n = u32(data_size_at);
                jpeg.assign(s.begin() + long(data_size_at + 4),
                            s.begin() + long(data_size_at + 4 + n));
                return n + 31 == size && s[data_size_at + 4 + n] == '}';
            }
            at += 5 + size;
        }
        else
            return false;
    }
    return false;
}
} // namespace

TEST(Image_Texture, Jpeg_Extracted_By_An_Independent_Walker_Is_Intact)
{
    // The texture converter's file: units in inches, then one JPEG image.
    std::vector<std::uint8_t> const jpeg = jpeg_bytes();
    std::string const stream = write_stream(
        true,
        [&](WT_File& file)
        {
            WT_Units units(WT_Matrix(), "in");
            EXPECT_EQ(units.serialize(file), WT_Result_Success);
            WT_Image image(50, 100, WT_Image::JPEG, 0, nullptr, std::uint32_t(jpeg.size()),
                           jpeg.data(), WT_Logical_Point(0, 0), WT_Logical_Point(100000, 50000),
                           false);
            EXPECT_EQ(image.serialize(file), WT_Result_Success);
        });
    Read_Back r = read_back(stream, 1, 7);
    EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
    auto units = r.all<WT_Units>(WT_Object::Units_ID);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_STREQ(units[0]->units().ascii(), "in");
    ASSERT_EQ(images_of(r).size(), 1u);

    std::vector<std::uint8_t> found;
    ASSERT_TRUE(find_jpeg(stream, found));
    EXPECT_EQ(found, jpeg);

    if (std::system("command -v identify > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick identify is not installed";
    char path[] = "/tmp/w2d_image_XXXXXX";
    int const fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, found.data(), found.size()), ssize_t(found.size()));
    close(fd);
    std::string const command = std::string("identify -format '%m %wx%h' ") + path;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[128] = {};
    std::string const answer = fgets(line, sizeof line, pipe) ? line : "";
    pclose(pipe);
    unlink(path);
    EXPECT_EQ(answer, "JPEG 100x50");
}

TEST(Image_Transform, Corners_Are_Transformed_Once_And_Stay_Lower_Left)
{
    std::uint8_t const rgb[3] = {1, 2, 3};
    WT_Image image(1, 1, WT_Image::RGB, 0, nullptr, 3, rgb, WT_Logical_Point(0, 0),
                   WT_Logical_Point(10, 20), false);
    auto rotated = [](WT_File& file, int rotation)
    {
        file.heuristics().m_apply_transform = true;
        file.heuristics().m_transform.m_x_scale = 2;
        file.heuristics().m_transform.m_y_scale = 2;
        file.heuristics().m_transform.m_translate_x = 100;
        file.heuristics().m_transform.m_translate_y = 200;
        file.heuristics().m_transform.m_rotation = rotation;
    };
    std::string const once = body_bytes(false,
                                        [&](WT_File& f)
                                        {
                                            rotated(f, 90);
                                            EXPECT_EQ(image.serialize(f), WT_Result_Success);
                                            EXPECT_EQ(image.serialize(f), WT_Result_Success);
                                        });
    // (100, 200) and (120, 240) turned by 90 degrees: x = 2147483647 − y, y = x.
    std::string const line =
        "\r\n   (Image 'RGB' 0 1,1 2147483407,100 2147483447,120 (3 \r\n\t010203))";
    EXPECT_EQ(once, line + line);
    EXPECT_TRUE(image.transformed());

    WT_Image turned(1, 1, WT_Image::RGB, 0, nullptr, 3, rgb, WT_Logical_Point(0, 0),
                    WT_Logical_Point(10, 20), false);
    WT_Result result = WT_Result_Success;
    write_stream(true,
                 [&](WT_File& f)
                 {
                     rotated(f, 45);
                     result = turned.serialize(f);
                 });
    EXPECT_EQ(result, WT_Result_Not_Available);

    // Reading applies the transform too; a corner pushed out of range is corrupt.
    std::string const stream = "(W2D V06.00)(Image 'RGB' 0 1,1 0,0 2000000000,10 (3 010203))"
                               "(EndOfDWF)";
    Read_Back plain = read_back(stream);
    EXPECT_EQ(plain.end, WT_Result_End_Of_Stream);
    Read_Back scaled = read_back(stream, 1, 64, [&](WT_File& f) { rotated(f, 0); });
    EXPECT_EQ(scaled.end, WT_Result_Corrupt_Stream);
    Read_Back small = read_back("(W2D V06.00)(Image 'RGB' 0 1,1 0,0 10,20 (3 010203))(EndOfDWF)", 1,
                                64, [&](WT_File& f) { rotated(f, 180); });
    auto images = images_of(small);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->min_corner(), WT_Logical_Point(2147483647 - 120, 2147483647 - 240));
    EXPECT_EQ(images[0]->max_corner(), WT_Logical_Point(2147483647 - 100, 2147483647 - 200));
}

TEST(Image_Round_Trip, A_Reader_That_Ignores_Images_Passes_Over_Them)
{
    WT_Color_Map const small = make_map(3);
    std::uint8_t data[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    WT_Image mapped(2, 2, WT_Image::Mapped, 3, &small, 4, data, WT_Logical_Point(1, 2),
                    WT_Logical_Point(3, 4), false);
    WT_Image rgb(2, 2, WT_Image::RGB, 3, nullptr, 12, data, WT_Logical_Point(1, 2),
                 WT_Logical_Point(3, 4), false);
    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [&](WT_File& f)
                         {
                             EXPECT_EQ(mapped.serialize(f), WT_Result_Success);
                             EXPECT_EQ(rgb.serialize(f), WT_Result_Success);
                         });
        w2d_test::Memory_Stream input(stream);
        WT_File file;
        w2d_test::open_for_reading(file, input, 1, 5);
        ASSERT_EQ(file.open(), WT_Result_Success);
        std::vector<int> ids;
        for (int step = 0; step < 100000 && ids.size() < 4; ++step)
        {
            WT_Result const result = file.get_next_object();
            if (result == WT_Result_Waiting_For_Data)
                continue;
            ASSERT_EQ(result, WT_Result_Success);
            ids.push_back(file.object()->object_id());
        }
        EXPECT_EQ(ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Image_ID,
                                         WT_Object::Image_ID, WT_Object::End_Of_DWF_ID}));
        file.close();
    }
}

TEST(Colour_Map_Old_Streams, The_First_Entry_Is_The_Background_Before_Version_25)
{
    auto background_after = [](const std::string& stream)
    {
        w2d_test::Memory_Stream input(stream);
        WT_File file;
        w2d_test::open_for_reading(file, input, 1, 3);
        EXPECT_EQ(file.open(), WT_Result_Success);
        EXPECT_EQ(w2d_test::read_stream(file), WT_Result_End_Of_Stream);
        WT_RGBA32 const color = file.rendition().background().color().rgba();
        file.close();
        return color;
    };
    std::string const maps = "(ColorMap 2 10,20,30,255 1,2,3,255)(EndOfDWF)";
    EXPECT_EQ(background_after("(DWF V00.24)" + maps), WT_RGBA32(10, 20, 30, 255));
    EXPECT_EQ(background_after("(DWF V00.25)" + maps), WT_RGBA32(0, 0, 0, 255));
    std::string const binary =
        "{" + le32(4 * 1 + 4) + le16(1) + raw({1, 7, 8, 9, 255}) + "}(EndOfDWF)";
    // Streams this old store binary colours blue first.
    EXPECT_EQ(background_after("(DWF V00.24)" + binary), WT_RGBA32(9, 8, 7, 255));
}
