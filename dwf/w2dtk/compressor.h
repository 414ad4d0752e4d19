#pragma once

#include "dwf/w2dtk/result.h"

#include <cstddef>
#include <memory>

class WT_File;

// Compresses what the file writes after the header while compression is wanted.
class WT_Compressor
{
public:
    virtual ~WT_Compressor() = default;
    // Writes the compression marker and begins a compressed section.
    virtual WT_Result start() = 0;
    virtual bool is_compressing() const = 0;
    // Ends the section; everything compressed so far reaches the stream.
    virtual WT_Result stop() = 0;
    virtual WT_Result compress(std::size_t count, const void* bytes) = 0;
};

// Decodes a compressed section; it takes its input through WT_File::read_raw,
// returns WT_Result_Compressed_Data_End at the end of its section and hands
// unused input back with WT_File::push_back_raw.
class WT_Decompressor
{
public:
    virtual ~WT_Decompressor() = default;
    virtual WT_Result start() = 0;
    virtual WT_Result decompress(std::size_t wanted, std::size_t& delivered, void* buffer) = 0;
};

// The coders available to the file: the compressor for its target version and
// the decompressor for a recorded marker number. Null when none is built in.
std::unique_ptr<WT_Compressor> wt_make_compressor(WT_File& file);
std::unique_ptr<WT_Decompressor> wt_make_decompressor(WT_File& file, int marker_number);
