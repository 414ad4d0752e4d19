#pragma once

#include <array>
#include <cstdint>

// Opcode kinds counted by the reader: single-byte opcodes under their byte
// value (0 to 255), extended opcodes under kinds 256 to 368.
class WT_Opcode_Statistics
{
public:
    static constexpr int Kind_Count = 369;

    // Records an opcode that starts at position: the bytes since the previous
    // opcode are added to the previous kind's total.
    void record(int kind, std::uint64_t position);
    // Adds the bytes up to position to the kind being read.
    void finish(std::uint64_t position);

    std::uint32_t count(int kind) const { return valid(kind) ? m_counts[std::size_t(kind)] : 0; }
    std::uint32_t bytes(int kind) const { return valid(kind) ? m_bytes[std::size_t(kind)] : 0; }
    int current_kind() const { return m_current_kind; }

    // The label of a kind ("EXAO_SET_COLOR"); empty where none is given.
    static const char* kind_name(int kind);

private:
    static bool valid(int kind) { return kind >= 0 && kind < Kind_Count; }

    std::uint64_t m_last_position = 0;
    int m_current_kind = -1;
    std::array<std::uint32_t, Kind_Count> m_counts = {};
    std::array<std::uint32_t, Kind_Count> m_bytes = {};
};
