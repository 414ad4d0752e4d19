// Writing package XML: the manifest's "Toc" and a descriptor's "Resources"
// for a section with many resources, each with a few properties.
#include "dwf/package/GraphicResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/utility/ResourceContainer.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/UUID.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace DWFToolkit;

namespace
{

class CountingStream : public DWFCore::DWFOutputStream
{
public:
    void flush() override {}
    size_t write(const void*, size_t bytes) override
    {
        written += bytes;
        return bytes;
    }
    size_t written = 0;
};

void fill(DWFResourceContainer& container, int resources)
{
    container.setResourceContainerName(u"com.example.ePlot_section");
    for (int i = 0; i < resources; ++i)
    {
        auto* graphic =
            new DWFGraphicResource(u"Sheet & <view>", DWFResource::kRole2DStreamingGraphics,
                                   u"application/x-w2d", u"Author", u"Description");
        const double extents[4] = {0, 0, 841.5, 594.25};
        graphic->setGraphicAttributes(nullptr, extents, nullptr);
        for (int p = 0; p < 4; ++p)
        {
            const std::string name = "Property " + std::to_string(p);
            graphic->addProperty(new DWFProperty(name.c_str(), u"some value", u"General"), true);
        }
        container.addResource(graphic, true);
    }
}

void BM_WriteResourceLists(benchmark::State& state)
{
    DWFResourceContainer container;
    fill(container, static_cast<int>(state.range(0)));
    DWFCore::DWFUUID uuid;
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        CountingStream out;
        DWFXMLSerializer serializer(uuid);
        serializer.attach(out);
        container.getResourceSerializable().serializeXML(serializer, DWFXMLSerializable::eManifest);
        container.getResourceSerializable().serializeXML(
            serializer, DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot);
        serializer.detach();
        bytes += out.written;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteResourceLists)->Arg(10)->Arg(1000);

void BM_AddResources(benchmark::State& state)
{
    for (auto _ : state)
    {
        DWFResourceContainer container;
        fill(container, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(container.resourceCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddResources)->Arg(1000);

} // namespace
