#include "imaging/session/OMVISettingsInterface.h"

namespace Omvi
{

OMVISettingsInterface::~OMVISettingsInterface() = default;

} // namespace Omvi
