#pragma once
// Helpers shared by the annotation, detail and table operations of the 2D
// graphics writer: bounds checks on host lists, walks of the host's
// first/next chains, and placing sheet coordinates.
#include "addin/publishers/W2DOutput.h"
#include "dwf/w2dtk/logical_point.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class WT_File;

namespace annot
{

// The longest first/next chain taken from the host; a longer one is taken
// as a loop in the host's data.
constexpr std::size_t kMaxChain = 1000000;
// The largest count of elements a host list may claim.
constexpr long long kMaxElements = 1000000;

// True when `needed` doubles exist from `start` on.
inline bool Fits(const std::vector<double>& data, std::size_t start, std::size_t needed)
{
    return start <= data.size() && needed <= data.size() - start;
}

// A count read from host data: whole, non-negative and at most the limit.
bool CountAt(const std::vector<double>& data, std::size_t index, std::size_t& count);

// Walks a host chain from `first` through `next`, calling `visit` on each
// element. Returns false when the chain is longer than kMaxChain; a W2D
// failure of `visit` ends the walk and is left in `result`.
template <class T, class Next, class Visit>
bool WalkChain(T* first, Next next, Visit visit, WT_Result& result)
{
    std::size_t steps = 0;
    for (T* item = first; item; item = next(item))
    {
        if (++steps > kMaxChain)
            return false;
        result = visit(item);
        if (result != WT_Result_Success)
            return true;
    }
    return true;
}

// A point already laid out on the sheet (display data, detail circles,
// break lines): trunc(x·S), trunc(y·S), not yet brought into the range of
// the sheet's coordinates.
w2dout::SheetPosition SheetPoint(const w2dout::SheetContext& sheet, double x, double y);

// Sets the line pattern and marks it changed.
void SetLinePattern(WT_File& file, std::int32_t pattern);

} // namespace annot
