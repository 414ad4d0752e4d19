#pragma once

// The checks every W3D record goes through, shared by every family's tests:
//   - writes_alike_in_every_buffer: written through buffers of 1..64 bytes the
//     record gives the same bytes as written at once;
//   - read_stream(bytes, 1) (memory_streams.h): read back feeding one byte at a
//     time;
//   - read_damaged_streams and write_fails_cleanly: truncated and mutated input
//     and failing output end in an error, never a crash, hang or leak.

#include "memory_streams.h"

#include <gtest/gtest.h>

#include <random>

namespace w3d_test
{

// A toolkit over one in-memory buffer: empty, for driving a handler's Write
// directly, or holding `input` for its Read.
struct Buffered_Toolkit
{
    BStreamFileToolkit tk;
    std::vector<char> buffer;

    explicit Buffered_Toolkit(int size = 4096) : buffer(static_cast<std::size_t>(size))
    {
        tk.PrepareBuffer(buffer.data(), size);
    }
    explicit Buffered_Toolkit(const Bytes& input) : buffer(input.begin(), input.end())
    {
        tk.PrepareBuffer(buffer.data(), static_cast<int>(buffer.size()));
    }
    Bytes written() const
    {
        return Bytes(buffer.begin(), buffer.begin() + tk.CurrentBufferLength());
    }
};

// Written through buffers of every size from 1 to 64 bytes, `emit` gives the
// same bytes as through the writer's full buffer.
inline ::testing::AssertionResult writes_alike_in_every_buffer(const Emit& emit,
                                                               const Setup& setup = {})
{
    Bytes const once = write_records(emit, W3DStreamWriter::Buffer_Size, setup);
    for (int size = 1; size <= 64; ++size)
    {
        Bytes const cut = write_records(emit, size, setup);
        if (cut != once)
            return ::testing::AssertionFailure() << "buffer of " << size << " bytes wrote\n  "
                                                 << hex(cut) << "\nat once\n  " << hex(once);
    }
    return ::testing::AssertionSuccess();
}

// With the output failing after every possible byte count, writing `emit`
// throws a DWF exception (from serialize or close) and leaves every handler of
// the table reset.
inline ::testing::AssertionResult write_fails_cleanly(const Emit& emit, const Setup& setup = {},
                                                      int buffer_size = 16)
{
    std::size_t const total = write_records(emit, buffer_size, setup).size();
    for (std::size_t limit = 0; limit < total; ++limit)
    {
        for (bool const short_writes : {false, true})
        {
            BStreamFileToolkit tk;
            if (setup)
                setup(tk);
            Memory_Output output;
            output.fail_writes_after = limit;
            output.short_writes = short_writes;
            bool thrown = false;
            {
                W3DStreamWriter writer(output, tk, buffer_size);
                writer.open();
                try
                {
                    emit(tk, writer);
                    writer.close();
                }
                catch (const DWFCore::DWFException&)
                {
                    thrown = true;
                }
            }
            if (!thrown)
                return ::testing::AssertionFailure()
                       << "no failure reported with output failing after " << limit << " of "
                       << total << " bytes";
            for (int opcode = 0; opcode < 256; ++opcode)
                if (tk.GetOpcodeHandler(opcode).Stage() != 0)
                    return ::testing::AssertionFailure()
                           << "handler " << opcode << " left at stage "
                           << tk.GetOpcodeHandler(opcode).Stage() << " after failing at " << limit;
        }
    }
    return ::testing::AssertionSuccess();
}

// Reads every truncation of a valid stream and, for a sample of positions,
// the stream with that byte replaced; each read must end without crashing,
// hanging or leaking, and a truncated stream must not end at a terminator.
inline void read_damaged_streams(const Bytes& bytes, std::size_t chunk = 7,
                                 std::size_t mutations = 1500)
{
    for (std::size_t size = 0; size < bytes.size(); ++size)
    {
        Read_Result const result =
            read_stream(Bytes(bytes.begin(), bytes.begin() + long(size)), chunk);
        EXPECT_NE(result.status, TK_Ended) << "truncated to " << size << " bytes";
    }
    std::mt19937 random(1234);
    for (std::size_t i = 0; i < mutations && !bytes.empty(); ++i)
    {
        Bytes damaged = bytes;
        std::size_t const at = random() % damaged.size();
        damaged[at] = static_cast<std::uint8_t>(i % 3 == 0   ? 0xFF
                                                : i % 3 == 1 ? random()
                                                             : damaged[at] ^ 0x80);
        read_stream(damaged, 1 + random() % 13);
    }
}

} // namespace w3d_test
