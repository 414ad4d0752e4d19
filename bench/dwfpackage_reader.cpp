// Reading package XML back: a descriptor with many resources, each with a
// few properties, and an object definition document with many objects and
// instances, both parsed from memory into readers that keep what they read.
#include "dwf/package/DefinedObject.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/EPlotSectionDescriptorReader.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwf/package/utility/ResourceContainer.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/BufferOutputStream.h"
#include "dwfcore/UUID.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace DWFToolkit;

namespace
{

std::string descriptor(int resources)
{
    DWFResourceContainer container;
    for (int i = 0; i < resources; ++i)
    {
        auto* graphic = new DWFGraphicResource(u"Sheet", DWFResource::kRole2DStreamingGraphics,
                                               u"application/x-w2d", u"Author");
        const double extents[4] = {0, 0, 841.5, 594.25};
        graphic->setGraphicAttributes(nullptr, extents, nullptr);
        graphic->addProperty(new DWFProperty(u"Layer", u"Walls", u"Graphics"), true);
        graphic->addProperty(new DWFProperty(u"Scale", u"1:50", u"Graphics"), true);
        container.addResource(graphic, true);
    }
    DWFCore::DWFUUID uuid;
    DWFCore::DWFBufferOutputStream out;
    DWFXMLSerializer serializer(uuid);
    serializer.attach(out);
    serializer.startElement(u"Page", u"ePlot:");
    container.getResourceSerializable().serializeXML(serializer, DWFXMLSerializable::eDescriptor |
                                                                     DWFXMLSerializable::eEPlot);
    serializer.endElement();
    serializer.detach();
    return std::string(static_cast<const char*>(out.rawBuffer()), out.bytes());
}

std::string objectDefinition(int objects)
{
    DWFObjectDefinitionResource resource(u"SpaceObjectDefinition");
    for (int i = 0; i < objects; ++i)
    {
        auto* object = new DWFDefinedObject(DWFCore::DWFString(std::to_string(i).c_str()));
        object->addProperty(new DWFProperty(u"Mass", u"12.5", u"Physical"), true);
        resource.addObject(object, static_cast<std::uint32_t>(i));
        resource.addInstance(object->instance(u"1 2 3"), static_cast<std::uint32_t>(i));
    }
    std::unique_ptr<DWFCore::DWFInputStream> stream(resource.getInputStream());
    std::string bytes(stream->available(), '\0');
    stream->read(&bytes[0], bytes.size());
    return bytes;
}

class KeepingReader : public DWFEPlotSectionDescriptorReader
{
public:
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override
    {
        kept.emplace_back(resource);
        return resource;
    }
    std::vector<std::unique_ptr<DWFResource>> kept;
};

void BM_ReadDescriptor(benchmark::State& state)
{
    const std::string text = descriptor(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        KeepingReader reader;
        DWFCore::DWFBufferInputStream stream(text.data(), text.size());
        DWFParseXMLDocument(stream, reader);
        benchmark::DoNotOptimize(reader.kept.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadDescriptor)->Arg(1000)->Arg(10000);

void BM_ReadObjectDefinition(benchmark::State& state)
{
    const std::string text = objectDefinition(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        DWFObjectDefinition definition;
        DWFCore::DWFBufferInputStream stream(text.data(), text.size());
        DWFParseXMLDocument(stream, definition);
        benchmark::DoNotOptimize(definition.getObjects().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadObjectDefinition)->Arg(1000)->Arg(10000);

} // namespace
