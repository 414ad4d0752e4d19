#include "dwfcore/SeekTarget.h"

#include "dwfcore/Exception.h"

#include <cstdio>

namespace DWFCore
{

long clampedSeekTarget(int origin, long offset, long position, long size, const char* function)
{
    // Bounding the offset first keeps the sums below from overflowing.
    if (offset > size)
    {
        offset = size;
    }
    if (offset < -size)
    {
        offset = -size;
    }
    long target = 0;
    switch (origin)
    {
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = position + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        DWFCORE_THROW(DWFInvalidArgumentException, u"Invalid seek origin", function);
    }
    if (target < 0)
    {
        target = 0;
    }
    if (target > size)
    {
        target = size;
    }
    return target;
}

} // namespace DWFCore
