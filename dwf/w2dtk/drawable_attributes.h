#pragma once

#include <cstdint>

class WT_File;

// How the drawables of the sheet geometry consult the fill and the line
// weight of the two renditions.

// Records that the drawable relies on the fill, and when the fill as last
// written differs from on, sets the desired fill to on and adds the fill bit
// to mask, so that the drawable's sync writes it.
void wt_require_fill(WT_File& file, bool on, std::uint32_t& mask);

// The fill as read so far; marks it as used (the dispatcher chooses polygons
// and filled ellipses by it).
bool wt_current_fill(WT_File& file);

// Half the line weight as last written, rounded towards zero, when the file
// has used a line weight of 1 or more; else 0.
std::int32_t wt_bounds_half_weight(WT_File& file);
