#pragma once

// Helpers for the tests of single opcode objects: write objects into a whole
// stream, read a stream back keeping copies of chosen classes, and run a
// reader over truncated and mutated copies of a stream.

#include "dwf/w2dtk/attribute_set.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace w2d_test
{

inline std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

inline std::string header(int version = 600)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d.%02d)", version >= 600 ? "(W2D V" : "(DWF V",
                  version / 100, version % 100);
    return text;
}

// The trailer as written after the last object of either form.
inline std::string trailer(bool binary)
{
    return binary ? "(EndOfDWF)\r\n" : "\r\n(EndOfDWF)\r\n";
}

// A whole stream: header, whatever body writes, trailer. The body's result is
// checked; so are open and close.
inline std::string write_stream(bool binary, int version, const std::function<void(WT_File&)>& body)
{
    Memory_Stream stream;
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

// Only the bytes between header and trailer.
inline std::string write_body(bool binary, int version, const std::function<void(WT_File&)>& body)
{
    std::string const all = write_stream(binary, version, body);
    std::string const head = header(version);
    std::string const tail = trailer(binary);
    EXPECT_EQ(all.compare(0, head.size(), head), 0);
    if (all.size() < head.size() + tail.size())
        return std::string();
    EXPECT_EQ(all.substr(all.size() - tail.size()), tail);
    return all.substr(head.size(), all.size() - head.size() - tail.size());
}

struct Read_Back
{
    WT_Result end = WT_Result_Success;
    std::vector<std::unique_ptr<WT_Object>> objects; // copies of the chosen classes
    std::vector<int> ids;                            // every object read, in order
    std::unique_ptr<WT_Attribute_Set> rendition;     // the current rendition at the end
    bool compatibility_flag = false;
    WT_Opcode_Statistics statistics; // opcodes counted by kind

    template <class T> const T& at(std::size_t i) const
    {
        return dynamic_cast<const T&>(*objects.at(i));
    }
};

template <class T> bool keep_copy(WT_Object& object, std::vector<std::unique_ptr<WT_Object>>& out)
{
    if (auto* typed = dynamic_cast<T*>(&object))
    {
        out.push_back(std::make_unique<T>(*typed));
        return true;
    }
    return false;
}

// Reads bytes through get_next_object with input arriving lo..hi bytes per
// call, keeping a copy of every object of the classes Keep.
template <class... Keep>
Read_Back read_back(const std::string& input, std::size_t lo = 1, std::size_t hi = 64,
                    const std::function<void(WT_File&)>& prepare = {})
{
    Read_Back out;
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, lo, hi);
    if (prepare)
        prepare(file);
    EXPECT_EQ(file.open(), WT_Result_Success);
    out.end = read_stream(file,
                          [&](WT_Object& object)
                          {
                              out.ids.push_back(object.object_id());
                              (void)(keep_copy<Keep>(object, out.objects) || ...);
                          });
    out.rendition = std::make_unique<WT_Attribute_Set>(file.rendition());
    out.compatibility_flag = file.heuristics().m_broken_producer;
    if (file.statistics())
        out.statistics = *file.statistics();
    file.close();
    return out;
}

// The ids of the objects of a stream read by a caller that materializes
// nothing: each object's operand is skipped by the reading loop, which must
// stay in step. Ends at the end of the input.
inline std::vector<int> ids_when_skipping(const std::string& input, std::size_t hi,
                                          WT_Result* end = nullptr)
{
    std::vector<int> ids;
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, 1, hi);
    EXPECT_EQ(file.open(), WT_Result_Success);
    WT_Result result = WT_Result_Success;
    for (long step = 0; step < 1000000; ++step)
    {
        result = file.get_next_object();
        if (result == WT_Result_Waiting_For_Data)
            continue;
        if (result != WT_Result_Success)
            break;
        ids.push_back(file.object()->object_id());
    }
    if (end)
        *end = result;
    file.close();
    return ids;
}

// Feeds every truncation and a run of random mutations of input to the
// reader. Nothing may crash, leak (ASan) or stall; the result is anything.
inline void expect_survives_damage(const std::string& input, int mutations = 300, unsigned seed = 7)
{
    auto survive = [](const std::string& damaged, std::size_t hi)
    {
        Memory_Stream stream(damaged);
        WT_File file;
        open_for_reading(file, stream, 1, hi);
        ASSERT_EQ(file.open(), WT_Result_Success);
        WT_Result const end = read_stream(file, {}, 200000);
        EXPECT_NE(end, Stalled) << "reader made no progress";
        file.close();
    };
    for (std::size_t cut = 0; cut < input.size(); ++cut)
        survive(input.substr(0, cut), 64);

    std::mt19937 random(seed);
    static const char interesting[] = {'\0', '(', ')', '{', '}',        '\'',       '"', '\\',
                                       ',',  ' ', '-', '9', char(0xFF), char(0x80), 'x'};
    for (int i = 0; i < mutations; ++i)
    {
        std::string damaged = input;
        int const edits = 1 + int(random() % 4);
        for (int e = 0; e < edits && !damaged.empty(); ++e)
        {
            std::size_t const at = random() % damaged.size();
            switch (random() % 4)
            {
            case 0:
                damaged[at] = char(random());
                break;
            case 1:
                damaged[at] = interesting[random() % sizeof interesting];
                break;
            case 2:
                damaged.erase(at, 1 + random() % 3);
                break;
            default:
                damaged.insert(at, 1, interesting[random() % sizeof interesting]);
                break;
            }
        }
        survive(damaged, 1 + random() % 64);
    }
}

} // namespace w2d_test
