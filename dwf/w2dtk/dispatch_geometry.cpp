// Opcodes of polylines, polygons, contour sets, ellipses, the origin, units,
// views, viewports, layers, visibility and projection.
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_geometry_opcodes(WT_Opcode_Registry&) {}
