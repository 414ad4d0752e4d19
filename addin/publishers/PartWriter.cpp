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
            writer.SetTextureNames({});
            writer.SetModelDoc(publisher_);
            writer.LoadMaterialDatabase(inc, document);
            double value = 0.0;
            writer.GetMaterialValue(value);
            writer.GenerateGraphics(publisher_);
            if (value == 0.0)
                writer.GenerateFaceColor(inc, document);
            writer.ProcessDocumentProps(document, publisher_->GetPackagePublisher(), inc,
                                        publisher_->GetOptions());
            writer.Generate3Dsketch(document, inc);
            writer.GenerateThread(nullptr);
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
