// A paging file that cannot be written (an I/O error, a full disk), as the
// library's callers hear of it: the paging system's exception names the
// file and the system's reason, and the reorienting filter, which reads its
// whole source into the paging file, keeps that failure for its caller.
#include "PageWriteFaults.h"
#include "PixelGrids.h"
#include "TiledImageFixtures.h"
#include "platform_fixtures.h"

#include "imaging/filters/ReorientFilter.h"
#include "imaging/models/RgbModel.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsTempPagingSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Omvi;

namespace
{

struct Fault
{
    int error;
    std::int32_t code;
};

const Fault kFaults[] = {{EIO, FileIOException::kOtherFailure}, {ENOSPC, FileIOException::kDiskFull}};

} // namespace

TEST(PageWriteFaults, AFailedTransferNamesThePagingFileAndTheSystemsReason)
{
    WindowsTempPagingSystem paging(makeScratchFileSpecifier("IMG"));
    const std::string path = paging.firstVolumeFile().nativePath();
    ASSERT_FALSE(path.empty());
    const auto h = paging.reserve(1, 3, 4096);
    const std::vector<std::uint8_t> page(4096, 7);
    for (std::int32_t c = 0; c < 3; ++c)
        paging.allocatePosition(h, 0, c);
    paging.writePosition(h, 0, page.data());
    for (const Fault& fault : kFaults)
    {
        SCOPED_TRACE(std::strerror(fault.error));
        std::string message;
        {
            const OmviTest::PageWriteFault failing(fault.error);
            EXPECT_EQ(OmviTest::thrownCode<FileIOException>([&] { paging.writePosition(h, 1, page.data()); }, &message),
                      fault.code);
        }
        EXPECT_NE(message.find("'" + path + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(fault.error)), std::string::npos) << message;
    }
    // Once the fault is gone the page is written; a page never written is
    // past the file's end, and that too names the file.
    paging.writePosition(h, 1, page.data());
    std::vector<std::uint8_t> back(4096);
    paging.readPosition(h, 1, back.data());
    EXPECT_EQ(back, page);
    std::string message;
    EXPECT_EQ(OmviTest::thrownCode<FileIOException>([&] { paging.readPosition(h, 2, back.data()); }, &message),
              FileIOException::kEndOfFile);
    EXPECT_NE(message.find("'" + path + "'"), std::string::npos) << message;
}

using PageWriteFaultsInAFilter = OmviTest::TiledImageTest;

TEST_F(PageWriteFaultsInAFilter, TheReorientingFilterKeepsThePagingFilesFailure)
{
    OMVISession& session = start();
    const auto* paging = dynamic_cast<const WindowsTempPagingSystem*>(&session.temporaryPagingSystem());
    ASSERT_NE(paging, nullptr);
    const std::string path = paging->firstVolumeFile().nativePath();
    const RgbModel model(24);
    const OmviTest::Grid grid = OmviTest::gridOf(40, 30, [](int x, int y) { return OmviTest::patternPixel(3, x, y); });
    for (const Fault& fault : kFaults)
    {
        SCOPED_TRACE(std::strerror(fault.error));
        const OmviTest::PageWriteFault failing(fault.error);
        ReorientFilter filter(OmviTest::gridRows(model, grid).release(), 3);
        EXPECT_FALSE(filter.isValid());
        const OMVIException* failure = filter.failure();
        ASSERT_NE(failure, nullptr);
        EXPECT_NE(dynamic_cast<const FileIOException*>(failure), nullptr);
        EXPECT_EQ(failure->code(), fault.code);
        const std::string message = failure->getMessage().text();
        EXPECT_NE(message.find("'" + path + "'"), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(fault.error)), std::string::npos) << message;
    }
    // Without the fault the same source makes a filter with no failure.
    ReorientFilter filter(OmviTest::gridRows(model, grid).release(), 3);
    EXPECT_TRUE(filter.isValid());
    EXPECT_EQ(filter.failure(), nullptr);
}
