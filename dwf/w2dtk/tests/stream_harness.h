#pragma once

// In-memory stream procedures for WT_File, for tests, fuzzing and benchmarks.
// Reading can trickle: each call of the read procedure delivers between
// min_chunk and max_chunk bytes, and only the bytes that have "arrived" so far.
// Every W2D reader's tests should run through read_stream with trickling on.

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace w2d_test
{

struct Memory_Stream
{
    std::vector<std::uint8_t> input;
    std::size_t position = 0;
    std::size_t arrived = SIZE_MAX; // bytes that may be read so far
    std::size_t min_chunk = 1;      // bytes per read call, inclusive bounds
    std::size_t max_chunk = SIZE_MAX;
    std::mt19937 random{12345};
    std::vector<std::uint8_t> output;
    std::size_t fail_writes_after = SIZE_MAX; // write failure once output would pass this
    bool is_open = false;
    int opens = 0;
    int closes = 0;

    Memory_Stream() = default;
    explicit Memory_Stream(const std::string& bytes) : input(bytes.begin(), bytes.end()) {}
    explicit Memory_Stream(std::vector<std::uint8_t> bytes) : input(std::move(bytes)) {}

    void trickle(std::size_t lo, std::size_t hi)
    {
        min_chunk = lo;
        max_chunk = hi;
    }
    std::string written() const { return std::string(output.begin(), output.end()); }

    // Points the file's stream procedures at this stream.
    void install(WT_File& file)
    {
        file.set_stream_user_data(this);
        file.set_stream_open_action(&open_action);
        file.set_stream_close_action(&close_action);
        file.set_stream_read_action(&read_action);
        file.set_stream_write_action(&write_action);
    }

    static Memory_Stream& of(WT_File& file)
    {
        return *static_cast<Memory_Stream*>(file.stream_user_data());
    }

    static WT_Result open_action(WT_File& file)
    {
        Memory_Stream& s = of(file);
        if (s.is_open)
            return WT_Result_Already_Open;
        s.is_open = true;
        ++s.opens;
        return WT_Result_Success;
    }
    static WT_Result close_action(WT_File& file)
    {
        Memory_Stream& s = of(file);
        if (!s.is_open)
            return WT_Result_Not_Open;
        s.is_open = false;
        ++s.closes;
        return WT_Result_Success;
    }
    static WT_Result read_action(WT_File& file, std::size_t wanted, std::size_t& delivered,
                                 void* buffer)
    {
        Memory_Stream& s = of(file);
        delivered = 0;
        std::size_t const limit = std::min(s.arrived, s.input.size());
        if (s.position >= s.input.size())
            return WT_Result_End_Of_Input;
        if (s.position >= limit)
            return WT_Result_Success; // nothing has arrived yet
        std::size_t chunk = s.max_chunk;
        if (s.max_chunk != SIZE_MAX)
            chunk = std::uniform_int_distribution<std::size_t>(s.min_chunk, s.max_chunk)(s.random);
        std::size_t const n = std::min({wanted, chunk, limit - s.position});
        std::copy_n(s.input.begin() + long(s.position), n, static_cast<std::uint8_t*>(buffer));
        s.position += n;
        delivered = n;
        return WT_Result_Success;
    }
    static WT_Result write_action(WT_File& file, std::size_t count, const void* bytes)
    {
        Memory_Stream& s = of(file);
        if (!s.is_open || s.output.size() + count > s.fail_writes_after)
            return WT_Result_Write_Failed;
        auto const* p = static_cast<const std::uint8_t*>(bytes);
        s.output.insert(s.output.end(), p, p + count);
        return WT_Result_Success;
    }
};

// What read_stream gives when the loop made no progress within its step budget.
constexpr WT_Result Stalled = WT_Result(9999);

// The reading loop of an application: get_next_object, materialize, process,
// each repeated while it answers "waiting for data". seen is called for every
// materialized object before it is processed. Returns the result that ended
// the loop (WT_Result_End_Of_Stream after "(EndOfDWF)").
inline WT_Result read_stream(WT_File& file, const std::function<void(WT_Object&)>& seen = {},
                             long max_steps = 5'000'000)
{
    bool materializing = false;
    for (long step = 0; step < max_steps; ++step)
    {
        WT_Result result;
        if (!materializing)
        {
            result = file.get_next_object();
            if (result == WT_Result_Waiting_For_Data)
                continue;
            if (result != WT_Result_Success)
                return result;
            materializing = true;
        }
        WT_Object& object = *file.object();
        result = object.materialize(file.current_opcode(), file);
        if (result == WT_Result_Waiting_For_Data)
            continue;
        if (result != WT_Result_Success)
            return result;
        materializing = false;
        if (seen)
            seen(object);
        result = object.process(file);
        if (result != WT_Result_Success)
            return result;
    }
    return Stalled;
}

// Opens a file for reading over bytes, delivering them in chunks of lo..hi bytes.
inline void open_for_reading(WT_File& file, Memory_Stream& stream, std::size_t lo = 1,
                             std::size_t hi = 64)
{
    stream.trickle(lo, hi);
    stream.install(file);
    file.set_file_mode(WT_File::File_Read);
}

} // namespace w2d_test
