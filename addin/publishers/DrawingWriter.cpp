#include "addin/publishers/DrawingWriter.h"

#include "addin/ErrorReport.h"
#include "addin/dialogs/ProgressDlg.h"
#include "addin/publishers/AnnotationSupport.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/publishers/TextMeasure.h"
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/units.h"
#include "dwf/w2dtk/view.h"
#include "dwf/w2dtk/viewport.h"
#include "dwfcore/Exception.h"
#include "dwfcore/TempFile.h"
#include "dwfcore/zip/EntryBoundStream.h"
#include "host/Drawing.h"
#include "host/View.h"

#include <cerrno>
#include <cmath>
#include <exception>

namespace
{
constexpr double kSheetScaleBase = 13636.5209555;
constexpr double kUnitsScaleBase = 13636.509555;
constexpr double kViewOffset = 5.368709118;
constexpr std::int32_t kLayerNumber = 14;

// Carries the W2D stream into the temporary file's output stream, turning
// its exceptions into W2D results. The first exception is kept: it, not the
// bare result, is what the sheet's failure reports.
struct TempFileSink
{
    DWFCore::DWFOutputStream* output = nullptr;
    std::exception_ptr failure;

    static TempFileSink& of(WT_File& file)
    {
        return *static_cast<TempFileSink*>(file.stream_user_data());
    }
    static WT_Result open(WT_File& file)
    {
        return of(file).output ? WT_Result_Success : WT_Result_Open_Failed;
    }
    static WT_Result close(WT_File& file)
    {
        try
        {
            of(file).output->flush();
            return WT_Result_Success;
        }
        catch (...)
        {
            of(file).keep();
            return WT_Result_Write_Failed;
        }
    }
    static WT_Result write(WT_File& file, std::size_t count, const void* bytes)
    {
        TempFileSink& sink = of(file);
        // Nothing more goes out after a failure: the sheet is lost already.
        if (sink.failure)
            return WT_Result_Write_Failed;
        try
        {
            return sink.output->write(bytes, count) == count ? WT_Result_Success
                                                             : WT_Result_Write_Failed;
        }
        catch (...)
        {
            sink.keep();
            return WT_Result_Write_Failed;
        }
    }
    static WT_Result read(WT_File&, std::size_t, std::size_t& delivered, void*)
    {
        delivered = 0;
        return WT_Result_Not_Open;
    }

    void keep()
    {
        if (!failure)
            failure = std::current_exception();
    }
};

// The failure of the sheet being written: which sheet, what failed and the
// toolkit's reason.
[[noreturn]] void ThrowW2D(const char16_t* message, WT_Result result)
{
    const std::u16string sheet = PublishScope::Current();
    std::u16string text = (sheet.empty() ? u"" : sheet + u": ") + message + u": " +
                          DescribeW2DResult(static_cast<unsigned>(result));
    if (text[0] >= u'a' && text[0] <= u'z')
        text[0] = static_cast<char16_t>(text[0] - u'a' + u'A');
    DWFCORE_THROW(DWFIOException, text.c_str(), "CDWFxDrawingWriter::ProcessDrawingDoc");
}
} // namespace

CDWFxDrawingWriter::CDWFxDrawingWriter(host::Drawing* drawing, std::u16string targetPath,
                                       int sheetNumber)
    : drawing_(drawing), targetPath_(std::move(targetPath)), sheetNumber_(sheetNumber)
{
}

CDWFxDrawingWriter::~CDWFxDrawingWriter() = default; // the temporary file removes itself

void CDWFxDrawingWriter::setPair(double width, double height)
{
    paperWidth_ = width;
    paperHeight_ = height;
    const double larger = width > height ? width : height;
    sheet_.scale = larger > 0 ? 1000.0 * kSheetScaleBase / larger : 0.0;
}

int CDWFxDrawingWriter::AssignHostPointer(host::Application* application)
{
    if (application)
        application_ = application;
    return 0;
}

std::u16string CDWFxDrawingWriter::GetW2DFileName() const
{
    return w2dFile_ ? w2dFile_->file().name().toU16String() : std::u16string();
}

DWFCore::DWFInputStream* CDWFxDrawingWriter::GetW2DInputStream()
{
    if (!w2dFile_)
        DWFCORE_THROW(DWFIllegalStateException, u"The sheet has not been written",
                      "CDWFxDrawingWriter::GetW2DInputStream");
    return w2dFile_->getInputStream();
}

bool CDWFxDrawingWriter::RemoveW2DFile(int& error) noexcept
{
    if (!w2dFile_ || w2dFile_->remove())
        return true;
    error = errno;
    return false;
}

int CDWFxDrawingWriter::GetViewCount()
{
    int count = 0;
    try
    {
        if (!drawing_)
            return 0;
        for (host::View* view = drawing_->firstView(); view; view = view->next())
        {
            if (static_cast<std::size_t>(count) >= annot::kMaxChain)
            {
                ReportPublishError("CDWFxDrawingWriter::GetViewCount");
                break;
            }
            ++count;
        }
    }
    catch (...)
    {
        ReportPublishError("CDWFxDrawingWriter::GetViewCount");
    }
    return count;
}

WT_Result CDWFxDrawingWriter::WriteViewClip(WT_File& file, double width, double height)
{
    const double larger = width > height ? width : height;
    if (!(width > 0) || !(height > 0) || !std::isfinite(larger))
        return WT_Result_Usage_Error;
    const double s = kUnitsScaleBase / larger;
    const double x = width > height ? kViewOffset : width / height * kViewOffset;
    const double y = width > height ? height / width * kViewOffset : kViewOffset;
    const WT_Matrix matrix(std::array<double, 16>{s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, x, y, 0, 1});
    WT_Units units(matrix, WT_String("mm"));
    WT_CHECK(units.serialize(file));

    const WT_Logical_Point p0 = units.transform_to_logical(0.0, 0.0);
    const WT_Logical_Point p1 = units.transform_to_logical(width, height);
    WT_View view(WT_Logical_Box(p0, p1));
    WT_CHECK(view.serialize(file));

    const WT_Logical_Point corners[4] = {p0, WT_Logical_Point(p0.m_x, p1.m_y), p1,
                                         WT_Logical_Point(p1.m_x, p0.m_y)};
    const WT_Contour_Set contour(file, 4, corners);
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.viewport() = WT_Viewport(file, WT_String("Clip"), &contour);
    desired.mark_changed(WT_Attribute_Set::Viewport_Bit);
    return WT_Result_Success;
}

WT_Result CDWFxDrawingWriter::WalkViews(WT_File& file, CProgressDlg& progress)
{
    int processed = 0;
    std::size_t steps = 0;
    if (!drawing_)
        return WT_Result_Success;
    try
    {
        for (host::View* view = drawing_->firstView(); view; view = view->next())
        {
            if (++steps > annot::kMaxChain)
            {
                ReportPublishError("CDWFxDrawingWriter::ProcessDrawingDoc");
                break;
            }
            if (view->stateFlag() != 0)
                continue;
            WT_Result result = WT_Result_Success;
            if (view->type() == 1)
                result = ProcessSheetFormatFromDrawingDoc(file, drawing_->currentSheet(), view,
                                                          application_, sheet_);
            else
                result = ProcessViewFromDrawingDoc(file, view, application_, sheet_);
            if (result != WT_Result_Success)
                return result;
            progress.SetPos(processed++);
        }
    }
    catch (...)
    {
        ReportPublishError("CDWFxDrawingWriter::ProcessDrawingDoc");
    }
    return WT_Result_Success;
}

int CDWFxDrawingWriter::ProcessDrawingDoc()
{
    const double larger = paperWidth_ > paperHeight_ ? paperWidth_ : paperHeight_;
    if (!(paperWidth_ > 0) || !(paperHeight_ > 0) || !std::isfinite(larger) ||
        !(sheet_.scale > 0) || !std::isfinite(sheet_.scale))
        {
        // Which sheet: the scope of the sheet being written names it.
        const std::u16string sheet = PublishScope::Current();
        DWFCORE_THROW(DWFInvalidArgumentException,
                      ((sheet.empty() ? u"The sheet" : sheet) + u" has no positive size").c_str(),
                      "CDWFxDrawingWriter::ProcessDrawingDoc");
    }

    // A file of our own in the temporary folder: nothing of the user's is
    // ever overwritten, and the destructor removes exactly this file.
    w2dFile_.reset();
    w2dFile_.reset(DWFCore::DWFTempFile::Create(DWFCore::DWFString(u"quillcast-sheet"), true));
    // The stream must fit one package entry: it stops as soon as it would not.
    DWFCore::DWFZipEntryBoundStream bounded(*w2dFile_->getOutputStream(),
                                            u"The sheet's W2D stream");
    TempFileSink sink;
    sink.output = &bounded;

    // Texts of the sheet measure their bounds in the platform's fonts.
    CFontTextMetrics fonts;
    WT_File file;
    file.set_text_metrics(&fonts);
    file.set_filename(GetW2DFileName().c_str());
    file.set_file_mode(WT_File::File_Write);
    file.set_stream_user_data(&sink);
    file.set_stream_open_action(&TempFileSink::open);
    file.set_stream_close_action(&TempFileSink::close);
    file.set_stream_write_action(&TempFileSink::write);
    file.set_stream_read_action(&TempFileSink::read);
    if (const WT_Result opened = file.open(); opened != WT_Result_Success)
    {
        // Opening writes the stream's header: a write that failed tells why.
        if (sink.failure)
            std::rethrow_exception(sink.failure);
        ThrowW2D(u"the sheet's W2D file could not be opened", opened);
    }
    // Sheets are written as plain, uncompressed ASCII opcodes.
    file.set_allow_data_compression(false);
    file.set_allow_binary_data(false);

    WT_Attribute_Set& desired = file.desired_rendition();
    desired.color() = WT_Color(0, 0, 0, 255);
    desired.layer() = WT_Layer(file, kLayerNumber, u"Gouraud Polylines");
    desired.mark_changed(WT_Attribute_Set::Color_Bit | WT_Attribute_Set::Layer_Bit);

    WT_Result result = WT_Result_Success;
    try
    {
        result = WriteViewClip(file, paperWidth_, paperHeight_);
    }
    catch (WT_Result thrown)
    {
        result = thrown;
    }
    if (result == WT_Result_Success)
    {
        CProgressDlg progress;
        progress.Create(nullptr);
        progress.SetWindowText(u"Publish DWF File...");
        progress.SetSubject(progressSubject_);
        progress.SetRange(0, GetViewCount());
        result = WalkViews(file, progress);
        progress.DestroyWindow();
    }
    // The file is closed on every way out; its first failure is what counts,
    // and the exception behind it tells the cause.
    const WT_Result closed = file.close();
    if (sink.failure)
        std::rethrow_exception(sink.failure);
    if (result != WT_Result_Success)
        ThrowW2D(u"the sheet's W2D stream could not be written", result);
    if (closed != WT_Result_Success)
        ThrowW2D(u"the sheet's W2D file could not be finished", closed);
    return 0;
}
