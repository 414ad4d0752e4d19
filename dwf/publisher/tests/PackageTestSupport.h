#pragma once

// What the package publisher's tests share: a folder for targets, the
// independent tools, and the read-back of a written package through our own
// readers.

#include "TestSupport.h"

#include "dwf/package/BytesInputStream.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwf/package/reader/ZipPackageReader.h"
#include "dwf/publisher/EmbeddedFont.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace PublisherTest
{

inline bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command` with its output captured; answers its exit status.
inline int runCapturing(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    return ::pclose(pipe);
}

inline std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline DWFCore::DWFInputStream* bytesStream(const std::string& bytes)
{
    return new DWFToolkit::DWFBytesInputStream(
        std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

// A font whose implementation answers plainly: its face is also its logfont
// name, it asks nothing to be embedded (request 0), is editable and Unicode,
// and its stream holds `bytes` (no stream when null).
class TestFont : public DWFToolkit::DWFEmbeddedFontImpl
{
public:
    explicit TestFont(const char16_t* name, const char* bytes = nullptr)
        : _name(name), _bytes(bytes)
    {
    }
    void embed() override {}
    DWFCore::DWFInputStream* getInputStream() override
    {
        return _bytes ? bytesStream(_bytes) : nullptr;
    }
    const DWFCore::DWFString& getFaceName() override { return _name; }
    const DWFCore::DWFString& getLogfontName() override { return _name; }
    std::int32_t getRequest() override { return 0; }
    DWFToolkit::DWFFontResource::tePrivilege getPrivilege() override
    {
        return DWFToolkit::DWFFontResource::eEditable;
    }
    DWFToolkit::DWFFontResource::teCharacterCode getCharacterCode() override
    {
        return DWFToolkit::DWFFontResource::eUnicode;
    }

private:
    DWFCore::DWFString _name;
    const char* _bytes;
};

// A folder of its own for the packages a test writes (outside the private
// $TMPDIR, which must end empty), removed with what it holds.
class TargetFolder
{
public:
    TargetFolder() : path(makeFolder("publisher_targets")) {}
    ~TargetFolder()
    {
        for (const std::string& name : names())
            ::unlink((path + "/" + name).c_str());
        ::rmdir(path.c_str());
    }
    TargetFolder(const TargetFolder&) = delete;
    TargetFolder& operator=(const TargetFolder&) = delete;

    std::string operator/(const std::string& name) const { return path + "/" + name; }

    std::vector<std::string> names() const { return folderNames(path); }

    std::string path;
};

//
// Lists a package with python3's zipfile, extracting entry i to `out`/i on
// the way (which checks every CRC, and decrypts with `password` when it is
// not empty); answers the entry names in archive order.
//
inline std::vector<std::string> zipfileEntries(const std::string& package,
                                               const std::string& password, const std::string& out)
{
    std::string const script = out + "/inspect.py";
    writeFile(script, "import sys, zipfile\n"
                      "z = zipfile.ZipFile(sys.argv[1])\n"
                      "pwd = sys.argv[2].encode() if sys.argv[2] else None\n"
                      "for i, info in enumerate(z.infolist()):\n"
                      "    open(sys.argv[3] + '/' + str(i), 'wb').write(z.read(info, pwd))\n"
                      "    print(info.filename)\n");
    std::string output;
    int const status = runCapturing("python3 " + quoted(script) + " " + quoted(package) + " " +
                                        quoted(password) + " " + quoted(out),
                                    output);
    ::unlink(script.c_str());
    EXPECT_EQ(status, 0) << "python3 zipfile rejected the package: " << output;
    std::vector<std::string> names;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        names.push_back(line);
    return names;
}

// A package read back through our own readers: the manifest and every
// section's descriptor.
struct ReadBack
{
    ReadBack(const std::string& path, const std::string& password)
        : reader(DWFCore::DWFString(path.c_str()), DWFCore::DWFString(password.c_str())),
          manifest(u"", &reader)
    {
        std::unique_ptr<DWFCore::DWFInputStream> stream(
            reader.getInputStream(u"manifest.xml", false));
        if (!stream)
            throw std::runtime_error("no manifest.xml");
        DWFToolkit::DWFParseXMLDocument(*stream, manifest);
        for (DWFToolkit::DWFSection* section : manifest.getContentSections())
            section->readDescriptor();
    }

    DWFToolkit::DWFZipPackageReader reader;
    DWFToolkit::DWFManifest manifest;
};

// The one resource of `role` in `section`; null when there is none or several.
inline DWFToolkit::DWFResource* onlyResource(DWFToolkit::DWFSection& section, const char16_t* role)
{
    std::unique_ptr<DWFToolkit::DWFResourceContainer::ResourceIterator> found(
        section.findResourcesByRole(role));
    DWFToolkit::DWFResource* resource = nullptr;
    for (; found->valid(); found->next())
    {
        if (resource != nullptr)
            return nullptr;
        resource = found->get();
    }
    return resource;
}

inline std::string propertyValue(DWFToolkit::DWFPropertyContainer& container, const char16_t* name,
                                 const char16_t* category)
{
    DWFToolkit::DWFProperty* property = container.findProperty(name, category);
    return property ? utf8(property->value()) : std::string("<none>");
}

} // namespace PublisherTest
