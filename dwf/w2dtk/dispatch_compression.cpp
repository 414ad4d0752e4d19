// The compression marker opcodes.
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_compression_opcodes(WT_Opcode_Registry&) {}
