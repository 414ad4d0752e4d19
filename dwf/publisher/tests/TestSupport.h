#pragma once

// What the publisher's tests share: a private temporary folder per test, the
// bytes and records of a model's W3D stream, and output that fails on demand.

#include "dwf/publisher/model/Model.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/comment.h"
#include "dwf/w3dtk/records/file_info.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/user_options.h"
#include "dwf/w3dtk/records/w3d_image.h"
#include "dwf/w3dtk/tests/stream_harness.h"
#include "dwfcore/Exception.h"
#include "dwfcore/InputStream.h"
#include "dwfcore/OutputStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace PublisherTest
{

using w3d_test::Bytes;

inline std::string utf8(const DWFCore::DWFString& text)
{
    return text.toUTF8();
}

// Makes a new folder of its own below $TMPDIR (or /tmp), named after
// `prefix`; answers its path, empty when it could not be made.
inline std::string makeFolder(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return ::mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}

// The names in `folder`, sorted.
inline std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (dirent* entry = ::readdir(dir))
        {
            std::string const name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every test runs with $TMPDIR pointing at a folder of its own, which must be
// empty again when the test ends: nothing a model makes may stay behind.
class TempFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* base = std::getenv("TMPDIR");
        _folder = makeFolder("publisher_test");
        ASSERT_FALSE(_folder.empty());
        _previous = base ? base : "";
        _hadPrevious = base != nullptr;
        ::setenv("TMPDIR", _folder.c_str(), 1);
    }

    void TearDown() override
    {
        EXPECT_EQ(files(), std::vector<std::string>()) << "left in the temporary folder";
        for (const std::string& file : files())
            ::unlink((_folder + "/" + file).c_str());
        ::rmdir(_folder.c_str());
        if (_hadPrevious)
            ::setenv("TMPDIR", _previous.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    // The names in the private temporary folder.
    std::vector<std::string> files() const { return folderNames(_folder); }

    std::string _folder;

private:
    std::string _previous;
    bool _hadPrevious = false;
};

// Every byte of a stream the caller owns.
inline Bytes readAll(DWFCore::DWFInputStream* stream)
{
    std::unique_ptr<DWFCore::DWFInputStream> owned(stream);
    Bytes bytes;
    char buffer[512];
    for (;;)
    {
        size_t const n = owned->read(buffer, sizeof buffer);
        if (n == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

// A record as the reader saw it: its opcode and what it says in words.
struct Record
{
    int opcode;
    std::string text;
    bool operator==(const Record& other) const
    {
        return opcode == other.opcode && text == other.text;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Record& record)
{
    out << "{";
    if (record.opcode >= 0x20 && record.opcode < 0x7F)
        out << "'" << char(record.opcode) << "'";
    else
        out << "0x" << std::hex << record.opcode << std::dec;
    return out << " \"" << record.text << "\"}";
}

// Describes records the base toolkit reads; families that know more records
// add their own description (see Describe in the tests).
using Describe = std::function<bool(BBaseOpcodeHandler&, std::string&)>;

inline std::string describe(BBaseOpcodeHandler& handler, const Describe& more)
{
    std::string text;
    if (more && more(handler, text))
        return text;
    if (auto* comment = dynamic_cast<TK_Comment*>(&handler))
        return comment->GetComment();
    if (auto* info = dynamic_cast<TK_File_Info*>(&handler))
        return std::to_string(info->GetFlags());
    if (auto* open = dynamic_cast<TK_Open_Segment*>(&handler))
        return open->GetSegment();
    if (auto* reference = dynamic_cast<TK_Referenced_Segment*>(&handler))
        return reference->GetSegment();
    if (auto* options = dynamic_cast<TK_User_Options*>(&handler))
        return options->GetOptions();
    if (auto* image = dynamic_cast<W3D_Image*>(&handler))
        return image->GetName() + " " + std::to_string(image->GetWidth()) + "x" +
               std::to_string(image->GetHeight()) + "x" + std::to_string(image->GetBitDepth());
    if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
        return std::to_string(shell->GetPointCount()) + " points " +
               std::to_string(shell->GetFaceCount()) + " faces";
    if (auto* texture = dynamic_cast<TK_Texture*>(&handler))
        return texture->GetName() + " of " + texture->GetImage();
    return text;
}

// The records of a whole stream read back, fed `chunk` bytes at a time; the
// read must reach the terminator.
inline std::vector<Record> records(const Bytes& bytes, std::size_t chunk = 1,
                                   const Describe& more = {}, int* tags = nullptr)
{
    std::vector<Record> result;
    w3d_test::Read_Result const read =
        w3d_test::read_stream(bytes, chunk,
                              [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&) {
                                  result.push_back({handler.Opcode(), describe(handler, more)});
                              });
    EXPECT_EQ(read.status, TK_Ended) << read.error;
    EXPECT_EQ(read.depth, 0) << "segments left open";
    if (tags)
        *tags = read.next_tag;
    return result;
}

// The records of a closed model's stream.
inline std::vector<Record> modelRecords(DWFToolkit::DWFModel& model, const Describe& more = {},
                                        int* tags = nullptr)
{
    return records(readAll(model.getInputStream()), 1, more, tags);
}

// The records every model stream starts with, up to and including the start
// of compression.
inline std::vector<Record> streamHead()
{
    return {{';', "; HSF V10.00 "},
            {'I', std::to_string(0x1A06)},
            {';', "W3D V01.00"},
            {'I', "0"},
            {'Z', ""}};
}

// The records every model stream ends with.
inline std::vector<Record> streamTail()
{
    return {{'z', ""}, {0x00, ""}};
}

inline std::vector<Record> concat(std::vector<std::vector<Record>> parts)
{
    std::vector<Record> all;
    for (auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

//
// Passes bytes to another stream until `limit` bytes went through; then it
// throws DWFIOException, or with shortWrites accepts only what fits. With
// recover set, only one write fails and the rest go through.
//
class FailingOutput : public DWFCore::DWFOutputStream
{
public:
    FailingOutput(DWFCore::DWFOutputStream& target, size_t limit, bool shortWrites, bool recover)
        : _target(target), _limit(limit), _short(shortWrites), _recover(recover)
    {
    }

    void flush() override { _target.flush(); }

    size_t write(const void* buffer, size_t bytes) override
    {
        if (!_failed && _written + bytes > _limit)
        {
            _failed = true;
            size_t const fits = _limit - std::min(_limit, _written);
            if (!_recover)
                _limit = 0;
            if (!_short)
                DWFCORE_THROW(DWFIOException, u"Test output failed",
                              "PublisherTest::FailingOutput::write");
            _written += _target.write(buffer, fits);
            return fits;
        }
        if (_failed && !_recover)
        {
            if (!_short)
                DWFCORE_THROW(DWFIOException, u"Test output failed",
                              "PublisherTest::FailingOutput::write");
            return 0;
        }
        _written += _target.write(buffer, bytes);
        return bytes;
    }

private:
    DWFCore::DWFOutputStream& _target;
    size_t _limit;
    bool _short;
    bool _recover;
    bool _failed = false;
    size_t _written = 0;
};

// Runs `step`, swallowing a DWF exception as a caller that goes on would;
// true when it threw.
inline bool swallow(const std::function<void()>& step)
{
    try
    {
        step();
    }
    catch (const DWFCore::DWFException&)
    {
        return true;
    }
    return false;
}

// A model whose W3D bytes pass through a FailingOutput on their way to the file.
class FailingModel : public DWFToolkit::DWFModel
{
public:
    FailingModel(size_t limit, bool shortWrites, bool recover)
        : DWFModel(u"Failing", u"", u""), _limit(limit), _short(shortWrites), _recover(recover)
    {
    }
    // The failing output dies with this object, before the base ends a stream
    // still open: end it here.
    ~FailingModel() override
    {
        swallow(
            [this]
            {
                if (isOpen())
                    close();
            });
    }

protected:
    DWFCore::DWFOutputStream& _streamTarget(DWFCore::DWFOutputStream& file) override
    {
        _failing = std::make_unique<FailingOutput>(file, _limit, _short, _recover);
        return *_failing;
    }

private:
    size_t _limit;
    bool _short;
    bool _recover;
    std::unique_ptr<FailingOutput> _failing;
};

} // namespace PublisherTest

// Expects `statement` to throw ExceptionClass with `text` as its message and,
// unless `functionName` is null, naming that function as where it was thrown.
#define EXPECT_DWF_THROW_FROM(statement, ExceptionClass, text, functionName)                       \
    do                                                                                             \
    {                                                                                              \
        bool thrown_ = false;                                                                      \
        const char* const function_ = (functionName);                                              \
        try                                                                                        \
        {                                                                                          \
            statement;                                                                             \
        }                                                                                          \
        catch (const DWFCore::ExceptionClass& e_)                                                  \
        {                                                                                          \
            thrown_ = true;                                                                        \
            EXPECT_EQ(DWFCore::DWFString(e_.message()).toUTF8(), std::string(text));               \
            if (function_ != nullptr)                                                              \
            {                                                                                      \
                EXPECT_STREQ(e_.function(), function_);                                            \
            }                                                                                      \
        }                                                                                          \
        EXPECT_TRUE(thrown_) << "expected " #ExceptionClass " from " #statement;                   \
    } while (false)

// Expects `statement` to throw ExceptionClass with `text` as its message.
#define EXPECT_DWF_THROW(statement, ExceptionClass, text)                                          \
    EXPECT_DWF_THROW_FROM(statement, ExceptionClass, text, nullptr)
