#pragma once

#include "dwf/w2dtk/compressor.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The toolkit's own LZ coder, for streams older than version 0.39.
//
// A section is a series of tokens, each a control byte C followed by:
//   C & 15 literals (15: one more byte follows, count 15 + byte), the literal
//   bytes, then for C >> 4 not 0 a match of length (C >> 4) + 3 (15: one more
//   byte, length 18 + byte) and its 16-bit little-endian offset.
// C = 0 ends the section. From version 0.23 on the offset counts back from the
// newest byte of the history (0 is the newest) and both sides prime the history
// with the compression dictionary; before, it is a position in the 64 KiB
// history window, which starts empty.
struct WT_LZ_Format
{
    static constexpr std::size_t Window = 65536;
    static constexpr std::size_t Min_Match = 4;
    static constexpr std::size_t Max_Match = 273;
    static constexpr std::size_t Max_Literals = 270;
    // From this stream version on offsets count back and histories are primed.
    static constexpr int Relative_Offset_Version = 23;
    // Writers of older streams leave the dictionary's opening names out.
    static constexpr int Full_Priming_Version = 37;
};

class WT_LZ_Compressor : public WT_Compressor
{
public:
    explicit WT_LZ_Compressor(WT_File& file);

    WT_Result start() override;
    bool is_compressing() const override { return m_compressing; }
    WT_Result stop() override;
    WT_Result compress(std::size_t count, const void* bytes) override;

private:
    static constexpr std::size_t Buffer_Size = 3 * WT_LZ_Format::Window;
    static constexpr std::size_t Hash_Size = 65536;
    static constexpr int Max_Chain = 65;
    static constexpr std::size_t Output_Block = 8192;

    // Encodes queued input; without flushing it keeps enough bytes back for a
    // match to reach full length once more input arrives.
    WT_Result encode(bool flushing);
    void hash_up_to(std::size_t index);
    std::size_t find_match(std::size_t& match_index) const;
    WT_Result emit(std::size_t match_length, std::uint16_t offset);
    void put(std::uint8_t byte);
    WT_Result flush_output(bool only_when_full);
    void slide();

    WT_File& m_file;
    bool m_compressing = false;
    bool m_window_positions = false;
    // History followed by queued input; m_buffer[0] is absolute position m_base.
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_base = 0;
    std::size_t m_pos = 0;    // first queued byte
    std::size_t m_end = 0;    // end of the queued input
    std::size_t m_hashed = 0; // positions before this one are in the hash chains
    // Hash chains of absolute positions plus one; 0 ends a chain. Allocated
    // zeroed at start, which makes a fresh section cheap.
    std::unique_ptr<std::uint64_t[]> m_head;
    std::unique_ptr<std::uint64_t[]> m_previous;
    std::vector<std::uint8_t> m_literals;
    std::vector<std::uint8_t> m_output;
};

class WT_LZ_Decompressor : public WT_Decompressor
{
public:
    explicit WT_LZ_Decompressor(WT_File& file) : m_file(file) {}

    WT_Result start() override;
    WT_Result decompress(std::size_t wanted, std::size_t& delivered, void* buffer) override;

private:
    enum Stage
    {
        Control,
        Literal_Count,
        Literals,
        Match_Length,
        Offset_Low,
        Offset_High,
        Copy,
        Ended,
    };
    static constexpr std::size_t Input_Block = 512;

    // The next compressed byte; false when the input has none now.
    bool next_byte(std::uint8_t& byte, WT_Result& why);
    void append(std::uint8_t byte)
    {
        m_history[m_head] = byte;
        m_head = (m_head + 1) & (WT_LZ_Format::Window - 1);
        if (m_filled < WT_LZ_Format::Window)
            ++m_filled;
    }

    WT_File& m_file;
    bool m_window_positions = false;
    Stage m_stage = Control;
    WT_Result m_failure = WT_Result_Success;
    std::size_t m_literals_left = 0;
    int m_match_code = 0;
    std::size_t m_match_length = 0;
    std::size_t m_offset = 0;
    std::size_t m_source = 0;
    std::vector<std::uint8_t> m_history;
    std::size_t m_head = 0;
    std::size_t m_filled = 0;
    std::array<std::uint8_t, Input_Block> m_input{};
    std::size_t m_input_position = 0;
    std::size_t m_input_end = 0;
};
