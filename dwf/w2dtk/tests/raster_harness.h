#pragma once

// Helpers for the tests of the raster, Gouraud, marker, URL and node objects:
// golden byte building, writing a stream through a callback, reading one back
// with the objects kept, and the damaged-input sweep every new reader gets.

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace raster_test
{

inline std::string le16(int v)
{
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)};
}

inline std::string le32(std::int64_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
    return s;
}

inline std::string raw(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

inline std::string raw(const std::vector<std::uint8_t>& values)
{
    return std::string(values.begin(), values.end());
}

// Writes a stream (header, whatever body writes, trailer) and returns its bytes.
inline std::string write_stream(bool binary, const std::function<void(WT_File&)>& body,
                                int version = 600)
{
    w2d_test::Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_target_version(version);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(binary);
    body(file);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.written();
}

// The bytes body writes, without the header and trailer around them.
inline std::string body_bytes(bool binary, const std::function<void(WT_File&)>& body,
                              int version = 600)
{
    std::string const all = write_stream(binary, body, version);
    std::string const head = "(W2D V06.00)";
    std::string const tail = binary ? "(EndOfDWF)\r\n" : "\r\n(EndOfDWF)\r\n";
    if (version != 600 || all.size() < head.size() + tail.size())
        return all;
    return all.substr(head.size(), all.size() - head.size() - tail.size());
}

struct Read_Back
{
    WT_Result end = WT_Result_Success;
    std::vector<std::unique_ptr<WT_Object>> objects;

    // The objects of one kind, in stream order.
    template <class T> std::vector<T*> all(WT_Object::WT_ID id) const
    {
        std::vector<T*> found;
        for (auto const& o : objects)
            if (o->object_id() == id)
                found.push_back(static_cast<T*>(o.get()));
        return found;
    }
};

// Reads a whole stream, delivering lo..hi bytes per read call, and keeps every
// object read. prepare may install actions or choices on the file first.
inline Read_Back read_back(const std::string& bytes, std::size_t lo = 1, std::size_t hi = 64,
                           const std::function<void(WT_File&)>& prepare = {})
{
    Read_Back out;
    w2d_test::Memory_Stream stream(bytes);
    WT_File file;
    w2d_test::open_for_reading(file, stream, lo, hi);
    if (prepare)
        prepare(file);
    EXPECT_EQ(file.open(), WT_Result_Success);
    out.end =
        w2d_test::read_stream(file, [&](WT_Object&) { out.objects.push_back(file.take_object()); });
    file.close();
    return out;
}

// Feeds every truncation and a few hundred mutations of a valid stream to the
// reader. Each must end with a result (error or success) without hanging;
// crashes and leaks are left to the sanitizers.
inline void expect_damage_survived(const std::string& valid, unsigned seed = 7, int mutations = 300)
{
    auto survive = [](const std::string& bytes, std::size_t hi)
    {
        w2d_test::Memory_Stream stream(bytes);
        WT_File file;
        w2d_test::open_for_reading(file, stream, 1, hi);
        if (file.open() != WT_Result_Success)
            return;
        WT_Result const end = w2d_test::read_stream(file, {}, 2'000'000);
        EXPECT_NE(end, w2d_test::Stalled) << "reader stalled on " << bytes.size() << " bytes";
        file.close();
    };
    for (std::size_t n = 0; n < valid.size(); ++n)
        survive(valid.substr(0, n), 64);
    std::mt19937 random(seed);
    for (int i = 0; i < mutations; ++i)
    {
        std::string damaged = valid;
        int const changes = 1 + int(random() % 3);
        for (int c = 0; c < changes; ++c)
        {
            std::size_t const at = random() % damaged.size();
            switch (random() % 3)
            {
            case 0:
                damaged[at] = char(random());
                break;
            case 1:
                damaged[at] = char(damaged[at] ^ (1 << (random() % 8)));
                break;
            default:
                damaged[at] = char(0xFF);
                break;
            }
        }
        survive(damaged, 1 + random() % 64);
    }
}

} // namespace raster_test
