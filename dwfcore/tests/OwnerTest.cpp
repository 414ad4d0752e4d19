#include "dwfcore/Owner.h"
#include "dwfcore/SortedList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace DWFCore;

namespace
{

// Records every notification, in order, into a log shared by all owners.
struct Recorder : DWFOwner
{
    Recorder(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(&log) {}
    void onOwnershipReleased(DWFOwnable&) override { log->push_back(name + " released"); }
    void onOwnableDeleted(DWFOwnable&) override { log->push_back(name + " deleted"); }
    std::string name;
    std::vector<std::string>* log;
};

struct Item : DWFOwnable
{
    ~Item() override { _notifyDeletion(); }
};

TEST(DWFOwnable, NewOwnerReleasesThePreviousOneWhichStillHearsOfDeletion)
{
    std::vector<std::string> log;
    Recorder a("A", log);
    Recorder b("B", log);
    auto item = std::make_unique<Item>();
    item->setOwner(a);
    EXPECT_EQ(item->owner(), &a);
    item->setOwner(b);
    EXPECT_EQ(log, std::vector<std::string>{"A released"});
    item.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"A released", "A deleted"}));
}

TEST(DWFOwnable, SettingTheSameOwnerAgainReleasesAndKeepsIt)
{
    std::vector<std::string> log;
    Recorder a("A", log);
    Item item;
    item.setOwner(a);
    item.setOwner(a);
    EXPECT_EQ(log, std::vector<std::string>{"A released"});
    EXPECT_EQ(item.owner(), &a);
}

TEST(DWFOwnable, ReleaseOwnerOnlyByTheOwner)
{
    std::vector<std::string> log;
    Recorder a("A", log);
    Recorder b("B", log);
    {
        Item item;
        item.setOwner(a);
        EXPECT_FALSE(item.releaseOwner(b, true));
        EXPECT_EQ(item.owner(), &a);
        EXPECT_TRUE(log.empty());
        EXPECT_TRUE(item.releaseOwner(a, false));
        EXPECT_EQ(item.owner(), nullptr);
        EXPECT_FALSE(item.releaseOwner(a, false));
    }
    EXPECT_EQ(log, (std::vector<std::string>{"A released", "A deleted"}));

    log.clear();
    {
        Item item;
        item.setOwner(a);
        EXPECT_TRUE(item.releaseOwner(a, true));
    }
    EXPECT_EQ(log, std::vector<std::string>{"A released"});
}

TEST(DWFOwnable, DeletionIsToldInAddressOrder)
{
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Recorder>> owners;
    for (char name = 'a'; name <= 'f'; ++name)
    {
        owners.push_back(std::make_unique<Recorder>(std::string(1, name), log));
    }
    auto item = std::make_unique<Item>();
    for (auto& owner : owners)
    {
        item->setOwner(*owner);
    }
    log.clear();
    item.reset();

    std::vector<Recorder*> byAddress;
    for (auto& owner : owners)
    {
        if (owner.get() != owners.back().get()) // the owner is not told
        {
            byAddress.push_back(owner.get());
        }
    }
    std::sort(byAddress.begin(), byAddress.end(), std::less<Recorder*>());
    std::vector<std::string> expected;
    for (Recorder* owner : byAddress)
    {
        expected.push_back(owner->name + " deleted");
    }
    EXPECT_EQ(log, expected);
}

TEST(DWFOwnable, AnObserverThatDiesFirstIsNeverCalled)
{
    std::vector<std::string> log;
    auto item = std::make_unique<Item>();
    {
        Recorder gone("gone", log);
        Recorder owner("owner", log);
        item->setOwner(gone);
        item->setOwner(owner);
    }
    // Both observers died first; the owner that died also stopped owning.
    EXPECT_EQ(item->owner(), nullptr);
    Recorder c("C", log);
    log.clear();
    item->setOwner(c); // nobody to release
    item.reset();      // nobody to tell but the owner, which is not told
    EXPECT_TRUE(log.empty());
}

TEST(DWFOwnable, RemoveObserver)
{
    std::vector<std::string> log;
    Recorder a("A", log);
    Recorder b("B", log);
    {
        Item item;
        item.setOwner(a);
        item.setOwner(b);
        EXPECT_TRUE(item.removeObserver(a));
        EXPECT_FALSE(item.removeObserver(a));
        EXPECT_EQ(item.owner(), &b);
        EXPECT_TRUE(item.removeObserver(b));
        EXPECT_EQ(item.owner(), nullptr);
    }
    EXPECT_EQ(log, std::vector<std::string>{"A released"});
}

TEST(DWFOwnable, CopiesStartUnowned)
{
    std::vector<std::string> log;
    Recorder a("A", log);
    Item item;
    item.setOwner(a);
    {
        Item copy(item);
        EXPECT_EQ(copy.owner(), nullptr);
    }
    EXPECT_TRUE(log.empty());
}

TEST(DWFSortedList, SetSemantics)
{
    DWFSortedList<DWFOwner*> list;
    DWFOwner owners[3];
    EXPECT_TRUE(list.insert(&owners[1]));
    EXPECT_FALSE(list.insert(&owners[1]));
    EXPECT_TRUE(list.insert(&owners[2]));
    EXPECT_TRUE(list.insert(&owners[0]));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_TRUE(list.contains(&owners[1]));

    std::unique_ptr<DWFSortedList<DWFOwner*>::Iterator> it(list.iterator());
    std::vector<DWFOwner*> seen;
    for (; it->valid(); it->next())
    {
        seen.push_back(it->get());
    }
    EXPECT_EQ(seen, (std::vector<DWFOwner*>{&owners[0], &owners[1], &owners[2]}));
    std::unique_ptr<DWFSortedList<DWFOwner*>::Iterator> from(list.iterator(&owners[1]));
    EXPECT_EQ(from->get(), &owners[1]);

    EXPECT_TRUE(list.erase(&owners[1]));
    EXPECT_FALSE(list.erase(&owners[1]));
    EXPECT_FALSE(list.contains(&owners[1]));
    list.clear();
    EXPECT_EQ(list.size(), 0u);
}

} // namespace
