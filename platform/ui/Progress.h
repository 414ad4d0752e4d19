#pragma once
// A headless progress bar with its percent label: range, position, step and
// the stop flag that a Cancel press sets. Pumping messages, repainting and
// disabling the owner window have nothing to act on here.
#include <functional>
#include <string>

namespace platform
{

class ProgressReporter
{
public:
    // Bounds are kept within 16 bits, as the progress control keeps them.
    void setRange(int lower, int upper);
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    // Sets the position and the percent label; returns the previous position.
    int setPos(int position);
    int position() const { return position_; }
    void setStep(int step) { step_ = step; }
    int step() const { return step_; }

    // (position - lower) * 100 / (upper - lower), integer division; any
    // result other than exactly 100 is taken modulo 100. An empty range
    // reads 0.
    static int percentFor(int position, int lower, int upper);
    // The label as the dialog shows it, for example "45%".
    const std::u16string& label() const { return label_; }
    // How often the label text actually changed.
    int labelUpdates() const { return labelUpdates_; }

    void setCaption(std::u16string caption) { caption_ = std::move(caption); }
    const std::u16string& caption() const { return caption_; }

    // Cancel: publishing goes on, only the stop flag is set.
    void requestStop() { stopped_ = true; }
    bool stopped() const { return stopped_; }

    // Called after every position change, for a command line that wants to
    // show progress.
    void setObserver(std::function<void(const ProgressReporter&)> observer)
    {
        observer_ = std::move(observer);
    }

private:
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    int step_ = 10;
    bool stopped_ = false;
    int labelUpdates_ = 0;
    std::u16string label_;
    std::u16string caption_;
    std::function<void(const ProgressReporter&)> observer_;
};

} // namespace platform
