#pragma once
// A modal dialog without a screen: its controls are values, and what the
// user does comes from the answer the headless user interface holds for the
// dialog's template (platform::Ui). The order of events is the one a user
// produces: the dialog initialises its controls from its fields, the user
// changes controls (each change is a click on that control), presses
// buttons, then closes with OK or Cancel. A disabled control takes no input.
#include "platform/ui/Ui.h"

#include <map>
#include <set>
#include <string>

class CHeadlessDialog
{
public:
    explicit CHeadlessDialog(int templateId) : templateId_(templateId) {}
    virtual ~CHeadlessDialog() = default;
    CHeadlessDialog(const CHeadlessDialog&) = delete;
    CHeadlessDialog& operator=(const CHeadlessDialog&) = delete;

    // Runs the dialog; answers IDOK or IDCANCEL.
    virtual int DoModal();

    int TemplateId() const { return templateId_; }

    // The controls as the user last saw them.
    int CheckValue(int id) const;
    std::u16string TextValue(int id) const;
    bool IsControlEnabled(int id) const { return disabled_.count(id) == 0; }
    // The icon resource shown on a button; 0 for none.
    int ButtonIcon(int id) const;

protected:
    // Moves the fields into the controls (save = false) or the controls
    // into the fields (save = true).
    virtual void DoDataExchange(bool save) = 0;
    // After the fields went into the controls.
    virtual void OnInitDialog() {}
    // The user changed the control (clicked it, typed into it).
    virtual void OnControlChanged(int /*id*/) {}
    // The user pressed a button other than OK and Cancel.
    virtual void OnCommand(int /*id*/) {}
    // OK: the controls go into the fields.
    virtual void OnOK();

    // Applies one answer of the user to the controls and buttons; answers the
    // dialog's result.
    int ApplyAnswer(const platform::DialogAnswer& answer);

    void SetCheck(int id, int value) { controls_[id] = value; }
    void SetText(int id, std::u16string text) { controls_[id] = std::move(text); }
    void EnableControl(int id, bool enable);
    void SetButtonIcon(int id, int iconId) { icons_[id] = iconId; }

private:
    int templateId_;
    std::map<int, platform::ControlValue> controls_;
    std::set<int> disabled_;
    std::map<int, int> icons_;
};
