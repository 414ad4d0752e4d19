#include "dwf/w2dtk/unknown.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Unknown::WT_Unknown(const void* bytes, std::size_t count)
    : m_bytes(static_cast<const std::uint8_t*>(bytes),
              static_cast<const std::uint8_t*>(bytes) + count)
{
}

WT_Result WT_Unknown::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(skip_operand(opcode, file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Unknown::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    // The bytes are recorded while they are passed over, so no seeking back is
    // needed and decompressed or piped input works as well as a file.
    if (m_stage == 0)
    {
        switch (opcode.type())
        {
        case WT_Opcode::Extended_ASCII:
            break;
        case WT_Opcode::Extended_Binary:
            if (opcode.binary_size() < 2)
                return WT_Result_Inconsistent_Operand;
            break;
        default:
            return WT_Result_Foreign_Opcode;
        }
        m_bytes.assign(opcode.token(), opcode.token() + opcode.size());
        m_stage = 1;
    }
    WT_Result result = opcode.skip_operand(file, &m_bytes);
    if (result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input)
        return result;
    m_stage = 0;
    return result;
}

WT_Result WT_Unknown::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    // Kept bytes go out exactly as read: outside any compressed section.
    WT_File::WT_File_Heuristics& choices = file.heuristics();
    bool const compress = choices.m_allow_data_compression;
    choices.m_allow_data_compression = false;
    WT_Result result = file.write(m_bytes.size(), m_bytes.data());
    choices.m_allow_data_compression = compress;
    return result;
}
