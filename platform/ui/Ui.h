#pragma once
// A headless stand-in for the application framework's user interface:
// message boxes are recorded (and echoed to standard error), strings come
// from a table, and every modal dialog takes its answer from what the
// caller supplied beforehand.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform
{

constexpr int MB_OK = 0x00;
constexpr int MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

struct MessageBoxRecord
{
    std::u16string text;
    std::u16string caption;
    int style = 0;
    bool owned = false; // shown with an owner window
    // Why it was shown, when the caller knows: the failure behind the box
    // (what was being done, on which file, the system's reason). The box
    // itself shows only its text; whoever reads the record may say more.
    std::u16string cause;
};

// A control's state in a dialog answer: a check box or radio index, or text.
using ControlValue = std::variant<int, std::u16string>;

struct DialogAnswer
{
    int result = IDOK;
    std::u16string fileName; // for file dialogs: the chosen path
    std::map<int, ControlValue> controls;
    // Presses of buttons (by control id) the user makes before the result,
    // in order; each may open a dialog of its own.
    std::vector<int> pressed;
};

struct DialogRecord
{
    int templateId = 0;
    int result = 0;
};

struct HelpRecord
{
    std::u16string file;
    int command = 0;
    int context = 0;
};

class Ui
{
public:
    Ui();

    // Records the box with its cause, echoes both when echo is on, and
    // answers IDOK.
    int messageBox(const std::u16string& text, const std::u16string& caption, int style,
                   bool owned = false, const std::u16string& cause = std::u16string());
    const std::vector<MessageBoxRecord>& messageBoxes() const { return boxes_; }
    void setEcho(bool echo) { echo_ = echo; }

    // The satellite string table: our own default texts for the ids the
    // add-in uses; an id without text gives nothing.
    std::optional<std::u16string> string(int id) const;
    void setString(int id, std::u16string text);
    void removeString(int id);

    // Answers for modal dialogs by template id: queued answers are used
    // once each, in order; then the standing answer; without either the
    // dialog is cancelled.
    void queueAnswer(int templateId, DialogAnswer answer);
    void setStandingAnswer(int templateId, DialogAnswer answer);
    DialogAnswer runDialog(int templateId);
    const std::vector<DialogRecord>& dialogs() const { return dialogs_; }

    void showHelp(const std::u16string& file, int command, int context);
    const std::vector<HelpRecord>& helpRequests() const { return help_; }

    // Forgets boxes, dialogs, help requests and answers; the string table
    // goes back to its defaults.
    void reset();

private:
    bool echo_ = true;
    std::vector<MessageBoxRecord> boxes_;
    std::map<int, std::u16string> strings_;
    std::map<int, std::vector<DialogAnswer>> queued_;
    std::map<int, DialogAnswer> standing_;
    std::vector<DialogRecord> dialogs_;
    std::vector<HelpRecord> help_;
};

// The user interface of the process.
Ui& ui();

} // namespace platform
