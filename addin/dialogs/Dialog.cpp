#include "addin/dialogs/Dialog.h"

#include "addin/dialogs/Window.h"

CWindow& MainWindow()
{
    static CWindow window;
    return window;
}

int CHeadlessDialog::DoModal()
{
    DoDataExchange(false);
    OnInitDialog();
    return ApplyAnswer(platform::ui().runDialog(templateId_));
}

int CHeadlessDialog::ApplyAnswer(const platform::DialogAnswer& answer)
{
    for (const auto& [id, value] : answer.controls)
    {
        if (!IsControlEnabled(id))
            continue;
        controls_[id] = value;
        OnControlChanged(id);
    }
    for (const int id : answer.pressed)
    {
        if (IsControlEnabled(id))
            OnCommand(id);
    }
    if (answer.result == platform::IDOK)
    {
        OnOK();
        return platform::IDOK;
    }
    return platform::IDCANCEL;
}

void CHeadlessDialog::OnOK()
{
    DoDataExchange(true);
}

int CHeadlessDialog::CheckValue(int id) const
{
    const auto found = controls_.find(id);
    if (found == controls_.end())
        return 0;
    if (const int* value = std::get_if<int>(&found->second))
        return *value;
    return 0;
}

std::u16string CHeadlessDialog::TextValue(int id) const
{
    const auto found = controls_.find(id);
    if (found == controls_.end())
        return {};
    if (const auto* text = std::get_if<std::u16string>(&found->second))
        return *text;
    return {};
}

int CHeadlessDialog::ButtonIcon(int id) const
{
    const auto found = icons_.find(id);
    return found == icons_.end() ? 0 : found->second;
}

void CHeadlessDialog::EnableControl(int id, bool enable)
{
    if (enable)
        disabled_.erase(id);
    else
        disabled_.insert(id);
}
