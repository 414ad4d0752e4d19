#pragma once
// The modeless progress dialog of the publishers: a bar with its range and
// position, a percent label, and a Cancel button that only raises the stop
// flag (publishing goes on). While the dialog exists its owner window is
// disabled. Without a screen, whoever wants to show progress (the command
// line) listens to every dialog of the process.
#include "addin/dialogs/Window.h"
#include "platform/ui/Progress.h"

#include <string>

class CProgressDlg
{
public:
    // Told of every progress dialog's life: shown, moved, gone.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void OnProgressShown(const CProgressDlg&) {}
        // After every move of the bar (its label is up to date).
        virtual void OnProgressMoved(const CProgressDlg&) {}
        virtual void OnProgressClosed(const CProgressDlg&) {}
    };
    // One listener for the process (null for none); answers the previous one.
    static Listener* SetListener(Listener* listener);

    // Caption string id 0 means the default caption (string 202).
    explicit CProgressDlg(int captionId = 0);
    // Destroys the window when it still exists; never throws.
    ~CProgressDlg();
    CProgressDlg(const CProgressDlg&) = delete;
    CProgressDlg& operator=(const CProgressDlg&) = delete;

    // Shows the dialog, owned by the parent or else the main window, which
    // is disabled meanwhile. Answers whether the window exists.
    bool Create(CWindow* parent = nullptr);
    // Re-enables the owner when Create disabled it, then destroys the window.
    bool DestroyWindow();
    bool IsWindow() const { return exists_; }

    void SetWindowText(std::u16string text);
    const std::u16string& GetWindowText() const { return windowText_; }
    // What is being written ("model", "sheet 2 of 3"), shown beside the
    // caption; empty until a publisher says.
    void SetSubject(std::u16string subject) { subject_ = std::move(subject); }
    const std::u16string& GetSubject() const { return subject_; }

    void SetRange(int lower, int upper);
    int GetLower() const { return lower_; }
    int GetUpper() const { return upper_; }
    int GetStep() const { return step_; }
    // Pumps pending messages, moves the bar and updates the label; answers
    // the bar's previous position.
    int SetPos(int position);
    int GetPos() const { return bar_.position(); }
    // Moves the bar and updates the label at once, without pumping messages
    // (the publishers' steps).
    void Step(int position);

    // Writes the percent of `position` into the label when it differs.
    void UpdatePercent(int position);
    const std::u16string& PercentText() const { return percentText_; }
    // (position - lower) * 100 / (upper - lower), integer division; anything
    // but exactly 100 taken modulo 100. An empty range is complete: 100.
    static int PercentFor(int position, int lower, int upper);

    // Cancel or Escape: the dialog stays, the stop flag rises.
    void OnCancel() { stop_ = true; }
    bool IsStopped() const { return stop_; }

    CWindow* Owner() const { return owner_; }

private:
    void Notify(void (Listener::*event)(const CProgressDlg&)) const;

    int captionId_;
    platform::ProgressReporter bar_;
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 10;
    bool stop_ = false;
    CWindow* owner_ = nullptr;
    bool ownerDisabled_ = false;
    bool exists_ = false;
    std::u16string windowText_;
    std::u16string subject_;
    std::u16string percentText_;
};
