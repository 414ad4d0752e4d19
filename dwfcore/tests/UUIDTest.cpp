#include "dwfcore/UUID.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

using namespace DWFCore;

namespace
{

std::string text(const DWFString& s)
{
    return s.toUTF8();
}

// Replaces the system source for the lifetime of one test.
class SourceOverride
{
public:
    explicit SourceOverride(DWFSystemUUIDSource source)
        : _previous(DWFReplaceSystemUUIDSource(source))
    {
    }
    ~SourceOverride() { DWFReplaceSystemUUIDSource(_previous); }

private:
    DWFSystemUUIDSource _previous;
};

int systemCalls = 0;

long noAddress(DWFSystemUUID&)
{
    ++systemCalls;
    return kDWFUUIDStatusNoAddress;
}

long nearTheTop(DWFSystemUUID& uuid)
{
    ++systemCalls;
    uuid = DWFSystemUUID{0xFFFFFFED, 0x1234, 0x4567, {0x89, 0xAB, 0xCD, 0xEF, 1, 2, 3, 4}};
    return kDWFUUIDStatusOK;
}

// The "only locally unique" status is accepted like success.
long locallyUnique(DWFSystemUUID& uuid)
{
    ++systemCalls;
    uuid = DWFSystemUUID{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    return 1824;
}

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void expectHyphenatedLayout(const std::string& uuid)
{
    ASSERT_EQ(uuid.size(), 36u) << uuid;
    for (std::size_t i = 0; i < uuid.size(); ++i)
    {
        if (i == 8 || i == 13 || i == 18 || i == 23)
        {
            EXPECT_EQ(uuid[i], '-') << uuid;
        }
        else
        {
            EXPECT_TRUE(isUpperHex(uuid[i])) << uuid;
        }
    }
}

TEST(DWFUUID, SuccessiveIdentifiersCountInTheFirstField)
{
    DWFUUID generator;
    const std::string first = text(generator.next(false));
    const std::string second = text(generator.next(false));
    expectHyphenatedLayout(first);
    EXPECT_EQ(first.substr(8), second.substr(8));
    const unsigned long a = std::strtoul(first.substr(0, 8).c_str(), nullptr, 16);
    const unsigned long b = std::strtoul(second.substr(0, 8).c_str(), nullptr, 16);
    if (a < 0xFFFFFFEE)
    {
        EXPECT_EQ(b, a + 1);
    }
    EXPECT_EQ(text(generator.uuid(false)), second);
    EXPECT_EQ(text(generator.uuid(false)), second);
}

TEST(DWFUUID, SquashedFormIs22CharactersOfTheNameSafeAlphabet)
{
    DWFUUID generator;
    std::set<std::string> seen;
    for (int i = 0; i < 100000; ++i)
    {
        const std::string squashed = text(generator.next(true));
        ASSERT_EQ(squashed.size(), 22u);
        ASSERT_EQ(squashed.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                             "0123456789+_"),
                  std::string::npos)
            << squashed;
        seen.insert(squashed);
    }
    EXPECT_EQ(seen.size(), 100000u);
    // Separate generators start from separate system identifiers.
    EXPECT_NE(text(DWFUUID().next(true)), text(DWFUUID().next(true)));
}

TEST(DWFUUID, SquashedBytesLieLittleEndian)
{
    SourceOverride source(locallyUnique);
    DWFUUID generator;
    // Bytes 04 03 02 01 06 05 08 07 09 .. 10 in Base64 with "+_" and no padding.
    EXPECT_EQ(text(generator.uuid(true)), "BAMCAQYFCAcJCgsMDQ4PEA");
    EXPECT_EQ(text(generator.uuid(false)), "01020304-0506-0708-090A-0B0C0D0E0F10");
}

TEST(DWFUUID, CountingNearTheTopAsksTheSystemAgain)
{
    SourceOverride source(nearTheTop);
    systemCalls = 0;
    DWFUUID generator;
    EXPECT_EQ(text(generator.next(false)).substr(0, 8), "FFFFFFED");
    EXPECT_EQ(text(generator.next(false)).substr(0, 8), "FFFFFFEE");
    EXPECT_EQ(systemCalls, 1);
    EXPECT_EQ(text(generator.next(false)).substr(0, 8), "FFFFFFED");
    EXPECT_EQ(systemCalls, 2);

    // A copy asks the system afresh instead of continuing the count.
    DWFUUID copy(generator);
    EXPECT_EQ(text(copy.next(false)).substr(0, 8), "FFFFFFED");
    EXPECT_EQ(systemCalls, 3);
}

TEST(DWFUUID, PortableGeneratorTakesOverWhenTheSystemHasNoIdentity)
{
    SourceOverride source(noAddress);
    systemCalls = 0;
    DWFUUID generator;
    const std::string first = text(generator.next(false));
    // The portable layout: 8-4-4-4-12, version nibble 1 in the second byte,
    // variant bits 10 in the tenth.
    expectHyphenatedLayout(first);
    EXPECT_EQ(first[2], '1');
    EXPECT_GE(std::strtoul(first.substr(21, 1).c_str(), nullptr, 16), 8ul);
    EXPECT_LE(std::strtoul(first.substr(21, 1).c_str(), nullptr, 16), 0xBul);

    // Counting happens in the fourth byte while it can.
    const std::string second = text(generator.next(false));
    const unsigned long a = std::strtoul(first.substr(6, 2).c_str(), nullptr, 16);
    const unsigned long b = std::strtoul(second.substr(6, 2).c_str(), nullptr, 16);
    EXPECT_EQ(b, a < 255 ? a + 1 : a);
    EXPECT_EQ(first.substr(8), second.substr(8));

    // The system is not asked again.
    EXPECT_EQ(systemCalls, 1);
    EXPECT_EQ(text(generator.next(true)).size(), 22u);
    EXPECT_EQ(systemCalls, 1);
    EXPECT_EQ(text(DWFUUID(generator).uuid(false)), text(generator.uuid(false)));
}

TEST(DWFUUID, PortableCountingCarriesWithoutWrapping)
{
    SourceOverride source(noAddress);
    DWFUUID generator;
    std::set<std::string> seen;
    // Far beyond one byte's range: every identifier is still new.
    for (int i = 0; i < 2000; ++i)
    {
        seen.insert(text(generator.next(false)));
    }
    EXPECT_EQ(seen.size(), 2000u);
}

} // namespace
