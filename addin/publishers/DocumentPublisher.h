#pragma once
// The base of every document publisher: what a publication needs from the
// command (host document, options, target path), whether the package was
// written, the progress dialog of the 3D publishers, thumbnails and image
// sizes, and opening the package with the shell afterwards when the user
// asked for it.
//
// Thumbnail files are ours alone: each is created exclusively in the
// temporary folder, named from nothing of the document or the target, and
// removed by this object when it is destroyed; one that cannot be removed
// is named in a note.
#include "addin/PublishOptions.h"
#include "host/Forward.h"
#include "platform/com/Result.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CProgressDlg;

namespace DWFCore
{
class DWFInputStream;
}
namespace DWFToolkit
{
class DWFPackageWriter;
}

class CDocumentPublisher
{
public:
    // The document and the options are borrowed and outlive the publisher.
    CDocumentPublisher(host::Document* document, std::u16string targetPath,
                       const PublishOptions* options);
    // Closes the progress dialog, removes the thumbnail files, and opens the
    // package when it was published and the options ask for it; a package
    // that is not opened although asked for (written with failures, or the
    // shell could not open it) gets a note of the publish log that says why.
    // Never throws.
    virtual ~CDocumentPublisher();
    CDocumentPublisher(const CDocumentPublisher&) = delete;
    CDocumentPublisher& operator=(const CDocumentPublisher&) = delete;

    // Publishes the document; failures are reported inside. Answers 0.
    virtual int PublishDoc() = 0;

    std::u16string GetTargetPath() const { return target_; }
    void SetPublished(bool published) { published_ = published; }
    bool IsPublished() const { return published_; }
    // The package that `writer` wrote is in place at the target, whatever
    // was reported while it was made; the publish log learns it too, and
    // the writer's notes on it. A folder that could not be flushed to the
    // disk after the move is reported as a failure in `where`, since a
    // power loss may still undo the move, and so is a target's name that
    // could not be looked at after the move.
    void SetWritten(const DWFToolkit::DWFPackageWriter& writer,
                    std::string_view where = std::string_view());
    // Runs `write`, which writes the package of `writer`, then SetWritten.
    // Should it throw, the writer's notes (a file of it left beside the
    // target) go to the publish log before the exception goes on.
    void WritePackage(DWFToolkit::DWFPackageWriter& writer, const std::function<void()>& write,
                      std::string_view where);
    bool IsWritten() const { return written_; }
    // Lets `writer` replace a file that holds the target's name when the
    // finished package is moved there: when the user agreed to replace the
    // target in the save dialog, or, when nothing held the name then, when
    // the user now agrees (the replace prompt once more). Otherwise that
    // file stays, and no package is written.
    void LetReplaceTarget(DWFToolkit::DWFPackageWriter& writer) const;

    void CreateProgressDlg();
    void CloseProgressDlg();
    // Moves the bar and its label unless the user pressed Cancel; nothing
    // without a progress dialog.
    void StepProgress(int position);
    CProgressDlg* ProgressDlg() const { return progress_.get(); }

    // A new, empty file for the document's thumbnail: made exclusively in
    // the temporary folder, removed by this publisher. Throws
    // DWFCore::DWFIOException when none can be made.
    std::u16string GetThumbnailFileName();
    // The same for the thumbnail of one sheet; the index only tells the
    // files apart when they are looked at.
    std::u16string GetSheetThumbnailFileName(int index);
    // Asks the host to save the document's picture to the file; false when
    // the host says it could not (PictureFailure then tells why).
    bool SaveDocumentPicture(const std::u16string& fileName);
    // The pixel size of a JPEG or PNG file. An empty path answers S_OK and
    // leaves both values; an unreadable image gives 10 x 10 and E_FAIL.
    platform::HRESULT GetImageSize(const std::u16string& path, double& width, double& height);
    // Why the last picture could not be saved or read back: which picture
    // and the reason (missing, not a picture, the system's word); empty
    // after a picture that came through.
    const std::u16string& PictureFailure() const { return pictureFailure_; }

    // A thumbnail of the document's picture, read back from the file the
    // host saved it to, with its pixel size.
    struct Thumbnail
    {
        std::unique_ptr<DWFCore::DWFInputStream> stream;
        double width = 0.0;
        double height = 0.0;
    };
    // Makes the thumbnail of sheet `sheetIndex` (GetSheetThumbnailFileName),
    // or the document's when it is negative. A thumbnail that cannot be made
    // (no file for it, a picture the host cannot save, a file that is no
    // picture or no longer the one made) has no stream, and PictureFailure
    // says which picture or file and why: the package goes without it.
    Thumbnail MakeThumbnail(int sheetIndex);

    // A stream over the file `name` that owns its descriptor; the caller
    // owns the stream. A file that cannot be opened throws the descriptor's
    // exception.
    static std::unique_ptr<DWFCore::DWFInputStream> OpenForReading(const std::u16string& name);

    // The temporary files this publisher made and has not removed yet.
    const std::vector<std::u16string>& TemporaryFiles() const { return temporaryFiles_; }
    // Removes every temporary file made so far; answers whether all went.
    // Each one that stays is named in a note with the reason.
    bool RemoveTemporaryFiles() noexcept;

protected:
    host::Document* Document() const { return document_; }
    const PublishOptions* Options() const { return options_; }

private:
    static void NoteWriter(const DWFToolkit::DWFPackageWriter& writer);
    std::u16string NewTemporaryFile(const std::string& suffix);
    // Hands the package to the shell's "open"; a failure becomes a note of
    // the publish log that says why.
    void OpenPackage();

    host::Document* document_;
    const PublishOptions* options_;
    std::u16string target_;
    bool published_ = false;
    bool written_ = false;
    std::unique_ptr<CProgressDlg> progress_;
    std::vector<std::u16string> temporaryFiles_;
    std::u16string pictureFailure_;
};
