#pragma once
// Writes the graphics of one drawing sheet into a W2D stream held in a
// temporary file of its own: the sheet's units, view and clipping viewport,
// then every view of the sheet through the 2D graphics writer, while a
// progress dialog shows how far it has come.
//
// The temporary file is created exclusively in the temporary folder and is
// removed by RemoveW2DFile or else the writer's destructor, so the writer
// must outlive whoever reads the file back (the package writer).
#include "addin/publishers/W2DOutput.h"
#include "host/Forward.h"

#include <memory>
#include <string>

class WT_File;

namespace DWFCore
{
class DWFTempFile;
class DWFInputStream;
} // namespace DWFCore

class CProgressDlg;

class CDWFxDrawingWriter
{
public:
    // `drawing` is borrowed; `sheetNumber` is 1-based.
    CDWFxDrawingWriter(host::Drawing* drawing, std::u16string targetPath, int sheetNumber);
    // Removes the sheet's temporary file; never throws.
    virtual ~CDWFxDrawingWriter();
    CDWFxDrawingWriter(const CDWFxDrawingWriter&) = delete;
    CDWFxDrawingWriter& operator=(const CDWFxDrawingWriter&) = delete;

    // The paper size in millimetres. Also sets the sheet scale the graphics
    // writer applies: 1000 × 13636.5209555 / the larger side.
    void setPair(double width, double height);
    // Takes the sheet scale from the publisher instead.
    void SetSheetContext(const w2dout::SheetContext& context) { sheet_ = context; }
    const w2dout::SheetContext& SheetContext() const { return sheet_; }
    // The host application handed on to the graphics writer (borrowed; the
    // host keeps it alive for the whole command). Null is ignored.
    int AssignHostPointer(host::Application* application);
    int SheetNumber() const { return sheetNumber_; }
    // Which sheet of the drawing this is, as the progress dialog names it
    // ("sheet 2 of 3").
    void SetProgressSubject(std::u16string subject) { progressSubject_ = std::move(subject); }
    const std::u16string& TargetPath() const { return targetPath_; }
    // The sheet's temporary file; empty before ProcessDrawingDoc.
    std::u16string GetW2DFileName() const;
    // A new stream over the finished sheet, owned by the caller.
    DWFCore::DWFInputStream* GetW2DInputStream();
    // Removes the sheet's temporary file now (streams over it keep what they
    // read). False, with `error` the system's reason, when it stays; its
    // name is still GetW2DFileName then.
    bool RemoveW2DFile(int& error) noexcept;

    // Counts the views of the current sheet (the sheet's own view included).
    int GetViewCount();

    // Writes the sheet. A paper size that is not positive, a file that cannot
    // be created, opened, written or closed, and a failure of the W2D
    // toolkit throw a DWFCore exception: the sheet is then incomplete and
    // must not be published. Failures of the host are reported and passed
    // over. Returns 0.
    virtual int ProcessDrawingDoc();

    // The sheet header: units "mm", the view of the whole paper and the
    // "Clip" viewport, which goes out before the first drawable.
    static WT_Result WriteViewClip(WT_File& file, double width, double height);

private:
    WT_Result WalkViews(WT_File& file, CProgressDlg& progress);

    host::Drawing* drawing_;
    std::u16string targetPath_;
    int sheetNumber_;
    std::u16string progressSubject_;
    double paperWidth_ = 0.0;
    double paperHeight_ = 0.0;
    w2dout::SheetContext sheet_;
    host::Application* application_ = nullptr;
    std::unique_ptr<DWFCore::DWFTempFile> w2dFile_;
};
