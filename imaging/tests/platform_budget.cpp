#include "imaging/platform/WindowsJobManager.h"
#include "platform_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Omvi;
using namespace imaging_testing;

namespace
{
class TestJob : public Job
{
public:
    TestJob(std::int32_t bytesPerUnit, std::int32_t units) : bytes_(bytesPerUnit), units_(units) {}
    ~TestJob() override = default;
    std::int32_t bytesPerUnit() const override { return bytes_; }
    void extent(std::int32_t& other, std::int32_t& unitsWanted) const override
    {
        other = 1;
        unitsWanted = units_;
    }

private:
    std::int32_t bytes_;
    std::int32_t units_;
};

constexpr std::int32_t kBlock = 16384;

// Takes a grant and writes every byte of it: granted memory must be usable.
std::int32_t take(WindowsJobManager& manager, TestJob& job)
{
    manager.registerJob(job);
    const std::int32_t units = job.acquire().units;
    const Job::Grant& grant = job.grant();
    if (units > 0)
        std::memset(grant.base, 0x77, static_cast<std::size_t>(units) * static_cast<std::size_t>(grant.bytesPerUnit));
    return units;
}
} // namespace

TEST(MemoryBudget, TheAutomaticBudgetFollowsAvailableMemory)
{
    EXPECT_EQ(budgetKilobytes(0, 256ull << 20, 64ull << 20), 10240) << "16578 KB clamped";
    EXPECT_EQ(budgetKilobytes(0, 256ull << 20, 1ull << 20), 259);
    EXPECT_EQ(budgetKilobytes(0, 256ull << 20, 4096), 24) << "never below 24 KB";
    EXPECT_EQ(budgetKilobytes(10, 256ull << 20, 64ull << 20), 24);
    EXPECT_EQ(budgetKilobytes(100000, 256ull << 20, 64ull << 20), 100000);
    EXPECT_EQ(budgetKilobytes(300000, 256ull << 20, 64ull << 20), 65536) << "above total: what is available";

    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    EXPECT_EQ(manager.memoryLimit(), 10240);
    EXPECT_EQ(manager.budgetBlocks(), 640);
    EXPECT_EQ(manager.lowMark(), 480);
    ASSERT_TRUE(manager.setMemoryLimit(10));
    EXPECT_EQ(manager.budgetBlocks(), 2) << "10 KB becomes 24 KB: two blocks, not one";
    EXPECT_EQ(manager.memoryLimit(), 32);
}

TEST(MemoryBudget, TwoJobsShareTheBudgetByTheRules)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager; // 640 blocks, low mark 480
    TestJob a(kBlock, 100), b(kBlock, 500), c(kBlock, 400), d(kBlock, 200);
    EXPECT_EQ(take(manager, a), 100) << "0 + 100 < 480: all";
    EXPECT_EQ(take(manager, b), 250) << "100 + 500 >= 480 but 100 + 250 < 640: half";
    EXPECT_EQ(take(manager, c), 200) << "350 + 200 < 640: half";
    EXPECT_EQ(manager.blocksInUse(), 550);
    EXPECT_EQ(take(manager, d), 1) << "550 + 100 >= 640: one unit";
    EXPECT_EQ(manager.blocksInUse(), 551);
    EXPECT_EQ(manager.jobCount(), 4);

    EXPECT_EQ(a.acquire().units, 100) << "a second acquire returns the same grant";
    a.release();
    EXPECT_EQ(a.grant().units, 100) << "releasing the band keeps the grant";
    EXPECT_EQ(manager.blocksInUse(), 551);
}

TEST(MemoryBudget, ExactlyAtTheLowMarkTheHalfRuleApplies)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    TestJob first(kBlock, 280), second(kBlock, 200);
    EXPECT_EQ(take(manager, first), 280);
    EXPECT_EQ(take(manager, second), 100) << "280 + 200 == 480 is not below the mark";
}

TEST(MemoryBudget, UnitsAreRoundedUpToWholeBlocks)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    TestJob small(4096, 3); // three 64 x 64 grey tiles
    EXPECT_EQ(take(manager, small), 3);
    EXPECT_EQ(manager.blocksInUse(), 1);
    TestJob odd(20000, 5);
    EXPECT_EQ(take(manager, odd), 5);
    EXPECT_EQ(manager.blocksInUse(), 1 + 7) << "100000 bytes need seven blocks";
}

TEST(MemoryBudget, NothingFitsMeansOneUnitOverBudgetNeverAWait)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    ASSERT_TRUE(manager.setMemoryLimit(24)); // two blocks
    TestJob big(4 * kBlock, 3), second(4 * kBlock, 2), third(kBlock, 1);
    EXPECT_EQ(take(manager, big), 1) << "a unit larger than the budget";
    EXPECT_EQ(take(manager, second), 1) << "a second live job while the first holds its band";
    EXPECT_EQ(take(manager, third), 1);
    EXPECT_EQ(manager.blocksInUse(), 9);
    EXPECT_FALSE(manager.setMemoryLimit(0)) << "refused while memory is granted";
    EXPECT_EQ(manager.budgetBlocks(), 2);

    manager.releaseMemory(big);
    manager.releaseMemory(second);
    manager.releaseMemory(third);
    EXPECT_EQ(manager.blocksInUse(), 0);
    EXPECT_EQ(manager.jobCount(), 0);
    EXPECT_TRUE(manager.setMemoryLimit(0));
    EXPECT_EQ(manager.budgetBlocks(), 640);
}

TEST(MemoryBudget, DestroyingAJobGivesItsMemoryBackAndItsIdIsReused)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    TestJob keeper(kBlock, 10);
    take(manager, keeper);
    std::int32_t firstId = 0;
    {
        TestJob passing(kBlock, 20);
        take(manager, passing);
        firstId = passing.jobId();
        EXPECT_EQ(manager.blocksInUse(), 30);
    }
    EXPECT_EQ(manager.blocksInUse(), 10);
    EXPECT_EQ(manager.jobCount(), 1);
    TestJob next(kBlock, 1);
    manager.registerJob(next);
    EXPECT_EQ(next.jobId(), firstId);
    EXPECT_EQ(next.jobManager(), &manager);
}

TEST(MemoryBudget, AcquireRegistersAJobAndDegenerateJobsGetNothing)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    WindowsJobManager manager;
    TestJob job(kBlock, 2);
    EXPECT_EQ(manager.acquireMemory(job), 2);
    EXPECT_EQ(job.jobManager(), &manager);
    TestJob none(kBlock, 0), empty(0, 5);
    EXPECT_EQ(manager.acquireMemory(none), 0);
    EXPECT_EQ(manager.acquireMemory(empty), 0);

    TestJob orphan(kBlock, 1);
    EXPECT_EQ(orphan.acquire().units, 0) << "a job without a manager gets nothing";
}

TEST(MemoryBudget, JobsOutlivingTheirManagerAreLetGo)
{
    ScopedMemory memory(256ull << 20, 64ull << 20);
    auto job = std::make_unique<TestJob>(kBlock, 4);
    {
        auto manager = std::make_unique<WindowsJobManager>();
        take(*manager, *job);
    }
    EXPECT_EQ(job->jobManager(), nullptr);
    EXPECT_EQ(job->grant().units, 0);
    job.reset(); // must not call the manager that is gone
}
