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
#include "platform/kernel/Text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
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
// Whether a stream array holds finite numbers only.
bool AllFinite(const std::vector<float>& values)
{
    return geometry_writer::AllFinite(values.data(), values.size());
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

std::u16string CDWF3DGrWriter::FaceLabel() const
{
    if (faceNumber_ < 1 || bodyNumber_ < 1)
        return u"A face";
    return platform::utf8ToUtf16("Face " + std::to_string(faceNumber_) + " of body " +
                                 std::to_string(bodyNumber_));
}

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
    // A face left out says which one and why.
    const auto leaveOut = [this](const std::string& why)
    {
        ReportPublishError(kShellStep, true,
                           FaceLabel() + u" is left out: " + platform::utf8ToUtf16(why));
    };
    if (n > kMaxFaceTriangles)
    {
        leaveOut("its " + std::to_string(n) + " triangles are more than the " +
                 std::to_string(kMaxFaceTriangles) + " a face may have");
        return E_FAIL;
    }
    const std::size_t triangles = static_cast<std::size_t>(n);

    TriangleSoup soup;
    if (!Guarded(kShellStep, [&] { soup.normals = face->normals(); }))
        return E_FAIL;
    if (!Guarded(kShellStep, [&] { soup.points = face->triangles(-1); }))
        return E_FAIL;
    const auto mismatch = [&](const char* what, std::size_t found)
    {
        leaveOut(std::string("its ") + what + " hold " + std::to_string(found) +
                 " numbers where its " + std::to_string(n) + " triangles need " +
                 std::to_string(9 * triangles));
    };
    if (soup.normals.empty())
    {
        leaveOut("it has no normals (a face needs one normal per triangle corner)");
        return E_FAIL;
    }
    if (soup.normals.size() != 9 * triangles)
    {
        mismatch("normals", soup.normals.size());
        return E_FAIL;
    }
    if (soup.points.size() != 9 * triangles)
    {
        mismatch("triangles", soup.points.size());
        return E_FAIL;
    }
    // A model stream carries no infinities.
    if (!AllFinite(soup.points) || !AllFinite(soup.normals))
    {
        leaveOut("its triangles or normals are not all finite numbers");
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
                ReportPublishError(kShellStep, false,
                                   FaceLabel() + u" is drawn with texture coordinates 0: it " +
                                       platform::utf8ToUtf16(
                                           uv.empty() ? std::string("has none")
                                                      : "has " + std::to_string(uv.size()) +
                                                            " where its " + std::to_string(n) +
                                                            " triangles need " +
                                                            std::to_string(soup.uv.size())));
            else if (Guarded(
                         kShellStep,
                         [&] {
                             ComputeTextureCoordinates(soup.uv.data(), static_cast<int>(uv.size()),
                                                       uv.data(), nullptr);
                         },
                         false) &&
                     !AllFinite(soup.uv))
            {
                // Scaled by a huge texture scale or model size, they may
                // leave single precision.
                std::fill(soup.uv.begin(), soup.uv.end(), 0.0f);
                ReportPublishError(kShellStep, false,
                                   FaceLabel() + u" is drawn with texture coordinates 0: its " +
                                       u"texture coordinates, turned and scaled by its texture, "
                                       u"do not fit single precision");
            }
        }
    }

    ShellArrays shell;
    if (!Guarded(kShellStep,
                 [&]
                 {
                     BuildFaceList(std::move(soup), shell);
                     MergeIdenticalVertices(shell);
                 }))
        return E_FAIL;
    Guarded(kShellStep,
            [&]
            {
                // The record copies each array as it is set: ours goes right
                // after, so that a large face is never held twice over.
                WriteShellRecord(segment, shell.vertexCount, shell.points.data(),
                                 shell.normals.data(), shell.faceListLength,
                                 shell.faceList.data(), shell.parameters.data(), textured,
                                 [&shell](ShellArray copied)
                                 {
                                     switch (copied)
                                     {
                                     case ShellArray::kPoints:
                                         std::vector<float>().swap(shell.points);
                                         break;
                                     case ShellArray::kNormals:
                                         std::vector<float>().swap(shell.normals);
                                         break;
                                     case ShellArray::kFaces:
                                         std::vector<int>().swap(shell.faceList);
                                         break;
                                     case ShellArray::kParameters:
                                         std::vector<float>().swap(shell.parameters);
                                         break;
                                     }
                                 });
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

void CDWF3DGrWriter::MergeIdenticalVertices(ShellArrays& shell)
{
    const std::size_t vertices = static_cast<std::size_t>(shell.vertexCount);
    const bool withParameters = !shell.parameters.empty();
    if (vertices < 2 || shell.points.size() < 3 * vertices ||
        shell.normals.size() < 3 * vertices ||
        (withParameters && shell.parameters.size() < 3 * vertices))
        return;
    // One vertex's values, as bits: equal bits are equal values.
    const std::size_t width = withParameters ? 9 : 6;
    const auto valuesOf = [&](std::size_t v, std::uint32_t* out)
    {
        std::memcpy(out, &shell.points[3 * v], 3 * sizeof(float));
        std::memcpy(out + 3, &shell.normals[3 * v], 3 * sizeof(float));
        if (withParameters)
            std::memcpy(out + 6, &shell.parameters[3 * v], 3 * sizeof(float));
    };
    // An open-addressed table of the vertices kept so far, at most half full.
    std::size_t slots = 1;
    while (slots < 2 * vertices)
        slots <<= 1;
    std::vector<std::int32_t> table(slots, -1);
    std::vector<std::int32_t> remap(vertices);
    std::size_t kept = 0;
    std::uint32_t key[9];
    std::uint32_t other[9];
    for (std::size_t v = 0; v < vertices; ++v)
    {
        valuesOf(v, key);
        std::uint64_t hash = 1469598103934665603ull;
        for (std::size_t k = 0; k < width; ++k)
            hash = (hash ^ key[k]) * 1099511628211ull;
        std::size_t slot = static_cast<std::size_t>(hash ^ (hash >> 29)) & (slots - 1);
        for (;; slot = (slot + 1) & (slots - 1))
        {
            const std::int32_t found = table[slot];
            if (found < 0)
            {
                // A new vertex: moved down to its place among those kept
                // (never above where it stands, so nothing unread is lost).
                table[slot] = static_cast<std::int32_t>(kept);
                remap[v] = static_cast<std::int32_t>(kept);
                for (int c = 0; c < 3; ++c)
                {
                    shell.points[3 * kept + c] = shell.points[3 * v + c];
                    shell.normals[3 * kept + c] = shell.normals[3 * v + c];
                    if (withParameters)
                        shell.parameters[3 * kept + c] = shell.parameters[3 * v + c];
                }
                ++kept;
                break;
            }
            valuesOf(static_cast<std::size_t>(found), other);
            if (std::memcmp(key, other, width * sizeof(std::uint32_t)) == 0)
            {
                remap[v] = found;
                break;
            }
        }
    }
    std::vector<std::int32_t>().swap(table);
    // The face list: a count, then that many vertex indices, each record.
    for (std::size_t at = 0; at < shell.faceList.size();)
    {
        const int n = shell.faceList[at];
        if (n <= 0 || static_cast<std::size_t>(n) > shell.faceList.size() - at - 1)
            break;
        for (int k = 1; k <= n; ++k)
        {
            int& index = shell.faceList[at + static_cast<std::size_t>(k)];
            if (index >= 0 && static_cast<std::size_t>(index) < vertices)
                index = remap[static_cast<std::size_t>(index)];
        }
        at += static_cast<std::size_t>(n) + 1;
    }
    shell.vertexCount = static_cast<int>(kept);
    shell.points.resize(3 * kept);
    shell.points.shrink_to_fit();
    shell.normals.resize(3 * kept);
    shell.normals.shrink_to_fit();
    if (withParameters)
    {
        shell.parameters.resize(3 * kept);
        shell.parameters.shrink_to_fit();
    }
}

HRESULT CDWF3DGrWriter::GenerateShellSegment(DWFToolkit::DWFSegment& segment, int vertexCount,
                                             const float* points, const float* normals,
                                             int faceListLength, const int* faceList,
                                             const float* parameters, bool textured)
{
    return WriteShellRecord(segment, vertexCount, points, normals, faceListLength, faceList,
                            parameters, textured, nullptr);
}

HRESULT CDWF3DGrWriter::WriteShellRecord(DWFToolkit::DWFSegment& segment, int vertexCount,
                                         const float* points, const float* normals,
                                         int faceListLength, const int* faceList,
                                         const float* parameters, bool textured,
                                         const std::function<void(ShellArray)>& copied)
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
        const auto done = [&copied](ShellArray array)
        {
            if (copied)
                copied(array);
        };
        Require(shell.SetPoints(vertexCount, points));
        done(ShellArray::kPoints);
        Require(shell.SetVertexNormals(normals));
        done(ShellArray::kNormals);
        Require(shell.SetFaces(faceListLength, faceList));
        done(ShellArray::kFaces);
        if (textured)
        {
            Require(shell.SetVertexParameters(parameters));
            done(ShellArray::kParameters);
        }
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
