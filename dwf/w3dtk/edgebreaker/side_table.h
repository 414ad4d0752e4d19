#pragma once

// The side table of an edge-breaker block: what the op bytes do not say.
//
// Serialised as 32-bit little-endian words, in this order: the flags; the
// counts of the lists present (A, B, D, E; E counts words, two per pair); the
// entries of A, B and C; D's entries each as the difference from the one before
// (the first from 0); E's pairs, the first member as the difference from the
// first member of the pair before, the second as it stands; the box (minimum
// x, y, z, maximum x, y, z, as floats); the point bit counts x, y, z; the
// normal bit counts x, y, z. A bit count triple is written only when one of its
// counts differs from 11, the default.
//
// D lists the positions of dummy vertices (added to close holes) in the coded
// order, ascending; E pairs the position of every vertex met a second time with
// the compacted position of its first occurrence. Lists A, B and C belong to
// forms this system never writes; a table that carries them is refused.

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/int_stack.h"

#include <cstdint>

namespace w3d::eb
{

class SideTable
{
public:
    enum : std::uint32_t
    {
        List_A = 0x01,
        List_B = 0x02,
        List_C = 0x04,
        List_D = 0x08,
        List_E = 0x10,
        Has_Box = 0x20,
        Has_Point_Bits = 0x40,
        Has_Normal_Bits = 0x80,
    };
    static constexpr int Default_Bits = 11;

    explicit SideTable(const EdgeAllocator& allocator) : dummies(allocator), repeats(allocator) {}

    // The flags that the table's contents call for.
    std::uint32_t flags() const;
    // Bytes of the serialised table.
    long long size() const;
    // Writes size() bytes.
    void write(std::uint8_t* out) const;
    // Reads a table of exactly `length` bytes. False for anything a writer of
    // this system does not produce: lists A, B or C, unknown flags, negative or
    // odd counts, positions that do not ascend, bit counts outside 1..32, or a
    // length that does not match.
    bool read(const std::uint8_t* bytes, int length);

    void clear();

    IntStack dummies; // D: positions, ascending
    IntStack repeats; // E: raw position, compacted position, ...
    bool has_box = false;
    float box[6] = {};
    int point_bits[3] = {Default_Bits, Default_Bits, Default_Bits};
    int normal_bits[3] = {Default_Bits, Default_Bits, Default_Bits};
};

} // namespace w3d::eb
