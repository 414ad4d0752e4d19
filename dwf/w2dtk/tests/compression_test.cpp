// Compressed streams: both coders against uncompressed streams, the deflate
// section against python3's zlib, the LZ section against a decoder written here
// from the format alone, the section framing, and damaged compressed input.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/compression_dictionary.h"
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/unknown.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace w2d_test;

namespace
{
std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

std::string dictionary(std::size_t n = WT_Compression_Dictionary::Size)
{
    return std::string(reinterpret_cast<const char*>(WT_Compression_Dictionary::bytes()), n);
}

std::string header(int version)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d.%02d)", version >= 600 ? "(W2D V" : "(DWF V",
                  version / 100, version % 100);
    return text;
}

struct Sheet_Options
{
    int version = 600;
    bool binary = false;
    bool compress = false;
    int colors = 400;
    bool unknown_in_the_middle = false;
};

// A sheet of colours (repeating enough to compress, varied enough to need
// literals), colour maps and, on request, an unknown opcode half way.
std::string write_sheet(const Sheet_Options& o)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_target_version(o.version);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(o.binary);
    file.set_allow_data_compression(o.compress);
    for (int i = 0; i < o.colors; ++i)
    {
        WT_Color color(i * 37 % 256, i % 7 * 40, (i / 5) % 256, 255 - i % 3);
        EXPECT_EQ(color.serialize(file), WT_Result_Success);
        if (i % 50 == 0)
        {
            WT_Color_Map map(i % 100 == 0 ? 600 : 30);
            EXPECT_EQ(map.serialize(file), WT_Result_Success);
        }
        if (o.unknown_in_the_middle && i == o.colors / 2)
        {
            std::string const raw = "(Later 'kept as read')";
            WT_Unknown unknown(raw.data(), raw.size());
            EXPECT_EQ(unknown.serialize(file), WT_Result_Success);
        }
    }
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.written();
}

// What a reader sees: object kinds and colours, in order.
struct Seen
{
    WT_Result end = WT_Result_Success;
    std::vector<int> ids;
    std::vector<std::uint32_t> values;
    bool operator==(const Seen& o) const
    {
        return end == o.end && ids == o.ids && values == o.values;
    }
};

Seen read_sheet(const std::string& input, std::size_t lo = 1, std::size_t hi = 64,
                unsigned seed = 1)
{
    Seen seen;
    Memory_Stream stream(input);
    stream.random.seed(seed);
    WT_File file;
    open_for_reading(file, stream, lo, hi);
    EXPECT_EQ(file.open(), WT_Result_Success);
    seen.end = read_stream(
        file,
        [&seen](WT_Object& object)
        {
            // Markers only exist in compressed streams; the content is what counts.
            if (object.object_id() == WT_Object::Compression_Marker_ID)
                return;
            seen.ids.push_back(object.object_id());
            if (object.object_id() == WT_Object::Color_ID)
                seen.values.push_back(static_cast<WT_Color&>(object).rgba().m_rgba);
            if (object.object_id() == WT_Object::Color_Map_ID)
                seen.values.push_back(std::uint32_t(static_cast<WT_Color_Map&>(object).size()));
        },
        long(input.size()) * 200 + 100000);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return seen;
}

// The body between the header and the section: what the coder was given.
struct Section
{
    std::string marker;     // the seven marker bytes
    std::string compressed; // the coder's output, up to the closing "}"
    std::string after;      // from "}" on
};

Section split(const std::string& stream, int version)
{
    Section s;
    std::size_t const start = header(version).size();
    s.marker = stream.substr(start, 7);
    std::size_t const end = stream.rfind('}');
    s.compressed = stream.substr(start + 7, end - start - 7);
    s.after = stream.substr(end);
    return s;
}

std::string uncompressed_body(const std::string& stream, int version)
{
    // The uncompressed sheet without its header and its "(EndOfDWF)" line.
    std::size_t const start = header(version).size();
    std::size_t const end = stream.rfind("(EndOfDWF)");
    std::string body = stream.substr(start, end - start);
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2); // the end object's own line break
    return body;
}

// An LZ decoder written from the format description alone: control byte,
// literals, match length and a 16-bit offset, byte-by-byte copies.
bool lz_decode(const std::string& in, bool primed, bool window_positions, std::string& out,
               std::size_t& used)
{
    std::vector<std::uint8_t> history;
    if (primed)
    {
        std::string const d = dictionary();
        history.assign(d.begin(), d.end());
    }
    std::size_t at = 0;
    auto next = [&](std::uint8_t& b)
    {
        if (at >= in.size())
            return false;
        b = std::uint8_t(in[at++]);
        return true;
    };
    for (;;)
    {
        std::uint8_t c = 0, b = 0;
        if (!next(c))
            return false;
        if (c == 0)
        {
            used = at;
            return true;
        }
        std::size_t literals = c & 15;
        if (literals == 15 && next(b))
            literals += b;
        for (std::size_t i = 0; i < literals; ++i)
        {
            if (!next(b))
                return false;
            history.push_back(b);
            out.push_back(char(b));
        }
        std::size_t length = c >> 4;
        if (length == 0)
            continue;
        length = length == 15 ? (next(b), 18 + std::size_t(b)) : length + 3;
        std::uint8_t lo = 0, hi = 0;
        if (!next(lo) || !next(hi))
            return false;
        std::size_t const offset = lo | std::size_t(hi) << 8;
        std::size_t from = 0;
        if (window_positions)
        {
            if (history.size() > 65536 || offset >= history.size())
                return false; // these tests stay within one unwrapped window
            from = offset;
        }
        else
        {
            if (offset + 1 > history.size())
                return false;
            from = history.size() - offset - 1;
        }
        for (std::size_t i = 0; i < length; ++i)
        {
            history.push_back(history[from + i]);
            out.push_back(char(history.back()));
        }
    }
}

std::string python3_inflate(const std::string& compressed, const std::string& zdict)
{
    char in_name[] = "/tmp/w2d_deflateXXXXXX";
    char dict_name[] = "/tmp/w2d_dictXXXXXX";
    int const in_fd = mkstemp(in_name);
    int const dict_fd = mkstemp(dict_name);
    EXPECT_GE(in_fd, 0);
    EXPECT_GE(dict_fd, 0);
    EXPECT_EQ(write(in_fd, compressed.data(), compressed.size()), ssize_t(compressed.size()));
    EXPECT_EQ(write(dict_fd, zdict.data(), zdict.size()), ssize_t(zdict.size()));
    close(in_fd);
    close(dict_fd);
    std::string const command =
        std::string(
            "python3 -c \"import sys,zlib; d=zlib.decompressobj(zdict=open(sys.argv[2],'rb')"
            ".read()); sys.stdout.buffer.write(d.decompress(open(sys.argv[1],'rb').read()))"
            "; sys.exit(0 if d.eof else 3)\" ") +
        in_name + " " + dict_name;
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char chunk[4096];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, n);
        EXPECT_EQ(pclose(pipe), 0) << "python3 could not inflate the section";
    }
    std::remove(in_name);
    std::remove(dict_name);
    return output;
}

bool have_python3()
{
    return std::system("python3 -c 'import zlib' >/dev/null 2>&1") == 0;
}

// Deflates with the dictionary, as a writer of our streams would.
std::string deflate_with_dictionary(const std::string& data, const std::string& zdict)
{
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, 6), Z_OK);
    EXPECT_EQ(
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(zdict.data()), uInt(zdict.size())),
        Z_OK);
    std::string out(deflateBound(&z, uLong(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

const std::string Zlib_Marker = bytes({'{', 0, 0, 0, 0, 17, 0});
const std::string LZ_Marker = bytes({'{', 0, 0, 0, 0, 16, 0});
} // namespace

TEST(Compression_Dictionary, Holds_The_Stated_Layout)
{
    std::string const d = dictionary();
    ASSERT_EQ(d.size(), 13523u);
    EXPECT_EQ(d.substr(0, 65), "(DashPattern (LineStyle (Copyright (Keywords (Viewport (CodePage ");
    // The two binary colour maps are the toolkit's own default tables: read
    // them as a stream would carry them.
    std::string const stream = header(600) +
                               d.substr(WT_Compression_Dictionary::Current_Map_Offset,
                                        2 * WT_Compression_Dictionary::Binary_Map_Size) +
                               "(EndOfDWF)\r\n";
    Memory_Stream input(stream);
    WT_File file;
    open_for_reading(file, input);
    ASSERT_EQ(file.open(), WT_Result_Success);
    std::vector<WT_Color_Map> maps;
    EXPECT_EQ(read_stream(file,
                          [&maps](WT_Object& o)
                          {
                              if (o.object_id() == WT_Object::Color_Map_ID)
                                  maps.push_back(static_cast<WT_Color_Map&>(o));
                          }),
              WT_Result_End_Of_Stream);
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_TRUE(maps[0] == WT_Color_Map(600));
    EXPECT_TRUE(maps[1] == WT_Color_Map(37));
    // Everything after the maps is text (the zlib part ends inside the ASCII).
    for (std::size_t i = 65 + 2 * 1033; i < d.size(); ++i)
        ASSERT_TRUE(d[i] == '\r' || d[i] == '\n' || d[i] == '\t' || (d[i] >= 32 && d[i] < 127))
            << "byte " << i;
}

TEST(Compressed_Streams, Read_Back_As_The_Uncompressed_Ones_At_Every_Version)
{
    for (int version : {600, 55, 39, 38, 37, 36, 23, 22})
        for (bool binary : {false, true})
        {
            Sheet_Options o;
            o.version = version;
            o.binary = binary;
            Seen const plain = read_sheet(write_sheet(o));
            ASSERT_EQ(plain.end, WT_Result_End_Of_Stream);
            o.compress = true;
            std::string const packed = write_sheet(o);
            EXPECT_LT(packed.size(), write_sheet(Sheet_Options{version, binary}).size() / 2);
            EXPECT_EQ(packed.substr(header(version).size(), 7),
                      version >= 39 ? Zlib_Marker : LZ_Marker);
            for (std::size_t hi : {1, 13, 100000})
                EXPECT_TRUE(read_sheet(packed, 1, hi, unsigned(hi)) == plain)
                    << "version " << version << " binary " << binary << " chunks " << hi;
        }
}

TEST(Compressed_Streams, Sections_Longer_Than_The_History_Window_Read_Back)
{
    // Past 64 KiB the LZ history wraps: offsets and window positions must
    // still name the same bytes on both sides.
    for (int version : {600, 38, 22})
    {
        Sheet_Options o;
        o.version = version;
        o.colors = 3000;
        std::string const plain_stream = write_sheet(o);
        ASSERT_GT(plain_stream.size(), 3u * 65536);
        Seen const plain = read_sheet(plain_stream, 1, 100000);
        o.compress = true;
        EXPECT_TRUE(read_sheet(write_sheet(o), 1, 100000) == plain) << "version " << version;
    }
}

TEST(Compressed_Streams, Deflate_Section_Inflates_With_Python_Using_The_Leading_Dictionary)
{
    if (!have_python3())
        GTEST_SKIP() << "python3 with zlib is not installed";
    for (bool binary : {false, true})
    {
        Sheet_Options o;
        o.binary = binary;
        std::string const body = uncompressed_body(write_sheet(o), 600);
        o.compress = true;
        Section const s = split(write_sheet(o), 600);
        EXPECT_EQ(s.marker, Zlib_Marker);
        // The zlib header announces a preset dictionary and names it by checksum.
        ASSERT_GT(s.compressed.size(), 6u);
        EXPECT_TRUE(std::uint8_t(s.compressed[1]) & 0x20);
        uLong const id = adler32(adler32(0, nullptr, 0), WT_Compression_Dictionary::bytes(),
                                 uInt(WT_Compression_Dictionary::Zlib_Size));
        EXPECT_EQ(std::uint32_t(std::uint8_t(s.compressed[2])) << 24 |
                      std::uint32_t(std::uint8_t(s.compressed[3])) << 16 |
                      std::uint32_t(std::uint8_t(s.compressed[4])) << 8 |
                      std::uint8_t(s.compressed[5]),
                  id);
        EXPECT_EQ(python3_inflate(s.compressed, dictionary(11476)), body);
        EXPECT_EQ(s.after.substr(0, 1), "}");
        EXPECT_EQ(s.after.substr(s.after.size() - 12), "(EndOfDWF)\r\n");
    }
}

TEST(Compressed_Streams, LZ_Sections_Decode_With_An_Independent_Decoder)
{
    // 38: full priming; 36: the writer leaves out the opening names; 22: window
    // positions and no priming at all.
    for (int version : {38, 36, 22})
        for (bool binary : {false, true})
        {
            Sheet_Options o;
            o.version = version;
            o.binary = binary;
            o.colors = 300; // keeps the unprimed section inside one window
            std::string const body = uncompressed_body(write_sheet(o), version);
            o.compress = true;
            Section const s = split(write_sheet(o), version);
            EXPECT_EQ(s.marker, LZ_Marker);
            std::string decoded;
            std::size_t used = 0;
            ASSERT_TRUE(lz_decode(s.compressed + "}", version >= 23, version < 23, decoded, used))
                << "version " << version;
            EXPECT_EQ(used, s.compressed.size());
            EXPECT_EQ(decoded, body) << "version " << version << " binary " << binary;
        }
}

TEST(Compressed_Streams, Long_Runs_And_Long_Literal_Stretches_Use_The_Extended_Counts)
{
    // Incompressible bytes force 270-literal tokens; long runs force matches
    // of 273 and overlapping copies. Both coders, read back through the file.
    std::mt19937 random(7);
    std::string payload;
    // Bytes that need no quoting inside a quoted operand.
    while (payload.size() < 3000)
    {
        char const c = char(random() % 256);
        if (std::string("'\\(){}").find(c) == std::string::npos)
            payload.push_back(c);
    }
    payload += std::string(5000, 'x') + "(Tail)";
    for (int version : {600, 38, 22})
    {
        Memory_Stream stream;
        WT_File file;
        stream.install(file);
        file.set_target_version(version);
        file.set_file_mode(WT_File::File_Write);
        ASSERT_EQ(file.open(), WT_Result_Success);
        file.set_allow_data_compression(true);
        std::string const wrapped = "(Blob '" + payload + "')";
        // Unknown opcodes go out raw; write the same bytes through the coder.
        ASSERT_EQ(file.write(wrapped.size(), wrapped.data()), WT_Result_Success);
        ASSERT_EQ(file.close(), WT_Result_Success);
        std::string const written = stream.written();
        if (version < 39)
        {
            Section const s = split(written, version);
            std::string decoded;
            std::size_t used = 0;
            ASSERT_TRUE(lz_decode(s.compressed + "}", version >= 23, version < 23, decoded, used));
            EXPECT_TRUE(decoded == wrapped);
        }
        // Read through the file: the blob is an unknown opcode kept byte for byte.
        Memory_Stream input(written);
        WT_File reader;
        open_for_reading(reader, input, 1, 300);
        ASSERT_EQ(reader.open(), WT_Result_Success);
        std::string kept;
        EXPECT_EQ(read_stream(reader,
                              [&kept](WT_Object& o)
                              {
                                  if (o.object_id() == WT_Object::Unknown_ID)
                                  {
                                      auto const& b = static_cast<WT_Unknown&>(o).bytes();
                                      kept.assign(b.begin(), b.end());
                                  }
                              }),
                  WT_Result_End_Of_Stream);
        EXPECT_TRUE(kept == wrapped) << "version " << version;
    }
}

TEST(Compressed_Sections, Raw_Opcodes_End_A_Section_And_A_New_Marker_Starts_The_Next)
{
    for (int version : {600, 38})
    {
        Sheet_Options o;
        o.version = version;
        o.unknown_in_the_middle = true;
        Seen const plain = read_sheet(write_sheet(o));
        o.compress = true;
        std::string const packed = write_sheet(o);
        std::string const marker = version >= 39 ? Zlib_Marker : LZ_Marker;
        std::size_t const first = packed.find(marker);
        std::size_t const second = packed.find(marker, first + 1);
        ASSERT_NE(second, std::string::npos);
        // The unknown opcode stands raw between "}" and the second marker.
        std::string const raw = "}(Later 'kept as read')";
        EXPECT_EQ(packed.substr(second - raw.size(), raw.size()), raw);
        // Each section's end clears the recorded marker, so the second one is
        // accepted and the raw end object after the last section reads plainly.
        for (std::size_t hi : {1, 64})
            EXPECT_TRUE(read_sheet(packed, 1, hi) == plain) << "version " << version;
    }
}

TEST(Compressed_Sections, Framing_Faults_Are_Corrupt_Streams)
{
    std::string const zdict = dictionary(11476);
    std::string const end = "(EndOfDWF)\r\n";
    // A marker met inside an active section.
    std::string nested = header(600) + Zlib_Marker +
                         deflate_with_dictionary(Zlib_Marker + "(Color 1,2,3,4)", zdict) + "}" +
                         end;
    EXPECT_EQ(read_sheet(nested).end, WT_Result_Corrupt_Stream);
    // The byte after the coder's end must be "}".
    std::string unclosed =
        header(600) + Zlib_Marker + deflate_with_dictionary("(Color 1,2,3,4)", zdict) + end;
    EXPECT_EQ(read_sheet(unclosed).end, WT_Result_Corrupt_Stream);
    std::string lz_unclosed = header(38) + LZ_Marker + bytes({1, 'C', 0}) + end;
    EXPECT_EQ(read_sheet(lz_unclosed, 1, 1).end, WT_Result_Corrupt_Stream);
    // A well-formed section next to these passes.
    std::string closed =
        header(600) + Zlib_Marker + deflate_with_dictionary("(Color 1,2,3,4)", zdict) + "}" + end;
    EXPECT_EQ(read_sheet(closed, 1, 1).end, WT_Result_End_Of_Stream);
    // Deflate data primed with another dictionary cannot be read here.
    std::string foreign = header(600) + Zlib_Marker +
                          deflate_with_dictionary("(Color 1,2,3,4)", "another dictionary") + "}" +
                          end;
    EXPECT_EQ(read_sheet(foreign).end, WT_Result_Not_Available);
}

TEST(Compressed_Sections, LZ_Offsets_Must_Lie_Within_The_Filled_History)
{
    std::string const end = "}(EndOfDWF)\r\n";
    auto read_lz = [&](int version, std::string section)
    { return read_sheet(header(version) + LZ_Marker + section + end, 1, 5); };
    // Primed (0.23 and newer): offsets 0 to 13,522 reach into the dictionary;
    // offset 13,522 copies its first bytes, "(Das", and the literals behind
    // make an unknown opcode of them.
    Seen const deepest = read_lz(38, bytes({0x10, 0xD2, 0x34, 0x05}) + "hxyz)" + bytes({0}));
    EXPECT_EQ(deepest.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(deepest.ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Unknown_ID,
                                             WT_Object::End_Of_DWF_ID}));
    EXPECT_EQ(read_lz(38, bytes({0x10, 0xD3, 0x34, 0})).end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_lz(38, bytes({0x10, 0xFF, 0xFF, 0})).end, WT_Result_Corrupt_Stream);
    // Unprimed (before 0.23): positions must have been written already.
    EXPECT_EQ(read_lz(22, bytes({0x10, 0x00, 0x00, 0})).end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_lz(22, bytes({0x13, '(', 'A', 'b', 0x03, 0x00, 0})).end,
              WT_Result_Corrupt_Stream);
    Seen const overlapping =
        read_lz(22, bytes({0x23, '(', 'A', 'b', 0x02, 0x00}) + bytes({1, ')', 0}));
    EXPECT_EQ(overlapping.end, WT_Result_End_Of_Stream);
}

TEST(Compressed_Streams, Skipping_Unread_Objects_Stays_In_Step)
{
    // A reader that never materializes anything: every object, the markers
    // included, is passed over by its skip, and the loop must still meet the
    // end object after the last compressed section.
    for (int version : {600, 38})
    {
        Sheet_Options o;
        o.version = version;
        o.binary = version == 600;
        o.compress = true;
        o.unknown_in_the_middle = true;
        std::string const packed = write_sheet(o);
        std::size_t const objects = read_sheet(packed).ids.size() + 2; // + two markers
        Memory_Stream stream(packed);
        WT_File file;
        open_for_reading(file, stream, 1, 9);
        ASSERT_EQ(file.open(), WT_Result_Success);
        std::size_t count = 0;
        WT_Result result = WT_Result_Success;
        for (int step = 0; step < 1000000; ++step)
        {
            result = file.get_next_object();
            if (result == WT_Result_Waiting_For_Data)
                continue;
            if (result != WT_Result_Success)
                break;
            ++count;
            if (file.object()->object_id() == WT_Object::End_Of_DWF_ID)
                break;
        }
        EXPECT_EQ(result, WT_Result_Success) << "version " << version;
        EXPECT_EQ(count, objects) << "version " << version;
    }
}

TEST(Compressed_Streams, Write_Failures_Reach_The_Caller)
{
    for (int version : {600, 38})
    {
        auto write_colors = [version](Memory_Stream& stream)
        {
            WT_File file;
            stream.install(file);
            file.set_target_version(version);
            file.set_file_mode(WT_File::File_Write);
            EXPECT_EQ(file.open(), WT_Result_Success);
            file.set_allow_data_compression(true);
            WT_Result first = WT_Result_Success;
            for (int i = 0; i < 3000 && first == WT_Result_Success; ++i)
                first = WT_Color(i * 37 % 256, i % 7 * 40, (i / 5) % 256).serialize(file);
            WT_Result const closed = file.close();
            return first != WT_Result_Success ? first : closed;
        };
        Memory_Stream whole;
        ASSERT_EQ(write_colors(whole), WT_Result_Success);
        std::size_t const full = whole.output.size();
        for (std::size_t limit : {std::size_t(12), std::size_t(15), full / 2, full - 3})
        {
            Memory_Stream stream;
            stream.fail_writes_after = limit;
            EXPECT_EQ(write_colors(stream), WT_Result_Write_Failed)
                << "version " << version << " limit " << limit;
            EXPECT_LE(stream.output.size(), limit);
        }
    }
}

TEST(Compressed_Streams, Damaged_Input_Ends_In_An_Error_Never_A_Crash_Or_Hang)
{
    std::vector<std::string> bases;
    for (int version : {600, 38, 22})
    {
        Sheet_Options o;
        o.version = version;
        o.binary = version != 38;
        o.compress = true;
        o.colors = 60;
        o.unknown_in_the_middle = true;
        bases.push_back(write_sheet(o));
    }
    // Every truncation of each stream fails, one byte per read or in chunks.
    for (const std::string& base : bases)
        // (Only the end object's own line break may go: it is read by then.)
        for (std::size_t cut = 0; cut + 2 < base.size(); ++cut)
        {
            Seen const s = read_sheet(base.substr(0, cut), 1, cut % 2 ? 1 : 64, unsigned(cut));
            ASSERT_NE(s.end, Stalled) << "cut " << cut;
            ASSERT_NE(s.end, WT_Result_End_Of_Stream) << "cut " << cut;
        }
    std::mt19937 random(99);
    auto pick = [&random](std::size_t n)
    { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int round = 0; round < 3000; ++round)
    {
        std::string input = bases[std::size_t(round) % bases.size()];
        for (std::size_t n = 1 + pick(3); n > 0; --n)
            input[header(600).size() + pick(input.size() - 12)] = char(pick(256));
        Seen const s = read_sheet(input, 1, 1 + pick(40), unsigned(round));
        ASSERT_NE(s.end, Stalled) << "round " << round;
    }
}

namespace
{
// Plain streams from the seeds of the W2D fuzz targets, which use the opcodes
// of every family: the reader's seeds carry one leading byte, the compressed
// target's plain seeds two (the first one 0).
std::vector<std::string> seed_streams(const char* target, std::size_t prefix)
{
    std::vector<std::string> seeds;
    std::string const folder = std::string(QUILLCAST_SOURCE_DIR) + "/fuzz/" + target + "/corpus/";
    std::unique_ptr<FILE, int (*)(FILE*)> list(
        popen(("ls " + folder + " 2>/dev/null").c_str(), "r"), pclose);
    char name[512];
    while (list && std::fgets(name, sizeof name, list.get()))
    {
        std::string path = folder + name;
        path.pop_back(); // the newline
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        std::string const seed = content.str();
        bool const marked = seed.find(Zlib_Marker) != std::string::npos ||
                            seed.find(LZ_Marker) != std::string::npos;
        if (seed.size() > prefix && !marked && (prefix < 2 || seed[0] == 0))
            seeds.push_back(seed.substr(prefix));
    }
    return seeds;
}

int version_of(const std::string& stream)
{
    if (stream.size() < 12 || (stream.compare(0, 6, "(W2D V") && stream.compare(0, 6, "(DWF V")))
        return -1;
    return std::atoi(stream.substr(6, 2).c_str()) * 100 + std::atoi(stream.substr(9, 2).c_str());
}

// The same stream with everything between header and end object written
// through the coder of its version.
std::string recompress(const std::string& stream, int version)
{
    std::size_t const end = stream.rfind("(EndOfDWF)");
    std::string body = stream.substr(12, end - 12);
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2); // the end object writes its own
    Memory_Stream out;
    WT_File file;
    out.install(file);
    file.set_target_version(version);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(false);
    file.set_allow_data_compression(true);
    EXPECT_EQ(file.write(body.size(), body.data()), WT_Result_Success);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.substr(0, 12) + out.written().substr(12);
}

// Kinds of the objects read, markers left out; empty unless the stream is read
// to its end object.
std::vector<int> objects_of(const std::string& input, std::size_t hi)
{
    std::vector<int> seen;
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, 1, hi);
    EXPECT_EQ(file.open(), WT_Result_Success);
    WT_Result const end = read_stream(file,
                                      [&seen](WT_Object& o)
                                      {
                                          if (o.object_id() != WT_Object::Compression_Marker_ID)
                                              seen.push_back(o.object_id());
                                      });
    file.close();
    return end == WT_Result_End_Of_Stream ? seen : std::vector<int>();
}

// Unprocessed fills leave the rendition's fill off, so a reader that processes
// nothing meets the unfilled forms of filled drawables.
std::vector<int> unfilled(std::vector<int> kinds)
{
    for (int& kind : kinds)
        if (kind == WT_Object::Polygon_ID)
            kind = WT_Object::Polyline_ID;
        else if (kind == WT_Object::Filled_Ellipse_ID)
            kind = WT_Object::Outline_Ellipse_ID;
    return kinds;
}

// The kinds met by a reader that materializes nothing, so that every object
// is passed over by its own skip; markers left out.
std::vector<int> skipped_objects_of(const std::string& input)
{
    std::vector<int> seen;
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, 1, 5);
    EXPECT_EQ(file.open(), WT_Result_Success);
    for (long step = 0; step < long(input.size()) * 100 + 1000; ++step)
    {
        WT_Result const result = file.get_next_object();
        if (result == WT_Result_Waiting_For_Data)
            continue;
        if (result != WT_Result_Success)
        {
            ADD_FAILURE() << "skipping stopped with " << result << " after kinds "
                          << ::testing::PrintToString(seen);
            break;
        }
        int const id = file.object()->object_id();
        if (id != WT_Object::Compression_Marker_ID)
            seen.push_back(id);
        if (id == WT_Object::End_Of_DWF_ID)
            break;
    }
    file.close();
    return seen;
}
} // namespace

TEST(Compressed_Streams, Every_Family_Reads_The_Same_Behind_A_Decompressor)
{
    std::vector<std::string> seeds = seed_streams("w2d_reader", 1);
    for (std::string& seed : seed_streams("w2d_compressed", 2))
        seeds.push_back(std::move(seed));
    int used = 0;
    for (const std::string& seed : seeds)
    {
        int const version = version_of(seed);
        if (version < 0 || seed.rfind("(EndOfDWF)") == std::string::npos)
            continue;
        // Seeds that are damaged on purpose have no plain reading to compare with.
        auto const plain = objects_of(seed, 64);
        if (plain.empty())
            continue;
        std::string const packed = recompress(seed, version);
        ++used;
        for (std::size_t hi : {1, 64})
            EXPECT_EQ(objects_of(packed, hi), plain) << "seed of version " << version;
        // A reader that materializes nothing stays in step in both forms.
        EXPECT_EQ(unfilled(skipped_objects_of(seed)), unfilled(plain));
        EXPECT_EQ(unfilled(skipped_objects_of(packed)), unfilled(plain));
        // Truncated anywhere before the end object, the compressed form fails cleanly.
        for (std::size_t cut = 12; cut + 14 < packed.size(); cut += 1 + cut / 16)
        {
            Memory_Stream stream(packed.substr(0, cut));
            WT_File file;
            open_for_reading(file, stream, 1, 1 + cut % 7);
            ASSERT_EQ(file.open(), WT_Result_Success);
            WT_Result const r = read_stream(file, {}, long(packed.size()) * 200 + 1000);
            EXPECT_NE(r, Stalled);
            EXPECT_NE(r, WT_Result_End_Of_Stream) << "cut " << cut;
        }
    }
    if (used == 0)
        GTEST_SKIP() << "no plain W2D seeds under fuzz/";
}
