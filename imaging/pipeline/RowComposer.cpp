#include "imaging/pipeline/RowComposer.h"

namespace Omvi
{

RowComposer::~RowComposer() = default;

} // namespace Omvi
