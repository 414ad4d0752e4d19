// Colours from the host's material values, and the texture coordinates of a
// shell turned and scaled by the texture in force.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

using platform::HRESULT;
using platform::S_OK;

namespace
{
const char* const kColourStep = "CDWF3DGrWriter::GenerateFaceColor";

// Face, body, component and document all answer their nine material values
// the same way; none at all means "no colour of its own".
template <class Object>
bool ColourFromMaterial(CDWF3DGrWriter& writer, DWFToolkit::DWFSegment& segment, Object* object)
{
    if (!object)
        return false;
    try
    {
        const std::vector<double> values = object->materialValues();
        if (values.empty())
            return false;
        if (values.size() != 9)
        {
            ReportPublishError(kColourStep);
            return false;
        }
        return writer.ApplyMaterialValues(segment, values.data());
    }
    catch (...)
    {
        ReportPublishError(kColourStep);
    }
    return false;
}
} // namespace

bool CDWF3DGrWriter::GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Face* face)
{
    return ColourFromMaterial(*this, segment, face);
}

bool CDWF3DGrWriter::GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Body* body)
{
    return ColourFromMaterial(*this, segment, body);
}

bool CDWF3DGrWriter::GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Component* component)
{
    return ColourFromMaterial(*this, segment, component);
}

bool CDWF3DGrWriter::GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Document* document)
{
    return ColourFromMaterial(*this, segment, document);
}

bool CDWF3DGrWriter::ApplyMaterialValues(DWFToolkit::DWFSegment& segment, const double* values)
{
    if (!values)
        return false;
    float floats[9];
    for (int i = 0; i < 9; ++i)
        floats[i] = static_cast<float>(values[i]);
    SetMaterialColor(segment, floats);
    return true;
}

HRESULT CDWF3DGrWriter::SetMaterialColor(DWFToolkit::DWFSegment& segment, const float* m)
{
    // Channels 0 to 3 are announced; channel 1 is never filled, so it carries
    // the handler's zeros. Channel 4 is filled but not announced, and so not
    // written.
    TK_Color& colour = segment.getColorHandler();
    colour.SetGeometry(1);
    colour.SetChannels(0x0F);
    colour.SetChannelColor(0, m[0] * m[4], m[1] * m[4], m[2] * m[4]);
    colour.SetChannelColor(2, m[0] * m[5], m[1] * m[5], m[2] * m[5]);
    colour.SetChannelColor(3, m[7], m[7], m[7]);
    colour.SetChannelColor(4, m[0] * m[8], m[1] * m[8], m[2] * m[8]);
    colour.serialize(0);
    return S_OK;
}

void CDWF3DGrWriter::ComputeTextureCoordinates(float* out, int count, const float* in,
                                               bool* found) const
{
    if (found)
        *found = false;
    if (!out || !in || count <= 0)
        return;
    const double modelSize = parameters_[kModelSize];
    auto sized = [modelSize](double scale) { return modelSize != 0.0 ? scale * modelSize : scale; };

    double angle = 0.0;
    double scale = 1.0;
    if (faceTextured_)
    {
        angle = parameters_[kFaceAngle];
        scale = sized(parameters_[kFaceScale]);
    }
    else if (parameters_[kFeatureScale] > 0.0)
    {
        angle = parameters_[kFeatureAngle];
        scale = sized(parameters_[kFeatureScale]);
    }
    else if (bodyTextured_)
    {
        angle = parameters_[kBodyAngle];
        scale = sized(parameters_[kBodyScale]);
    }
    else if (!(parameters_[kMaterialScale] > 0.0))
    {
        int index = -1;
        if (FindLastComponent(components_, index))
        {
            angle = components_[static_cast<std::size_t>(index)].angle;
            scale = components_[static_cast<std::size_t>(index)].scale;
            if (found)
                *found = true;
        }
    }
    else
    {
        angle = parameters_[kMaterialAngle];
        scale = parameters_[kMaterialScale];
    }

    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (int i = 0; i + 1 < count; i += 2)
    {
        const double u = in[i];
        const double v = in[i + 1];
        out[i] = static_cast<float>(scale * (u * c - v * s));
        out[i + 1] = static_cast<float>(scale * (u * s + v * c));
    }
}

bool CDWF3DGrWriter::FindLastComponent(const std::vector<ComponentEntry>& list, int& index)
{
    index = -1;
    if (list.empty())
        return false;
    const int size = static_cast<int>(list.size());
    int at = size - 1;
    index = at;
    if (list[static_cast<std::size_t>(at)].parent == -1)
        return false;
    // Parents come before their children, so a sound list reaches its root
    // in fewer steps than it has entries; a broken one ends there.
    for (int steps = 0; steps < size; ++steps)
    {
        const ComponentEntry& entry = list[static_cast<std::size_t>(at)];
        index = at;
        if (entry.textured)
            return true;
        if (entry.parent < 0 || entry.parent >= size)
            return false;
        at = entry.parent;
    }
    return false;
}

std::vector<ComponentEntry>
CDWF3DGrWriter::LastComponentPath(const std::vector<ComponentEntry>& list)
{
    std::vector<ComponentEntry> path;
    const int size = static_cast<int>(list.size());
    for (int at = size - 1; at >= 0;)
    {
        path.push_back(list[static_cast<std::size_t>(at)]);
        const int parent = list[static_cast<std::size_t>(at)].parent;
        if (parent < 0 || parent >= size)
            break;
        // A walk puts parents before their children; a list that does not
        // is handed over whole, so that nothing about it changes.
        if (parent >= at)
            return list;
        at = parent;
    }
    std::reverse(path.begin(), path.end());
    // The root keeps its own parent (none, or one outside the list).
    for (std::size_t i = 1; i < path.size(); ++i)
        path[i].parent = static_cast<int>(i - 1);
    return path;
}
