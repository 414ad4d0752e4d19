#pragma once

// In-memory streams and the write and read loops of W3D streams, for tests,
// the fuzz target and the benchmarks (no test framework needed).

#include "dwf/w3dtk/records/comment.h"
#include "dwf/w3dtk/records/compression.h"
#include "dwf/w3dtk/records/file_info.h"
#include "dwf/w3dtk/records/header.h"
#include "dwf/w3dtk/records/terminator.h"
#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/stream_reader.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwfcore/Exception.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/OutputStream.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace w3d_test
{

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes_of(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline std::string hex(const Bytes& bytes)
{
    std::string text;
    char digits[4];
    for (std::uint8_t const byte : bytes)
    {
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    return text;
}

// Output into memory. A write that would take the output past
// fail_writes_after throws DWFIOException, or, with short_writes, accepts only
// the bytes that fit.
class Memory_Output : public DWFCore::DWFOutputStream
{
public:
    Bytes bytes;
    std::size_t fail_writes_after = SIZE_MAX;
    bool short_writes = false;
    int writes = 0;
    int flushes = 0;

    void flush() override { ++flushes; }
    size_t write(const void* buffer, size_t count) override
    {
        ++writes;
        auto const* p = static_cast<const std::uint8_t*>(buffer);
        if (bytes.size() + count > fail_writes_after)
        {
            if (!short_writes)
                DWFCORE_THROW(DWFIOException, u"Test output failed",
                              "w3d_test::Memory_Output::write");
            count = fail_writes_after - std::min(fail_writes_after, bytes.size());
        }
        bytes.insert(bytes.end(), p, p + count);
        return count;
    }
};

// Input from memory that delivers at most `chunk` bytes per read call.
class Trickle_Input : public DWFCore::DWFInputStream
{
public:
    explicit Trickle_Input(Bytes data, std::size_t chunk = 1)
        : _data(std::move(data)), _chunk(chunk)
    {
    }

    size_t available() const override { return _data.size() - _position; }
    size_t read(void* buffer, size_t bytes) override
    {
        std::size_t const n = std::min({bytes, _chunk, available()});
        std::copy_n(_data.begin() + static_cast<long>(_position), n,
                    static_cast<std::uint8_t*>(buffer));
        _position += n;
        return n;
    }
    long seek(int origin, long offset) override
    {
        long const before = static_cast<long>(_position);
        long base = origin == SEEK_END   ? static_cast<long>(_data.size())
                    : origin == SEEK_CUR ? before
                                         : 0;
        long const target = std::clamp(base + offset, 0L, static_cast<long>(_data.size()));
        _position = static_cast<std::size_t>(target);
        return before;
    }
    void set_chunk(std::size_t chunk) { _chunk = chunk; }

private:
    Bytes _data;
    std::size_t _position = 0;
    std::size_t _chunk;
};

// Prepares a fresh toolkit (write flags, target version ...) before writing or reading.
using Setup = std::function<void(BStreamFileToolkit&)>;

// A setup for streams of `version`; non-zero `write_flags` replace the
// toolkit's write flags.
inline Setup target_version(int version, int write_flags = 0)
{
    return [=](BStreamFileToolkit& tk)
    {
        tk.SetTargetVersion(version);
        if (write_flags != 0)
            tk.SetWriteFlags(write_flags);
    };
}
// Serializes records through the writer.
using Emit = std::function<void(BStreamFileToolkit&, W3DStreamWriter&)>;

// Fills the toolkit's handler of `opcode` and serializes it with `key`.
template <class Handler>
void serialize_with(BStreamFileToolkit& tk, W3DStreamWriter& writer, int opcode,
                    const std::function<void(Handler&)>& fill, TK_Key key = 0)
{
    auto& handler = dynamic_cast<Handler&>(tk.GetOpcodeHandler(opcode));
    handler.SetObserver(&writer);
    if (fill)
        fill(handler);
    handler.serialize(key);
}

// Serializes a handler that is not in the table (the header, sub-records).
inline void serialize_own(BBaseOpcodeHandler& handler, W3DStreamWriter& writer, TK_Key key = 0)
{
    handler.SetObserver(&writer);
    handler.serialize(key);
}

// The bytes `emit` writes through a writer whose buffer holds buffer_size bytes.
inline Bytes write_records(const Emit& emit, int buffer_size = W3DStreamWriter::Buffer_Size,
                           const Setup& setup = {})
{
    BStreamFileToolkit tk;
    if (setup)
        setup(tk);
    Memory_Output output;
    W3DStreamWriter writer(output, tk, buffer_size);
    writer.open();
    emit(tk, writer);
    writer.close();
    return output.bytes;
}

// A whole stream around `body`: the header (version comment and file info),
// optionally compression on before the body and off after it, the terminator.
inline Bytes write_stream(const Emit& body, const Setup& setup = {}, bool compressed = false,
                          int buffer_size = W3DStreamWriter::Buffer_Size)
{
    return write_records(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            TK_Header header;
            serialize_own(header, writer);
            if (compressed)
                serialize_own(tk.GetOpcodeHandler(TK_Compression::Start), writer);
            if (body)
                body(tk, writer);
            if (compressed)
                serialize_own(tk.GetOpcodeHandler(TK_Compression::Stop), writer);
            serialize_own(tk.GetOpcodeHandler(TK_Terminator::Terminate), writer);
        },
        buffer_size, setup);
}

// What reading a stream gave.
struct Read_Result
{
    TK_Status status = TK_Error;
    std::vector<int> opcodes; // every record read, the terminator included
    std::string error;        // the toolkit's last error message
    int depth = 0;            // segment depth at the end
    int next_tag = 0;         // the index the next tag would assign
};

using Seen = std::function<void(BBaseOpcodeHandler&, BStreamFileToolkit&)>;

// Reads `bytes` through W3DStreamReader, the input delivering `chunk` bytes per
// read; `seen` looks at every record before it is executed.
inline Read_Result read_stream(const Bytes& bytes, std::size_t chunk = 1, const Seen& seen = {},
                               const Setup& setup = {}, BStreamFileToolkit* toolkit = nullptr)
{
    BStreamFileToolkit own;
    BStreamFileToolkit& tk = toolkit ? *toolkit : own;
    if (setup)
        setup(tk);
    Trickle_Input input(bytes, chunk);
    W3DStreamReader reader(tk, &input, static_cast<int>(std::min<std::size_t>(chunk, 1 << 16)));
    Read_Result result;
    reader.setObserver(
        [&](BBaseOpcodeHandler& handler)
        {
            result.opcodes.push_back(handler.Opcode());
            if (seen)
                seen(handler, tk);
        });
    result.status = reader.read();
    result.error = tk.LastError();
    result.depth = tk.GetSegmentDepth();
    result.next_tag = tk.NextTagIndex();
    return result;
}

} // namespace w3d_test
