// A whole stream as the model publisher writes one: header, compression, nested
// keyed segments, a pause, the terminator; into memory and into a file, checked
// with an independent inflater and read back through our reader.
#include "stream_harness.h"

#include "dwf/w3dtk/records/segments.h"

#include "dwfcore/TempFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace
{
using namespace w3d_test;

constexpr int Keyed_Segments = 12;

void opening(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    TK_Header header;
    serialize_own(header, writer);
    TK_Comment comment("W3D V01.00");
    serialize_own(comment, writer);
    TK_File_Info info;
    serialize_own(info, writer);
    (void)tk;
}

// Segment keys 1..12: 1 holds 2..6, 2 holds 7..12; names as the publisher makes
// them, the key in decimal.
void body(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    auto open = [&](TK_Key key)
    {
        std::string const name = std::to_string(key);
        serialize_with<TK_Open_Segment>(
            tk, writer, '(', [&](TK_Open_Segment& h) { h.SetSegment(name.c_str()); }, key);
    };
    auto close = [&] { serialize_own(tk.GetOpcodeHandler(')'), writer); };
    open(1);
    open(2);
    for (TK_Key key = 7; key <= Keyed_Segments; ++key)
    {
        open(key);
        close();
    }
    close();
    for (TK_Key key = 3; key <= 6; ++key)
    {
        open(key);
        if (key == 4)
            serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), writer);
        close();
    }
    close();
}

void setup(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(0x1A06);
    tk.SetNumNormalBits(24);
}

void whole_stream(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    opening(tk, writer);
    serialize_own(tk.GetOpcodeHandler('Z'), writer);
    body(tk, writer);
    serialize_own(tk.GetOpcodeHandler('z'), writer);
    serialize_own(tk.GetOpcodeHandler(0x00), writer);
}

Bytes written_stream()
{
    return write_records(whole_stream, W3DStreamWriter::Buffer_Size, setup);
}

std::string const Plain_Prefix = std::string(";; HSF V10.00 \n", 15) +
                                 std::string("I\x06\x1A\0\0", 5) + ";W3D V01.00\n" +
                                 std::string("I\0\0\0\0", 5) + "Z";

TEST(Stream, TheUncompressedPrefixIsPinned)
{
    Bytes const bytes = written_stream();
    ASSERT_GT(bytes.size(), Plain_Prefix.size() + 1);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + long(Plain_Prefix.size())),
              bytes_of(Plain_Prefix));
    EXPECT_EQ(bytes.back(), 0);
    // zlib header of level 9
    EXPECT_EQ(bytes[Plain_Prefix.size()], 0x78);
    EXPECT_EQ(bytes[Plain_Prefix.size() + 1], 0xDA);
}

TEST(Stream, TheSameBytesGoIntoAFile)
{
    std::unique_ptr<DWFCore::DWFTempFile> file(
        DWFCore::DWFTempFile::Create(DWFCore::DWFString(u"w3dtk_stream_"), true));
    BStreamFileToolkit tk;
    setup(tk);
    {
        W3DStreamWriter writer(*file->getOutputStream(), tk);
        writer.open();
        whole_stream(tk, writer);
        writer.close();
    }
    std::unique_ptr<DWFCore::DWFInputStream> input(file->getInputStream());
    Bytes from_file(input->available());
    ASSERT_EQ(input->read(from_file.data(), from_file.size()), from_file.size());
    EXPECT_EQ(from_file, written_stream());

    // and the toolkit reads it back from the file by itself
    BStreamFileToolkit reader_tk;
    ASSERT_EQ(reader_tk.OpenFile(file->file().nativePath().c_str()), TK_Done);
    W3DStreamReader reader(reader_tk);
    EXPECT_EQ(reader.read(), TK_Ended) << reader_tk.LastError();
    EXPECT_EQ(reader_tk.NextTagIndex(), Keyed_Segments);
    reader_tk.CloseFile();
}

std::string python()
{
    for (const char* candidate : {"/usr/bin/python3", "/usr/local/bin/python3"})
        if (access(candidate, X_OK) == 0)
            return candidate;
    if (std::system("command -v python3 >/dev/null 2>&1") == 0)
        return "python3";
    return "";
}

TEST(Stream, PythonsZlibInflatesTheCompressedSection)
{
    std::string const interpreter = python();
    if (interpreter.empty())
        GTEST_SKIP()
            << "python3 is not installed; the compressed section is not checked independently";
    Bytes const bytes = written_stream();
    Bytes const section(bytes.begin() + long(Plain_Prefix.size()), bytes.end() - 1);
    std::string const base = ::testing::TempDir() + "w3dtk_zlib_" + std::to_string(getpid());
    {
        std::ofstream out(base + ".z", std::ios::binary);
        out.write(reinterpret_cast<const char*>(section.data()), long(section.size()));
    }
    std::string const command =
        interpreter +
        " -c \"import sys, zlib; d = zlib.decompressobj(); "
        "out = d.decompress(open(sys.argv[1], 'rb').read()); "
        "assert d.eof and not d.unused_data; open(sys.argv[2], 'wb').write(out)\" " +
        base + ".z " + base + ".out";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(base + ".out", std::ios::binary);
    std::string const inflated((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    std::remove((base + ".z").c_str());
    std::remove((base + ".out").c_str());

    // The same records written plain, after the same opening, and the stop byte.
    Bytes const opening_bytes = write_records(opening, W3DStreamWriter::Buffer_Size, setup);
    Bytes const plain = write_records(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            opening(tk, writer);
            body(tk, writer);
        },
        W3DStreamWriter::Buffer_Size, setup);
    std::string expected(plain.begin() + long(opening_bytes.size()), plain.end());
    expected += 'z';
    EXPECT_EQ(inflated, expected);
}

TEST(Stream, ReadsBackWhateverTheInputChunks)
{
    Bytes const bytes = written_stream();
    for (std::size_t chunk : {1u, 2u, 3u, 64u, 4096u})
    {
        BStreamFileToolkit tk;
        std::vector<int> tags;
        std::vector<std::string> names;
        Read_Result const result = read_stream(
            bytes, chunk,
            [&](BBaseOpcodeHandler& h, BStreamFileToolkit& t)
            {
                if (h.Opcode() == 'q')
                    tags.push_back(t.NextTagIndex());
                if (auto* open = dynamic_cast<TK_Open_Segment*>(&h))
                    names.push_back(open->GetSegment());
            },
            {}, &tk);
        ASSERT_EQ(result.status, TK_Ended) << result.error << " chunk " << chunk;
        std::vector<int> expected_tags(Keyed_Segments);
        std::iota(expected_tags.begin(), expected_tags.end(), 0);
        EXPECT_EQ(tags, expected_tags);
        EXPECT_EQ(result.next_tag, Keyed_Segments);
        EXPECT_EQ(result.depth, 0);
        EXPECT_EQ(names.size(), std::size_t(Keyed_Segments));
        EXPECT_EQ(names.front(), "1");
        EXPECT_EQ(tk.GetPauseCount(), 1);
        EXPECT_EQ(result.opcodes.front(), ';');
        EXPECT_EQ(result.opcodes.back(), 0x00);
        EXPECT_EQ(std::count(result.opcodes.begin(), result.opcodes.end(), 'z'), 1);
        EXPECT_FALSE(tk.Accumulator().decompressing());
        for (int index = 0; index < Keyed_Segments; ++index)
        {
            TK_Key key = 0;
            EXPECT_EQ(tk.IndexToKey(index, key), TK_Done);
        }
    }
}

TEST(Stream, AReaderStopsAtTheTerminatorAndStaysThere)
{
    Bytes bytes = written_stream();
    bytes.push_back('('); // ignored: nothing is read after the terminator
    BStreamFileToolkit tk;
    Trickle_Input input(bytes, 4096);
    W3DStreamReader reader(tk, &input);
    EXPECT_EQ(reader.read(), TK_Ended);
    EXPECT_TRUE(reader.ended());
    EXPECT_EQ(reader.readRecord(), TK_Ended);
}

TEST(Stream, WrittenAlikeThroughEveryBufferSize)
{
    EXPECT_TRUE(writes_alike_in_every_buffer(whole_stream, setup));
}

TEST(Stream, DamagedStreamsEndInAnError)
{
    read_damaged_streams(written_stream(), 5, 1500);
    Bytes const plain = write_stream(body, setup);
    read_damaged_streams(plain, 2, 600);
}

TEST(Stream, FailingOutputIsReported)
{
    EXPECT_TRUE(write_fails_cleanly(whole_stream, setup, 32));
}

TEST(Stream, ATruncatedStreamSaysSo)
{
    Bytes bytes = written_stream();
    bytes.resize(bytes.size() - 1);
    Read_Result const result = read_stream(bytes, 4096);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "end of stream");
}

} // namespace
