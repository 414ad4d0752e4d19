#pragma once

#include "dwf/w3dtk/stream/status.h"

#include <memory>
#include <vector>

struct z_stream_s;

// The byte pipe between handlers and the caller's buffers, in both directions.
//
// Writing: records go straight into the caller's buffer. A write that does not
// fit is still accepted whole: what is left over waits in the overflow area and
// moves into the next buffer the caller gives (set_buffer). So a write either
// completes or, when the buffer is already full, writes nothing and answers
// TK_Pending. While compressing, the bytes pass through deflate on their way.
//
// Reading: the caller gives input buffers the same way. A read takes bytes
// first from the kept run (bytes already produced for the stream but not yet
// taken) and then from the input; it completes or takes nothing and answers
// TK_Pending. The input bytes it did not take stay where they are: bytes_left()
// tells the caller how many, and the caller presents them again at the front of
// its next buffer. While decompressing, the input feeds inflate and the kept run
// holds what inflate produced for a request that is not complete yet.
class BStreamDataAccumulator
{
public:
    BStreamDataAccumulator();
    ~BStreamDataAccumulator();

    BStreamDataAccumulator(const BStreamDataAccumulator&) = delete;
    BStreamDataAccumulator& operator=(const BStreamDataAccumulator&) = delete;

    TK_Status write(const char* data, int size);
    TK_Status read(char* data, int size);

    // Makes `buffer` the current buffer and, when writing, moves the waiting
    // overflow into it: TK_Pending when it fills the buffer again.
    TK_Status set_buffer(char* buffer, int size);

    TK_Status start_compression();
    // With finish the deflate stream is completed into the buffer (TK_Pending
    // while it does not fit); without, it is abandoned.
    TK_Status stop_compression(bool finish);
    TK_Status start_decompression();
    // With end the inflate stream is ended now; without, it runs until inflate
    // itself reaches the end of the compressed data.
    TK_Status stop_decompression(bool end);

    // Ends any zlib stream and forgets buffers, overflow and counts.
    void restart();

    int bytes_left() const { return m_left; }
    int buffer_size() const { return m_buffer_size; }
    // Bytes produced for the output so far (after compression when compressing).
    long long total() const { return m_total; }
    bool compressing() const { return m_active && m_deflating; }
    bool decompressing() const { return m_active && !m_deflating; }
    // Output bytes waiting in the overflow area for the next buffer.
    int pending() const { return static_cast<int>(m_pending.size() - m_pending_start); }
    // Bytes of the stream already taken from the input but not yet read.
    int kept() const { return static_cast<int>(m_kept.size()); }

private:
    void keep_pending(const char* data, int size);
    // Runs deflate once over `size` bytes at `data` into the buffer's room,
    // with `flush`; counts what it produced. Answers deflate's result.
    int run_deflate(const char* data, int size, int flush);
    TK_Status deflate_into_buffer(const char* data, int size, int& taken);
    TK_Status inflate_into_kept(std::size_t wanted);
    void end_zlib();

    std::vector<char> m_pending; // the overflow area of the output
    std::size_t m_pending_start = 0;
    std::vector<char> m_kept; // stream bytes set aside on input
    char* m_position = nullptr;
    int m_left = 0;
    int m_buffer_size = 0;
    long long m_total = 0;
    std::unique_ptr<z_stream_s> m_zlib;
    bool m_active = false;
    bool m_deflating = false;
};
