// Reads arbitrary bytes as the descriptor of each kind of section (through
// the section itself, with resources already listed under hrefs a document
// may repeat) and as a manifest, then writes what was read back out: a
// section or manifest filled from any document must stay consistent.

#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/Resource.h"
#include "dwf/package/reader/PackageReader.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/UUID.h"

#include <cstddef>
#include <cstdint>

namespace
{

// Serves the fuzzed bytes under every href.
class BytesPackage : public DWFToolkit::DWFPackageReader
{
public:
    BytesPackage(const uint8_t* data, size_t size) : _data(data), _size(size) {}
    DWFCore::DWFInputStream* getInputStream(const DWFCore::DWFString&, bool) override
    {
        return new DWFCore::DWFBufferInputStream(_data, _size);
    }

private:
    const uint8_t* _data;
    size_t _size;
};

class NullOutput : public DWFCore::DWFOutputStream
{
public:
    void flush() override {}
    size_t write(const void*, size_t bytes) override { return bytes; }
};

void writeBack(DWFToolkit::DWFXMLSerializable& object, unsigned int flags)
{
    DWFCore::DWFUUID uuid;
    NullOutput out;
    DWFToolkit::DWFXMLSerializer serializer(uuid);
    serializer.attach(out);
    try
    {
        object.serializeXML(serializer, flags);
        serializer.detach();
    }
    catch (const DWFCore::DWFDoesNotExistException&)
    {
        serializer.abandon(); // a manifest without interface
    }
}

void readSection(DWFToolkit::DWFSection& section, DWFToolkit::DWFPackageReader& package)
{
    // Hrefs a crafted descriptor may name: its own, and a listed resource's.
    for (const char* role : {"descriptor", "thumbnail"})
    {
        auto* listed = new DWFToolkit::DWFResource(&package);
        const char* attributes[] = {"href", role[0] == 'd' ? "d" : "x", "role", role, nullptr};
        listed->parseAttributeList(attributes);
        section.addResource(listed, true);
    }
    try
    {
        section.readDescriptor();
    }
    catch (const DWFCore::DWFIOException&)
    {
    }
    writeBack(section, DWFToolkit::DWFXMLSerializable::eManifest);
    writeBack(section, DWFToolkit::DWFXMLSerializable::eDescriptor);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BytesPackage package(data, size);
    {
        DWFToolkit::DWFEPlotSection section(u"p", u"", &package);
        readSection(section, package);
    }
    {
        DWFToolkit::DWFEModelSection section(u"m", u"", &package);
        readSection(section, package);
    }
    {
        DWFToolkit::DWFEPlotGlobalSection section(u"g", u"", &package);
        readSection(section, package);
    }
    {
        DWFToolkit::DWFManifest manifest(u"", &package);
        DWFCore::DWFBufferInputStream stream(data, size);
        try
        {
            DWFToolkit::DWFParseXMLDocument(stream, manifest);
        }
        catch (const DWFCore::DWFIOException&)
        {
        }
        writeBack(manifest, DWFToolkit::DWFXMLSerializable::eManifest);
    }
    return 0;
}
