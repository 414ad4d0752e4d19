// The output file every writer creates: exclusive or replacing creation,
// positioned and buffered writes, and removal of whatever was not completed.
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecOutputFile.h"
#include "imaging/codecs/tests/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using Omvi::CodecOutputFile;
using Omvi::FileIOException;
using namespace OmviTest;

namespace
{

// The code of the FileIOException `write` throws; 0 when it throws none.
template <typename Write> std::int32_t failureCode(Write write)
{
    try
    {
        write();
    }
    catch (FileIOException* failure)
    {
        const std::unique_ptr<FileIOException> owned(failure);
        return failure->code();
    }
    return 0;
}

} // namespace

TEST(CodecOutputFile, PositionedWritesLandWhereTheyAreAimedAndStayOnceCompleted)
{
    ScratchFolder folder;
    const std::string path = folder.file("image.bin");
    {
        CodecOutputFile file;
        ASSERT_TRUE(file.create(path));
        file.writeAt(4, "EFGH", 4);
        file.writeAt(0, "ABCD", 4);
        file.complete();
        EXPECT_FALSE(file.isOpen());
        file.complete();  // a second call has nothing to close
    }
    EXPECT_EQ(readFileBytes(path), Pixels({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}));
}

TEST(CodecOutputFile, BufferedWritesBeyondOneBufferArriveInOrder)
{
    ScratchFolder folder;
    const std::string path = folder.file("rows.bin");
    Pixels expected;
    for (std::size_t i = 0; i < CodecOutputFile::kBufferSize * 2 + 17; ++i)
        expected.push_back(static_cast<std::uint8_t>(i * 7));
    CodecOutputFile file;
    ASSERT_TRUE(file.create(path));
    ASSERT_TRUE(file.put(expected[0]));
    ASSERT_TRUE(file.write(expected.data() + 1, CodecOutputFile::kBufferSize));
    for (std::size_t i = CodecOutputFile::kBufferSize + 1; i < expected.size(); ++i)
        ASSERT_TRUE(file.put(expected[i]));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(readFileBytes(path), expected);
    EXPECT_FALSE(file.finish()) << "a finished file is closed";
}

TEST(CodecOutputFile, APositionedWriteFollowsTheBytesQueuedBeforeIt)
{
    ScratchFolder folder;
    const std::string path = folder.file("mixed.bin");
    CodecOutputFile file;
    ASSERT_TRUE(file.create(path));
    ASSERT_TRUE(file.write("head", 4));
    file.writeAt(2, "XY", 2);
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(readFileBytes(path), Pixels({'h', 'e', 'X', 'Y'}));
}

TEST(CodecOutputFile, CreationIsExclusiveUnlessReplacingIsAsked)
{
    ScratchFolder folder;
    const std::string path = folder.file("taken.bin");
    ASSERT_TRUE(writeFileBytes(path, {1, 2, 3}));
    CodecOutputFile file;
    EXPECT_FALSE(file.create(path));
    EXPECT_FALSE(file.create(path, CodecOutputFile::Creation::kExclusive));
    EXPECT_EQ(readFileBytes(path), Pixels({1, 2, 3})) << "a refused file is left alone";
    ASSERT_TRUE(file.create(path, CodecOutputFile::Creation::kReplace));
    ASSERT_TRUE(file.write("z", 1));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(readFileBytes(path), Pixels({'z'}));
    EXPECT_FALSE(file.create(folder.file("no/such/folder.bin")));
}

TEST(CodecOutputFile, WhatIsNotCompletedIsRemoved)
{
    ScratchFolder folder;
    const std::string abandoned = folder.file("abandoned.bin");
    const std::string discarded = folder.file("discarded.bin");
    const std::string recreated = folder.file("recreated.bin");
    {
        CodecOutputFile file;
        ASSERT_TRUE(file.create(abandoned));
        file.writeAt(0, "data", 4);
        ASSERT_TRUE(fileExists(abandoned));
    }
    EXPECT_FALSE(fileExists(abandoned));

    CodecOutputFile file;
    ASSERT_TRUE(file.create(discarded));
    ASSERT_TRUE(file.write("data", 4));
    file.discard();
    EXPECT_FALSE(fileExists(discarded));
    EXPECT_FALSE(file.write("more", 4)) << "nothing is open after a discard";
    EXPECT_EQ(failureCode([&] { file.writeAt(0, "x", 1); }), FileIOException::kOtherFailure);

    // Creating again lets the first file go as a discard does.
    ASSERT_TRUE(file.create(discarded));
    ASSERT_TRUE(file.create(recreated));
    EXPECT_FALSE(fileExists(discarded));
    ASSERT_TRUE(file.finish());
    EXPECT_TRUE(fileExists(recreated));
}

TEST(CodecOutputFile, AFullDeviceIsReportedAsAFullDiskAndNotRemoved)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    {
        CodecOutputFile file;
        ASSERT_TRUE(file.create("/dev/full", CodecOutputFile::Creation::kReplace));
        EXPECT_EQ(failureCode([&] { file.writeAt(0, "data", 4); }), FileIOException::kDiskFull);
        EXPECT_FALSE(file.isOpen());
    }
    {
        CodecOutputFile file;
        ASSERT_TRUE(file.create("/dev/full", CodecOutputFile::Creation::kReplace));
        ASSERT_TRUE(file.write("data", 4)) << "the bytes are only queued";
        EXPECT_FALSE(file.finish());
    }
    {
        CodecOutputFile file;
        ASSERT_TRUE(file.create("/dev/full", CodecOutputFile::Creation::kReplace));
        Pixels block(CodecOutputFile::kBufferSize + 1, 0);
        EXPECT_FALSE(file.write(block.data(), block.size())) << "a full buffer is flushed and fails";
        EXPECT_FALSE(file.put(1)) << "the failure is remembered";
        EXPECT_EQ(failureCode([&] { file.complete(); }), FileIOException::kDiskFull);
    }
    EXPECT_TRUE(fileExists("/dev/full"));
}
