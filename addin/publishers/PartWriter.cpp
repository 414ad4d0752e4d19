// A part: everything into one include segment of the model, which the root
// segment then includes under the document's title.
#include "addin/publishers/DWF3DPublisher.h"
#include "addin/publishers/DWFxWriter.h"
#include "addin/publishers/GeometryWriterSupport.h"

#include "addin/ErrorReport.h"
#include "dwf/publisher/model/IncludeSegment.h"
#include "dwf/publisher/model/Model.h"
#include "host/Document.h"
#include "host/Session.h"

using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

void CDWFxPartWriter::WritePasses(CDWF3DGrWriter& writer, host::Document* document,
                                  DWFToolkit::DWFSegment& segment,
                                  DWFToolkit::DWFPackagePublisher* packagePublisher,
                                  const PublishOptions* options)
{
    writer.LoadMaterialDatabase(segment, document);
    double value = 0.0;
    writer.GetMaterialValue(value);
    writer.GenerateBodyGraphics(document);
    if (value == 0.0)
        writer.GenerateFaceColor(segment, document);
    writer.ProcessDocumentProps(document, packagePublisher, segment, options);
    writer.Generate3Dsketch(document, segment);
    writer.GenerateThread(nullptr);
}

HRESULT CDWFxPartWriter::Write()
{
    try
    {
        host::Document* document = publisher_->GetDocument();
        DWFToolkit::DWFIncludeSegment inc = publisher_->GetModel()->openIncludeSegment();
        inc.open(DWFCore::DWFString(u""));
        geometry_writer::SegmentScope incScope(inc);
        {
            CDWF3DGrWriter writer(document, &inc);
            writer.SetModelDoc(publisher_);
            WritePasses(writer, document, inc, publisher_->GetPackagePublisher(),
                        publisher_->GetOptions());
        }
        incScope.Close();

        std::u16string title;
        try
        {
            title = document->title();
        }
        catch (const host::HostFailure&)
        {
            // Without a title the part has no name to be included under, and
            // no package is written; the user is told why.
            ReportPublishError("CDWFxPartWriter::Write");
            return E_FAIL;
        }
        segment_->include(inc, DWFCore::DWFString(title));
    }
    catch (...)
    {
        ReportPublishError("CDWFxPartWriter::Write");
    }
    return S_OK;
}
