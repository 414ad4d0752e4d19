#include "addin/dialogs/PreviewFileDlg.h"

#include "addin/DWFPublisherImp.h"
#include "addin/ModulePaths.h"
#include "addin/Resources.h"
#include "addin/dialogs/DlgPublishOption.h"
#include "addin/dialogs/DrawingOption.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

CPreviewFileDlg::CPreviewFileDlg(bool openFileDialog, std::u16string defaultExtension,
                                 std::u16string initialFileName, unsigned flags,
                                 std::u16string filter, CWindow*)
    : CHeadlessDialog(res::IDD_PREVIEW_FILE), m_openFileDialog(openFileDialog),
      m_defaultExtension(std::move(defaultExtension)),
      m_initialFileName(std::move(initialFileName)),
      m_flags(flags | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLETEMPLATE),
      m_filter(std::move(filter))
{
}

int CPreviewFileDlg::DoModal()
{
    OnInitDialog();
    std::u16string refused;
    bool refusedOnce = false;
    for (;;)
    {
        const platform::DialogAnswer answer = platform::ui().runDialog(TemplateId());
        if (ApplyAnswer(answer) != platform::IDOK)
            return platform::IDCANCEL;
        // The name field starts with the initial name.
        const std::u16string path = answer.fileName.empty() ? m_initialFileName : answer.fileName;
        // The same name once more would only be refused (and said so) again.
        if (refusedOnce && path == refused)
            return platform::IDCANCEL;
        if (OnFileNameOK(path))
        {
            m_pathName = path;
            return platform::IDOK;
        }
        refused = path;
        refusedOnce = true;
    }
}

bool CPreviewFileDlg::OnFileNameOK(const std::u16string& name)
{
    // The command writes the package under the name with its extension
    // forced: that is the file the checks are about.
    const std::u16string path = CDWFPublisherImp::WithPackageExtension(name);
    int unseen = 0;
    if (platform::path::isReadOnlyFile(path, &unseen))
    {
        // Read-only is the file's own attribute: none of its write
        // permissions is set, whoever asks. A name that cannot be looked at
        // (a folder that may not be searched, a name too long) may hide
        // such a file, and is refused under its own headline. The box names
        // the file and says why in its cause.
        platform::Ui& ui = platform::ui();
        const int headline = unseen == 0 ? res::IDS_READ_ONLY_TARGET : res::IDS_UNSEEN_TARGET;
        const std::u16string cause =
            unseen == 0
                ? u"' has no write permission for its owner, its group or anyone else"
                : u"' could not be looked at to learn whether it is read-only: " +
                      platform::utf8ToUtf16(platform::systemReason(unseen));
        ui.messageBox(ui.string(headline).value_or(std::u16string()), m_title,
                      platform::MB_ICONEXCLAMATION, true, u"'" + path + cause);
        return false;
    }
    m_options.replaceTarget = false;
    // A link that leads nowhere holds the name too: the package would replace it.
    if ((m_flags & OFN_OVERWRITEPROMPT) != 0 && platform::path::nameTaken(path))
    {
        m_options.replaceTarget =
            platform::ui().runDialog(res::IDD_REPLACE_PROMPT).result == platform::IDOK;
        return m_options.replaceTarget;
    }
    return true;
}

void CPreviewFileDlg::OnInitDialog()
{
    SetButtonIcon(res::IDC_HELP_BUTTON, res::IDI_HELP);
}

void CPreviewFileDlg::OnCommand(int id)
{
    if (id == res::IDC_OPTIONS)
        OnOptions();
    else if (id == res::IDC_HELP_BUTTON)
        platform::ui().showHelp(HelpFilePath(), HH_HELP_CONTEXT, kPublishHelpContext);
}

void CPreviewFileDlg::OnOptions()
{
    if (m_drawingFlag == 0)
    {
        CDlgPublishOption options(m_options);
        if (options.DoModal() == platform::IDOK)
            options.CopyTo(m_options);
    }
    else if (m_drawingFlag == 1)
    {
        CDrawingOption options(m_options);
        if (options.DoModal() == platform::IDOK)
            m_options.drawingMode = options.m_drawingMode;
    }
}
