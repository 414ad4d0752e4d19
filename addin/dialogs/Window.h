#pragma once
// The little of a window the add-in's dialogs need: whether it takes input.
// A modeless dialog disables its owner while it exists; with no parent the
// owner is the application's main window.
class CWindow
{
public:
    bool IsWindowEnabled() const { return enabled_; }
    // Returns whether the window was disabled before, as the system does.
    bool EnableWindow(bool enable)
    {
        const bool wasDisabled = !enabled_;
        enabled_ = enable;
        return wasDisabled;
    }

private:
    bool enabled_ = true;
};

// The host application's main window.
CWindow& MainWindow();
