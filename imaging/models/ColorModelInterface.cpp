#include "imaging/models/ColorModelInterface.h"

#include "imaging/models/DataModel.h"

namespace Omvi
{

ColorModelInterface::~ColorModelInterface() = default;

const ColorModelInterface* ColorModelInterface::of(const DataModel& model)
{
    return dynamic_cast<const ColorModelInterface*>(&model);
}

} // namespace Omvi
