#pragma once

// The face-region record's run coding: the region number of every face,
// stored one per face or as runs of consecutive faces.
//
// The compression byte holds the form in its low two bits and the entry width
// in bits 0x18:
//   form 0  one region number per face;
//   form 1  run lengths of the regions 0, 1, 2, ... in turn;
//   form 2  the first region number, then run lengths of consecutive regions;
//   form 3  (run length, region number) pairs;
//   width 0x08 signed 8-bit entries and an 8-bit run count, 0x10 signed 16-bit
//   entries and a 16-bit count, 0 int32 entries and count.
// Forms 1 to 3 give the run count before the entries.

#include <cstdint>
#include <vector>

namespace w3d::geometry
{

enum : unsigned char
{
    Region_Form_Mask = 0x03,
    Region_Width_Mask = 0x18,
    Region_Width_8 = 0x08,
    Region_Width_16 = 0x10,
};

// The record body after its sub-opcode: compression byte, run count (forms 1
// to 3) and entries, in the most compact form and width.
std::vector<std::uint8_t> encode_face_regions(const int* regions, int faces);

// Bytes per entry (and per run count) for a compression byte; 0 when the byte
// is not a known compression.
int region_entry_width(unsigned char compression);

// Entries that follow the run count for `runs` runs of a form (form 0: one per face).
long long region_entry_count(unsigned char compression, int runs, int faces);

// Expands entries into one region number per face. False when the runs do not
// cover exactly `faces` faces, a run length is negative or a region number
// overflows.
bool expand_face_regions(unsigned char compression, const std::vector<int>& entries, int runs,
                         int faces, std::vector<int>& regions);

} // namespace w3d::geometry
