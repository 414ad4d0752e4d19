#ifndef DWFPACKAGE_TESTS_READERTESTSUPPORT_H
#define DWFPACKAGE_TESTS_READERTESTSUPPORT_H

#include "dwf/package/reader/PackageReader.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>

namespace PackageTest
{

// Parses `document` in one piece.
inline void parse(const std::string& document, DWFToolkit::DWFXMLCallback& callback)
{
    DWFCore::DWFBufferInputStream stream(document.data(), document.size());
    DWFToolkit::DWFParseXMLDocument(stream, callback);
}

// Hands out at most `step` bytes per read, as a network or inflating stream may.
class TrickleInputStream : public DWFCore::DWFInputStream
{
public:
    TrickleInputStream(const std::string& bytes, std::size_t step) : _bytes(bytes), _step(step) {}
    size_t available() const override { return _bytes.size() - _position; }
    size_t read(void* buffer, size_t bytes) override
    {
        const std::size_t count = std::min({bytes, _step, available()});
        std::memcpy(buffer, _bytes.data() + _position, count);
        _position += count;
        return count;
    }
    long seek(int, long) override { return static_cast<long>(_position); }

private:
    std::string _bytes;
    std::size_t _step;
    std::size_t _position = 0;
};

// Claims bytes forever and delivers none.
class StuckInputStream : public DWFCore::DWFInputStream
{
public:
    size_t available() const override { return 100; }
    size_t read(void*, size_t) override { return 0; }
    long seek(int, long) override { return 0; }
};

// A package held in memory: href to bytes. Counts the requests it served.
class MemoryPackageReader : public DWFToolkit::DWFPackageReader
{
public:
    DWFCore::DWFInputStream* getInputStream(const DWFCore::DWFString& href, bool) override
    {
        const auto found = entries.find(href.toUTF8());
        if (found == entries.end())
        {
            return nullptr;
        }
        ++served;
        return new DWFCore::DWFBufferInputStream(found->second.data(), found->second.size());
    }

    std::map<std::string, std::string> entries;
    int served = 0;
};

//
// Runs `read` over every strict prefix of `document` and over copies with
// bytes changed at random. Each run must either succeed or throw
// DWFIOException; strict prefixes (after the first byte) must throw.
//
template <class Read> void expectTruncationsFail(const std::string& document, Read read)
{
    for (std::size_t length = 1; length < document.size(); ++length)
    {
        bool failed = false;
        try
        {
            read(document.substr(0, length));
        }
        catch (const DWFCore::DWFIOException&)
        {
            failed = true;
        }
        EXPECT_TRUE(failed) << "prefix of " << length << " bytes was accepted";
    }
}

template <class Read> void expectMutationsSafe(const std::string& document, Read read, int rounds)
{
    std::mt19937 random(12345);
    for (int round = 0; round < rounds; ++round)
    {
        std::string mutated = document;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i)
        {
            const std::size_t at = random() % mutated.size();
            switch (random() % 3)
            {
            case 0:
                mutated[at] = static_cast<char>(random());
                break;
            case 1:
                mutated.erase(at, 1 + random() % 8);
                break;
            default:
                mutated.insert(at, mutated.substr(random() % mutated.size(), random() % 40));
                break;
            }
            if (mutated.empty())
            {
                mutated = "<";
            }
        }
        try
        {
            read(mutated);
        }
        catch (const DWFCore::DWFIOException&)
        {
        }
    }
}

} // namespace PackageTest

#endif
