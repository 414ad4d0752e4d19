// The toolkit's settings, keys, tags, lists, files and log.
#include "stream_harness.h"

#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/stream/opcode_names.h"

#include "dwfcore/BufferInputStream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace
{
using namespace w3d_test;

std::string temp_path(const std::string& name)
{
    return ::testing::TempDir() + "w3dtk_" + std::to_string(getpid()) + "_" + name;
}

std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Toolkit, StartsWithTheDocumentedSettings)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(tk.GetTargetVersion(), 1000);
    EXPECT_EQ(tk.GetReadVersion(), 0);
    EXPECT_EQ(tk.GetWriteFlags(), 0);
    EXPECT_EQ(tk.GetReadFlags(), 0);
    EXPECT_EQ(tk.GetNumNormalBits(), 10);
    EXPECT_EQ(tk.GetNumVertexBits(), 24);
    EXPECT_EQ(tk.GetNumParameterBits(), 24);
    EXPECT_EQ(tk.GetNumColorBits(), 24);
    EXPECT_EQ(tk.GetNumIndexBits(), 8);
    EXPECT_EQ(tk.GetJpegQuality(), 75);
    EXPECT_EQ(tk.GetDictionaryFormat(), 2);
    EXPECT_EQ(tk.GetDictionaryOptions(), 1);
    EXPECT_EQ(&tk.GetCurrentHandler(), &tk.GetDefaultHandler());
    EXPECT_EQ(tk.GetWorldBounding(), nullptr);
    for (int opcode = 0; opcode < 256; ++opcode)
        EXPECT_EQ(tk.GetOpcodeHandler(opcode).Opcode(), opcode);
}

TEST(Toolkit, RestartKeepsFlagsAndBitsButNotTheStream)
{
    BStreamFileToolkit tk;
    tk.SetWriteFlags(0x1A06);
    tk.SetReadFlags(2);
    tk.SetNumNormalBits(24);
    tk.SetDictionaryFormat(1);
    tk.SetLoggingOptions(3);
    tk.SetTargetVersion(650);
    tk.SetJpegQuality(90);
    tk.SetReadVersion(900);
    tk.SetHeaderFlag(true);
    tk.AddIndexKeyPair(4, 44);
    tk.TakeNextTagIndex();
    tk.set_last_key(9);
    tk.AddPauseOffset(12);
    tk.AdjustSegmentDepth(2);
    tk.AddExternalReference("a", -1);
    tk.AddInstance(1, 0, 'S', 3, 4, 0);
    tk.GetOpcodeHandler('(').Reset();
    dynamic_cast<TK_Open_Segment&>(tk.GetOpcodeHandler('(')).SetSegment("left over");

    tk.Restart();
    EXPECT_EQ(tk.GetWriteFlags(), 0x1A06);
    EXPECT_EQ(tk.GetReadFlags(), 2);
    EXPECT_EQ(tk.GetNumNormalBits(), 24);
    EXPECT_EQ(tk.GetDictionaryFormat(), 1);
    EXPECT_EQ(tk.GetLoggingOptions(), 3);
    EXPECT_EQ(tk.GetTargetVersion(), 1000);
    EXPECT_EQ(tk.GetJpegQuality(), 75);
    EXPECT_EQ(tk.GetReadVersion(), 0);
    EXPECT_FALSE(tk.GetHeaderFlag());
    EXPECT_EQ(tk.KeyTable().Count(), 0);
    EXPECT_EQ(tk.NextTagIndex(), 0);
    EXPECT_TRUE(tk.PendingKeys().empty());
    EXPECT_TRUE(tk.PauseOffsets().empty());
    EXPECT_EQ(tk.GetSegmentDepth(), 0);
    EXPECT_TRUE(tk.ExternalReferences().empty());
    EXPECT_EQ(tk.FindInstance('S', 3, 4, 0), nullptr);
    EXPECT_TRUE(dynamic_cast<TK_Open_Segment&>(tk.GetOpcodeHandler('(')).GetSegment().empty());
}

TEST(Toolkit, PendingKeysAreSetAppendedAndCleared)
{
    BStreamFileToolkit tk;
    tk.set_last_key(5);
    EXPECT_EQ(tk.PendingKeys(), std::vector<TK_Key>{5});
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(tk.append_last_key(i), TK_Done);
    EXPECT_EQ(tk.PendingKeys().size(), 201u);
    tk.set_last_key(6);
    EXPECT_EQ(tk.PendingKeys(), std::vector<TK_Key>{6});
    tk.ClearLastKey();
    EXPECT_TRUE(tk.PendingKeys().empty());
}

TEST(Toolkit, TaggingGivesEachNewKeyOneTagAndTheNextIndex)
{
    Bytes const bytes = write_records(
        [](BStreamFileToolkit& tk, W3DStreamWriter&)
        {
            tk.set_last_key(100);
            tk.append_last_key(200);
            tk.append_last_key(300);
            ASSERT_EQ(tk.TagPendingKeys(-1), TK_Done);
            tk.set_last_key(100);
            ASSERT_EQ(tk.TagPendingKeys(-1), TK_Done); // already indexed: no tag
            int index = -1;
            for (TK_Key key : {100, 200, 300})
            {
                ASSERT_EQ(tk.KeyToIndex(key, index), TK_Done);
                EXPECT_EQ(index, key / 100 - 1);
            }
            EXPECT_EQ(tk.NextTagIndex(), 3);
            EXPECT_EQ(tk.GetObjectCount(), 0); // tags are not objects
        });
    EXPECT_EQ(bytes, bytes_of("qqq"));
}

TEST(Toolkit, TaggingWithAVariantRecordsThePosition)
{
    BStreamFileToolkit tk;
    Memory_Output output;
    W3DStreamWriter writer(output, tk);
    writer.open();
    tk.set_last_key(7);
    ASSERT_EQ(tk.TagPendingKeys(3), TK_Done);
    int offset = -1;
    int length = -1;
    ASSERT_EQ(tk.GetOffset(7, 3, offset, length), TK_Done);
    EXPECT_EQ(offset, 0); // the position words never advance
    ASSERT_NE(tk.KeyTable().Record(0)->variants, nullptr);
    EXPECT_EQ(tk.GetOffset(8, 0, offset, length), TK_Not_Found);
}

TEST(Toolkit, VariantsAreRecordedPerKey)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(tk.AddVariant(1, 0, 10, 20), TK_Not_Found); // no index yet
    tk.AddIndexKeyPair(0, 1);
    EXPECT_EQ(tk.AddVariant(1, -1, -1, -1), TK_Done); // nothing to store
    EXPECT_EQ(tk.KeyTable().Record(0)->variants, nullptr);
    EXPECT_EQ(tk.AddVariant(1, -1, 10, 20), TK_Done); // -1 counts as 0
    EXPECT_EQ(tk.AddVariant(1, 7, 30, -1), TK_Done);
    EXPECT_EQ(tk.AddVariant(1, 8, 30, 1), TK_Error);
    int offset = 0;
    int length = 0;
    tk.GetOffset(1, 0, offset, length);
    EXPECT_EQ(offset, 10);
    EXPECT_EQ(length, 20);
    tk.GetOffset(1, 7, offset, length);
    EXPECT_EQ(offset, 30);
    EXPECT_EQ(length, 0);
}

TEST(Toolkit, PauseOffsetsAndTheFirstOne)
{
    BStreamFileToolkit tk;
    tk.SetFirstPauseOffset(5); // appended to an empty list
    tk.AddPauseOffset(9);
    tk.SetFirstPauseOffset(6);
    EXPECT_EQ(tk.PauseOffsets(), (std::vector<int>{6, 9}));
    std::vector<int> many(BStreamFileToolkit::Max_Pauses, 1);
    tk.SetPauseOffsets(many);
    EXPECT_EQ(tk.AddPauseOffset(1), TK_Error);
}

TEST(Toolkit, WorldBoundingFromASphere)
{
    BStreamFileToolkit tk;
    float const centre[3] = {1, 2, 3};
    tk.SetWorldBoundingBySphere(centre, 1);
    ASSERT_NE(tk.GetWorldBounding(), nullptr);
    std::vector<float> const box(tk.GetWorldBounding(), tk.GetWorldBounding() + 6);
    EXPECT_EQ(box, (std::vector<float>{0, 1, 2, 2, 3, 4}));
}

TEST(Toolkit, ReferencesResolveAgainstTheCurrentFile)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(tk.ResolveReference("part.w3d"), "part.w3d");
    std::string const path = temp_path("dir_ref.w3d");
    {
        std::ofstream(path) << "x";
    }
    ASSERT_EQ(tk.OpenFile(path.c_str()), TK_Done);
    std::string const dir = path.substr(0, path.rfind('/') + 1);
    EXPECT_EQ(tk.ResolveReference("c:/x.w3d"), "c:/x.w3d");
    EXPECT_EQ(tk.ResolveReference("/abs/x.w3d"), "/abs/x.w3d");
    EXPECT_EQ(tk.ResolveReference("./x.w3d"), dir + "x.w3d");
    std::string const parent = dir.substr(0, dir.rfind('/', dir.size() - 2) + 1);
    EXPECT_EQ(tk.ResolveReference(".././x.w3d"), parent + "x.w3d");
    tk.CloseFile();
    std::remove(path.c_str());
}

TEST(Toolkit, InstancesAreFoundByOpcodeAndValues)
{
    BStreamFileToolkit tk;
    tk.AddInstance(10, 0, 'S', 8, 12, 0);
    tk.AddInstance(11, 1, 'S', 8, 12, 0);
    tk.AddInstance(12, 0, 'M', 8, 12, 0);
    BInstanceRecord const* found = tk.FindInstance('S', 8, 12, 0);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->key, 11); // the newest
    EXPECT_EQ(tk.FindInstance('S', 8, 13, 0), nullptr);
    tk.FreeLists();
    EXPECT_EQ(tk.FindInstance('M', 8, 12, 0), nullptr);
}

TEST(Toolkit, ErrorsAreRememberedAndEndTheLog)
{
    std::string const log = temp_path("error.log");
    BStreamFileToolkit tk;
    tk.SetLogFile(log.c_str());
    tk.SetLogging(true);
    tk.LogEntry("before");
    EXPECT_EQ(tk.ErrorF("bad %s %d", "thing", 3), TK_Error);
    EXPECT_EQ(tk.LastError(), "bad thing 3");
    EXPECT_FALSE(tk.GetLogging());
    tk.LogEntry("after"); // logging is off now
    tk.SetLogFile(nullptr);
    EXPECT_EQ(file_text(log), "before\nTK_Error.  bad thing 3");
    std::remove(log.c_str());

    BStreamFileToolkit quiet;
    quiet.SetLogging(true); // no file: the first entry is an error
    EXPECT_EQ(quiet.LogEntry("x"), TK_Error);
    EXPECT_EQ(quiet.LastError(), "Log file not open");
    EXPECT_FALSE(quiet.GetLogging());
}

TEST(Toolkit, TheLogListsOpcodesWithCountsAndNames)
{
    std::string const log = temp_path("opcodes.log");
    Bytes const bytes = write_records(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            tk.SetLogFile(log.c_str());
            tk.SetLoggingOptions(TK_Log_Counts);
            tk.SetLogging(true);
            serialize_with<TK_Open_Segment>(tk, writer, '(',
                                            [](TK_Open_Segment& h) { h.SetSegment("a"); });
            serialize_own(tk.GetOpcodeHandler(0x00), writer);
            tk.SetLogFile(nullptr);
        });
    EXPECT_EQ(file_text(log), "     1: 0x28 (()    Open_Segment        \n"
                              "     2: 0x00        Termination         ");
    std::remove(log.c_str());
}

TEST(Toolkit, OpcodeNamesCoverEveryByte)
{
    EXPECT_STREQ(TK_Opcode_Name(0x5D), "Stop_User_Data");
    EXPECT_STREQ(TK_Opcode_Name(0xFF), "<Extended>");
    EXPECT_STREQ(TK_Opcode_Name(0x27), "-- ' --");
    EXPECT_STREQ(TK_Opcode_Name(0x02), "-- 0x02 --");
    EXPECT_STREQ(TK_Opcode_Name(0x7F), "-- 0x7F --");
    EXPECT_STREQ(TK_Opcode_Name(0xE0), "W3D_Image");
    EXPECT_STREQ(TK_Opcode_Name(0x65), "Elliprical_Arc");
    EXPECT_EQ(TK_Opcode_Text('S'), "0x53 (S)    Shell");
    EXPECT_EQ(TK_Opcode_Text(0x10), "0x10        PolyPolyline");
}

TEST(Toolkit, UnassignedOpcodesFailNamingTheOpcode)
{
    for (auto const& [byte, name] : std::vector<std::pair<int, std::string>>{
             {0x5D, "0x5D (])    Stop_User_Data"}, {0xFF, "0xFF        <Extended>"}})
    {
        Read_Result const result = read_stream(Bytes{static_cast<std::uint8_t>(byte)}, 1);
        EXPECT_EQ(result.status, TK_Error);
        EXPECT_EQ(result.error, "unhandled opcode " + name + " read");
    }
}

TEST(Toolkit, FilesReportEachMisuse)
{
    BStreamFileToolkit tk;
    char buffer[8];
    int amount = 5;
    long size = 0;
    EXPECT_EQ(tk.CloseFile(), TK_Error);
    EXPECT_EQ(tk.LastError(), "no file open to close");
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Error);
    EXPECT_EQ(amount, 0);
    EXPECT_EQ(tk.LastError(), "no file open for read");
    EXPECT_EQ(tk.WriteBuffer(buffer, 8), TK_Error);
    EXPECT_EQ(tk.LastError(), "no file open for write");
    EXPECT_EQ(tk.PositionFile(0), TK_Error);
    EXPECT_EQ(tk.LastError(), "no file open to position");
    EXPECT_EQ(tk.QueryFileSize(size), TK_Error);
    EXPECT_EQ(tk.LastError(), "no file open to query");
    EXPECT_EQ(tk.OpenFile("/nonexistent/dir/file.w3d"), TK_Error);
    EXPECT_EQ(tk.LastError(), "file open failure");

    std::string const path = temp_path("rw.w3d");
    ASSERT_EQ(tk.OpenFile(path.c_str(), true), TK_Done);
    EXPECT_EQ(tk.WriteBuffer("abcdef", 6), TK_Done);
    ASSERT_EQ(tk.CloseFile(), TK_Done);
    ASSERT_EQ(tk.OpenFile(path.c_str()), TK_Done);
    EXPECT_EQ(tk.QueryFileSize(size), TK_Done);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(tk.PositionFile(-2), TK_Done);
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Done);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(amount)), "ef");
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Error);
    EXPECT_EQ(tk.LastError(), "read past end of file");
    EXPECT_EQ(tk.CloseFile(), TK_Done);
    std::remove(path.c_str());
}

TEST(Toolkit, AttachedStreamsServeReadsSeeksAndSizes)
{
    BStreamFileToolkit tk;
    std::string const data = "0123456789";
    DWFCore::DWFBufferInputStream stream(data.data(), data.size());
    tk.AttachStream(&stream);
    long size = 0;
    EXPECT_EQ(tk.QueryFileSize(size), TK_Done);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(tk.PositionFile(-3), TK_Done);
    char buffer[8];
    int amount = 0;
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Done);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(amount)), "789");
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Error);
    EXPECT_EQ(tk.LastError(), "end of stream");
    tk.DetachStream();
    EXPECT_EQ(tk.ReadBuffer(buffer, 8, amount), TK_Error);
    EXPECT_EQ(tk.LastError(), "no file open for read");
}

class Throwing_Input : public DWFCore::DWFInputStream
{
public:
    size_t available() const override { return 10; }
    size_t read(void*, size_t) override
    {
        DWFCORE_THROW(DWFIOException, u"broken", "Throwing_Input::read");
    }
    long seek(int, long) override
    {
        DWFCORE_THROW(DWFIOException, u"broken", "Throwing_Input::seek");
    }
};

TEST(Toolkit, StreamExceptionsBecomeErrors)
{
    BStreamFileToolkit tk;
    Throwing_Input stream;
    tk.AttachStream(&stream);
    char buffer[4];
    int amount = 3;
    EXPECT_EQ(tk.ReadBuffer(buffer, 4, amount), TK_Error);
    EXPECT_EQ(amount, 0);
    EXPECT_EQ(tk.LastError(), "DWFException occured - i/o error");
    EXPECT_EQ(tk.PositionFile(4), TK_Error);
    EXPECT_EQ(tk.LastError(), "DWFException - i/o error");
}

TEST(Toolkit, LocatingTheDictionaryNeedsOneAndACorrectEnd)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(tk.LocateDictionary(), TK_Error);
    EXPECT_EQ(tk.LastError(), "file not generated with dictionary");
    tk.SetWriteFlags(TK_Option_Dictionary);
    EXPECT_EQ(tk.LocateDictionary(), TK_Error);
    EXPECT_EQ(tk.LastError(), "no open file");
    std::string const bad = std::string("abc") + "\x03\x00\x00\x00" + "x";
    DWFCore::DWFBufferInputStream stream(bad.data(), bad.size());
    tk.AttachStream(&stream);
    EXPECT_EQ(tk.LocateDictionary(), TK_Error);
    EXPECT_EQ(tk.LastError(), "file does not end correctly");
}

TEST(Toolkit, ReplacingAHandlerKeepsTheCurrentOneValid)
{
    BStreamFileToolkit tk;
    tk.SetCurrentHandler(tk.GetOpcodeHandler('('));
    tk.SetOpcodeHandler('(', std::make_unique<TK_Open_Segment>());
    EXPECT_EQ(&tk.GetCurrentHandler(), &tk.GetDefaultHandler());
}

} // namespace
