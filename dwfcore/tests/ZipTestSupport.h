#ifndef DWFCORE_TESTS_ZIPTESTSUPPORT_H
#define DWFCORE_TESTS_ZIPTESTSUPPORT_H

// Helpers shared by the stream, file and ZIP tests: scratch folders, byte
// patterns, in-memory descriptors (one of which fails like a full disk) and
// the independent command-line tools that check our archives.

#include "dwfcore/Exception.h"
#include "dwfcore/FileDescriptor.h"
#include "dwfcore/InputStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ziptest
{

using Bytes = std::vector<uint8_t>;

// A folder of its own under the temporary folder, removed with its contents.
class ScratchDir
{
public:
    ScratchDir()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/zipXXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) != nullptr)
        {
            _path = name.data();
        }
    }
    ~ScratchDir()
    {
        if (!_path.empty())
        {
            std::string command = "rm -rf '" + _path + "'";
            (void)std::system(command.c_str());
        }
    }
    std::string file(const std::string& name) const { return _path + "/" + name; }
    const std::string& path() const { return _path; }

private:
    std::string _path;
};

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline bool fileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Deterministic bytes: text that deflates well, or noise that does not.
inline Bytes compressibleBytes(size_t count)
{
    static const char words[] = "lorem ipsum dolor sit amet consectetur 0123456789 ";
    Bytes out(count);
    uint32_t state = 12345;
    for (size_t i = 0; i < count; ++i)
    {
        state = state * 1103515245u + 12345u;
        out[i] = static_cast<uint8_t>(words[(i + (state >> 28)) % (sizeof words - 1)]);
    }
    return out;
}

inline Bytes noiseBytes(size_t count, uint64_t seed = 88172645463325252ull)
{
    Bytes out(count);
    uint64_t x = seed;
    for (size_t i = 0; i < count; ++i)
    {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        out[i] = static_cast<uint8_t>(x >> 24);
    }
    return out;
}

inline uint16_t le16(const Bytes& b, size_t at)
{
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline uint32_t le32(const Bytes& b, size_t at)
{
    return le16(b, at) | (static_cast<uint32_t>(le16(b, at + 2)) << 16);
}

inline bool haveTool(const char* name)
{
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

struct ToolResult
{
    int status = -1;
    std::string output;
};

inline ToolResult runTool(const std::string& command)
{
    ToolResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
    {
        return result;
    }
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
    {
        result.output.append(chunk, got);
    }
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

// A seekable descriptor over memory. With a write limit it behaves like a
// full disk: the write that crosses the limit is short, or throws
// "File write error" when `throwOnFull` is set.
class MemoryDescriptor : public DWFCore::DWFFileDescriptor
{
public:
    explicit MemoryDescriptor(Bytes* sink, size_t writeLimit = SIZE_MAX, bool throwOnFull = false)
        : DWFFileDescriptor(DWFCore::DWFFile("memory")), _sink(sink), _limit(writeLimit),
          _throw(throwOnFull)
    {
    }
    void open() override {}
    void close() override { ++closes; }
    size_t size() override { return _sink->size(); }
    long seek(int origin, long offset) override
    {
        const long previous = static_cast<long>(_position);
        long base = origin == SEEK_SET   ? 0
                    : origin == SEEK_CUR ? static_cast<long>(_position)
                                         : static_cast<long>(_sink->size());
        _position = static_cast<size_t>(base + offset);
        return previous;
    }
    size_t write(const void* buffer, size_t bytes) override
    {
        size_t allowed = bytes;
        if (_written + bytes > _limit)
        {
            if (_throw)
            {
                DWFCORE_THROW(DWFIOException, u"File write error",
                              "ziptest::MemoryDescriptor::write");
            }
            allowed = _limit > _written ? _limit - _written : 0;
        }
        if (_sink->size() < _position + allowed)
        {
            _sink->resize(_position + allowed);
        }
        std::memcpy(_sink->data() + _position, buffer, allowed);
        _position += allowed;
        _written += allowed;
        return allowed;
    }
    void flush() override {}

    int closes = 0;

private:
    Bytes* _sink;
    size_t _position = 0;
    size_t _written = 0;
    size_t _limit;
    bool _throw;
};

// Hands out at most one byte per read, as a slow source would.
class TrickleStream : public DWFCore::DWFInputStream
{
public:
    explicit TrickleStream(DWFCore::DWFInputStream& source) : _source(source) {}
    size_t available() const override { return _source.available(); }
    size_t read(void* buffer, size_t bytes) override
    {
        return _source.read(buffer, bytes > 0 ? 1 : 0);
    }
    long seek(int origin, long offset) override { return _source.seek(origin, offset); }

private:
    DWFCore::DWFInputStream& _source;
};

// Lists an archive through python3's zipfile: one line per entry with the
// name (UTF-8), CRC, sizes, flag bits, method, and the SHA-256 of the content
// read with `password` (or "-" when reading failed).
inline ToolResult pythonListing(const std::string& archive, const std::string& password = "")
{
    static const char* script =
        "import sys, zipfile, hashlib\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "pwd = sys.argv[2].encode() if len(sys.argv) > 2 and sys.argv[2] else None\n"
        "bad = z.testzip() if pwd is None else None\n"
        "for i in z.infolist():\n"
        "    name = i.filename if i.flag_bits & 0x800 else "
        "i.filename.encode('cp437').decode('utf-8')\n"
        "    try:\n"
        "        digest = hashlib.sha256(z.read(i, pwd=pwd)).hexdigest()\n"
        "    except Exception as e:\n"
        "        digest = '-'\n"
        "    print('%s|%08x|%d|%d|%d|%d|%d|%s' % (name, i.CRC, i.compress_size, i.file_size,\n"
        "          i.flag_bits, i.compress_type, i.header_offset, digest))\n"
        "if bad: print('BAD', bad)\n";
    ScratchDir dir;
    const std::string scriptPath = dir.file("list.py");
    std::ofstream(scriptPath) << script;
    return runTool("python3 '" + scriptPath + "' '" + archive + "' '" + password + "'");
}

inline std::string sha256Hex(const std::string& path)
{
    ToolResult r = runTool("sha256sum '" + path + "'");
    return r.output.substr(0, 64);
}

} // namespace ziptest

#endif
