// Damaged sheet streams: every truncation and a set of byte mutations of
// valid streams must end in a result code, never a crash, a hang or a leak.
#include "dwf/w2dtk/tests/geometry_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace w2d_geometry_test;

namespace
{
std::vector<std::string> valid_streams()
{
    std::vector<std::string> streams;
    for (bool binary : {false, true})
        streams.push_back(write_stream(binary, write_every_kind));
    return streams;
}

// Reads damaged input to its end; only the way it ends is checked.
WT_Result read_damaged(const std::string& bytes, std::size_t hi)
{
    Memory_Stream stream(bytes);
    WT_File file;
    w2d_test::open_for_reading(file, stream, 1, hi);
    if (file.open() != WT_Result_Success)
        return WT_Result_Open_Failed;
    WT_Result const result = w2d_test::read_stream(file, {}, 200000);
    file.close();
    return result;
}
} // namespace

TEST(Damaged_Geometry, Valid_Streams_Read_Cleanly)
{
    for (const std::string& s : valid_streams())
    {
        Read_Back const back = read_back(s, 1, 1);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        EXPECT_GT(back.objects.size(), 20u);
    }
}

TEST(Damaged_Geometry, Every_Truncation_Ends_With_A_Result)
{
    for (const std::string& s : valid_streams())
        for (std::size_t length = 0; length < s.size(); ++length)
        {
            WT_Result const result = read_damaged(s.substr(0, length), 64);
            EXPECT_NE(result, w2d_test::Stalled) << "length " << length;
            // Only the line end after "(EndOfDWF)" may go missing unnoticed.
            if (length + 2 < s.size())
            {
                EXPECT_NE(result, WT_Result_End_Of_Stream) << "length " << length;
            }
        }
}

TEST(Damaged_Geometry, Mutated_Bytes_End_With_A_Result)
{
    // Bytes that turn numbers into signs, open or close operands, start
    // binary frames or long counts, or are simply out of place.
    std::uint8_t const replacements[] = {0x00, 0xFF, '(', ')', '-', '9', '{', 0x80, ','};
    for (const std::string& s : valid_streams())
        for (std::size_t at = 12; at < s.size(); ++at)
            for (std::uint8_t r : replacements)
            {
                if (std::uint8_t(s[at]) == r)
                    continue;
                std::string damaged = s;
                damaged[at] = char(r);
                EXPECT_NE(read_damaged(damaged, 1 + at % 64), w2d_test::Stalled)
                    << "byte " << at << " set to " << int(r);
            }
}
