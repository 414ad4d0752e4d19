#include "addin/dialogs/DlgPublishOption.h"

#include "addin/ModulePaths.h"
#include "addin/Resources.h"

CDlgPublishOption::CDlgPublishOption(PublishOptions options)
    : CHeadlessDialog(res::IDD_PUBLISH_OPTION), m_resolution(options.resolution),
      m_option1006(options.option1006), m_option1007(options.option1007),
      m_openAfterPublish(options.openAfterPublish)
{
}

void CDlgPublishOption::CopyTo(PublishOptions& options) const
{
    options.password = m_password;
    options.resolution = m_resolution;
    options.option1006 = m_option1006;
    options.option1007 = m_option1007;
    options.usePassword = m_usePassword;
    options.openAfterPublish = m_openAfterPublish;
}

void CDlgPublishOption::DoDataExchange(bool save)
{
    if (save)
    {
        m_password = TextValue(res::IDC_PASSWORD);
        m_resolution = CheckValue(res::IDC_RESOLUTION);
        m_option1006 = CheckValue(res::IDC_OPTION_1006);
        m_option1007 = CheckValue(res::IDC_OPTION_1007);
        m_usePassword = CheckValue(res::IDC_USE_PASSWORD);
        m_openAfterPublish = CheckValue(res::IDC_OPEN_AFTER_PUBLISH);
        return;
    }
    SetText(res::IDC_PASSWORD, m_password);
    SetCheck(res::IDC_RESOLUTION, m_resolution);
    SetCheck(res::IDC_OPTION_1006, m_option1006);
    SetCheck(res::IDC_OPTION_1007, m_option1007);
    SetCheck(res::IDC_USE_PASSWORD, m_usePassword);
    SetCheck(res::IDC_OPEN_AFTER_PUBLISH, m_openAfterPublish);
}

void CDlgPublishOption::OnInitDialog()
{
    EnableControl(res::IDC_PASSWORD, false);
    SetButtonIcon(res::IDC_HELP_BUTTON, res::IDI_HELP);
}

void CDlgPublishOption::OnControlChanged(int id)
{
    if (id != res::IDC_USE_PASSWORD)
        return;
    DoDataExchange(true);
    EnableControl(res::IDC_PASSWORD, m_usePassword != 0);
}

void CDlgPublishOption::OnCommand(int id)
{
    if (id == res::IDC_HELP_BUTTON)
        platform::ui().showHelp(HelpFilePath(), HH_HELP_CONTEXT, kPublishHelpContext);
}

void CDlgPublishOption::OnOK()
{
    DoDataExchange(true);
    DoDataExchange(false);
}
