#pragma once

#include "dwf/w2dtk/file.h"

// The default stream procedures of a file: the C library's stdio streams on
// the file name. Binary mode always; Linux knows no other.
WT_Result wt_stdio_open(WT_File& file);
WT_Result wt_stdio_close(WT_File& file);
WT_Result wt_stdio_read(WT_File& file, std::size_t wanted, std::size_t& delivered, void* buffer);
WT_Result wt_stdio_write(WT_File& file, std::size_t count, const void* bytes);
WT_Result wt_stdio_seek(WT_File& file, long distance, long& moved);
WT_Result wt_stdio_end_seek(WT_File& file);
WT_Result wt_stdio_tell(WT_File& file, unsigned long& position);
