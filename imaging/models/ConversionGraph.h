#pragma once
// Which colour spaces a colour model converts to and from: a model that is
// not a colour model never takes part.
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"

#include <initializer_list>

namespace Omvi
{

inline bool isColorModelOf(const DataModel& model, std::initializer_list<std::int32_t> colorSpaces)
{
    if (ColorModelInterface::of(model) == nullptr)
        return false;
    for (std::int32_t space : colorSpaces)
        if (model.colorSpace() == space)
            return true;
    return false;
}

} // namespace Omvi
