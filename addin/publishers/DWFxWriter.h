#pragma once
// The writers that fill a 3D publisher's model: a part goes into one include
// segment of the model, included into the root segment under the document's
// title; an assembly becomes one named segment per component level and per
// part below the root, each part's bodies written with its placement and
// properties. Every level below the root carries the properties of its own
// model document, and draws that document's 3D sketches and threads under
// its placement. The geometry itself is the geometry writer's
// (DWF3DGrWriter.h).
//
// Each writer catches what reaches it, shows its method's message box and
// goes on as far as it can: a failed component level ends that level only.
// Every segment a writer opens is closed before the writer leaves it, and
// every component state changed for the walk is set back on every way out.
#include "addin/publishers/DWF3DGrWriter.h"
#include "dwf/publisher/model/Segment.h"
#include "host/Forward.h"
#include "platform/com/Result.h"

#include <string>
#include <vector>

class CDWF3DPublisher;

class CDWFxWriter
{
public:
    // Both borrowed: the publisher and its open root segment outlive the
    // writer.
    CDWFxWriter(CDWF3DPublisher* publisher, DWFToolkit::DWFSegment* segment)
        : publisher_(publisher), segment_(segment)
    {
    }
    virtual ~CDWFxWriter() = default;
    CDWFxWriter(const CDWFxWriter&) = delete;
    CDWFxWriter& operator=(const CDWFxWriter&) = delete;

    virtual platform::HRESULT Write() = 0;

protected:
    CDWF3DPublisher* publisher_;
    DWFToolkit::DWFSegment* segment_;
};

class CDWFxPartWriter : public CDWFxWriter
{
public:
    using CDWFxWriter::CDWFxWriter;
    // S_OK, also after a reported failure; the host's failure code when the
    // document's title cannot be read.
    platform::HRESULT Write() override;

    // The geometry writer's passes over a part document into `segment`, in
    // their order: the library material, the bodies, the document's colour
    // (only without a material texture), the document's properties (into
    // `packagePublisher` too when there is one), the 3D sketches and the
    // threads.
    static void WritePasses(CDWF3DGrWriter& writer, host::Document* document,
                            DWFToolkit::DWFSegment& segment,
                            DWFToolkit::DWFPackagePublisher* packagePublisher,
                            const PublishOptions* options);
};

class CDWFxAssemblyWriter : public CDWFxWriter
{
public:
    // Component trees deeper than this are not walked further.
    static constexpr int kMaxDepth = 256;
    // The progress bar moves one step per written part up to this value.
    static constexpr int kLastProgressStep = 98;

    using CDWFxWriter::CDWFxWriter;
    // Walks the component tree, then sets the progress to 100. S_OK.
    platform::HRESULT Write() override;
    void WriteComponents();
    // One component level below `parent` (recursive); `parentIndex` is the
    // level's parent in the component list (-1 for the root), `holder` the
    // model document of the subassembly that holds the level (null when
    // the top assembly does).
    void GetSubAssemblyItem(host::Component* component, DWFToolkit::DWFSegment& parent,
                            TextureImageNames& textureNames,
                            std::vector<ComponentEntry>& components, int parentIndex,
                            host::Document* holder = nullptr, int depth = 0);
    // One part component into its segment: each of its included bodies,
    // then, once for the component whatever its number of bodies, what its
    // model document holds (3D sketches, threads, properties) and its
    // placement.
    void GenerateComponentShell(host::Component* component, DWFToolkit::DWFSegment& segment,
                                TextureImageNames& textureNames,
                                std::vector<ComponentEntry>& components, bool componentMode,
                                bool noColour);
    // The part of the component's name after its last "/", else the part
    // after its last "\" of the title of its model document (of the top
    // document when it has none, as the root has not).
    std::u16string GetComponentName(host::Component* component);

    int Progress() const { return progress_; }

private:
    void WriteComponentBodies(host::Component* component, host::Document* model,
                              DWFToolkit::DWFSegment& segment,
                              TextureImageNames& textureNames,
                              std::vector<ComponentEntry>& components, bool componentMode,
                              bool noColour);
    void WriteComponentContent(host::Component* component, host::Document* model,
                               DWFToolkit::DWFSegment& segment);
    // A subassembly's own: the properties of its model document on its
    // level's segment, and that document's 3D sketches and threads, under
    // the subassembly's placement, in an unnamed segment inside it.
    void WriteSubassemblyContent(host::Component* component, DWFToolkit::DWFSegment& level);
    // The component's placement as the segment's modelling matrix, when the
    // host gave it whole.
    static void WritePlacement(CDWF3DGrWriter& writer, host::Component* component,
                               DWFToolkit::DWFSegment& segment);

    int progress_ = 0;
};
