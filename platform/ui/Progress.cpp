#include "platform/ui/Progress.h"

#include <algorithm>
#include <string>

namespace platform
{

namespace
{
int clamp16(int value)
{
    return std::clamp(value, -32768, 32767);
}
} // namespace

void ProgressReporter::setRange(int lower, int upper)
{
    lower_ = clamp16(lower);
    upper_ = clamp16(upper);
}

int ProgressReporter::percentFor(int position, int lower, int upper)
{
    if (upper == lower)
        return 0;
    const long long percent =
        (static_cast<long long>(position) - lower) * 100 / (static_cast<long long>(upper) - lower);
    if (percent == 100)
        return 100;
    return static_cast<int>(percent % 100);
}

int ProgressReporter::setPos(int position)
{
    const int previous = position_;
    position_ = position;
    const std::string text = std::to_string(percentFor(position, lower_, upper_)) + "%";
    const std::u16string label(text.begin(), text.end());
    if (label != label_)
    {
        label_ = label;
        ++labelUpdates_;
    }
    if (observer_)
        observer_(*this);
    return previous;
}

} // namespace platform
