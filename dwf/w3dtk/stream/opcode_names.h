#pragma once

#include <string>

// The name of an opcode byte as the debug log and the error messages print it.
const char* TK_Opcode_Name(int opcode);

// "0x%02X (%c)    %s" for printable opcodes (0x20 to 0x7E), else
// "0x%02X        %s": the opcode as messages name it.
std::string TK_Opcode_Text(int opcode);
