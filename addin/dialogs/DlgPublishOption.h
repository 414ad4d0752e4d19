#pragma once
// The options of a part or assembly package: password, resolution, the two
// content check boxes and opening the package afterwards. It starts with an
// empty password and use-password cleared whatever it is given, so
// confirming it again replaces an earlier password by the one now typed.
#include "addin/PublishOptions.h"
#include "addin/dialogs/Dialog.h"

class CDlgPublishOption : public CHeadlessDialog
{
public:
    explicit CDlgPublishOption(PublishOptions options);

    // A copy of the password field.
    std::u16string GetEditString() const { return m_password; }
    // What OK hands back to the held options: the password and the five
    // flags; `drawingMode` is not this dialog's and stays.
    void CopyTo(PublishOptions& options) const;

    std::u16string m_password;
    int m_resolution = 0;
    int m_option1006 = 0;
    int m_option1007 = 0;
    int m_usePassword = 0;
    int m_openAfterPublish = 0;

protected:
    void DoDataExchange(bool save) override;
    void OnInitDialog() override;
    void OnControlChanged(int id) override;
    void OnCommand(int id) override;
    void OnOK() override;
};
