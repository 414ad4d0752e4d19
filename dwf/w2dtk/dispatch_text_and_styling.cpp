// Opcodes of fonts and text, line and fill styling, metadata, drawing
// information, code page and plot information.
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_text_and_styling_opcodes(WT_Opcode_Registry&) {}
