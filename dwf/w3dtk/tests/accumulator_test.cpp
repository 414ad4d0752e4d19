// The byte pipe between handlers and buffers: overflow, hand-over, compression.
#include "dwf/w3dtk/stream/data_accumulator.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace
{

std::vector<char> sequence(int count, int seed = 0)
{
    std::vector<char> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((i * 7 + seed) & 0xFF);
    return bytes;
}

// Writes every piece, handing buffers of `size` bytes over whenever a write
// answers pending, and returns everything handed over.
std::string write_through(BStreamDataAccumulator& pipe,
                          const std::vector<std::vector<char>>& pieces, int size, bool compress)
{
    std::vector<char> buffer(static_cast<std::size_t>(size));
    std::string out;
    auto hand_over = [&]
    {
        TK_Status status;
        do
        {
            out.append(buffer.data(),
                       static_cast<std::size_t>(pipe.buffer_size() - pipe.bytes_left()));
            status = pipe.set_buffer(buffer.data(), size);
            EXPECT_NE(status, TK_Error);
        } while (status == TK_Pending);
    };
    EXPECT_EQ(pipe.set_buffer(buffer.data(), size), TK_Done);
    if (compress)
    {
        EXPECT_EQ(pipe.start_compression(), TK_Done);
    }
    for (auto const& piece : pieces)
    {
        TK_Status status;
        while ((status = pipe.write(piece.data(), static_cast<int>(piece.size()))) == TK_Pending)
            hand_over();
        EXPECT_EQ(status, TK_Done);
    }
    if (compress)
    {
        TK_Status status;
        while ((status = pipe.stop_compression(true)) == TK_Pending)
            hand_over();
        EXPECT_EQ(status, TK_Done);
    }
    do
        hand_over();
    while (pipe.buffer_size() != pipe.bytes_left());
    return out;
}

std::string inflate_all(const std::string& compressed)
{
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    std::string out;
    char chunk[4096];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    int result;
    do
    {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(chunk, sizeof chunk - z.avail_out);
    } while (result == Z_OK);
    EXPECT_EQ(result, Z_STREAM_END);
    inflateEnd(&z);
    return out;
}

TEST(Accumulator, OverflowCompletesTheWriteAndComesFirstInTheNextBuffer)
{
    BStreamDataAccumulator pipe;
    std::vector<char> buffer(8);
    ASSERT_EQ(pipe.set_buffer(buffer.data(), 8), TK_Done);
    auto const data = sequence(13);
    EXPECT_EQ(pipe.write(data.data(), 13), TK_Done);
    EXPECT_EQ(pipe.bytes_left(), 0);
    EXPECT_EQ(pipe.pending(), 5);
    EXPECT_EQ(pipe.total(), 13);
    // The buffer is full: the next write takes nothing.
    char const more = 'x';
    EXPECT_EQ(pipe.write(&more, 1), TK_Pending);
    EXPECT_EQ(std::string(buffer.data(), 8), std::string(data.data(), 8));

    std::vector<char> next(4);
    EXPECT_EQ(pipe.set_buffer(next.data(), 4), TK_Pending); // 5 waiting, 4 fit
    EXPECT_EQ(std::string(next.data(), 4), std::string(data.data() + 8, 4));
    EXPECT_EQ(pipe.set_buffer(next.data(), 4), TK_Done);
    EXPECT_EQ(next[0], data[12]);
    EXPECT_EQ(pipe.bytes_left(), 3);
    EXPECT_EQ(pipe.write(&more, 1), TK_Done);
    EXPECT_EQ(next[1], 'x');
}

TEST(Accumulator, WithoutABufferEveryWriteIsPendingButEmptyOnesAreDone)
{
    BStreamDataAccumulator pipe;
    char const byte = 1;
    EXPECT_EQ(pipe.write(&byte, 1), TK_Pending);
    EXPECT_EQ(pipe.write(&byte, 0), TK_Done);
    EXPECT_EQ(pipe.write(&byte, -1), TK_Error);
    char into = 0;
    EXPECT_EQ(pipe.read(&into, 1), TK_Pending);
}

TEST(Accumulator, CompressionSwitchesAreChecked)
{
    BStreamDataAccumulator pipe;
    std::vector<char> buffer(64);
    pipe.set_buffer(buffer.data(), 64);
    EXPECT_EQ(pipe.stop_compression(true), TK_Error); // nothing to stop
    EXPECT_EQ(pipe.start_compression(), TK_Done);
    EXPECT_EQ(pipe.start_compression(), TK_Error);
    EXPECT_EQ(pipe.start_decompression(), TK_Error);
    EXPECT_EQ(pipe.stop_compression(false), TK_Done); // abandoned
    EXPECT_FALSE(pipe.compressing());
    EXPECT_EQ(pipe.start_compression(), TK_Done); // the zlib stream is reused
    EXPECT_EQ(pipe.stop_compression(true), TK_Done);
}

TEST(Accumulator, FinishingOnAFullBufferWaitsForTheNext)
{
    BStreamDataAccumulator pipe;
    std::vector<char> buffer(2);
    pipe.set_buffer(buffer.data(), 2);
    ASSERT_EQ(pipe.start_compression(), TK_Done);
    // The zlib header fills the two bytes.
    auto const data = sequence(100);
    ASSERT_EQ(pipe.write(data.data(), 100), TK_Done);
    ASSERT_EQ(pipe.bytes_left(), 0);
    EXPECT_EQ(pipe.stop_compression(true), TK_Pending);
    EXPECT_TRUE(pipe.compressing());
}

TEST(Accumulator, PlainBytesWaitingForABufferAreNotCompressed)
{
    BStreamDataAccumulator pipe;
    std::vector<char> buffer(4);
    pipe.set_buffer(buffer.data(), 4);
    auto const data = sequence(6);
    pipe.write(data.data(), 6);
    EXPECT_EQ(pipe.start_compression(), TK_Pending);
    pipe.set_buffer(buffer.data(), 4);
    EXPECT_EQ(pipe.start_compression(), TK_Done);
}

TEST(Accumulator, CompressedOutputInflatesToTheInputWhateverTheBufferSize)
{
    std::mt19937 random(7);
    std::vector<std::vector<char>> pieces;
    std::string plain;
    for (int i = 0; i < 300; ++i)
    {
        auto piece = sequence(static_cast<int>(random() % 40), i);
        if (i % 50 == 0)
            piece = sequence(5000, i); // longer than any buffer
        plain.append(piece.begin(), piece.end());
        pieces.push_back(piece);
    }
    std::string reference;
    for (int size : {1, 2, 3, 7, 64, 4096})
    {
        BStreamDataAccumulator pipe;
        std::string const compressed = write_through(pipe, pieces, size, true);
        EXPECT_EQ(inflate_all(compressed), plain) << "buffer of " << size;
        if (reference.empty())
            reference = compressed;
        EXPECT_EQ(compressed, reference) << "buffer of " << size;
        EXPECT_EQ(pipe.total(), static_cast<long long>(compressed.size()));
    }
    BStreamDataAccumulator pipe;
    EXPECT_EQ(write_through(pipe, pieces, 5, false), plain);
    EXPECT_EQ(pipe.total(), static_cast<long long>(plain.size()));
}

TEST(Accumulator, PlainReadTakesNothingUntilTheWholeRequestIsThere)
{
    BStreamDataAccumulator pipe;
    std::string input = "abcdefg";
    pipe.set_buffer(&input[0], 3);
    char out[8] = {};
    EXPECT_EQ(pipe.read(out, 2), TK_Done);
    EXPECT_EQ(std::string(out, 2), "ab");
    EXPECT_EQ(pipe.read(out, 4), TK_Pending);
    EXPECT_EQ(pipe.bytes_left(), 1); // "c" is left where it was
    pipe.set_buffer(&input[2], 5);
    EXPECT_EQ(pipe.read(out, 4), TK_Done);
    EXPECT_EQ(std::string(out, 4), "cdef");
}

TEST(Accumulator, DecompressionAcrossBuffersEndsWhereTheZlibStreamEnds)
{
    std::string const plain = std::string(3000, 'q') + "tail of the compressed part";
    std::string compressed(compressBound(plain.size()), '\0');
    uLongf size = compressed.size();
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&compressed[0]), &size,
                        reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9),
              Z_OK);
    compressed.resize(size);
    std::string const input = compressed + "PLAIN";

    for (std::size_t feed : {1u, 3u, 17u, 10000u})
    {
        BStreamDataAccumulator pipe;
        ASSERT_EQ(pipe.start_decompression(), TK_Done);
        std::string got;
        std::size_t offset = 0;
        std::string buffer;
        auto refill = [&]
        {
            // what was not taken, then the next bytes
            std::string tail =
                buffer.substr(buffer.size() - static_cast<std::size_t>(pipe.bytes_left()));
            std::size_t const n = std::min(feed, input.size() - offset);
            buffer = tail + input.substr(offset, n);
            offset += n;
            pipe.set_buffer(&buffer[0], static_cast<int>(buffer.size()));
            return n > 0;
        };
        std::vector<int> requests = {1, 4, 1000, 2000, 22, 5};
        for (int request : requests)
        {
            std::string piece(static_cast<std::size_t>(request), '\0');
            TK_Status status;
            while ((status = pipe.read(&piece[0], request)) == TK_Pending)
                ASSERT_TRUE(refill()) << "ran out of input, feed " << feed;
            ASSERT_EQ(status, TK_Done);
            got += piece;
        }
        EXPECT_EQ(got, plain.substr(0, 3027) + "PLAIN") << "feed " << feed;
        EXPECT_FALSE(pipe.decompressing());
    }
}

TEST(Accumulator, CorruptCompressedInputIsAnError)
{
    BStreamDataAccumulator pipe;
    ASSERT_EQ(pipe.start_decompression(), TK_Done);
    std::string input = "\x78\xDA\xFF\xFF\xFF\xFF garbage";
    pipe.set_buffer(&input[0], static_cast<int>(input.size()));
    char out[16];
    EXPECT_EQ(pipe.read(out, 16), TK_Error);
}

TEST(Accumulator, RestartForgetsEverything)
{
    BStreamDataAccumulator pipe;
    std::vector<char> buffer(4);
    pipe.set_buffer(buffer.data(), 4);
    pipe.start_compression();
    auto const data = sequence(100);
    pipe.write(data.data(), 100);
    pipe.restart();
    EXPECT_FALSE(pipe.compressing());
    EXPECT_EQ(pipe.total(), 0);
    EXPECT_EQ(pipe.pending(), 0);
    EXPECT_EQ(pipe.write(data.data(), 1), TK_Pending); // no buffer
}

} // namespace
