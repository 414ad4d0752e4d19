#pragma once

// An in-memory stream that can also seek, tell and overwrite, as the block
// modes need; reads may trickle like the plain test stream.

#include "dwf/w2dtk/file.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace w2d_block_test
{

struct Seekable_Stream
{
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
    std::size_t max_chunk = SIZE_MAX;
    std::mt19937 random{99};
    bool is_open = false;
    int closes = 0;

    Seekable_Stream() = default;
    explicit Seekable_Stream(const std::string& text) : bytes(text.begin(), text.end()) {}

    std::string text() const { return std::string(bytes.begin(), bytes.end()); }

    void install(WT_File& file)
    {
        file.set_stream_user_data(this);
        file.set_stream_open_action(&open_action);
        file.set_stream_close_action(&close_action);
        file.set_stream_read_action(&read_action);
        file.set_stream_write_action(&write_action);
        file.set_stream_seek_action(&seek_action);
        file.set_stream_end_seek_action(&end_seek_action);
        file.set_stream_tell_action(&tell_action);
    }

    static Seekable_Stream& of(WT_File& file)
    {
        return *static_cast<Seekable_Stream*>(file.stream_user_data());
    }
    static WT_Result open_action(WT_File& file)
    {
        Seekable_Stream& s = of(file);
        if (s.is_open)
            return WT_Result_Already_Open;
        s.is_open = true;
        s.position = 0;
        if (file.file_mode() == WT_File::File_Write || file.file_mode() == WT_File::Block_Write)
            s.bytes.clear();
        return WT_Result_Success;
    }
    static WT_Result close_action(WT_File& file)
    {
        Seekable_Stream& s = of(file);
        s.is_open = false;
        ++s.closes;
        return WT_Result_Success;
    }
    static WT_Result read_action(WT_File& file, std::size_t wanted, std::size_t& delivered,
                                 void* buffer)
    {
        Seekable_Stream& s = of(file);
        delivered = 0;
        if (s.position >= s.bytes.size())
            return WT_Result_End_Of_Input;
        std::size_t chunk = wanted;
        if (s.max_chunk != SIZE_MAX)
            chunk = std::min(chunk,
                             std::uniform_int_distribution<std::size_t>(1, s.max_chunk)(s.random));
        std::size_t const n = std::min(chunk, s.bytes.size() - s.position);
        std::copy_n(s.bytes.begin() + long(s.position), n, static_cast<std::uint8_t*>(buffer));
        s.position += n;
        delivered = n;
        return WT_Result_Success;
    }
    static WT_Result write_action(WT_File& file, std::size_t count, const void* data)
    {
        Seekable_Stream& s = of(file);
        auto const* p = static_cast<const std::uint8_t*>(data);
        if (s.position + count > s.bytes.size())
            s.bytes.resize(s.position + count);
        std::copy_n(p, count, s.bytes.begin() + long(s.position));
        s.position += count;
        return WT_Result_Success;
    }
    static WT_Result seek_action(WT_File& file, long distance, long& moved)
    {
        Seekable_Stream& s = of(file);
        long const target = long(s.position) + distance;
        if (target < 0 || std::size_t(target) > s.bytes.size())
        {
            moved = 0;
            return WT_Result_Stream_Failure;
        }
        s.position = std::size_t(target);
        moved = distance;
        return WT_Result_Success;
    }
    static WT_Result end_seek_action(WT_File& file)
    {
        Seekable_Stream& s = of(file);
        s.position = s.bytes.size();
        return WT_Result_Success;
    }
    static WT_Result tell_action(WT_File& file, unsigned long& position)
    {
        position = of(file).position;
        return WT_Result_Success;
    }
};

} // namespace w2d_block_test
