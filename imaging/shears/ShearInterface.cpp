#include "imaging/shears/ShearInterface.h"

namespace Omvi
{

ShearInterface::~ShearInterface() = default;

} // namespace Omvi
