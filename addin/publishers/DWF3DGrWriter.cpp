// The geometry writer's state and the body road: bodies, and the walk over
// the faces of one body.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/publishers/GeometryWriterSupport.h"
#include "host/Document.h"
#include "host/Geometry.h"

#include <cmath>
#include <stdexcept>

using geometry_writer::Guarded;
using geometry_writer::SegmentScope;
using geometry_writer::WalkOnce;
using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

CDWF3DGrWriter::CDWF3DGrWriter(host::Document* document, DWFToolkit::DWFSegment* segment)
    : document_(document), segment_(segment)
{
}

CDWF3DGrWriter::~CDWF3DGrWriter() = default;

HRESULT CDWF3DGrWriter::SetModelDoc(CDWF3DPublisher* publisher)
{
    if (!publisher)
        return E_FAIL;
    publisher_ = publisher;
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateGraphics(CDWF3DPublisher* publisher)
{
    if (!publisher)
        return E_FAIL;
    publisher_ = publisher;
    GenerateBodyGraphics(document_);
    return S_OK;
}

double CDWF3DGrWriter::GetTextureParameter(int index) const
{
    if (index < 0 || index >= kTextureParameterCount)
        throw std::out_of_range("texture parameter index");
    return parameters_[static_cast<std::size_t>(index)];
}

void CDWF3DGrWriter::SetTextureParameter(int index, double value)
{
    if (index < 0 || index >= kTextureParameterCount)
        throw std::out_of_range("texture parameter index");
    parameters_[static_cast<std::size_t>(index)] = value;
}

double CDWF3DGrWriter::Distance3D(const double* a, const double* b)
{
    return geometry_writer::Length(geometry_writer::PointAt(a) - geometry_writer::PointAt(b));
}

HRESULT CDWF3DGrWriter::GenerateBodyGraphics(host::Document* document)
{
    try
    {
        GenerateBodyWires(document);
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GenerateBodyGraphics");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::GenerateBodyWires(host::Document* document)
{
    if (!document)
        return S_OK;
    try
    {
        document->prepare(-1);
        // Only a part document answers for bodies of its own.
        if (document->type() != host::kPartDocument)
            return S_OK;
        // The box is six values; anything else counts as the empty box the
        // request starts from.
        const std::vector<double> box = document->boundingBox(1);
        double size = box.size() == 6 ? Distance3D(box.data(), box.data() + 3) : 0.0;
        parameters_[kModelSize] = std::isfinite(size) ? size : 0.0;

        for (host::Body* body : document->bodies(-1, -1))
        {
            if (!body)
                continue;
            GenerateShellOfBody(body, false);
            GenerateEdgeFromBody(body);
        }
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GenerateBodyWires");
    }
    return S_OK;
}

HRESULT CDWF3DGrWriter::IsFeatureSuppress(host::Face* face, bool& suppressed)
{
    try
    {
        if (!face)
            return S_OK;
        if (host::Feature* feature = face->feature())
            suppressed = feature->suppressed();
        return S_OK;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::IsFeatureSuppress");
    }
    return E_FAIL;
}

void CDWF3DGrWriter::GenerateShellOfBody(host::Body* body, bool noColour)
{
    if (!body)
        return;
    try
    {
        TK_Heuristics& heuristics = segment_->getHeuristicsHandler();
        heuristics.SetMask(2);
        heuristics.SetValue(-3);
        heuristics.serialize(0);

        DWFToolkit::DWFSegment bodySegment = segment_->openSegment();
        bodySegment.open(nullptr, false);
        SegmentScope bodyScope(bodySegment);

        parameters_[kFeatureScale] = 0.0;
        bodyTextured_ = false;
        Guarded("generate body texture", [&] { GenerateBodyTexture(bodySegment, body); });
        if (!bodyTextured_ && componentMode_ == 0 && !(parameters_[kMaterialScale] > 0.0) &&
            !noColour)
            Guarded("generate body color", [&] { GenerateFaceColor(bodySegment, body); });

        ++bodyNumber_;
        faceNumber_ = 0;
        host::Face* face = nullptr;
        Guarded("generate the first face", [&] { face = body->firstFace(); });
        WalkOnce<host::Face> walk;
        while (face && walk.First(face))
        {
            ++faceNumber_;
            bool suppressed = false;
            Guarded("feature suppress", [&] { IsFeatureSuppress(face, suppressed); });
            if (!suppressed)
            {
                DWFToolkit::DWFSegment faceSegment = bodySegment.openSegment();
                faceSegment.open(nullptr, false);
                SegmentScope faceScope(faceSegment);

                faceTextured_ = false;
                Guarded("generate the face texture",
                        [&] { GenerateFaceTexture(faceSegment, face); });
                parameters_[kFeatureScale] = 0.0;
                if (!faceTextured_)
                    Guarded("generate the feature texture",
                            [&] { GenerateFeatureTexture(faceSegment, face); });
                if (!faceTextured_ && !bodyTextured_ && componentMode_ == 0 &&
                    !(parameters_[kFeatureScale] > 0.0) && !(parameters_[kMaterialScale] > 0.0) &&
                    !noColour)
                    Guarded("generate the face color",
                            [&] { GenerateFaceColor(faceSegment, face); });
                Guarded("generate the facets", [&] { GenerateShellSegment(faceSegment, face); });
                faceScope.Close();
            }
            // A failed request for the next face ends the walk: asking again
            // would only fail on the same face for ever.
            host::Face* next = nullptr;
            if (!Guarded("generate the next face", [&] { next = face->next(); }))
                break;
            face = next;
        }
        faceNumber_ = 0;
        bodyScope.Close();
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GenerateShellOfBody");
    }
}
