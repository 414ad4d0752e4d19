// The handler base: primitives, conversions, checks, the stage protocol and dispatch.
#include "stream_harness.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/records/renumber.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/stream/default_handlers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using namespace w3d_test;

using H = BBaseOpcodeHandler;

TEST(HandlerBase, PrimitivesWriteLittleEndian)
{
    Buffered_Toolkit out;
    ASSERT_EQ(H::PutData(out.tk, 'a'), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, static_cast<unsigned char>(0xFE)), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, static_cast<short>(-2)), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, static_cast<unsigned short>(0x1234)), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, 0x01020304), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, 0xA1B2C3D4u), TK_Done);
    ASSERT_EQ(H::PutData(out.tk, 1.0f), TK_Done);
    int const ints[2] = {1, -1};
    ASSERT_EQ(H::PutData(out.tk, ints, 2), TK_Done);
    float const floats[1] = {-2.5f};
    ASSERT_EQ(H::PutData(out.tk, floats, 1), TK_Done);
    short const shorts[2] = {0x0102, 0x0304};
    ASSERT_EQ(H::PutData(out.tk, shorts, 2), TK_Done);
    EXPECT_EQ(out.written(),
              (Bytes{'a',  0xFE, 0xFE, 0xFF, 0x34, 0x12, 0x04, 0x03, 0x02, 0x01, 0xD4, 0xC3,
                     0xB2, 0xA1, 0x00, 0x00, 0x80, 0x3F, 1,    0,    0,    0,    0xFF, 0xFF,
                     0xFF, 0xFF, 0x00, 0x00, 0x20, 0xC0, 2,    1,    4,    3}));
}

TEST(HandlerBase, PrimitivesReadWhatTheyWrote)
{
    Buffered_Toolkit out;
    int const ints[3] = {7, -8, 1 << 30};
    float const floats[2] = {0.25f, -1e30f};
    unsigned short const words[2] = {1, 65535};
    H::PutData(out.tk, static_cast<short>(-300));
    H::PutData(out.tk, ints, 3);
    H::PutData(out.tk, floats, 2);
    H::PutData(out.tk, words, 2);
    H::PutData(out.tk, "xyz", 3);

    Buffered_Toolkit in(out.written());
    short s = 0;
    int i[3] = {};
    float f[2] = {};
    unsigned short w[2] = {};
    char text[3] = {};
    ASSERT_EQ(H::GetData(in.tk, s), TK_Done);
    ASSERT_EQ(H::GetData(in.tk, i, 3), TK_Done);
    ASSERT_EQ(H::GetData(in.tk, f, 2), TK_Done);
    ASSERT_EQ(H::GetData(in.tk, w, 2), TK_Done);
    ASSERT_EQ(H::GetData(in.tk, text, 3), TK_Done);
    EXPECT_EQ(s, -300);
    EXPECT_EQ(std::vector<int>(i, i + 3), std::vector<int>(ints, ints + 3));
    EXPECT_EQ(f[1], -1e30f);
    EXPECT_EQ(w[1], 65535);
    EXPECT_EQ(std::string(text, 3), "xyz");
    char more = 0;
    EXPECT_EQ(H::GetData(in.tk, more), TK_Pending);
}

TEST(HandlerBase, ArraySizesAreChecked)
{
    Buffered_Toolkit out;
    int const ints[1] = {1};
    EXPECT_EQ(H::PutData(out.tk, ints, -1), TK_Error);
    EXPECT_EQ(H::PutData(out.tk, static_cast<const int*>(nullptr), 3), TK_Error);
    EXPECT_EQ(H::PutData(out.tk, ints, std::numeric_limits<int>::max() / 2), TK_Error);
    int into[1];
    EXPECT_EQ(H::GetData(out.tk, into, -5), TK_Error);
    EXPECT_EQ(H::PutData(out.tk, ints, 0), TK_Done);
}

TEST(HandlerBase, ColourConversionsClampInsteadOfWrapping)
{
    float const values[] = {1.0f, 0.5f, 0.0f, 1.5f, -0.25f, std::nanf(""), 0.999f};
    unsigned char bytes[7];
    H::floats_to_bytes(values, 7, bytes);
    EXPECT_EQ(std::vector<int>(bytes, bytes + 7), (std::vector<int>{255, 127, 0, 255, 0, 0, 255}));
    unsigned char const back[] = {255, 0, 51};
    float floats[3];
    H::bytes_to_floats(back, 3, floats);
    EXPECT_EQ(floats[0], 1.0f);
    EXPECT_EQ(floats[1], 0.0f);
    EXPECT_NEAR(floats[2], 0.2f, 1e-6);
    EXPECT_TRUE(H::validate_count(0, 8));
    EXPECT_TRUE(H::validate_count(8, 8));
    EXPECT_FALSE(H::validate_count(9, 8));
    EXPECT_FALSE(H::validate_count(-1, 8));
}

TEST(HandlerBase, CountChecksRefuseNegativeHugeAndOverflowingCounts)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(H::CheckCount(tk, 0, "c"), TK_Done);
    EXPECT_EQ(H::CheckCount(tk, 1 << 24, "c"), TK_Done);
    EXPECT_EQ(H::CheckCount(tk, (1 << 24) + 1, "bad count"), TK_Error);
    EXPECT_EQ(tk.LastError(), "bad count");
    EXPECT_EQ(H::CheckCount(tk, -1, "c"), TK_Error);
    EXPECT_EQ(H::CheckCount(tk, 9, "c", 8), TK_Error);

    int product = -1;
    EXPECT_EQ(H::CheckProduct(tk, 4096, 4096, product, "p"), TK_Done);
    EXPECT_EQ(product, 1 << 24);
    EXPECT_EQ(H::CheckProduct(tk, 65536, 65536, product, "p"), TK_Error); // wraps to 0 in 32 bits
    EXPECT_EQ(H::CheckProduct(tk, -2, -2, product, "p"), TK_Error);
    EXPECT_EQ(H::CheckProduct(tk, 0, -1, product, "p"), TK_Error);
    // An empty product still bounds each factor, which callers go on to add to.
    EXPECT_EQ(H::CheckProduct(tk, std::numeric_limits<int>::max(), 0, product, "p"), TK_Error);
    EXPECT_EQ(H::CheckProduct(tk, 0, (1 << 24) + 1, product, "p"), TK_Error);
    EXPECT_EQ(H::CheckProduct(tk, 1 << 24, 0, product, "p"), TK_Done);
    EXPECT_EQ(product, 0);
    EXPECT_EQ(H::CheckProduct(tk, 9, 0, product, "p", 8), TK_Error);

    int total = 10;
    EXPECT_EQ(H::CheckSum(tk, total, 5, "s", 15), TK_Done);
    EXPECT_EQ(total, 15);
    EXPECT_EQ(H::CheckSum(tk, total, 1, "s", 15), TK_Error);
    EXPECT_EQ(H::CheckSum(tk, total, -1, "s", 15), TK_Error);
    EXPECT_EQ(H::CheckSum(tk, total, std::numeric_limits<int>::max(), "s"), TK_Error);
    EXPECT_EQ(total, 15);
}

TEST(HandlerBase, CountsReadAreCheckedAndARefusedOneIsNotKept)
{
    Buffered_Toolkit out;
    for (int const value : {3, -1, (1 << 24) + 1, 9})
        H::PutData(out.tk, value);
    Bytes const bytes = out.written();
    Buffered_Toolkit in(Bytes(bytes.begin(), bytes.begin() + 2));
    int count = 5;
    EXPECT_EQ(H::GetCheckedCount(in.tk, count, "bad count"), TK_Pending);
    EXPECT_EQ(count, 5);
    Buffered_Toolkit all(bytes);
    EXPECT_EQ(H::GetCheckedCount(all.tk, count, "bad count"), TK_Done);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(H::GetCheckedCount(all.tk, count, "bad count"), TK_Error);
    EXPECT_EQ(all.tk.LastError(), "bad count");
    EXPECT_EQ(H::GetCheckedCount(all.tk, count, "bad count"), TK_Error);
    EXPECT_EQ(H::GetCheckedCount(all.tk, count, "over 8", 8), TK_Error);
    EXPECT_EQ(count, 3);
}

// The one-byte length with its escapes to 16 and 32 bits, written and read
// back across every boundary of the forms.
TEST(HandlerBase, LengthCodesRoundTripAcrossTheirForms)
{
    struct Case
    {
        int length;
        bool escapes;
        Bytes bytes;
    };
    Case const cases[] = {{0, true, {0}},
                          {253, true, {253}},
                          {254, true, {0xFE, 0xFE, 0x00}},
                          {65535, true, {0xFE, 0xFF, 0xFF}},
                          {65536, true, {0xFF, 0x00, 0x00, 0x01, 0x00}},
                          {1 << 24, true, {0xFF, 0x00, 0x00, 0x00, 0x01}},
                          {254, false, {0xFE}},
                          {255, false, {0xFF}}};
    for (Case const& c : cases)
    {
        Buffered_Toolkit out;
        ASSERT_EQ(tk_steps::PutLengthCode(out.tk, c.length, c.escapes), TK_Done);
        EXPECT_EQ(out.written(), c.bytes) << c.length;
        // The code byte alone, then the rest: the read resumes after the code.
        Buffered_Toolkit first(Bytes(c.bytes.begin(), c.bytes.begin() + 1));
        int length = -1, progress = 0;
        TK_Status status =
            tk_steps::GetLengthCode(first.tk, length, progress, "bad length", c.escapes);
        if (c.bytes.size() > 1)
        {
            EXPECT_EQ(status, TK_Pending) << c.length;
            EXPECT_EQ(progress, 1);
            std::vector<char> rest(c.bytes.begin() + 1, c.bytes.end());
            first.tk.PrepareBuffer(rest.data(), static_cast<int>(rest.size()));
            status = tk_steps::GetLengthCode(first.tk, length, progress, "bad length", c.escapes);
        }
        EXPECT_EQ(status, TK_Done) << c.length;
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(progress, 0);
    }
    Buffered_Toolkit in(Bytes{0xFF, 0x01, 0x00, 0x00, 0x01});
    int length = -1, progress = 0;
    EXPECT_EQ(tk_steps::GetLengthCode(in.tk, length, progress, "bad length"), TK_Error);
    EXPECT_EQ(in.tk.LastError(), "bad length");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(progress, 0);
}

TEST(HandlerBase, OneByteNamesAreCheckedBothWays)
{
    BStreamFileToolkit tk;
    EXPECT_EQ(H::CheckNameLength(tk, 255, "texture name"), TK_Done);
    EXPECT_EQ(H::CheckNameLength(tk, 256, "texture name"), TK_Error);
    EXPECT_EQ(tk.LastError(),
              "texture name of 256 bytes is longer than the 255 bytes a record can hold");
    EXPECT_EQ(H::CheckNameLength(tk, 128, "channel name", H::Max_Signed_Name_Length), TK_Error);

    Buffered_Toolkit in(Bytes{200, 200, 127});
    int length = 0;
    EXPECT_EQ(H::GetNameLength(in.tk, length), TK_Done);
    EXPECT_EQ(length, 200);
    EXPECT_EQ(H::GetNameLength(in.tk, length, true), TK_Error); // negative as a signed byte
    EXPECT_EQ(H::GetNameLength(in.tk, length, true), TK_Done);
    EXPECT_EQ(length, 127);

    Buffered_Toolkit out;
    EXPECT_EQ(H::PutNameLength(out.tk, 300), TK_Error);
    EXPECT_EQ(H::PutNameLength(out.tk, 255), TK_Done);
    EXPECT_EQ(out.written(), Bytes{255});
}

TEST(HandlerBase, ARecordMeetingAFullBufferWaitsAtItsFirstStage)
{
    Buffered_Toolkit out(0);
    TK_Reopen_Segment reopen;
    reopen.SetIndex(0x0A0B0C0D);
    EXPECT_EQ(reopen.Write(out.tk), TK_Pending);
    EXPECT_EQ(reopen.Stage(), 0);
    EXPECT_EQ(out.tk.GetOpcodeCount(), 0);
    std::vector<char> buffer(16);
    out.tk.PrepareBuffer(buffer.data(), 16);
    EXPECT_EQ(reopen.Write(out.tk), TK_Done);
    EXPECT_EQ(reopen.Stage(), -1);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 5), (Bytes{'s', 0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(out.tk.GetObjectCount(), 1);
    EXPECT_EQ(out.tk.GetOpcodeCount(), 1);
    // Complete: calling again without a reset is an error, with a reset a new record.
    EXPECT_EQ(reopen.Write(out.tk), TK_Error);
    reopen.Reset();
    EXPECT_EQ(reopen.GetIndex(), 0);
}

TEST(HandlerBase, AResetAfterPendingStartsTheRecordAgain)
{
    Buffered_Toolkit out(1);
    TK_Reopen_Segment reopen;
    reopen.SetIndex(1);
    ASSERT_EQ(reopen.Write(out.tk), TK_Pending); // the opcode went, the index did not fit
    EXPECT_EQ(reopen.Stage(), 1);
    reopen.Reset();
    reopen.SetIndex(2);
    std::vector<char> buffer(8);
    out.tk.PrepareBuffer(buffer.data(), 8);
    ASSERT_EQ(reopen.Write(out.tk), TK_Done);
    EXPECT_EQ(buffer[0], 's');
    EXPECT_EQ(buffer[1], 2);
}

TEST(HandlerBase, OpcodesCanCountNoObjects)
{
    Buffered_Toolkit out;
    TK_Renumber renumber(TK_Renumber::Global);
    ASSERT_EQ(renumber.Write(out.tk), TK_Done);
    EXPECT_EQ(out.tk.GetObjectCount(), 0);
    EXPECT_EQ(out.tk.GetOpcodeCount(), 1);
}

TEST(HandlerBase, BaseOperationsThatDoNothingOrFail)
{
    BStreamFileToolkit tk;
    TK_Renumber handler(TK_Renumber::Local);
    tk.set_last_key(3);
    EXPECT_EQ(handler.Execute(tk), TK_Done);
    EXPECT_TRUE(tk.PendingKeys().empty());
    tk.SetReadFlags(TK_Read_Strict_Execute);
    EXPECT_EQ(handler.Execute(tk), TK_Error);
    EXPECT_EQ(tk.LastError(),
              "Execute function not implemented for opcode 0x6B (k)    Renumber_Key_Local");
    EXPECT_EQ(handler.Interpret(tk, 1, "x"), TK_Error);
    EXPECT_EQ(
        tk.LastError(),
        "Interpret(string) function not implemented for opcode 0x6B (k)    Renumber_Key_Local");
    EXPECT_EQ(handler.Interpret(tk, 1, 0), TK_Error);
    EXPECT_EQ(tk.LastError(),
              "Interpret function not implemented for opcode 0x6B (k)    Renumber_Key_Local");
    BBaseOpcodeHandler* clone = &handler;
    EXPECT_EQ(handler.Clone(tk, &clone), TK_Error);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(tk.GetDefaultHandler().Write(tk), TK_Error);
    EXPECT_EQ(tk.GetOpcodeHandler(0x5D).Write(tk), TK_Error);
}

TEST(HandlerBase, SerializeWithoutAnObserverDoesNothing)
{
    TK_Open_Segment open;
    open.SetSegment("kept");
    open.serialize(5);
    EXPECT_EQ(open.GetSegment(), "kept");
    EXPECT_EQ(open.Stage(), 0);
}

TEST(HandlerBase, TheDefaultHandlerDispatchesAndCountsPauses)
{
    Buffered_Toolkit in(Bytes{0x01, 's', 9, 0});
    BBaseOpcodeHandler& reader = in.tk.GetDefaultHandler();
    EXPECT_EQ(reader.Read(in.tk), TK_Paused);
    EXPECT_EQ(in.tk.GetPauseCount(), 1);
    EXPECT_EQ(in.tk.GetOpcodeCount(), 1);
    EXPECT_EQ(&in.tk.GetCurrentHandler(), &in.tk.GetOpcodeHandler(0x01));
    // The reopen record lacks two bytes: the next call continues it, it does not
    // take another opcode.
    EXPECT_EQ(reader.Read(in.tk), TK_Pending);
    EXPECT_EQ(&in.tk.GetCurrentHandler(), &in.tk.GetOpcodeHandler('s'));
    // The two bytes it did not take come again in front of the new ones.
    std::vector<char> rest{9, 0, 0, 0};
    in.tk.PrepareBuffer(rest.data(), 4);
    EXPECT_EQ(reader.Read(in.tk), TK_Done);
    EXPECT_EQ(dynamic_cast<TK_Reopen_Segment&>(in.tk.GetCurrentHandler()).GetIndex(), 9);
    EXPECT_EQ(in.tk.GetOpcodeCount(), 2);
}

} // namespace
