// WT_File: opening and closing through the default stdio procedures and
// replaced ones, action procedures, relative points and delayed drawables.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/end_of_dwf.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace w2d_test;

namespace
{
// A private folder for files written by the default stdio procedures.
class Temp_Folder
{
public:
    Temp_Folder()
    {
        char name[] = "/tmp/w2dtk-test-XXXXXX";
        if (mkdtemp(name))
            m_path = name;
    }
    ~Temp_Folder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    std::string file(const char* name) const { return m_path + "/" + name; }
    bool ok() const { return !m_path.empty(); }

private:
    std::string m_path;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A minimal mergeable drawable: a chain of points written as "S x,y x,y ...".
// It shows what every real drawable does around the pending-drawable slot.
class Test_Chain : public WT_Drawable
{
public:
    Test_Chain() = default;
    Test_Chain(std::vector<WT_Logical_Point> points) : m_points(std::move(points)) {}

    WT_ID object_id() const override { return Polyline_ID; }
    int action_slot() const override { return 60; }
    WT_Result materialize(const WT_Opcode&, WT_File&) override { return WT_Result_Not_Available; }
    WT_Result serialize(WT_File& file) override
    {
        WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Color_Bit));
        return file.merge_or_delay_drawable(*this);
    }
    WT_Result delay(WT_File& file) override
    {
        file.set_delayed_drawable(std::make_unique<Test_Chain>(*this));
        return WT_Result_Success;
    }
    WT_Result dump(WT_File& file) override
    {
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("S "));
        return file.write_ascii(m_points.size(), m_points.data());
    }
    bool merge(const WT_Drawable& other) override
    {
        auto const& chain = static_cast<const Test_Chain&>(other);
        if (chain.m_points.front() != m_points.back())
            return false;
        m_points.insert(m_points.end(), chain.m_points.begin() + 1, chain.m_points.end());
        return true;
    }

private:
    std::vector<WT_Logical_Point> m_points;
};

struct Writer
{
    Memory_Stream stream;
    WT_File file;

    Writer()
    {
        stream.install(file);
        file.set_file_mode(WT_File::File_Write);
        file.set_allow_binary_data(false);
        EXPECT_EQ(file.open(), WT_Result_Success);
        stream.output.clear();
    }
};
} // namespace

TEST(File_Lifecycle, Default_Procedures_Write_And_Read_A_File)
{
    Temp_Folder folder;
    ASSERT_TRUE(folder.ok());
    std::string const path = folder.file("sheet.w2d");
    {
        WT_File file;
        file.set_filename(path.c_str());
        file.set_file_mode(WT_File::File_Write);
        ASSERT_EQ(file.open(), WT_Result_Success);
        EXPECT_EQ(file.open(), WT_Result_Already_Open);
        file.set_allow_binary_data(false);
        file.set_allow_data_compression(false);
        WT_Color red(255, 0, 0);
        EXPECT_EQ(red.serialize(file), WT_Result_Success);
        EXPECT_EQ(file.close(), WT_Result_Success);
    }
    EXPECT_EQ(slurp(path), "(W2D V06.00)\r\n(Color 255,0,0,255)\r\n(EndOfDWF)\r\n");

    WT_File reader;
    reader.set_filename(path.c_str());
    reader.set_file_mode(WT_File::File_Read);
    ASSERT_EQ(reader.open(), WT_Result_Success);
    std::vector<int> ids;
    EXPECT_EQ(read_stream(reader, [&](WT_Object& o) { ids.push_back(o.object_id()); }),
              WT_Result_End_Of_Stream);
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(reader.rendition().color().rgba(), WT_RGBA32(255, 0, 0));
    // Past the trailer there is nothing more; every further call says so.
    EXPECT_EQ(reader.get_next_object(), WT_Result_End_Of_Input);
    EXPECT_EQ(reader.get_next_object(), WT_Result_End_Of_Input);
    EXPECT_EQ(reader.close(), WT_Result_Success);
}

TEST(File_Lifecycle, Open_Failures)
{
    Temp_Folder folder;
    WT_File missing;
    missing.set_filename(folder.file("absent.w2d").c_str());
    missing.set_file_mode(WT_File::File_Read);
    EXPECT_EQ(missing.open(), WT_Result_Open_Failed);
    EXPECT_EQ(missing.close(), WT_Result_Success);

    WT_File never;
    EXPECT_EQ(never.close(), WT_Result_Success);
    EXPECT_EQ(never.open(), WT_Result_Open_Failed); // no mode

    WT_File block;
    EXPECT_THROW(block.set_file_mode(WT_File::Block_Append), WT_Result);
    block.set_target_version(54);
    for (int mode : {WT_File::Block_Write, WT_File::Block_Read, WT_File::Block_Append})
    {
        block.set_file_mode(mode);
        // Refused at once, so close never has anything to abandon.
        EXPECT_EQ(block.open(), WT_Result_Needs_Version_55);
        EXPECT_EQ(block.close(), WT_Result_Success);
    }
}

TEST(File_Lifecycle, Names_Beyond_ASCII_Open_As_UTF8)
{
    Temp_Folder folder;
    ASSERT_TRUE(folder.ok());
    std::string const utf8 = folder.file("caf\xC3\xA9 \xF0\x9F\x98\x80.w2d");
    std::u16string wide;
    for (char c : folder.file(""))
        wide.push_back(char16_t(c));
    wide += u"caf\u00E9 \U0001F600.w2d";
    WT_File file;
    file.set_filename(wide.c_str());
    file.set_file_mode(WT_File::File_Write);
    ASSERT_EQ(file.open(), WT_Result_Success);
    ASSERT_EQ(file.close(), WT_Result_Success);
    EXPECT_EQ(slurp(utf8), "(W2D V06.00)(EndOfDWF)\r\n");

    WT_File reader;
    reader.set_filename(utf8.c_str());
    EXPECT_TRUE(reader.filename() == file.filename());
    reader.set_file_mode(WT_File::File_Read);
    ASSERT_EQ(reader.open(), WT_Result_Success);
    EXPECT_EQ(read_stream(reader), WT_Result_End_Of_Stream);
}

TEST(File_Lifecycle, Names_That_Are_Not_UTF8_Open_With_Their_Own_Bytes)
{
    // An ISO-8859-1 byte and a cut UTF-8 sequence: no UTF-8, but a name all
    // the same. Given as bytes, or as text that carries each such byte as
    // U+DC80..U+DCFF, the file is made under exactly those bytes.
    Temp_Folder folder;
    ASSERT_TRUE(folder.ok());
    std::u16string carried;
    for (char c : folder.file("carried-"))
        carried.push_back(char16_t(c));
    carried += u"\xDCE9.w2d";
    WT_File named, carrying;
    named.set_filename(folder.file("plan-\xE9 \xE2\x82.w2d").c_str());
    carrying.set_filename(carried.c_str());
    for (WT_File* file : {&named, &carrying})
    {
        file->set_file_mode(WT_File::File_Write);
        ASSERT_EQ(file->open(), WT_Result_Success);
        ASSERT_EQ(file->close(), WT_Result_Success);
    }
    EXPECT_EQ(slurp(folder.file("plan-\xE9 \xE2\x82.w2d")), "(W2D V06.00)(EndOfDWF)\r\n");
    EXPECT_EQ(slurp(folder.file("carried-\xE9.w2d")), "(W2D V06.00)(EndOfDWF)\r\n");
}

TEST(File_Lifecycle, Target_Version_Selects_The_Header)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_target_version(55);
    file.set_file_mode(WT_File::File_Write);
    ASSERT_EQ(file.open(), WT_Result_Success);
    EXPECT_EQ(file.close(), WT_Result_Success);
    EXPECT_EQ(stream.written(), "(DWF V00.55)(EndOfDWF)\r\n");
}

TEST(File_Lifecycle, Close_Always_Closes_The_Stream)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    ASSERT_EQ(file.open(), WT_Result_Success);
    stream.fail_writes_after = stream.output.size();
    EXPECT_EQ(file.close(), WT_Result_Write_Failed);
    EXPECT_EQ(stream.closes, 1);
    EXPECT_FALSE(file.is_open());
    EXPECT_EQ(file.close(), WT_Result_Success);
}

TEST(File_Lifecycle, Destructor_Closes_An_Open_File)
{
    Memory_Stream stream;
    {
        WT_File file;
        stream.install(file);
        file.set_file_mode(WT_File::File_Write);
        ASSERT_EQ(file.open(), WT_Result_Success);
    }
    EXPECT_EQ(stream.closes, 1);
    EXPECT_EQ(stream.written(), "(W2D V06.00)(EndOfDWF)\r\n");
}

TEST(File_Actions, Replace_And_Chain_To_The_Default)
{
    Memory_Stream stream("(W2D V06.00)(Color 1,2,3,4)C 5(EndOfDWF)");
    WT_File file;
    open_for_reading(file, stream);
    ASSERT_EQ(file.open(), WT_Result_Success);
    std::vector<WT_RGBA32> seen;
    file.set_action(7,
                    [&seen](WT_Object& object, WT_File& f)
                    {
                        seen.push_back(static_cast<WT_Color&>(object).rgba());
                        return object.default_process(f);
                    });
    EXPECT_EQ(read_stream(file), WT_Result_End_Of_Stream);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], WT_RGBA32(1, 2, 3, 4));
    EXPECT_EQ(file.rendition().color().index(), 5);
    EXPECT_THROW(file.set_action(79, nullptr), WT_Result);

    // Keeping the end-of-stream object from ending the loop.
    Memory_Stream twice("(W2D V06.00)(EndOfDWF)(EndOfDWF)");
    WT_File again;
    open_for_reading(again, twice);
    ASSERT_EQ(again.open(), WT_Result_Success);
    int ends = 0;
    again.set_action(23,
                     [&ends](WT_Object&, WT_File&)
                     {
                         ++ends;
                         return WT_Result_Success;
                     });
    EXPECT_EQ(read_stream(again), WT_Result_End_Of_Input);
    EXPECT_EQ(ends, 2);
}

TEST(File_Actions, Objects_Taken_By_The_Caller_Survive)
{
    Memory_Stream stream("(W2D V06.00)(Color 1,2,3,4)(EndOfDWF)");
    WT_File file;
    open_for_reading(file, stream, 64, 64);
    ASSERT_EQ(file.open(), WT_Result_Success);
    std::vector<std::unique_ptr<WT_Object>> kept;
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(file.get_next_object(), WT_Result_Success);
        ASSERT_EQ(file.object()->materialize(file.current_opcode(), file), WT_Result_Success);
        kept.push_back(file.take_object());
    }
    EXPECT_EQ(static_cast<WT_Color&>(*kept[1]).rgba(), WT_RGBA32(1, 2, 3, 4));
    EXPECT_EQ(kept[2]->object_id(), WT_Object::End_Of_DWF_ID);
}

TEST(File_Points, Relative_Points_Wrap_Both_Ways)
{
    WT_File file;
    WT_Logical_Point const path[] = {
        {10, 20}, {-5, 7}, {2147483647, -2147483647 - 1}, {-2147483647 - 1, 2147483647}, {0, 0}};
    std::vector<WT_Logical_Point> deltas;
    for (auto const& p : path)
        deltas.push_back(file.update_current_point(p));
    EXPECT_EQ(deltas[0], WT_Logical_Point(10, 20));
    EXPECT_EQ(deltas[1], WT_Logical_Point(-15, -13));
    file.set_current_point(WT_Logical_Point());
    for (std::size_t i = 0; i < deltas.size(); ++i)
        EXPECT_EQ(file.de_relativize(deltas[i]), path[i]);
}

TEST(Delayed_Drawables, Touching_Chains_Merge_Into_One)
{
    Writer w;
    Test_Chain a({{0, 0}, {10, 0}});
    Test_Chain b({{10, 0}, {10, 10}});
    Test_Chain c({{50, 50}, {60, 60}});
    EXPECT_EQ(a.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(b.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.stream.written(), ""); // still pending
    EXPECT_EQ(c.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.stream.written(), "\r\nS 0,0 10,0 10,10");
    // A changed attribute writes the pending drawable before itself.
    w.file.desired_rendition().color() = WT_Color(1, 1, 1);
    w.file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Bit);
    EXPECT_EQ(c.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.stream.written(), "\r\nS 0,0 10,0 10,10\r\nS 50,50 60,60\r\n(Color 1,1,1,255)");
    // Close writes the last pending drawable before the trailer.
    EXPECT_EQ(w.file.close(), WT_Result_Success);
    EXPECT_EQ(w.stream.written(), "\r\nS 0,0 10,0 10,10\r\nS 50,50 60,60\r\n(Color 1,1,1,255)\r\n"
                                  "S 50,50 60,60\r\n(EndOfDWF)\r\n");
}

TEST(Delayed_Drawables, Without_Merging_Each_Is_Written_At_Once)
{
    Writer w;
    w.file.set_allow_drawable_merging(false);
    Test_Chain a({{0, 0}, {10, 0}});
    Test_Chain b({{10, 0}, {10, 10}});
    EXPECT_EQ(a.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(b.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.stream.written(), "\r\nS 0,0 10,0\r\nS 10,0 10,10");
    EXPECT_EQ(w.file.delayed_drawable(), nullptr);
}
