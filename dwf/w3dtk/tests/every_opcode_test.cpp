// The stream of every opcode: it covers the whole handler table, and reads
// back plain, compressed and one byte at a time.
#include "every_opcode.h"
#include "stream_harness.h"

#include "dwf/w3dtk/stream/default_handlers.h"
#include "dwf/w3dtk/stream/opcode_names.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
using namespace w3d_test;

TEST(EveryOpcode, TheStreamCoversEveryHandledOpcode)
{
    // Compressed, so that the compression records are in it too.
    Read_Result const result = read_stream(write_stream(every_opcode, every_opcode_setup, true), 1);
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    std::set<int> const seen(result.opcodes.begin(), result.opcodes.end());
    BStreamFileToolkit tk;
    for (int opcode = 0; opcode < 256; ++opcode)
    {
        if (dynamic_cast<TK_Unavailable*>(&tk.GetOpcodeHandler(opcode)))
            continue;
        EXPECT_TRUE(seen.count(opcode))
            << TK_Opcode_Text(opcode)
            << " is handled but has no record in every_opcode() (tests/every_opcode.h)";
    }
    EXPECT_EQ(read_stream(write_stream(every_opcode, every_opcode_setup), 3).status, TK_Ended);
}

TEST(EveryOpcode, DamagedStreamsEndCleanly)
{
    read_damaged_streams(write_stream(every_opcode, every_opcode_setup, true), 11, 400);
}

} // namespace
