// A stream of every periphery record, read back whole.
#include "periphery_streams.h"
#include "stream_harness.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
using namespace w3d_test;

std::set<int> const Periphery_Opcodes = {0x10, '.', '/', '>', 'A', 'B', 'O', 'Q', 'R', 'W', 'X',
                                         'Y',  '^', 'a', 'b', 'd', 'g', 'i', 'o', '|', '}'};

TEST(PeripheryStream, EveryRecordReadsBackPlainAndCompressed)
{
    for (bool const compressed : {false, true})
    {
        Read_Result const result = read_stream(write_stream(periphery_records, {}, compressed), 1);
        ASSERT_EQ(result.status, TK_Ended) << result.error;
        std::set<int> const seen(result.opcodes.begin(), result.opcodes.end());
        for (int const opcode : Periphery_Opcodes)
            EXPECT_TRUE(seen.count(opcode)) << "opcode " << opcode;
    }
}

TEST(PeripheryStream, OlderVersionsLeaveOutWhatTheyCannotHold)
{
    auto opcodes_at = [](int version)
    {
        Read_Result const result =
            read_stream(write_stream(periphery_records, target_version(version)), 64);
        EXPECT_EQ(result.status, TK_Ended) << result.error;
        return std::set<int>(result.opcodes.begin(), result.opcodes.end());
    };
    std::set<int> const at_600 = opcodes_at(600);
    for (int const opcode : {int('A'), int('Y'), int('}'), int('Q'), 0x10})
        EXPECT_FALSE(at_600.count(opcode)) << opcode;
    EXPECT_TRUE(at_600.count('>'));
    std::set<int> const at_701 = opcodes_at(701);
    EXPECT_TRUE(at_701.count('A') && at_701.count('Y') && at_701.count('}'));
    EXPECT_FALSE(at_701.count(0x10));
    EXPECT_TRUE(opcodes_at(702).count(0x10));
    EXPECT_FALSE(opcodes_at(704).count('Q'));
    EXPECT_TRUE(opcodes_at(705).count('Q'));
}

TEST(PeripheryStream, DamagedStreamsEndCleanly)
{
    read_damaged_streams(write_stream(periphery_records, {}, true), 5, 600);
}

} // namespace
