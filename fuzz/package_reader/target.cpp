// Reads arbitrary bytes as a section descriptor (ePlot, eModel, global), a
// manifest and an object definition document, through the readers that keep
// what they read, so that every object built is also stored and freed.

#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/reader/EModelSectionDescriptorReader.h"
#include "dwf/package/reader/EPlotSectionDescriptorReader.h"
#include "dwf/package/reader/GlobalSectionDescriptorReader.h"
#include "dwf/package/reader/ManifestReader.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"

#include <cstddef>
#include <cstdint>

namespace
{

void readWith(const uint8_t* data, size_t size, DWFToolkit::DWFXMLCallback& reader)
{
    DWFCore::DWFBufferInputStream stream(data, size);
    try
    {
        DWFToolkit::DWFParseXMLDocument(stream, reader);
    }
    catch (const DWFCore::DWFIOException&)
    {
        // The one failure bad documents may give.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        DWFToolkit::DWFEPlotSectionDescriptorReader reader;
        readWith(data, size, reader);
    }
    {
        DWFToolkit::DWFEModelSectionDescriptorReader reader;
        readWith(data, size, reader);
    }
    {
        DWFToolkit::DWFGlobalSectionDescriptorReader reader;
        readWith(data, size, reader);
    }
    {
        DWFToolkit::DWFManifestReader reader;
        readWith(data, size, reader);
    }
    {
        DWFToolkit::DWFObjectDefinition definition;
        readWith(data, size, definition);
    }
    return 0;
}
