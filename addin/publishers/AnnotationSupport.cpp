#include "addin/publishers/AnnotationSupport.h"

#include "dwf/w2dtk/file.h"
#include "host/RecordLayout.h"

#include <cmath>

namespace annot
{

bool CountAt(const std::vector<double>& data, std::size_t index, std::size_t& count)
{
    long long value = 0;
    if (!Fits(data, index, 1) || !host::layout::countFrom(data[index], kMaxElements, value))
        return false;
    count = static_cast<std::size_t>(value);
    return true;
}

w2dout::SheetPosition SheetPoint(const w2dout::SheetContext& sheet, double x, double y)
{
    return w2dout::SheetPosition(std::trunc(x * sheet.scale), std::trunc(y * sheet.scale));
}

void SetLinePattern(WT_File& file, std::int32_t pattern)
{
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.line_pattern().set(pattern);
    desired.mark_changed(WT_Attribute_Set::Line_Pattern_Bit);
}

} // namespace annot
