#include "dwf/w3dtk/stream/data_accumulator.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace
{
// Inflate output grows the kept run by at most this much at a time, so memory
// follows the bytes that really arrive rather than the size a record asks for.
constexpr std::size_t Inflate_Step = 1 << 16;
constexpr int Compression_Level = 9;
} // namespace

BStreamDataAccumulator::BStreamDataAccumulator() = default;

BStreamDataAccumulator::~BStreamDataAccumulator()
{
    end_zlib();
}

void BStreamDataAccumulator::end_zlib()
{
    if (!m_active)
        return;
    if (m_deflating)
        deflateEnd(m_zlib.get());
    else
        inflateEnd(m_zlib.get());
    m_active = false;
}

void BStreamDataAccumulator::restart()
{
    end_zlib();
    m_pending.clear();
    m_pending_start = 0;
    m_kept.clear();
    m_position = nullptr;
    m_left = 0;
    m_buffer_size = 0;
    m_total = 0;
}

void BStreamDataAccumulator::keep_pending(const char* data, int size)
{
    if (m_pending_start == m_pending.size())
    {
        m_pending.clear();
        m_pending_start = 0;
    }
    m_pending.insert(m_pending.end(), data, data + size);
}

int BStreamDataAccumulator::run_deflate(const char* data, int size, int flush)
{
    z_stream& z = *m_zlib;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(m_position);
    z.avail_out = static_cast<uInt>(m_left);
    int const result = deflate(&z, flush);
    if (result < 0 && result != Z_BUF_ERROR)
        return result;
    int const produced = m_left - static_cast<int>(z.avail_out);
    m_total += produced;
    m_position += produced;
    m_left -= produced;
    return result;
}

TK_Status BStreamDataAccumulator::deflate_into_buffer(const char* data, int size, int& taken)
{
    int const result = run_deflate(data, size, Z_NO_FLUSH);
    if (result < 0 && result != Z_BUF_ERROR)
        return TK_Error;
    taken = size - static_cast<int>(m_zlib->avail_in);
    return TK_Done;
}

TK_Status BStreamDataAccumulator::write(const char* data, int size)
{
    if (size < 0)
        return TK_Error;
    if (size == 0)
        return TK_Done;
    // Bytes waiting in the overflow area always go first: nothing may pass them.
    if (m_left == 0 || pending() > 0)
        return TK_Pending;
    if (compressing())
    {
        int taken = 0;
        if (deflate_into_buffer(data, size, taken) != TK_Done)
            return TK_Error;
        if (taken < size)
            keep_pending(data + taken, size - taken);
        return TK_Done;
    }
    m_total += size;
    int const now = std::min(size, m_left);
    std::memcpy(m_position, data, static_cast<std::size_t>(now));
    m_position += now;
    m_left -= now;
    if (now < size)
        keep_pending(data + now, size - now);
    return TK_Done;
}

TK_Status BStreamDataAccumulator::set_buffer(char* buffer, int size)
{
    if (size < 0 || (size > 0 && buffer == nullptr))
        return TK_Error;
    m_position = buffer;
    m_left = size;
    m_buffer_size = size;
    if (pending() == 0 || size == 0)
        return pending() == 0 ? TK_Done : TK_Pending;
    char const* run = m_pending.data() + m_pending_start;
    int taken = 0;
    if (compressing())
    {
        if (deflate_into_buffer(run, pending(), taken) != TK_Done)
            return TK_Error;
    }
    else
    {
        taken = std::min(pending(), m_left);
        std::memcpy(m_position, run, static_cast<std::size_t>(taken));
        m_position += taken;
        m_left -= taken;
    }
    m_pending_start += static_cast<std::size_t>(taken);
    if (pending() > 0)
        return TK_Pending;
    m_pending.clear();
    m_pending_start = 0;
    return TK_Done;
}

TK_Status BStreamDataAccumulator::start_compression()
{
    if (m_active)
        return TK_Error;
    // Plain bytes still waiting for a buffer must not pass through deflate.
    if (pending() > 0)
        return TK_Pending;
    if (!m_zlib)
        m_zlib = std::make_unique<z_stream>();
    *m_zlib = z_stream{};
    if (deflateInit(m_zlib.get(), Compression_Level) != Z_OK)
        return TK_Error;
    m_active = true;
    m_deflating = true;
    return TK_Done;
}

TK_Status BStreamDataAccumulator::stop_compression(bool finish)
{
    if (!m_active || !m_deflating)
        return TK_Error;
    z_stream& z = *m_zlib;
    if (finish)
    {
        if (m_left == 0 || pending() > 0)
            return TK_Pending;
        int const result = run_deflate(nullptr, 0, Z_FINISH);
        if (result < 0 && result != Z_BUF_ERROR)
            return TK_Error;
        if (result != Z_STREAM_END)
            return TK_Pending;
        m_active = false;
        return deflateEnd(&z) == Z_OK ? TK_Done : TK_Error;
    }
    m_active = false;
    int const result = deflateEnd(&z);
    return result == Z_OK || result == Z_DATA_ERROR ? TK_Done : TK_Error;
}

TK_Status BStreamDataAccumulator::start_decompression()
{
    if (m_active)
        return TK_Error;
    if (!m_zlib)
        m_zlib = std::make_unique<z_stream>();
    *m_zlib = z_stream{};
    if (inflateInit(m_zlib.get()) != Z_OK)
        return TK_Error;
    m_active = true;
    m_deflating = false;
    return TK_Done;
}

TK_Status BStreamDataAccumulator::stop_decompression(bool end)
{
    if (end && decompressing())
    {
        inflateEnd(m_zlib.get());
        m_active = false;
    }
    return TK_Done;
}

TK_Status BStreamDataAccumulator::inflate_into_kept(std::size_t wanted)
{
    z_stream& z = *m_zlib;
    while (m_kept.size() < wanted && m_left > 0 && decompressing())
    {
        std::size_t const had = m_kept.size();
        std::size_t const step = std::min(wanted - had, Inflate_Step);
        m_kept.resize(had + step);
        z.next_in = reinterpret_cast<Bytef*>(m_position);
        z.avail_in = static_cast<uInt>(m_left);
        z.next_out = reinterpret_cast<Bytef*>(m_kept.data() + had);
        z.avail_out = static_cast<uInt>(step);
        int const result = inflate(&z, Z_NO_FLUSH);
        int const consumed = m_left - static_cast<int>(z.avail_in);
        std::size_t const produced = step - z.avail_out;
        m_position += consumed;
        m_left -= consumed;
        m_kept.resize(had + produced);
        if (result == Z_STREAM_END)
        {
            // What follows the compressed data is read plain.
            inflateEnd(&z);
            m_active = false;
            break;
        }
        if (result == Z_NEED_DICT || (result < 0 && result != Z_BUF_ERROR))
            return TK_Error;
        if (consumed == 0 && produced == 0)
            break;
    }
    return TK_Done;
}

TK_Status BStreamDataAccumulator::read(char* data, int size)
{
    if (size < 0)
        return TK_Error;
    if (size == 0)
        return TK_Done;
    std::size_t const wanted = static_cast<std::size_t>(size);
    if (decompressing() && m_kept.size() < wanted && inflate_into_kept(wanted) != TK_Done)
        return TK_Error;
    if (m_kept.size() >= wanted)
    {
        std::memcpy(data, m_kept.data(), wanted);
        m_kept.erase(m_kept.begin(), m_kept.begin() + static_cast<long>(wanted));
        return TK_Done;
    }
    if (decompressing())
        return TK_Pending;
    std::size_t const from_kept = m_kept.size();
    std::size_t const from_input = wanted - from_kept;
    if (from_input > static_cast<std::size_t>(m_left))
        return TK_Pending;
    if (from_kept > 0)
        std::memcpy(data, m_kept.data(), from_kept);
    std::memcpy(data + from_kept, m_position, from_input);
    m_position += from_input;
    m_left -= static_cast<int>(from_input);
    m_kept.clear();
    return TK_Done;
}
