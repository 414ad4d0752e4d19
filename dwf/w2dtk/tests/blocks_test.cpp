// Block fields, block references and the block directory: golden bytes of
// both forms, read back with input trickling in, the block modes of the file
// (write with in-place rewriting, read the directory, append), and damage.
#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/block_ref.h"
#include "dwf/w2dtk/directory.h"
#include "dwf/w2dtk/line_weight.h"

#include "dwf/w2dtk/tests/block_stream.h"
#include "dwf/w2dtk/tests/object_streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace w2d_test;
using w2d_block_test::Seekable_Stream;

namespace
{
template <class T> std::string field_body(const T& object, bool binary)
{
    return write_body(binary, 55,
                      [&](WT_File& file)
                      {
                          T copy = object;
                          EXPECT_EQ(copy.serialize(file), WT_Result_Success);
                      });
}

std::string padded(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%011u", value);
    return text;
}

std::string u32(std::uint32_t v)
{
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

WT_Guid::Value guid_value(std::uint32_t seed)
{
    WT_Guid::Value v;
    v.data1 = 0xA0B0C0D0u + seed;
    v.data2 = std::uint16_t(0x1234 + seed);
    v.data3 = 0xFFFF;
    for (std::size_t i = 0; i < 8; ++i)
        v.data4[i] = std::uint8_t(seed * 16 + i);
    return v;
}

// A reference of format with every property given a distinct value.
WT_Block_Ref rich_reference(std::uint16_t format)
{
    WT_Block_Ref r(format);
    for (int n = 1; n <= 6; ++n)
        r.set_guid(n, WT_Guid(guid_value(std::uint32_t(n))));
    for (int n = 1; n <= 7; ++n)
        r.set_time(n, WT_File_Time(std::uint32_t(n * 1000), 4000000000u + std::uint32_t(n)));
    for (int n = 1; n <= 6; ++n)
        r.set_flag(n, n % 2 == 1);
    r.set_integer(1, -123456);
    r.set_integer(2, 987654);
    r.set_short_value(1, -32768);
    r.set_short_value(2, 512);
    for (int i = 0; i < 5; ++i)
        r.set_real(i, 0.5 + i);
    r.set_point(1, WT_Logical_Point(-5, 7));
    r.set_point(2, WT_Logical_Point(2147483647, -2147483647 - 1));
    for (int i = 0; i < 3; ++i)
        r.set_triple(i, 100 * (i + 1));
    r.encryption().set_code(WT_Encryption::Reserved2);
    r.block_meaning().set_code(WT_Block_Meaning::Redline);
    r.orientation().set_code(WT_Orientation::Decoupled);
    r.alignment().set_code(WT_Alignment::Align_Top_Left);
    WT_Password::Bytes pw;
    for (std::size_t i = 0; i < pw.size(); ++i)
        pw[i] = std::uint8_t("(x')\\"[i % 5]);
    r.set_password(WT_Password(pw));
    WT_Matrix m;
    m.element(0) = 2.5;
    m.element(13) = -7;
    r.set_matrix(m);
    return r;
}

// A whole stream written through the seekable stream in the given mode.
std::string write_blocks(bool binary, int mode, const std::function<void(WT_File&)>& body,
                         Seekable_Stream* reuse = nullptr, int version = 55)
{
    Seekable_Stream own;
    Seekable_Stream& stream = reuse ? *reuse : own;
    WT_File file;
    stream.install(file);
    file.set_target_version(version);
    file.set_file_mode(mode);
    EXPECT_EQ(file.open(), WT_Result_Success);
    // Appending takes the form from the stream's own trailer.
    if (mode != WT_File::Block_Append)
        file.set_allow_binary_data(binary);
    body(file);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.text();
}

// Block references with a drawable-free block of line weights after each.
void three_blocks(WT_File& file)
{
    std::uint16_t const formats[] = {WT_Block_Ref::Graphics_Hdr, WT_Block_Ref::Thumbnail,
                                     WT_Block_Ref::Global};
    int weight = 1;
    for (std::uint16_t format : formats)
    {
        WT_Block_Ref reference = rich_reference(format);
        EXPECT_EQ(reference.serialize(file), WT_Result_Success);
        for (int i = 0; i < format % 7 + 1; ++i)
            EXPECT_EQ(WT_Line_Weight(weight++).serialize(file), WT_Result_Success);
    }
}

WT_Directory read_directory(const std::string& stream_bytes, std::size_t chunk = SIZE_MAX)
{
    Seekable_Stream stream(stream_bytes);
    stream.max_chunk = chunk;
    WT_File file;
    stream.install(file);
    file.set_target_version(55);
    file.set_file_mode(WT_File::Block_Read);
    EXPECT_EQ(file.open(), WT_Result_Success);
    WT_Directory copy = file.directory();
    file.close();
    return copy;
}
} // namespace

TEST(Block_Fields, Golden_Forms)
{
    EXPECT_EQ(field_body(WT_Block_Meaning(WT_Block_Meaning::Stamp), false),
              "\r\n   (BlockMeaning 'Stamp    ')");
    EXPECT_EQ(field_body(WT_Block_Meaning(WT_Block_Meaning::Stamp), true),
              "{" + bytes({5, 0, 0, 0, 0x42, 0x01, 4, 0}) + "}");
    EXPECT_EQ(field_body(WT_Alignment(), false), "\r\n   (Alignment 'Align_None        ')");
    EXPECT_EQ(field_body(WT_Orientation(WT_Orientation::Always_Different), true),
              "{" + bytes({5, 0, 0, 0, 0x45, 0x01, 2, 0}) + "}");
    EXPECT_EQ(field_body(WT_Encryption(WT_Encryption::Reserved3), false),
              "\r\n   (Encryption 'Reserved3')");
    // A meaning without a word closes empty; the other codes refuse.
    EXPECT_EQ(field_body(WT_Block_Meaning(3), false), "\r\n   (BlockMeaning )");
    write_body(false, 55,
               [](WT_File& file)
               { EXPECT_EQ(WT_Alignment(3).serialize(file), WT_Result_Not_Available); });

    EXPECT_EQ(field_body(WT_File_Time(7, 4000000000u), false),
              "\r\n   (Time 00000000007 04000000000)");
    EXPECT_EQ(field_body(WT_File_Time(7, 1), true),
              "{" + bytes({11, 0, 0, 0, 0x4D, 0x01}) + u32(7) + u32(1) + "}");

    WT_Guid guid(guid_value(1));
    EXPECT_EQ(field_body(guid, false),
              "\r\n   (Guid 2695938257 4661 65535 \r\n\t1011121314151617 )");
    EXPECT_EQ(field_body(guid, true),
              "{" + bytes({19, 0, 0, 0, 0x4A, 0x01}) + u32(0xA0B0C0D1u) +
                  bytes({0x35, 0x12, 0xFF, 0xFF, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}) +
                  "}");

    // An empty password is 32 zero bytes; one starting with zero is cleared.
    std::string const zeros(32, '\0');
    EXPECT_EQ(field_body(WT_Password(), true),
              "{" + bytes({35, 0, 0, 0, 0x4B, 0x01}) + zeros + "}");
    WT_Password::Bytes half{};
    half[5] = 'x';
    EXPECT_EQ(field_body(WT_Password(half), false), "\r\n   (Psswd '" + zeros + "')");
}

TEST(Block_Fields, Read_Back_In_Both_Forms_With_Input_Trickling)
{
    WT_Password::Bytes pw;
    for (std::size_t i = 0; i < pw.size(); ++i)
        pw[i] = std::uint8_t("a')(\\"[i % 5]);
    for (bool binary : {false, true})
    {
        std::string const stream = write_stream(
            binary, 55,
            [&](WT_File& file)
            {
                EXPECT_EQ(WT_Block_Meaning(WT_Block_Meaning::Reserved2).serialize(file), 0);
                EXPECT_EQ(WT_Encryption(WT_Encryption::Reserved1).serialize(file), 0);
                EXPECT_EQ(WT_Orientation(WT_Orientation::Decoupled).serialize(file), 0);
                EXPECT_EQ(WT_Alignment(WT_Alignment::Align_Bottom_Right).serialize(file), 0);
                EXPECT_EQ(WT_Password(pw).serialize(file), 0);
                EXPECT_EQ(WT_Guid(guid_value(9)).serialize(file), 0);
                EXPECT_EQ(WT_File_Time(0xFFFFFFFFu, 0).serialize(file), 0);
            });
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            Read_Back back =
                read_back<WT_Block_Meaning, WT_Encryption, WT_Orientation, WT_Alignment,
                          WT_Password, WT_Guid, WT_File_Time>(stream, 1, hi);
            ASSERT_EQ(back.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(back.objects.size(), 7u);
            EXPECT_EQ(back.at<WT_Block_Meaning>(0).code(), WT_Block_Meaning::Reserved2);
            EXPECT_EQ(back.at<WT_Encryption>(1).code(), WT_Encryption::Reserved1);
            EXPECT_EQ(back.at<WT_Orientation>(2).code(), WT_Orientation::Decoupled);
            EXPECT_EQ(back.at<WT_Alignment>(3).code(), WT_Alignment::Align_Bottom_Right);
            EXPECT_TRUE(back.at<WT_Password>(4) == WT_Password(pw));
            EXPECT_TRUE(back.at<WT_Guid>(5) == WT_Guid(guid_value(9)));
            EXPECT_TRUE(back.at<WT_File_Time>(6) == WT_File_Time(0xFFFFFFFFu, 0));
        }
    }
}

TEST(Block_Fields, Malformed_Operands)
{
    std::string const head = header(55);
    std::string const tail = trailer(false);
    auto end_of = [&](const std::string& body)
    { return read_back<WT_Alignment>(head + body + tail).end; };
    // The whole word, blanks included, must match.
    EXPECT_EQ(end_of("(Alignment 'Align_Center')"), WT_Result_Not_Available);
    EXPECT_EQ(end_of("(Orientation 'Sideways')"), WT_Result_Not_Available);
    // An unknown meaning keeps the previous value.
    Read_Back lenient = read_back<WT_Block_Meaning>(head + "(BlockMeaning 'Unheard')" + tail);
    EXPECT_EQ(lenient.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(lenient.objects.size(), 1u);
    EXPECT_EQ(lenient.at<WT_Block_Meaning>(0).code(), WT_Block_Meaning::None);
    // Binary: a code outside the table, a wrong frame, a missing brace.
    EXPECT_EQ(end_of("{" + bytes({5, 0, 0, 0, 0x42, 0x01, 3, 0}) + "}"), WT_Result_Not_Available);
    EXPECT_EQ(end_of("{" + bytes({5, 0, 0, 0, 0x43, 0x01, 16, 0}) + "}"), WT_Result_Not_Available);
    EXPECT_EQ(end_of("{" + bytes({6, 0, 0, 0, 0x42, 0x01, 4, 0}) + "}"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(end_of("{" + bytes({5, 0, 0, 0, 0x42, 0x01, 4, 0}) + ")"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_back<WT_Password>(head + "(Psswd x)" + tail).end, WT_Result_Corrupt_Stream);
}

TEST(Block_Ref, Null_Format_Golden_Stream_With_Directory_And_Rewrite)
{
    // Target version 55, plain write mode: the reference joins the directory,
    // the directory precedes the trailer and the reference is rewritten with
    // the size of its block.
    std::string const ascii = write_blocks(false, WT_File::File_Write,
                                           [](WT_File& file)
                                           {
                                               WT_Block_Ref null;
                                               null.set_flag(2, true);
                                               EXPECT_EQ(null.serialize(file), WT_Result_Success);
                                           });
    std::string const reference = "\r\n(BlockRef 'Null' " + padded(36) + " 0 1 )";
    std::string const entry = "\r\n(BlockRef 'Null' " + padded(12) + " " + padded(36) + " 0 1 )";
    EXPECT_EQ(ascii, header(55) + reference + "\r\n(Directory " + padded(1) + " " + entry + " " +
                         padded(48) + ")\r\n(EndOfDWF)\r\n");

    std::string const binary = write_blocks(true, WT_File::File_Write,
                                            [](WT_File& file)
                                            {
                                                WT_Block_Ref null;
                                                EXPECT_EQ(null.serialize(file), 0);
                                            });
    std::string const ref_bytes =
        "{" + u32(9) + bytes({0x5A, 0x01}) + u32(14) + "00" + "}"; // 14 bytes
    std::string const entry_bytes =
        "{" + u32(13) + bytes({0x5A, 0x01}) + u32(12) + u32(14) + "00" + "}";
    EXPECT_EQ(binary, header(55) + ref_bytes + "{" + u32(18 + 11) + bytes({0x60, 0x01}) + u32(1) +
                          entry_bytes + u32(26) + "}(EndOfDWF)\r\n");
}

TEST(Block_Ref, Version_600_Refuses_And_Sync_Writes_Once)
{
    std::string const refused = write_body(false, 600,
                                           [](WT_File& file)
                                           {
                                               WT_Block_Ref r(WT_Block_Ref::Graphics);
                                               EXPECT_EQ(r.serialize(file), WT_Result_Usage_Error);
                                           });
    EXPECT_EQ(refused, "");

    std::string const once = write_blocks(false, WT_File::File_Write,
                                          [](WT_File& file)
                                          {
                                              WT_Block_Ref r(WT_Block_Ref::User);
                                              file.desired_rendition().block_ref() = r;
                                              EXPECT_EQ(WT_Line_Weight(1).serialize(file), 0);
                                              EXPECT_EQ(WT_Line_Weight(2).serialize(file), 0);
                                              EXPECT_EQ(r.sync(file), 0);
                                          });
    std::size_t first = once.find("(BlockRef 'User'");
    ASSERT_NE(first, std::string::npos);
    // Once in the stream, once inside the directory.
    std::size_t second = once.find("(BlockRef 'User'", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(once.find("(Directory", first), std::string::npos);
    EXPECT_LT(once.find("(Directory"), second);
    EXPECT_EQ(once.find("(BlockRef 'User'", second + 1), std::string::npos);
    EXPECT_LT(first, once.find("(LineWeight 1)"));

    // ASCII has no word for format 350.
    write_body(false, 55,
               [](WT_File& file)
               {
                   WT_Block_Ref r(WT_Block_Ref::BlockRef);
                   EXPECT_EQ(r.serialize(file), WT_Result_Not_Available);
               });
}

TEST(Block_Ref, Presence_Follows_The_Format)
{
    // Operand sizes without the offset: 2 + 4 + properties + 1.
    EXPECT_EQ(WT_Block_Ref(WT_Block_Ref::Null).binary_operand_size(false), 9u);
    EXPECT_EQ(WT_Block_Ref(WT_Block_Ref::Graphics).binary_operand_size(false), 7u + 56 + 1);
    EXPECT_EQ(WT_Block_Ref(WT_Block_Ref::Graphics_Hdr).binary_operand_size(false),
              7u + 56 + 10 + 1 + 1 + 4 + 3 + 8 + 10 + 2 + 10 + 16 + 2 + 16 + 16);
    EXPECT_EQ(WT_Block_Ref(WT_Block_Ref::Thumbnail).entry_size(),
              5u + 11 + 56 + 10 + 1 + 24 + 4 + 12 + 128);
    EXPECT_EQ(WT_Block_Ref(WT_Block_Ref::BlockRef).binary_operand_size(true), 11u);

    // Only the properties the format carries take part in equality.
    WT_Block_Ref a(WT_Block_Ref::Graphics), b(WT_Block_Ref::Graphics);
    a.set_matrix(rich_reference(WT_Block_Ref::Thumbnail).matrix());
    b.set_block_size(99);
    EXPECT_TRUE(a == b);
    b.set_guid(1, WT_Guid(guid_value(3)));
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(WT_Block_Ref(WT_Block_Ref::User) == WT_Block_Ref(WT_Block_Ref::Overlay));
}

TEST(Block_Ref, Every_Format_Reads_Back_With_Its_Properties)
{
    for (bool binary : {false, true})
    {
        std::vector<WT_Block_Ref> written;
        std::string const stream = write_blocks(
            binary, WT_File::Block_Write,
            [&](WT_File& file)
            {
                for (int f = WT_Block_Ref::Graphics_Hdr; f <= WT_Block_Ref::Signature; ++f)
                {
                    written.push_back(rich_reference(std::uint16_t(f)));
                    EXPECT_EQ(written.back().serialize(file), WT_Result_Success) << f;
                }
            });
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            Read_Back back = read_back<WT_Block_Ref, WT_Directory>(stream, 1, hi);
            ASSERT_EQ(back.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(back.objects.size(), written.size() + 1);
            for (std::size_t i = 0; i < written.size(); ++i)
            {
                auto const& read = back.at<WT_Block_Ref>(i);
                EXPECT_TRUE(read == written[i]) << binary << " format " << written[i].format();
                EXPECT_GT(read.block_size(), 0u);
            }
            auto const& directory = back.at<WT_Directory>(written.size());
            ASSERT_EQ(directory.count(), written.size());
            std::size_t i = 0;
            for (const auto& entry : directory.entries())
                EXPECT_TRUE(*entry == written[i++]);
            // The last read reference is the one in force.
            EXPECT_EQ(back.rendition->block_ref().format(), WT_Block_Ref::Signature);
        }
    }
}

TEST(Block_Modes, Write_Rewrites_In_Place_And_Read_Finds_The_Directory)
{
    for (bool binary : {false, true})
    {
        std::string const stream = write_blocks(binary, WT_File::Block_Write, three_blocks);
        // Rewriting in place left the trailer the last bytes of the stream.
        std::string const end = "(EndOfDWF)\r\n";
        EXPECT_EQ(stream.find(end), stream.size() - end.size());
        WT_Directory const directory = read_directory(stream);
        ASSERT_EQ(directory.count(), 3u);
        std::uint32_t expected_offset = 12; // right after the header
        for (const auto& entry : directory.entries())
        {
            EXPECT_EQ(entry->file_offset(), expected_offset) << binary;
            std::string const at = stream.substr(entry->file_offset(), 11);
            EXPECT_EQ(at.substr(0, binary ? 1 : 11), binary ? "{" : "\r\n(BlockRef");
            expected_offset += entry->block_size();
        }
        // The blocks fill the stream up to the directory.
        EXPECT_EQ(expected_offset, directory.file_offset());

        // The references in the stream carry the same sizes as the directory,
        // and rewriting kept every byte around them in place.
        Read_Back back = read_back<WT_Block_Ref, WT_Line_Weight>(stream);
        ASSERT_EQ(back.end, WT_Result_End_Of_Stream);
        std::vector<std::uint32_t> sizes;
        int weights = 0;
        for (auto const& object : back.objects)
        {
            if (auto* r = dynamic_cast<WT_Block_Ref*>(object.get()))
                sizes.push_back(r->block_size());
            else
                ++weights;
        }
        EXPECT_EQ(weights, 3 + 7 + 6);
        std::vector<std::uint32_t> directory_sizes;
        for (const auto& entry : directory.entries())
            directory_sizes.push_back(entry->block_size());
        EXPECT_EQ(sizes, directory_sizes);

        // One byte at a time from the stream, the same directory.
        WT_Directory const trickled = read_directory(stream, 1);
        EXPECT_EQ(trickled.count(), 3u);
        EXPECT_EQ(trickled.file_offset(), directory.file_offset());
    }
}

TEST(Block_Modes, Append_Continues_A_Stream_And_Extends_Its_Directory)
{
    for (bool binary : {false, true})
    {
        Seekable_Stream stream;
        write_blocks(binary, WT_File::Block_Write, three_blocks, &stream);
        std::string const before = stream.text();
        write_blocks(
            !binary, WT_File::Block_Append,
            [binary](WT_File& file)
            {
                EXPECT_EQ(file.binary_output(), binary); // taken from the trailer
                WT_Block_Ref redline(WT_Block_Ref::Redline);
                EXPECT_EQ(redline.serialize(file), WT_Result_Success);
                EXPECT_EQ(WT_Line_Weight(500).serialize(file), WT_Result_Success);
            },
            &stream);
        std::string const after = stream.text();
        WT_Directory const old_directory = read_directory(before);
        WT_Directory directory = read_directory(after);
        ASSERT_EQ(directory.count(), 4u);
        // The old blocks stand where they stood; the new one starts at the old
        // directory's place.
        EXPECT_EQ(
            after.compare(0, old_directory.file_offset(), before, 0, old_directory.file_offset()),
            0);
        EXPECT_EQ(directory.last()->file_offset(), old_directory.file_offset());
        Read_Back back = read_back<WT_Line_Weight>(after);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        EXPECT_EQ(back.objects.size(), 17u);
        // The line weight written last differs from the last one read, so it went out.
        EXPECT_EQ(back.at<WT_Line_Weight>(16).weight_value(), 500);
    }
}

TEST(Block_Modes, Refusals)
{
    // A failed append closes the stream at once and leaves it untouched.
    {
        std::string const input = header(55) + "(BlockRef 'Null' 0 0 0 )\r\n(EndOfDWF)\r\n";
        Seekable_Stream stream(input);
        WT_File file;
        stream.install(file);
        file.set_target_version(55);
        file.set_file_mode(WT_File::Block_Append);
        EXPECT_NE(file.open(), WT_Result_Success);
        EXPECT_FALSE(file.is_open());
        EXPECT_EQ(file.close(), WT_Result_Success);
        EXPECT_EQ(stream.text(), input);
        EXPECT_EQ(stream.closes, 1);
    }
    // Reading the directory of a stream that has none, or of a version-6 stream.
    for (const std::string& input :
         {header(55) + "\r\n(EndOfDWF)\r\n", header(600) + "\r\n(EndOfDWF)\r\n", std::string("xx")})
    {
        Seekable_Stream stream(input);
        WT_File file;
        stream.install(file);
        file.set_target_version(55);
        file.set_file_mode(WT_File::Block_Read);
        EXPECT_NE(file.open(), WT_Result_Success);
        EXPECT_EQ(file.close(), WT_Result_Success);
    }
    // A directory offset pointing outside the stream.
    std::string bad = write_blocks(false, WT_File::Block_Write, three_blocks);
    std::size_t const digits = bad.size() - std::string(")\r\n(EndOfDWF)\r\n").size() - 11;
    bad.replace(digits, 11, "99999999999");
    Seekable_Stream stream(bad);
    WT_File file;
    stream.install(file);
    file.set_target_version(55);
    file.set_file_mode(WT_File::Block_Read);
    EXPECT_EQ(file.open(), WT_Result_Open_Failed);
}

TEST(Block_Ref, Damaged_Streams_Fail_Cleanly)
{
    for (bool binary : {false, true})
    {
        std::string const stream = write_blocks(binary, WT_File::Block_Write, three_blocks);
        expect_survives_damage(stream, 150, binary ? 3 : 4);
    }
    std::string const head = header(55);
    auto end_of = [&](const std::string& body)
    { return read_back<WT_Directory, WT_Block_Ref>(head + body + trailer(false)).end; };
    // Entry counts the directory cannot hold, entries outside its frame.
    EXPECT_EQ(end_of("(Directory -1 0)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(Directory 99999999 0)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("{" + u32(11) + bytes({0x60, 0x01}) + u32(1) + "{" + u32(13) +
                     bytes({0x5A, 0x01}) + u32(0) + u32(0) + "00}" + u32(0) + "}"),
              WT_Result_Inconsistent_Operand);
    // A reference frame that disagrees with its format.
    EXPECT_EQ(end_of("{" + u32(10) + bytes({0x5A, 0x01}) + u32(0) + "00}"),
              WT_Result_Inconsistent_Operand);
    // Nested fields are opcodes of their own.
    EXPECT_EQ(end_of("(BlockRef 'Graphics' 1 X"), WT_Result_Corrupt_Stream);
}

TEST(Block_Modes, Files_On_Disk_Through_The_Default_Procedures)
{
    char path[] = "/tmp/quillcast_blocks_XXXXXX";
    int const fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    auto open_file = [&path](WT_File& file, int mode)
    {
        file.set_filename(path);
        file.set_target_version(55);
        file.set_file_mode(mode);
        return file.open();
    };
    {
        WT_File writer;
        ASSERT_EQ(open_file(writer, WT_File::Block_Write), WT_Result_Success);
        writer.set_allow_binary_data(true);
        three_blocks(writer);
        EXPECT_EQ(writer.close(), WT_Result_Success);
    }
    {
        WT_File appender;
        ASSERT_EQ(open_file(appender, WT_File::Block_Append), WT_Result_Success);
        WT_Block_Ref user(WT_Block_Ref::User);
        EXPECT_EQ(user.serialize(appender), WT_Result_Success);
        EXPECT_EQ(appender.close(), WT_Result_Success);
    }
    WT_File reader;
    ASSERT_EQ(open_file(reader, WT_File::Block_Read), WT_Result_Success);
    EXPECT_EQ(reader.directory().count(), 4u);
    EXPECT_EQ(reader.directory().last()->format(), WT_Block_Ref::User);
    EXPECT_EQ(reader.close(), WT_Result_Success);
    std::remove(path);
}
