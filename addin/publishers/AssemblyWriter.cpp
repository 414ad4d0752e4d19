// An assembly: a depth-first walk of its component tree, one named segment
// per component level and per part, the parts' bodies with their placement
// and properties, each subassembly's own sketches and threads with its
// placement and properties.
#include "addin/publishers/DWF3DPublisher.h"
#include "addin/publishers/DWFxWriter.h"
#include "addin/publishers/GeometryWriterSupport.h"

#include "addin/ErrorReport.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"
#include "platform/kernel/Text.h"

#include <cmath>
#include <string>

using geometry_writer::SegmentScope;
using platform::HRESULT;
using platform::S_OK;

namespace
{
// The host's component states and answers the walk relies on.
constexpr int kResolvedState = 1;
constexpr int kWriteState = 3;
constexpr int kStateChanged = 2;

// Sets a component's state back to resolved when the walk leaves it, on
// every way out, once its state was changed for writing it.
class StateRestorer
{
public:
    explicit StateRestorer(host::Component* component) : component_(component) {}
    ~StateRestorer()
    {
        if (!component_)
            return;
        try
        {
            int status = 0;
            component_->setState(kResolvedState, status);
        }
        catch (...)
        {
            // Whatever ended the walk here is the failure being reported.
        }
    }
    StateRestorer(const StateRestorer&) = delete;
    StateRestorer& operator=(const StateRestorer&) = delete;

private:
    host::Component* component_;
};

bool Excluded(host::Component* component)
{
    return component->excluded(0) || component->excluded(1);
}
} // namespace

HRESULT CDWFxAssemblyWriter::Write()
{
    WriteComponents();
    publisher_->StepProgress(100);
    return S_OK;
}

void CDWFxAssemblyWriter::WriteComponents()
{
    host::Document* document = publisher_->GetDocument();
    if (!document)
        return;
    host::Component* root = nullptr;
    try
    {
        if (host::ComponentTree* tree = document->componentTree())
            root = tree->rootComponent();
    }
    catch (...)
    {
        // No component tree: nothing is written.
        return;
    }
    if (!root)
        return;
    TextureImageNames textureNames;
    std::vector<ComponentEntry> components;
    GetSubAssemblyItem(root, *segment_, textureNames, components, -1);
}

void CDWFxAssemblyWriter::GetSubAssemblyItem(host::Component* component,
                                             DWFToolkit::DWFSegment& parent,
                                             TextureImageNames& textureNames,
                                             std::vector<ComponentEntry>& components,
                                             int parentIndex, host::Document* holder,
                                             int depth)
{
    if (!component || depth > kMaxDepth)
        return;
    try
    {
        const int childCount = component->childCount();
        DWFToolkit::DWFSegment seg = parent.openSegment();
        seg.open(DWFCore::DWFString(GetComponentName(component)), false);
        SegmentScope segScope(seg);

        host::Document* document = publisher_->GetDocument();
        CDWF3DGrWriter writer(document, &seg);
        writer.SetModelDoc(publisher_);

        // The components of a subassembly have their textures in its
        // configurations too; those of the top assembly's own level in its.
        host::Document* level = parentIndex == -1 ? nullptr : component->modelDocument();

        ComponentEntry entry;
        entry.parent = parentIndex;
        const int n = static_cast<int>(components.size());
        if (parentIndex != -1)
        {
            writer.ShareTextureNames(textureNames);
            writer.GenerateComponentTexture(seg, component, entry, holder);
        }
        components.push_back(entry);
        int index = -1;
        if (!CDWF3DGrWriter::FindLastComponent(components, index) && parentIndex != -1)
            writer.GenerateFaceColor(seg, component);
        if (parentIndex == -1)
        {
            // The root is the assembly itself: its properties are the top
            // document's, and its own sketches and threads are already at
            // the model's root.
            writer.ProcessDocumentProps(document, publisher_->GetPackagePublisher(), seg,
                                        publisher_->GetOptions());
        }
        else
        {
            WriteSubassemblyContent(component, seg);
        }

        if (childCount > 0)
        {
            for (host::Component* child : component->children())
            {
                // Not a component: the walk of this level ends.
                if (!child)
                    break;
                if (Excluded(child) && child->state() != kResolvedState)
                    continue;
                if (child->childCount() > 0)
                {
                    GetSubAssemblyItem(child, seg, textureNames, components, n, level,
                                       depth + 1);
                    continue;
                }

                std::unique_ptr<StateRestorer> restorer;
                if (child->state() == kResolvedState)
                {
                    int status = 0;
                    child->setState(kWriteState, status);
                    // A refused change costs this component only; its
                    // siblings do not depend on it.
                    if (status != kStateChanged)
                    {
                        ReportPublishError("CDWFxAssemblyWriter::GetSubAssemblyItem", true,
                                           u"Component '" + GetComponentName(child) +
                                               u"' is left out: the host refused to change its "
                                               u"state (it answered " +
                                               platform::utf8ToUtf16(std::to_string(status)) +
                                               u")");
                        continue;
                    }
                    restorer = std::make_unique<StateRestorer>(child);
                }
                if (Excluded(child))
                    continue;

                DWFToolkit::DWFSegment cseg = seg.openSegment();
                cseg.open(DWFCore::DWFString(GetComponentName(child)), false);
                SegmentScope csegScope(cseg);
                host::Document* model = child->modelDocument();

                if (progress_ < kLastProgressStep)
                    publisher_->StepProgress(progress_++);

                ComponentEntry centry;
                centry.parent = n;
                writer.ShareTextureNames(textureNames);
                writer.GenerateComponentTexture(cseg, child, centry, level);
                components.push_back(centry);

                const bool found = CDWF3DGrWriter::FindLastComponent(components, index);
                bool coloured = false;
                if (!found)
                {
                    writer.GenerateFaceColor(cseg, model);
                    coloured = writer.GenerateFaceColor(cseg, child);
                }
                GenerateComponentShell(child, cseg, textureNames, components, found, coloured);
                csegScope.Close();
            }
        }
        segScope.Close();
    }
    catch (...)
    {
        ReportPublishError("CDWFxAssemblyWriter::GetSubAssemblyItem");
    }
}

void CDWFxAssemblyWriter::GenerateComponentShell(host::Component* component,
                                                 DWFToolkit::DWFSegment& segment,
                                                 TextureImageNames& textureNames,
                                                 std::vector<ComponentEntry>& components,
                                                 bool componentMode, bool noColour)
{
    if (!component)
        return;
    try
    {
        // What is said of this component's content names the component.
        const PublishScope scope(u"Component '" + GetComponentName(component) + u"'");
        host::Document* model = component->modelDocument();
        // A body that fails must not cost the bodies before it their
        // placement: the component's own content is still written.
        try
        {
            WriteComponentBodies(component, model, segment, textureNames, components, componentMode,
                                 noColour);
        }
        catch (...)
        {
            ReportPublishError("CDWFxAssemblyWriter::GenerateComponentShell");
        }
        WriteComponentContent(component, model, segment);
    }
    catch (...)
    {
        ReportPublishError("CDWFxAssemblyWriter::GenerateComponentShell");
    }
}

void CDWFxAssemblyWriter::WriteComponentBodies(host::Component* component, host::Document* model,
                                               DWFToolkit::DWFSegment& segment,
                                               TextureImageNames& textureNames,
                                               std::vector<ComponentEntry>& components,
                                               bool componentMode, bool noColour)
{
    // The bodies are counted across the writers, one writer per body.
    int bodiesWritten = 0;
    const std::vector<ComponentEntry> path = CDWF3DGrWriter::LastComponentPath(components);
    const std::vector<host::Body*> bodies = component->bodies(-1);
    for (host::Body* body : bodies)
    {
        if (!body)
            break;
        if (!body->included())
            continue;
        CDWF3DGrWriter writer(publisher_->GetDocument(), &segment);
        writer.SetBodiesWritten(bodiesWritten++);
        writer.SetModelDoc(publisher_);
        writer.SetOwnDocument(model);
        writer.ShareTextureNames(textureNames);
        writer.SetComponentList(path);
        writer.SetComponentMode(componentMode ? 1 : 0);

        const std::vector<double> box = component->boundingBox(0, 0);
        double size =
            box.size() == 6 ? CDWF3DGrWriter::Distance3D(box.data(), box.data() + 3) : 0.0;
        writer.SetMaterialValue(std::isfinite(size) ? size : 0.0);
        writer.LoadMaterialDatabase(segment, model);
        writer.GenerateShellOfBody(body, noColour);
        writer.GenerateEdgeFromBody(body);
    }
}

void CDWFxAssemblyWriter::WriteComponentContent(host::Component* component, host::Document* model,
                                                DWFToolkit::DWFSegment& segment)
{
    // The component's 3D sketches and threads are those of its own model
    // document, as a part published alone draws them; they belong to the
    // component, not to any one of its bodies, and so does its placement.
    // A component without bodies still shows them in its place.
    CDWF3DGrWriter writer(model, &segment);
    writer.SetModelDoc(publisher_);
    writer.Generate3Dsketch(model, segment);
    WritePlacement(writer, component, segment);
    writer.ProcessDocumentProps(model, publisher_->GetPackagePublisher(), segment,
                                publisher_->GetOptions());
    writer.GenerateThread(component);
}

void CDWFxAssemblyWriter::WriteSubassemblyContent(host::Component* component,
                                                  DWFToolkit::DWFSegment& level)
{
    // What is said of this level's own content names the subassembly.
    const PublishScope scope(u"Component '" + GetComponentName(component) + u"'");
    try
    {
        // The level carries the properties of its own model document, as a
        // part component does, not those of the top assembly.
        host::Document* model = component->modelDocument();
        CDWF3DGrWriter levelWriter(model, &level);
        levelWriter.SetModelDoc(publisher_);
        levelWriter.ProcessDocumentProps(model, publisher_->GetPackagePublisher(), level,
                                         publisher_->GetOptions());
        if (!model)
            return;

        // Its own 3D sketches and threads are drawn under its placement. A
        // placement in the level's segment would also move the components
        // below it, whose placements already put them in the top assembly;
        // so they go into a segment of their own beside those components.
        DWFToolkit::DWFSegment own = level.openSegment();
        own.open(nullptr, false);
        SegmentScope ownScope(own);
        CDWF3DGrWriter ownWriter(model, &own);
        ownWriter.SetModelDoc(publisher_);
        ownWriter.Generate3Dsketch(model, own);
        WritePlacement(ownWriter, component, own);
        ownWriter.GenerateThread(component);
        ownScope.Close();
    }
    catch (...)
    {
        ReportPublishError("CDWFxAssemblyWriter::GetSubAssemblyItem");
    }
}

void CDWFxAssemblyWriter::WritePlacement(CDWF3DGrWriter& writer, host::Component* component,
                                         DWFToolkit::DWFSegment& segment)
{
    // Only a placement the host gave whole is written.
    float matrix[16];
    if (writer.GetComponentTransform(component, matrix) == S_OK)
    {
        TK_Matrix& handler = segment.getModellingMatrixHandler();
        handler.SetMatrix(matrix);
        handler.serialize(0);
    }
}

std::u16string CDWFxAssemblyWriter::GetComponentName(host::Component* component)
{
    const std::u16string name = component ? component->name() : std::u16string();
    if (!name.empty())
    {
        const std::size_t slash = name.rfind(u'/');
        return slash == std::u16string::npos ? name : name.substr(slash + 1);
    }
    // Unnamed, a component is called after its own model document; the
    // root, the assembly itself, after the top document.
    host::Document* model = component ? component->modelDocument() : nullptr;
    const std::u16string title = (model ? model : publisher_->GetDocument())->title();
    const std::size_t backslash = title.rfind(u'\\');
    return backslash == std::u16string::npos ? title : title.substr(backslash + 1);
}
