#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>
#include <vector>

// A font carried in the stream: a request word, two codes, two names (raw
// bytes with their lengths) and the font data.
class WT_Embedded_Font : public WT_Object
{
public:
    using Bytes = std::vector<std::uint8_t>;

    WT_Embedded_Font() = default;
    WT_Embedded_Font(std::uint32_t request, std::uint8_t first_code, std::uint8_t second_code,
                     Bytes first_name, Bytes second_name, Bytes data)
        : m_request(request), m_first_code(first_code), m_second_code(second_code),
          m_first_name(std::move(first_name)), m_second_name(std::move(second_name)),
          m_data(std::move(data))
    {
    }

    std::uint32_t request() const { return m_request; }
    std::uint8_t first_code() const { return m_first_code; }
    std::uint8_t second_code() const { return m_second_code; }
    const Bytes& first_name() const { return m_first_name; }
    const Bytes& second_name() const { return m_second_name; }
    const Bytes& data() const { return m_data; }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Embedded_Font_ID; }
    int action_slot() const override { return 21; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

    // Frame bytes besides the names and the data.
    static constexpr std::uint64_t Binary_Overhead = 21;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);
    // A length read from the stream: within what the frame has left (binary)
    // or what one operand may hold.
    WT_Result take_length(const WT_Opcode& opcode, std::int64_t length, std::uint32_t& out);

    std::uint32_t m_request = 1;
    std::uint8_t m_first_code = 0;
    std::uint8_t m_second_code = 0;
    Bytes m_first_name;
    Bytes m_second_name;
    Bytes m_data;

    int m_stage = 0;
    std::uint32_t m_length = 0;
    std::uint64_t m_frame_left = 0;
};
