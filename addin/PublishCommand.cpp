// The publish command: the two callbacks of the menu items and the toolbar
// button, and the routines they use.
#include "addin/DWFPublisherImp.h"
#include "addin/ErrorReport.h"
#include "addin/Resources.h"
#include "addin/dialogs/PreviewFileDlg.h"
#include "addin/publishers/DrawingDocumentPublisher.h"
#include "addin/publishers/DWF3DPublisher.h"
#include "host/Component.h"
#include "host/Document.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <cctype>

namespace
{
constexpr const char* kDWFPublish = "CDWFPublisherImp::DWFPublish";
// Component trees deeper than this are not walked further.
constexpr int kMaxComponentDepth = 256;

// Puts the document's image quality back however the command ends.
class ImageQualityRestorer
{
public:
    ImageQualityRestorer(host::Document* document, int quality)
        : document_(document), quality_(quality)
    {
    }
    ~ImageQualityRestorer() { Restore(); }
    ImageQualityRestorer(const ImageQualityRestorer&) = delete;
    ImageQualityRestorer& operator=(const ImageQualityRestorer&) = delete;

    void Restore() noexcept
    {
        if (!document_)
            return;
        host::Document* document = document_;
        document_ = nullptr;
        try
        {
            document->setImageQuality(quality_);
            document->refresh();
        }
        catch (...)
        {
            try
            {
                ReportPublishError(kDWFPublish);
            }
            catch (...)
            {
            }
        }
    }

private:
    host::Document* document_;
    int quality_;
};

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const auto lower = [](char16_t c)
        { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}
} // namespace

int CDWFPublisherImp::ImageQualityFor(int resolution)
{
    switch (resolution)
    {
    case 0:
        return 99;
    case 1:
        return 50;
    default:
        return 0;
    }
}

std::u16string CDWFPublisherImp::BaseNameFromTitle(const std::u16string& title)
{
    const std::u16string last = platform::path::lastComponent(title);
    const std::size_t dot = last.rfind(u'.');
    if (dot == std::u16string::npos)
        return {};
    return last.substr(0, dot);
}

std::u16string CDWFPublisherImp::WithPackageExtension(const std::u16string& path)
{
    const std::size_t dot = path.rfind(u'.');
    if (dot != std::u16string::npos &&
        EqualsIgnoringAsciiCase(std::u16string_view(path).substr(dot), u".dwf"))
        return path;
    return path + u".dwf";
}

platform::HRESULT CDWFPublisherImp::DWFPublishEnable(long* status)
{
    if (!status)
        return platform::E_POINTER;
    *status = 0;
    if (!application_)
        return platform::S_OK;
    try
    {
        *status = application_->activeDocument() ? 1 : 0;
        return platform::S_OK;
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::DWFPublishEnable");
        return platform::E_FAIL;
    }
}

platform::HRESULT CDWFPublisherImp::DWFPublish()
{
    if (!application_)
        return platform::S_OK;
    try
    {
        host::Document* document = application_->activeDocument();
        // The command is offered only with a document active; should the
        // host call it without one, there is nothing to publish.
        if (!document)
            return platform::S_OK;
        const int previousQuality = document->imageQuality();

        const std::u16string baseName = BaseNameFromTitle(document->title());
        platform::Ui& ui = platform::ui();
        if (baseName.empty())
        {
            ui.messageBox(ui.string(res::IDS_SAVE_DOCUMENT_FIRST).value_or(std::u16string()),
                          ui.string(res::IDS_MESSAGE_CAPTION).value_or(std::u16string()),
                          platform::MB_ICONEXCLAMATION, false);
            return platform::S_OK;
        }

        CPreviewFileDlg dialog(false, u"", baseName + u".dwf", OFN_HIDEREADONLY,
                               u"DWF File (*.dwf)|*.DWF|All Files (*.*)|*.*||", nullptr);
        const int type = document->type();
        dialog.SetDrawingFlag(type == host::kDrawingDocument ? 1 : 0);
        if (dialog.DoModal() != platform::IDOK)
            return platform::S_OK;

        const PublishOptions options = dialog.GetPublishOptions();
        // From here on the document's image quality comes back on every way
        // out, failures and exceptions included.
        ImageQualityRestorer restorer(document, previousQuality);
        SetTheResolution(options);
        const std::u16string target = WithPackageExtension(dialog.GetPathName());

        if (type == host::kPartDocument)
        {
            CPartDocumentPublisher publisher(document, target, &options);
            publisher.PublishDoc();
        }
        else if (type == host::kAssemblyDocument)
        {
            CAssemblyDocumentPublisher publisher(document, target, &options);
            publisher.PublishDoc();
        }
        else
        {
            CDrawingDocumentPublisher publisher(document, target, &options);
            publisher.AssignHostPointer(application_);
            publisher.PublishDoc();
        }
        restorer.Restore();

        if (type == host::kAssemblyDocument)
        {
            if (host::ComponentTree* tree = document->componentTree())
            {
                if (host::Component* root = tree->rootComponent())
                    GetSubAssemblyItem(root);
            }
        }
        return platform::S_OK;
    }
    catch (...)
    {
        ReportPublishError(kDWFPublish);
        return platform::E_FAIL;
    }
}

void CDWFPublisherImp::SetTheResolution(PublishOptions options)
{
    try
    {
        host::Document* document = application_->activeDocument();
        if (!document)
            return;
        document->setImageQuality(ImageQualityFor(options.resolution));
        document->refresh();
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::SetTheResolution");
    }
}

void CDWFPublisherImp::GetSubAssemblyItem(host::Component* component)
{
    WalkComponents(component, 0);
}

void CDWFPublisherImp::WalkComponents(host::Component* component, int depth)
{
    try
    {
        if (!component || depth > kMaxComponentDepth)
            return;
        if (component->childCount() <= 0)
            return;
        const std::vector<host::Component*> children = component->children();
        for (host::Component* child : children)
        {
            if (!child)
                continue;
            if (child->childCount() > 0)
            {
                WalkComponents(child, depth + 1);
                continue;
            }
            if (child->state() == 1)
            {
                int status = 0;
                child->setState(3, status);
                status = 0;
                child->setState(1, status);
                // A component that did not come back ends this level's walk.
                if (status != 2)
                    return;
            }
            child->stateSettled();
        }
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::GetSubAssemblyItem");
    }
}
