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
    std::uint16_t number = m_number;
    if (number == 0)
        number = file.target_version() < Zlib_Version ? LZ_Number : Zlib_Number;
    WT_CHECK(file.write("{"));
    WT_CHECK(file.write_u32(0));
    return file.write_u16(number);
}

WT_Result WT_Compression_Marker::default_process(WT_File& file)
{
    return file.record_compression_marker(m_number);
}
