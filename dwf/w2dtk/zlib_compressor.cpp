#include "dwf/w2dtk/zlib_compressor.h"

#include "dwf/w2dtk/compression_dictionary.h"
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/file.h"

#include <algorithm>
#include <limits>

namespace
{
constexpr int Level = 7;
constexpr int Window_Bits = 15;
constexpr int Memory_Level = 9;

WT_Result from_zlib(int code)
{
    return code == Z_MEM_ERROR ? WT_Result_Out_Of_Memory : WT_Result_Not_Available;
}
} // namespace

// ---------------------------------------------------------------- compressor

WT_Zlib_Compressor::~WT_Zlib_Compressor()
{
    if (m_initialized)
        deflateEnd(&m_stream);
}

WT_Result WT_Zlib_Compressor::start()
{
    WT_Compression_Marker marker(WT_Compression_Marker::Zlib_Number);
    WT_CHECK(marker.serialize(m_file));
    m_stream = z_stream{};
    int code =
        deflateInit2(&m_stream, Level, Z_DEFLATED, Window_Bits, Memory_Level, Z_DEFAULT_STRATEGY);
    if (code != Z_OK)
        return from_zlib(code);
    m_initialized = true;
    code = deflateSetDictionary(&m_stream, WT_Compression_Dictionary::bytes(),
                                uInt(WT_Compression_Dictionary::Zlib_Size));
    if (code != Z_OK)
        return from_zlib(code);
    m_stream.next_out = m_output.data();
    m_stream.avail_out = uInt(m_output.size());
    m_compressing = true;
    return WT_Result_Success;
}

WT_Result WT_Zlib_Compressor::write_output(bool only_when_full)
{
    std::size_t const filled = m_output.size() - m_stream.avail_out;
    if (filled == 0 || (only_when_full && m_stream.avail_out != 0))
        return WT_Result_Success;
    m_stream.next_out = m_output.data();
    m_stream.avail_out = uInt(m_output.size());
    return m_file.write_raw(filled, m_output.data());
}

WT_Result WT_Zlib_Compressor::compress(std::size_t count, const void* bytes)
{
    if (!m_compressing)
        return WT_Result_Usage_Error;
    auto const* next = static_cast<const std::uint8_t*>(bytes);
    while (count > 0)
    {
        // zlib counts in uInt; larger writes go in pieces.
        std::size_t const piece = std::min<std::size_t>(count, std::numeric_limits<uInt>::max());
        m_stream.next_in = const_cast<Bytef*>(next);
        m_stream.avail_in = uInt(piece);
        while (m_stream.avail_in > 0)
        {
            int const code = deflate(&m_stream, Z_NO_FLUSH);
            if (code != Z_OK && code != Z_BUF_ERROR)
                return from_zlib(code);
            WT_CHECK(write_output(true));
        }
        next += piece;
        count -= piece;
    }
    return WT_Result_Success;
}

WT_Result WT_Zlib_Compressor::stop()
{
    if (!m_compressing)
        return WT_Result_Success;
    m_compressing = false;
    m_stream.next_in = nullptr;
    m_stream.avail_in = 0;
    int code = Z_OK;
    do
    {
        code = deflate(&m_stream, Z_FINISH);
        WT_CHECK(write_output(false));
    } while (code == Z_OK);
    if (code != Z_STREAM_END)
        return WT_Result_Not_Available;
    m_initialized = false;
    if (deflateEnd(&m_stream) != Z_OK)
        return WT_Result_Not_Available;
    return m_file.write_raw(1, "}");
}

// ---------------------------------------------------------------- decompressor

WT_Zlib_Decompressor::~WT_Zlib_Decompressor()
{
    if (m_initialized)
        inflateEnd(&m_stream);
}

WT_Result WT_Zlib_Decompressor::start()
{
    m_stream = z_stream{};
    int const code = inflateInit(&m_stream);
    if (code != Z_OK)
        return from_zlib(code);
    m_initialized = true;
    return WT_Result_Success;
}

WT_Result WT_Zlib_Decompressor::fail(WT_Result result)
{
    m_failure = result;
    return result;
}

WT_Result WT_Zlib_Decompressor::decompress(std::size_t wanted, std::size_t& delivered, void* buffer)
{
    delivered = 0;
    if (m_failure != WT_Result_Success)
        return m_failure;
    // The file may ask again while it waits for the closing "}".
    if (m_ended)
        return WT_Result_Compressed_Data_End;
    if (!m_initialized)
        return WT_Result_Usage_Error;

    auto* out = static_cast<std::uint8_t*>(buffer);
    while (delivered < wanted)
    {
        if (m_stream.avail_in == 0)
        {
            std::size_t got = 0;
            WT_Result const result = m_file.read_raw(m_input.size(), got, m_input.data());
            if (got > m_input.size())
                return fail(WT_Result_Stream_Failure);
            if (got == 0)
            {
                // Short of input: hand over what is decoded, or let the caller
                // come back (1) or learn that the input is over (4).
                if (delivered > 0)
                    return WT_Result_Success;
                return result == WT_Result_Success ? WT_Result_Waiting_For_Data : result;
            }
            m_stream.next_in = m_input.data();
            m_stream.avail_in = uInt(got);
        }
        std::size_t const room =
            std::min<std::size_t>(wanted - delivered, std::numeric_limits<uInt>::max());
        uInt const input_before = m_stream.avail_in;
        m_stream.next_out = out + delivered;
        m_stream.avail_out = uInt(room);
        int const code = inflate(&m_stream, Z_SYNC_FLUSH);
        std::size_t const produced = room - m_stream.avail_out;
        delivered += produced;
        // With input and room at hand zlib always moves; guard against a loop.
        if (code == Z_BUF_ERROR && produced == 0 && m_stream.avail_in == input_before &&
            input_before > 0)
            return fail(WT_Result_Not_Available);
        if (code == Z_NEED_DICT)
        {
            // A stream primed with another dictionary cannot be read here.
            if (inflateSetDictionary(&m_stream, WT_Compression_Dictionary::bytes(),
                                     uInt(WT_Compression_Dictionary::Zlib_Size)) != Z_OK)
                return fail(WT_Result_Not_Available);
            continue;
        }
        switch (code)
        {
        case Z_OK:
        case Z_BUF_ERROR: // no progress: more input is needed
            break;
        case Z_STREAM_END:
        {
            m_ended = true;
            m_initialized = false;
            // What follows the deflate data ("}" and the rest of the stream)
            // goes back to the file unread.
            std::size_t const unused = m_stream.avail_in;
            const Bytef* rest = m_stream.next_in;
            if (inflateEnd(&m_stream) != Z_OK)
                return fail(WT_Result_Not_Available);
            if (unused > 0)
                m_file.push_back_raw(rest, unused);
            return WT_Result_Compressed_Data_End;
        }
        case Z_MEM_ERROR:
            return fail(WT_Result_Out_Of_Memory);
        case Z_DATA_ERROR:
            return fail(WT_Result_Corrupt_Stream);
        default:
            return fail(WT_Result_Not_Available);
        }
    }
    return WT_Result_Success;
}
