#include "addin/publishers/DocumentPublisher.h"

#include "addin/ErrorReport.h"
#include "addin/PublishLog.h"
#include "addin/Resources.h"
#include "addin/dialogs/ProgressDlg.h"
#include "dwf/package/writer/PackageWriter.h"
#include "dwfcore/Exception.h"
#include "dwfcore/File.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/SystemError.h"
#include "host/Document.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Ui.h"

#include <cerrno>
#include <functional>

CDocumentPublisher::CDocumentPublisher(host::Document* document, std::u16string targetPath,
                                       const PublishOptions* options)
    : document_(document), options_(options), target_(std::move(targetPath))
{
}

CDocumentPublisher::~CDocumentPublisher()
{
    try
    {
        if (progress_)
        {
            progress_->DestroyWindow();
            progress_.reset();
        }
        RemoveTemporaryFiles();
        if (options_ && options_->openAfterPublish != 0)
        {
            if (published_)
                OpenPackage();
            else if (written_ && platform::shell().launches())
                // A drawing is not opened once a failure was reported while
                // it was written; the user who asked for it hears so. (A
                // drawing's options always ask: only a shell that launches
                // means that the user did.)
                publish_log::Note(u"The package '" + target_ +
                                  u"' was not opened: failures were reported while it was "
                                  u"written");
        }
    }
    catch (...)
    {
        // Nothing of this is worth more than finishing the command.
    }
}

void CDocumentPublisher::OpenPackage()
{
    // The package is whole whether or not it can be shown: the user hears
    // why it was not, and the publication's outcome stays what it was.
    std::u16string failure;
    if (platform::shell().execute(u"open", target_, &failure) > 32)
        return;
    publish_log::Note(u"The package '" + target_ + u"' was written but could not be opened: " +
                      (failure.empty() ? u"the shell refused it" : failure));
}

void CDocumentPublisher::SetWritten(const DWFToolkit::DWFPackageWriter& writer,
                                    std::string_view where)
{
    written_ = true;
    const bool replaced = writer.replacedTarget();
    publish_log::PackageWritten(target_, replaced);
    NoteWriter(writer);
    const std::u16string unchecked = writer.checkFailure().toU16String();
    if (!unchecked.empty())
    {
        publish_log::PlaceNotChecked(target_);
        ReportPublishError(where, true,
                           u"The package was moved to '" + target_ +
                               u"', but whether that name holds it could not be checked: " +
                               unchecked);
    }
    const std::u16string failure = writer.folderFlushFailure().toU16String();
    if (failure.empty())
        return;
    publish_log::FolderNotFlushed(target_);
    ReportPublishError(where, true,
                       replaced ? u"The package replaced '" + target_ +
                                      u"', but a power loss may still undo that: " + failure
                                : u"The package was written to '" + target_ +
                                      u"', but a power loss may still lose it: " + failure);
}

void CDocumentPublisher::NoteWriter(const DWFToolkit::DWFPackageWriter& writer)
{
    for (const auto& note : writer.notes())
        publish_log::Note(note.toU16String());
}

void CDocumentPublisher::WritePackage(DWFToolkit::DWFPackageWriter& writer,
                                      const std::function<void()>& write, std::string_view where)
{
    try
    {
        write();
    }
    catch (...)
    {
        // A file of the write that stays beside the target is named even
        // though no package was written.
        NoteWriter(writer);
        throw;
    }
    SetWritten(writer, where);
}

void CDocumentPublisher::LetReplaceTarget(DWFToolkit::DWFPackageWriter& writer) const
{
    const bool agreed = options_ && options_->replaceTarget;
    writer.setReplaceConsent(
        [agreed]
        {
            return agreed ||
                   platform::ui().runDialog(res::IDD_REPLACE_PROMPT).result == platform::IDOK;
        });
}

void CDocumentPublisher::CreateProgressDlg()
{
    auto progress = std::make_unique<CProgressDlg>();
    progress->Create(nullptr);
    progress->SetWindowText(u"Publish DWF File...");
    // Only the 3D publishers show this dialog: a part or an assembly is one
    // model, never a sheet.
    progress->SetSubject(u"model");
    progress_ = std::move(progress);
}

void CDocumentPublisher::CloseProgressDlg()
{
    if (progress_)
        progress_->DestroyWindow();
}

void CDocumentPublisher::StepProgress(int position)
{
    if (!progress_ || progress_->IsStopped())
        return;
    progress_->Step(position);
}

std::u16string CDocumentPublisher::NewTemporaryFile(const std::string& suffix)
{
    const auto name = platform::createTemporaryFile("quillcast-thumb-", suffix);
    if (!name)
    {
        const int error = errno;
        DWFCORE_THROW_SYSTEM(DWFIOException, u"Failed to create a temporary file in",
                             platform::temporaryFolder() + "/", error,
                             "CDocumentPublisher::NewTemporaryFile");
    }
    temporaryFiles_.push_back(*name);
    return *name;
}

std::u16string CDocumentPublisher::GetThumbnailFileName()
{
    return NewTemporaryFile(".jpg");
}

std::u16string CDocumentPublisher::GetSheetThumbnailFileName(int index)
{
    return NewTemporaryFile("-" + std::to_string(index) + ".jpg");
}

std::unique_ptr<DWFCore::DWFInputStream> CDocumentPublisher::OpenForReading(
    const std::u16string& name)
{
    auto descriptor = std::make_unique<DWFCore::DWFStreamFileDescriptor>(
        DWFCore::DWFFile(DWFCore::DWFString(name)), "rb");
    descriptor->open();
    auto stream = std::make_unique<DWFCore::DWFFileInputStream>();
    stream->attach(descriptor.release(), true);
    return stream;
}

bool CDocumentPublisher::SaveDocumentPicture(const std::u16string& fileName)
{
    int status = 1;
    pictureFailure_.clear();
    if (document_->savePicture(fileName, status) && status == 1)
        return true;
    pictureFailure_ = document_->pictureFailure();
    if (pictureFailure_.empty())
        pictureFailure_ = u"the host could not save its picture to '" + fileName + u"'";
    return false;
}

platform::HRESULT CDocumentPublisher::GetImageSize(const std::u16string& path, double& width,
                                                   double& height)
{
    if (path.empty())
        return platform::S_OK;
    std::string why;
    const auto size = platform::readPictureSize(path, &why);
    if (!size)
    {
        width = 10.0;
        height = 10.0;
        // What the host said when it saved the picture explains more than
        // what reading it back finds.
        if (pictureFailure_.empty())
            pictureFailure_ = platform::path::fromNative(why);
        return platform::E_FAIL;
    }
    width = static_cast<double>(size->width);
    height = static_cast<double>(size->height);
    return platform::S_OK;
}

CDocumentPublisher::Thumbnail CDocumentPublisher::MakeThumbnail(int sheetIndex)
{
    Thumbnail thumbnail;
    try
    {
        const std::u16string name =
            sheetIndex < 0 ? GetThumbnailFileName() : GetSheetThumbnailFileName(sheetIndex);
        // A picture the host failed to save may be cut short behind a header
        // that reads well: it is not used.
        if (!SaveDocumentPicture(name) ||
            GetImageSize(name, thumbnail.width, thumbnail.height) != platform::S_OK)
            return thumbnail;
        // Opened once more for the package; should the name lead to another
        // file by now, that is refused like a picture that cannot be read.
        thumbnail.stream = OpenForReading(name);
    }
    catch (const DWFCore::DWFException& e)
    {
        // No file could be made for it, or the one made is not there to read.
        pictureFailure_ = e.message();
        thumbnail.stream.reset();
    }
    if (!thumbnail.stream && pictureFailure_.empty())
        pictureFailure_ = u"the picture could not be read back";
    return thumbnail;
}

bool CDocumentPublisher::RemoveTemporaryFiles() noexcept
{
    bool all = true;
    for (const auto& name : temporaryFiles_)
    {
        try
        {
            if (!platform::removeTemporaryFile(name))
            {
                const int error = errno;
                all = false;
                publish_log::LeftBehind(u"thumbnail", name, error);
            }
        }
        catch (...)
        {
            all = false;
        }
    }
    temporaryFiles_.clear();
    return all;
}
