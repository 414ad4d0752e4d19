#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowShearer.h"
#include "imaging/kernels/RowSplitter.h"
#include "imaging/kernels/RowStitcher.h"

namespace Omvi
{

RowStitcher::~RowStitcher() = default;
RowSplitter::~RowSplitter() = default;
void RowSplitter::setColumn(std::int32_t, std::int32_t) {}
PixelCopier::~PixelCopier() = default;
PixelColumnCopier::~PixelColumnCopier() = default;
RowShearer::~RowShearer() = default;

} // namespace Omvi
