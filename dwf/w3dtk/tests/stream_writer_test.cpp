// The stream writer: hand-over of full buffers, tags, failures and closing.
#include "stream_harness.h"

#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

// A record of `size` bytes: its opcode and size - 1 bytes of payload in one write.
class Test_Blob : public BBaseOpcodeHandler
{
public:
    explicit Test_Blob(int size, bool fail = false)
        : BBaseOpcodeHandler(0xEE), m_size(size), m_fail(fail)
    {
    }

    TK_Status Write(BStreamFileToolkit& tk) override
    {
        switch (m_stage)
        {
        case 0:
            TK_TRY(PutOpcode(tk));
            ++m_stage;
            [[fallthrough]];
        case 1:
        {
            if (m_fail)
                return tk.Error("blob refused");
            std::vector<char> payload(static_cast<std::size_t>(m_size - 1), 'b');
            TK_TRY(PutData(tk, payload.data(), m_size - 1));
            m_stage = -1;
            return TK_Done;
        }
        default:
            return tk.Error();
        }
    }
    TK_Status Read(BStreamFileToolkit& tk) override { return tk.Error(); }

private:
    int m_size;
    bool m_fail;
};

struct Writing
{
    BStreamFileToolkit tk;
    Memory_Output output;
    W3DStreamWriter writer{output, tk};
    std::vector<std::size_t> write_sizes;

    Writing() { writer.open(); }
    std::size_t written() const { return output.bytes.size(); }
};

TEST(StreamWriter, ALargeRecordOverflowsAndIsHandedOverInPieces)
{
    Writing w;
    Test_Blob blob(10000);
    serialize_own(blob, w.writer);
    EXPECT_EQ(w.written(), 0u); // complete at once, the rest waiting
    EXPECT_EQ(w.tk.Accumulator().pending(), 5904);
    serialize_own(w.tk.GetOpcodeHandler(0x00), w.writer);
    EXPECT_EQ(w.output.writes, 2);
    EXPECT_EQ(w.written(), 8192u);
    w.writer.close();
    EXPECT_EQ(w.output.writes, 3);
    EXPECT_EQ(w.written(), 10001u);
    EXPECT_EQ(w.output.bytes.back(), 0);
    EXPECT_EQ(w.output.flushes, 1);
}

TEST(StreamWriter, ARecordEndingAtTheBufferEndIsHandedOverByTheNext)
{
    Writing w;
    Test_Blob blob(4096);
    serialize_own(blob, w.writer);
    EXPECT_EQ(w.written(), 0u);
    EXPECT_EQ(w.tk.BytesLeft(), 0);
    serialize_own(w.tk.GetOpcodeHandler(0x00), w.writer);
    EXPECT_EQ(w.written(), 4096u);
    w.writer.close();
    EXPECT_EQ(w.written(), 4097u);
}

TEST(StreamWriter, CloseHandsOverWhatWaitsInTheOverflow)
{
    // The stream ends with a record that overflowed: nothing of it may be lost.
    Writing w;
    Test_Blob blob(9000);
    serialize_own(blob, w.writer);
    w.writer.close();
    EXPECT_EQ(w.written(), 9000u);
    EXPECT_FALSE(w.writer.isOpen());
}

TEST(StreamWriter, CloseOnAnEmptyBufferOnlyFlushes)
{
    Writing w;
    w.writer.close();
    EXPECT_EQ(w.output.writes, 0);
    EXPECT_EQ(w.output.flushes, 1);
}

TEST(StreamWriter, KeysGetOneTagAndKeyZeroNone)
{
    Writing w;
    auto open = [&](TK_Key key)
    {
        serialize_with<TK_Open_Segment>(
            w.tk, w.writer, '(', [](TK_Open_Segment& h) { h.SetSegment("s"); }, key);
    };
    open(0);
    open(5);
    open(5); // indexed already
    open(6);
    w.writer.close();
    EXPECT_EQ(w.output.bytes, bytes_of("(\1s(\1sq(\1s(\1sq"));
    int index = -1;
    EXPECT_EQ(w.tk.KeyToIndex(6, index), TK_Done);
    EXPECT_EQ(index, 1);
}

TEST(StreamWriter, ATagMeetingAFullBufferStillGivesItsKeyAnIndex)
{
    // The open record fills the buffer exactly; its tag must follow the hand-over.
    Writing w;
    Test_Blob blob(4096 - 4);
    serialize_own(blob, w.writer);
    serialize_with<TK_Open_Segment>(
        w.tk, w.writer, '(', [](TK_Open_Segment& h) { h.SetSegment("ab"); }, 77);
    EXPECT_EQ(w.written(), 4096u); // handed over for the tag
    int index = -1;
    EXPECT_EQ(w.tk.KeyToIndex(77, index), TK_Done);
    EXPECT_EQ(index, 0);
    w.writer.close();
    EXPECT_EQ(w.written(), 4097u);
    EXPECT_EQ(w.output.bytes.back(), 'q');
}

TEST(StreamWriter, TagsAreWrittenWhereverTheBufferEnds)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        for (TK_Key key = 1; key <= 20; ++key)
            serialize_with<TK_Open_Segment>(
                tk, writer, '(', [](TK_Open_Segment& h) { h.SetSegment("x"); }, key);
    };
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));
    for (int size = 1; size <= 7; ++size)
    {
        BStreamFileToolkit tk;
        Memory_Output output;
        W3DStreamWriter writer(output, tk, size);
        writer.open();
        emit(tk, writer);
        writer.close();
        EXPECT_EQ(tk.NextTagIndex(), 20) << "buffer of " << size;
    }
}

TEST(StreamWriter, AHandlerErrorIsAnExceptionAndTheHandlerIsReset)
{
    Writing w;
    Test_Blob blob(10, true);
    blob.SetObserver(&w.writer);
    try
    {
        blob.serialize(3);
        FAIL() << "no exception";
    }
    catch (const DWFCore::DWFUnexpectedException& e)
    {
        EXPECT_EQ(std::u16string(e.message()),
                  u"Failed to write W3D record 0xEE        -- 0xEE --: blob refused");
        EXPECT_STREQ(e.function(), "W3DStreamWriter::notify");
    }
    EXPECT_EQ(blob.Stage(), 0);
    int index = -1;
    EXPECT_EQ(w.tk.KeyToIndex(3, index), TK_Not_Found);
}

TEST(StreamWriter, AnOverlongSegmentNameLeavesNoByte)
{
    Writing w;
    std::string const name(256, 'n');
    EXPECT_THROW(serialize_with<TK_Open_Segment>(
                     w.tk, w.writer, '(', [&](TK_Open_Segment& h) { h.SetSegment(name.c_str()); }),
                 DWFCore::DWFUnexpectedException);
    w.writer.close();
    EXPECT_TRUE(w.output.bytes.empty());
    EXPECT_EQ(w.tk.LastError(),
              "segment name of 256 bytes is longer than the 255 bytes a record can hold");
}

TEST(StreamWriter, OutputFailuresPropagateAfterTheHandlerIsReset)
{
    Writing w;
    w.output.fail_writes_after = 100;
    Test_Blob blob(5000);
    serialize_own(blob, w.writer);
    TK_Open_Segment& open = dynamic_cast<TK_Open_Segment&>(w.tk.GetOpcodeHandler('('));
    open.SetObserver(&w.writer);
    open.SetSegment("abc");
    EXPECT_THROW(open.serialize(0), DWFCore::DWFIOException);
    EXPECT_EQ(open.Stage(), 0);
    EXPECT_TRUE(open.GetSegment().empty());
}

TEST(StreamWriter, ShortWritesAreFailures)
{
    Writing w;
    w.output.fail_writes_after = 10;
    w.output.short_writes = true;
    Test_Blob blob(100);
    serialize_own(blob, w.writer);
    EXPECT_THROW(w.writer.close(), DWFCore::DWFIOException);
    EXPECT_FALSE(w.writer.isOpen());
}

TEST(StreamWriter, RecordsNeedAnOpenWriter)
{
    BStreamFileToolkit tk;
    Memory_Output output;
    W3DStreamWriter writer(output, tk);
    Test_Blob blob(3);
    blob.SetObserver(&writer);
    EXPECT_THROW(blob.serialize(0), DWFCore::DWFIllegalStateException);
    EXPECT_THROW(W3DStreamWriter(output, tk, 0), DWFCore::DWFInvalidArgumentException);
    EXPECT_THROW(W3DStreamWriter(output, tk, 4097), DWFCore::DWFInvalidArgumentException);
}

TEST(StreamWriter, TheDestructorClosesAndSwallowsFailures)
{
    BStreamFileToolkit tk;
    Memory_Output output;
    {
        W3DStreamWriter writer(output, tk);
        writer.open();
        Test_Blob blob(50);
        serialize_own(blob, writer);
    }
    EXPECT_EQ(output.bytes.size(), 50u);
    Memory_Output failing;
    failing.fail_writes_after = 0;
    {
        W3DStreamWriter writer(failing, tk);
        writer.open();
        Test_Blob blob(50);
        serialize_own(blob, writer);
    } // no exception leaves the destructor
    EXPECT_TRUE(failing.bytes.empty());
}

} // namespace
