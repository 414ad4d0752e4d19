// The seed corpus of fuzz/w3d_reader: valid streams of every kind of record.
// Each family adds its streams to seeds(). The disabled test rewrites the
// corpus files; the enabled one checks that every committed seed still reads
// to its terminator, or, for a "refused_" seed, ends in an error.
#include "stream_harness.h"

// ---- polyhedron
#include "mesh_fixtures.h"
// ---- end polyhedron
// ---- records
#include "record_streams.h"
// ---- end records
// ---- periphery
#include "every_opcode.h"
#include "periphery_streams.h"
// ---- end periphery
// ---- shell
#include "shell_fixtures.h"
// ---- end shell

#include "dwf/w3dtk/records/dictionary.h"
#include "dwf/w3dtk/records/renumber.h"
#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <iterator>
#include <map>

namespace
{
using namespace w3d_test;

std::string const Corpus = std::string(QUILLCAST_SOURCE_DIR) + "/fuzz/w3d_reader/corpus/";

void open_segment(BStreamFileToolkit& tk, W3DStreamWriter& writer, const char* name, TK_Key key)
{
    serialize_with<TK_Open_Segment>(
        tk, writer, '(', [&](TK_Open_Segment& h) { h.SetSegment(name); }, key);
}

void segments(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    open_segment(tk, writer, "1", 1);
    open_segment(tk, writer, "2", 2);
    serialize_own(tk.GetOpcodeHandler(')'), writer);
    serialize_with<TK_Reopen_Segment>(tk, writer, 's', [](TK_Reopen_Segment& h) { h.SetIndex(1); });
    serialize_with<TK_Renumber>(tk, writer, 'K', [](TK_Renumber& h) { h.SetKey(7); });
    serialize_with<TK_Renumber>(tk, writer, 'k', [](TK_Renumber& h) { h.SetKey(8); });
    serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), writer);
    serialize_own(tk.GetOpcodeHandler(')'), writer);
    serialize_own(tk.GetOpcodeHandler(')'), writer);
}

void publisher_flags(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(0x1A06);
}

Setup dictionary_setup(int format, int version)
{
    return [=](BStreamFileToolkit& tk)
    {
        tk.SetWriteFlags(TK_Option_Dictionary);
        tk.SetDictionaryFormat(format);
        tk.SetTargetVersion(version);
    };
}

void with_dictionary(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    for (TK_Key key = 1; key <= 3; ++key)
    {
        int const offset = static_cast<int>(tk.TotalBytes());
        open_segment(tk, writer, "part", key);
        serialize_own(tk.GetOpcodeHandler(')'), writer);
        tk.AddVariant(key, key - 1, offset, 8);
    }
    serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), writer);
    serialize_own(tk.GetOpcodeHandler('D'), writer);
}

// name -> (chunk byte, stream)
std::map<std::string, std::pair<std::uint8_t, Bytes>> seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    // ---- stream
    all["stream_segments_plain"] = {1, write_stream(segments, publisher_flags)};
    all["stream_segments_compressed"] = {0x03, write_stream(segments, publisher_flags, true)};
    all["stream_header_only"] = {0x10, write_stream({})};
    all["stream_version_650"] = {0x05, write_stream(segments, target_version(650))};
    all["stream_dictionary_0"] = {0x82, write_stream(with_dictionary, dictionary_setup(2, 700))};
    all["stream_dictionary_1"] = {0x87, write_stream(with_dictionary, dictionary_setup(1, 1000))};
    all["stream_dictionary_2"] = {0x90, write_stream(with_dictionary, dictionary_setup(2, 1000))};
    all["stream_dictionary_compressed"] = {
        0x8B, write_stream(with_dictionary, dictionary_setup(2, 1000), true)};
    // ---- end stream
    // ---- polyhedron
    all.merge(polyhedron_seeds());
    // ---- end polyhedron
    // ---- records
    all.merge(record_seeds());
    // ---- end records
    // ---- periphery
    all.merge(periphery_seeds());
    all["every_opcode"] = {0x01, write_stream(every_opcode, every_opcode_setup, true)};
    all["every_opcode_big_chunks"] = {0x80, write_stream(every_opcode, every_opcode_setup)};
    // ---- end periphery
    // ---- shell
    all.merge(shell_seeds());
    // ---- end shell
    return all;
}

TEST(FuzzSeeds, DISABLED_WriteTheCorpus)
{
    for (auto const& [name, seed] : seeds())
    {
        std::ofstream out(Corpus + name + ".w3d", std::ios::binary);
        out.put(static_cast<char>(seed.first));
        out.write(reinterpret_cast<const char*>(seed.second.data()), long(seed.second.size()));
        ASSERT_TRUE(out.good()) << name;
    }
}

TEST(FuzzSeeds, EverySeedReadsToItsTerminator)
{
    DIR* dir = opendir(Corpus.c_str());
    if (!dir)
        GTEST_SKIP() << "no corpus folder at " << Corpus;
    int checked = 0;
    while (dirent* entry = readdir(dir))
    {
        std::string const name = entry->d_name;
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".w3d") != 0)
            continue;
        std::ifstream in(Corpus + name, std::ios::binary);
        Bytes const bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << name;
        std::size_t const chunk = bytes[0] % 16 == 0 ? 4096 : bytes[0] % 16;
        Read_Result const result = read_stream(Bytes(bytes.begin() + 1, bytes.end()), chunk);
        // Inputs the fuzzer once found harmful are kept as seeds; they must be
        // refused cleanly.
        TK_Status const expected = name.rfind("refused_", 0) == 0 ? TK_Error : TK_Ended;
        EXPECT_EQ(result.status, expected) << name << ": " << result.error;
        ++checked;
    }
    closedir(dir);
    EXPECT_GT(checked, 0);
}

} // namespace
