#pragma once
// The save dialog of the publish command: the system's file dialog with an
// Options button, which opens the part and assembly options or the drawing
// options, and a Help button. It holds the command's PublishOptions, which
// the option dialogs change only when they are confirmed.
//
// The headless user's answer for template 129 names the file and the
// buttons pressed before OK. A refused name keeps the dialog open and the
// user answers again; a user who offers the refused name once more gives up
// (the dialog is cancelled).
#include "addin/PublishOptions.h"
#include "addin/dialogs/Dialog.h"
#include "addin/dialogs/Window.h"

#include <string>

// File dialog flags.
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;
constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_ENABLETEMPLATE = 0x40;

class CPreviewFileDlg : public CHeadlessDialog
{
public:
    CPreviewFileDlg(bool openFileDialog, std::u16string defaultExtension,
                    std::u16string initialFileName, unsigned flags, std::u16string filter,
                    CWindow* parent = nullptr);

    int DoModal() override;

    // 1 for drawings: the Options button then opens the drawing options.
    void SetDrawingFlag(int flag) { m_drawingFlag = flag; }
    int GetDrawingFlag() const { return m_drawingFlag; }
    PublishOptions GetPublishOptions() const { return m_options; }
    // The chosen file after OK.
    std::u16string GetPathName() const { return m_pathName; }

    unsigned Flags() const { return m_flags; }
    const std::u16string& Title() const { return m_title; }
    const std::u16string& InitialFileName() const { return m_initialFileName; }
    const std::u16string& Filter() const { return m_filter; }
    bool IsOpenDialog() const { return m_openFileDialog; }

    // The check made when the user confirms a name, on the file the
    // package gets (the name with ".dwf" forced): an existing read-only file
    // is refused with message 211; an existing file (or a link, even one
    // that leads nowhere) is replaced only when the user agrees, which the
    // held options then record. True when the name is accepted.
    bool OnFileNameOK(const std::u16string& name);
    // The Options button.
    void OnOptions();

protected:
    void DoDataExchange(bool) override {}
    void OnInitDialog() override;
    void OnCommand(int id) override;

private:
    bool m_openFileDialog;
    std::u16string m_defaultExtension;
    std::u16string m_initialFileName;
    unsigned m_flags;
    std::u16string m_filter;
    std::u16string m_title = u"Publish DWF";
    PublishOptions m_options;
    int m_drawingFlag = 0;
    std::u16string m_pathName;
};
