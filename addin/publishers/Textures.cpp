// The textures of faces, features, bodies, components and the document's
// material.
//
// Texture images reach a package as resources of the model, which needs the
// 3D publisher, the host's data folder, its material library and the
// conversion of texture images. Until those are connected here, no texture
// is found: every face is coloured from its material values, and the walk
// calls these steps exactly where textures belong.
#include "addin/publishers/DWF3DGrWriter.h"

using platform::HRESULT;
using platform::S_OK;

HRESULT CDWF3DGrWriter::GenerateBodyTexture(DWFToolkit::DWFSegment&, host::Body*)
{
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateFaceTexture(DWFToolkit::DWFSegment&, host::Face*)
{
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateFeatureTexture(DWFToolkit::DWFSegment&, host::Face*)
{
    parameters_[kFeatureScale] = 0.0;
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateComponentTexture(DWFToolkit::DWFSegment&, host::Component*,
                                                 ComponentEntry&)
{
    return S_OK;
}

HRESULT CDWF3DGrWriter::LoadMaterialDatabase(DWFToolkit::DWFSegment&, host::Document* document)
{
    if (!document)
        return S_OK;
    parameters_[kMaterialScale] = 0.0;
    return S_OK;
}
