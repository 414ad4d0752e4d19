// Opcodes of images, Gouraud shading, polymarkers, polytriangles, group 4 and
// PNG images, URLs and object nodes.
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_raster_opcodes(WT_Opcode_Registry&) {}
