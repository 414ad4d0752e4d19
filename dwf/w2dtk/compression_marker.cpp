#include "dwf/w2dtk/compression_marker.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Compression_Marker::materialize(const WT_Opcode& opcode, WT_File&)
{
    if (opcode.type() != WT_Opcode::Extended_Binary)
        return WT_Result_Foreign_Opcode;
    std::uint16_t const number = opcode.binary_number();
    if (number != LZ_Number && number != Zlib_Number && number != Old_LZ_Number)
        return WT_Result_Foreign_Opcode;
    // The operand is the compressed section itself, read through the file.
    m_number = number;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Compression_Marker::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(materialize(opcode, file));
    return file.record_compression_marker(m_number);
}

WT_Result WT_Compression_Marker::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if (m_number == 0)
        m_number = number_for_version(file.target_version());
    std::uint8_t const frame[7] = {
        '{', 0, 0, 0, 0, std::uint8_t(m_number & 0xFF), std::uint8_t(m_number >> 8)};
    return file.write_raw(sizeof frame, frame);
}

WT_Result WT_Compression_Marker::default_process(WT_File& file)
{
    return file.record_compression_marker(m_number);
}
