#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// "{", a size of 0 and the coder's number: everything after it up to the "}"
// that ends the section is compressed. Number 17 announces deflate, 16 (and the
// old 291) the toolkit's LZ coder. Written past the compressor, since the data
// behind it is compressed.
class WT_Compression_Marker : public WT_Object
{
public:
    static constexpr std::uint16_t LZ_Number = 16;
    static constexpr std::uint16_t Zlib_Number = 17;
    static constexpr std::uint16_t Old_LZ_Number = 291;
    // Streams of this version and newer are written with deflate.
    static constexpr int Zlib_Version = 39;

    // Number 0 takes the coder of the file's target version when written.
    WT_Compression_Marker() = default;
    explicit WT_Compression_Marker(std::uint16_t number) : m_number(number) {}

    std::uint16_t number() const { return m_number; }
    // The number a file of this target version writes.
    static std::uint16_t number_for_version(int target_version)
    {
        return target_version < Zlib_Version ? LZ_Number : Zlib_Number;
    }

    WT_Type object_type() const override { return Compression; }
    WT_ID object_id() const override { return Compression_Marker_ID; }
    int action_slot() const override { return 10; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // The compressed bytes behind a marker cannot be passed over undecoded, so
    // skipping records the marker as processing it would.
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // Records the number in the file: the next read decompresses.
    WT_Result default_process(WT_File& file) override;

private:
    std::uint16_t m_number = 0;
};
