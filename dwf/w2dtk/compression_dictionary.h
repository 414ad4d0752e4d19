#pragma once

#include <cstddef>
#include <cstdint>

// The fixed block of W2D sample content that primes every stream coder, so that
// even the first opcodes of a compressed section find matches. Writer and
// reader must use these exact bytes: changing one makes every compressed
// stream written before unreadable.
struct WT_Compression_Dictionary
{
    static constexpr std::size_t Size = 13523;
    // The deflate coders take only this leading part.
    static constexpr std::size_t Zlib_Size = 11476;
    // The six opcode names at the start, which the LZ writer of streams older
    // than version 0.37 leaves out of its history.
    static constexpr std::size_t Opening_Names_Size = 65;
    // Where the two binary colour maps (default tables of version 0.38 and newer,
    // then of older versions) lie, 1,033 bytes each.
    static constexpr std::size_t Current_Map_Offset = 65;
    static constexpr std::size_t Older_Map_Offset = 1098;
    static constexpr std::size_t Binary_Map_Size = 1033;

    static const std::uint8_t* bytes();
};
