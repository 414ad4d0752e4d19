// Opcodes of blocks and block references, the directory, groups, named views,
// embedding, embedded and trusted fonts, pen patterns, user data, GUIDs and
// sign data.
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_block_opcodes(WT_Opcode_Registry&) {}
