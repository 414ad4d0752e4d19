#pragma once

#include "dwf/w2dtk/opcode.h"

#include <cstdint>

// Polymarkers and polytriangles carry their points in the forms of the point
// sets of polylines, under opcodes of their own. This maps their three opcode
// bytes (ASCII, 32-bit, 16-bit) onto "P", "p" and 0x10, which the point-set
// readers understand. False for any other opcode.
inline bool wt_as_point_set_opcode(const WT_Opcode& opcode, std::uint8_t ascii,
                                   std::uint8_t binary_32, std::uint8_t binary_16,
                                   WT_Opcode& mapped)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return false;
    std::uint8_t const byte = opcode.first_byte();
    std::uint8_t const as = byte == ascii       ? std::uint8_t('P')
                            : byte == binary_32 ? std::uint8_t('p')
                            : byte == binary_16 ? std::uint8_t(0x10)
                                                : std::uint8_t(0);
    if (as == 0)
        return false;
    mapped.set_token(WT_Opcode::Single_Byte, &as, 1, opcode.level());
    return true;
}
