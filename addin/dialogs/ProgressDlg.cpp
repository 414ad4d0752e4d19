#include "addin/dialogs/ProgressDlg.h"

#include "addin/Resources.h"
#include "platform/ui/Ui.h"

#include <algorithm>

namespace
{
CProgressDlg::Listener*& TheListener()
{
    static CProgressDlg::Listener* listener = nullptr;
    return listener;
}

// The bar keeps its bounds in 16 bits.
int Clamp16(int value)
{
    return std::clamp(value, -32768, 32767);
}
} // namespace

CProgressDlg::Listener* CProgressDlg::SetListener(Listener* listener)
{
    Listener* previous = TheListener();
    TheListener() = listener;
    return previous;
}

CProgressDlg::CProgressDlg(int captionId)
    : captionId_(captionId == 0 ? res::IDS_PROGRESS_CAPTION : captionId)
{
}

CProgressDlg::~CProgressDlg()
{
    if (exists_)
        DestroyWindow();
}

bool CProgressDlg::Create(CWindow* parent)
{
    if (exists_)
        return true;
    owner_ = parent ? parent : &MainWindow();
    if (owner_->IsWindowEnabled())
    {
        owner_->EnableWindow(false);
        ownerDisabled_ = true;
    }
    exists_ = true;
    // Initialisation: the bar's range, step and position, then the caption.
    bar_.setRange(lower_, upper_);
    bar_.setStep(step_);
    bar_.setPos(lower_);
    windowText_ = platform::ui().string(captionId_).value_or(std::u16string());
    Notify(&Listener::OnProgressShown);
    return exists_;
}

bool CProgressDlg::DestroyWindow()
{
    if (ownerDisabled_ && owner_)
        owner_->EnableWindow(true);
    ownerDisabled_ = false;
    if (!exists_)
        return false;
    exists_ = false;
    try
    {
        Notify(&Listener::OnProgressClosed);
    }
    catch (...)
    {
        // A listener's trouble does not keep the window alive.
    }
    return true;
}

void CProgressDlg::SetWindowText(std::u16string text)
{
    windowText_ = std::move(text);
}

void CProgressDlg::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    bar_.setRange(Clamp16(lower), Clamp16(upper));
}

int CProgressDlg::SetPos(int position)
{
    // Pumping messages has nothing to deliver without a screen.
    const int previous = bar_.setPos(position);
    UpdatePercent(position);
    return previous;
}

void CProgressDlg::Step(int position)
{
    bar_.setPos(position);
    UpdatePercent(position);
}

int CProgressDlg::PercentFor(int position, int lower, int upper)
{
    if (upper == lower)
        return 100;
    const long long percent =
        (static_cast<long long>(position) - lower) * 100 / (static_cast<long long>(upper) - lower);
    if (percent == 100)
        return 100;
    return static_cast<int>(percent % 100);
}

void CProgressDlg::UpdatePercent(int position)
{
    const std::string text = std::to_string(PercentFor(position, lower_, upper_)) + "%";
    const std::u16string label(text.begin(), text.end());
    if (label != percentText_)
        percentText_ = label;
    if (exists_)
        Notify(&Listener::OnProgressMoved);
}

void CProgressDlg::Notify(void (Listener::*event)(const CProgressDlg&)) const
{
    if (Listener* listener = TheListener())
        (listener->*event)(*this);
}
