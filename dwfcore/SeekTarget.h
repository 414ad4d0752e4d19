#ifndef DWFCORE_SEEKTARGET_H
#define DWFCORE_SEEKTARGET_H

namespace DWFCore
{

// Where a seek on a stream of `size` bytes, now at `position`, lands: the
// offset counts from `origin` (SEEK_SET, SEEK_CUR or SEEK_END) and the result
// is held inside [0, size]. An unknown origin throws, naming `function`.
long clampedSeekTarget(int origin, long offset, long position, long size, const char* function);

} // namespace DWFCore

#endif
