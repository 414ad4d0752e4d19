// A face's tessellation into one shell record.
//
// The host gives a face as a triangle soup: a count n, then 9n floats of
// corners, 9n of normals and, for textured faces, 6n texture values. Every
// array is compared with n before anything is sized from it.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Document.h"
#include "host/Geometry.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

using geometry_writer::Guarded;
using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

namespace
{
const char* const kShellStep = "CDWF3DGrWriter::GenerateShellSegment";

// Throws when a W3D handler could not take an array, so that the record is
// not written half filled.
void Require(TK_Status status)
{
    if (status != TK_Done)
        throw std::runtime_error("the shell record could not take its arrays");
}
// Whether every face of the list (a vertex count n > 0, then n indices)
// lies inside the list and names vertices that exist.
bool FaceListFits(const int* faces, int length, int vertices)
{
    for (int at = 0; at < length;)
    {
        const int n = faces[at];
        if (n <= 0 || n > length - at - 1)
            return false;
        for (int k = 1; k <= n; ++k)
            if (faces[at + k] < 0 || faces[at + k] >= vertices)
                return false;
        at += n + 1;
    }
    return true;
}
} // namespace

HRESULT CDWF3DGrWriter::GenerateShellSegment(DWFToolkit::DWFSegment& segment, host::Face* face)
{
    if (!face)
        return S_OK;

    std::int16_t status = 0;
    Guarded(kShellStep, [&] { status = document_ ? document_->shellStatus() : 0; });
    if (status == 1)
        return S_OK;

    // Nothing is written from a count or an array that could not be read.
    int n = 0;
    if (!Guarded(kShellStep, [&] { n = face->triangleCount(); }))
        return E_FAIL;
    if (n < 1)
        return S_OK;
    if (n > kMaxFaceTriangles)
    {
        ReportPublishError(kShellStep);
        return E_FAIL;
    }
    const std::size_t triangles = static_cast<std::size_t>(n);

    TriangleSoup soup;
    if (!Guarded(kShellStep, [&] { soup.normals = face->normals(); }))
        return E_FAIL;
    if (!Guarded(kShellStep, [&] { soup.points = face->triangles(-1); }))
        return E_FAIL;
    if (soup.normals.size() != 9 * triangles || soup.points.size() != 9 * triangles)
    {
        ReportPublishError(kShellStep);
        return E_FAIL;
    }
    soup.triangleCount = n;
    soup.vertexCount = 3 * n;

    // Every triangle keeps three vertices of its own.
    soup.indices.resize(3 * triangles);
    for (std::size_t i = 0; i < soup.indices.size(); ++i)
        soup.indices[i] = static_cast<int>(i);

    const bool textured = faceTextured_ || bodyTextured_ || componentMode_ != 0 ||
                          parameters_[kFeatureScale] > 0.0 || parameters_[kMaterialScale] > 0.0;
    // Texture values are only gathered for a shell that carries them.
    if (textured)
    {
        soup.uv.assign(6 * triangles, 0.0f);
        // Texture values that cannot be read, or do not match the count,
        // leave the shell with zero values rather than without a shell.
        std::vector<float> uv;
        if (Guarded(
                kShellStep, [&] { uv = face->textureCoordinates(); }, false))
        {
            if (uv.size() != soup.uv.size())
                ReportPublishError(kShellStep, false);
            else
                Guarded(
                    kShellStep,
                    [&] {
                        ComputeTextureCoordinates(soup.uv.data(), static_cast<int>(uv.size()),
                                                  uv.data(), nullptr);
                    },
                    false);
        }
    }

    ShellArrays shell;
    if (!Guarded(kShellStep, [&] { BuildFaceList(std::move(soup), shell); }))
        return E_FAIL;
    Guarded(kShellStep,
            [&]
            {
                GenerateShellSegment(segment, shell.vertexCount, shell.points.data(),
                                     shell.normals.data(), shell.faceListLength,
                                     shell.faceList.data(), shell.parameters.data(), textured);
            });
    return S_OK;
}

void CDWF3DGrWriter::BuildFaceList(TriangleSoup input, ShellArrays& output)
{
    const std::size_t triangles = static_cast<std::size_t>(input.triangleCount);
    const std::size_t vertices = static_cast<std::size_t>(input.vertexCount);

    output.faceList.resize(4 * triangles);
    for (std::size_t i = 0; i < triangles; ++i)
    {
        output.faceList[4 * i] = 3;
        output.faceList[4 * i + 1] = input.indices[3 * i];
        output.faceList[4 * i + 2] = input.indices[3 * i + 1];
        output.faceList[4 * i + 3] = input.indices[3 * i + 2];
    }
    output.faceListLength = static_cast<int>(4 * triangles);

    // The soup's arrays are the shell's: they move rather than copy.
    output.points = std::move(input.points);
    output.points.resize(3 * vertices);
    output.normals = std::move(input.normals);
    output.normals.resize(3 * vertices);

    // Values this close to 0 are noise of the host's mapping; written as 0
    // they keep coincident vertices mergeable.
    auto clean = [](float value) { return std::fabs(value) < 1e-6f ? 0.0f : value; };
    // Without texture values (an untextured face) there are no parameters.
    output.parameters.clear();
    if (input.uv.size() < 2 * vertices)
    {
        output.vertexCount = input.vertexCount;
        return;
    }
    output.parameters.resize(3 * vertices);
    for (std::size_t k = 0; k < vertices; ++k)
    {
        output.parameters[3 * k] = clean(input.uv[2 * k]);
        output.parameters[3 * k + 1] = clean(input.uv[2 * k + 1]);
        output.parameters[3 * k + 2] = 0.0f;
    }
    output.vertexCount = input.vertexCount;
}

HRESULT CDWF3DGrWriter::GenerateShellSegment(DWFToolkit::DWFSegment& segment, int vertexCount,
                                             const float* points, const float* normals,
                                             int faceListLength, const int* faceList,
                                             const float* parameters, bool textured)
{
    if (!points || !normals || !faceList || (textured && !parameters) || vertexCount <= 0 ||
        faceListLength <= 0)
        return S_OK;
    // A record the toolkit refuses half way would leave the model's stream
    // broken for good, so a face list is checked before anything is written.
    if (!FaceListFits(faceList, faceListLength, vertexCount))
    {
        ReportPublishError(kShellStep);
        return S_OK;
    }
    TK_Shell* filled = nullptr;
    try
    {
        TK_Enumerated& pattern = segment.getFacePatternHandler();
        pattern.SetIndex(8);
        pattern.serialize(0);

        TK_Shell& shell = segment.getShellHandler(false, false);
        filled = &shell;
        Require(shell.SetPoints(vertexCount, points));
        Require(shell.SetVertexNormals(normals));
        Require(shell.SetFaces(faceListLength, faceList));
        if (textured)
            Require(shell.SetVertexParameters(parameters));
        filled = nullptr;
        shell.serialize(0);
    }
    catch (...)
    {
        // A shell left half filled must not reach the next face's record.
        if (filled)
            filled->Reset();
        ReportPublishError(kShellStep);
    }
    return S_OK;
}
