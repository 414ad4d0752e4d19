#pragma once
// The causes the message boxes shown so far gave, in order: why each
// drawable, file or record that was left out was left out.
#include "platform/ui/Ui.h"

#include <string>
#include <vector>

namespace addin_test
{

inline std::vector<std::u16string> Causes()
{
    std::vector<std::u16string> causes;
    for (const auto& box : platform::ui().messageBoxes())
        causes.push_back(box.cause);
    return causes;
}

} // namespace addin_test
