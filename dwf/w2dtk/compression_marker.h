#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// The frame "{", a zero size and the coder's number, that announces
// compressed data: 16 for the LZ coder (target versions below 0.39), 17 for
// zlib. Written past the compressor, since the data behind it is compressed.
class WT_Compression_Marker : public WT_Object
{
public:
    WT_Compression_Marker() = default;
    explicit WT_Compression_Marker(std::uint16_t number) : m_number(number) {}

    std::uint16_t number() const { return m_number; }
    // The number a file of this target version writes.
    static std::uint16_t number_for_version(int target_version)
    {
        return target_version < 39 ? 16 : 17;
    }

    WT_Type object_type() const override { return Compression; }
    WT_ID object_id() const override { return Compression_Marker_ID; }
    int action_slot() const override { return 10; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Writes the number of the file's target version.
    WT_Result serialize(WT_File& file) override;
    // Records the marker so that the file reads on through the decompressor.
    WT_Result default_process(WT_File& file) override;

private:
    std::uint16_t m_number = 0;
};
