#include "addin/dialogs/DrawingOption.h"

#include "addin/ModulePaths.h"
#include "addin/Resources.h"

CDrawingOption::CDrawingOption(const PublishOptions& options)
    : CHeadlessDialog(res::IDD_DRAWING_OPTION), m_drawingMode(options.drawingMode)
{
}

void CDrawingOption::DoDataExchange(bool save)
{
    if (save)
        m_drawingMode = CheckValue(res::IDC_SHEETS);
    else
        SetCheck(res::IDC_SHEETS, m_drawingMode);
}

void CDrawingOption::OnInitDialog()
{
    SetButtonIcon(res::IDC_HELP_BUTTON, res::IDI_HELP);
}

void CDrawingOption::OnCommand(int id)
{
    if (id == res::IDC_HELP_BUTTON)
        platform::ui().showHelp(HelpFilePath(), HH_DISPLAY_TOPIC, 0);
}

void CDrawingOption::OnOK()
{
    DoDataExchange(true);
    DoDataExchange(false);
}
