#pragma once

#include "dwf/w2dtk/compressor.h"

#include <zlib.h>

#include <array>
#include <cstdint>

// Deflate with the preset dictionary, for target versions 0.39 and newer.
class WT_Zlib_Compressor : public WT_Compressor
{
public:
    static constexpr std::size_t Output_Block = 8192;

    explicit WT_Zlib_Compressor(WT_File& file) : m_file(file) {}
    ~WT_Zlib_Compressor() override;
    WT_Zlib_Compressor(const WT_Zlib_Compressor&) = delete;
    WT_Zlib_Compressor& operator=(const WT_Zlib_Compressor&) = delete;

    WT_Result start() override;
    bool is_compressing() const override { return m_compressing; }
    WT_Result stop() override;
    WT_Result compress(std::size_t count, const void* bytes) override;

private:
    WT_Result write_output(bool only_when_full);

    WT_File& m_file;
    bool m_compressing = false;
    bool m_initialized = false;
    z_stream m_stream{};
    std::array<std::uint8_t, Output_Block> m_output{};
};

// Inflates a section written by WT_Zlib_Compressor.
class WT_Zlib_Decompressor : public WT_Decompressor
{
public:
    static constexpr std::size_t Input_Block = 512;

    explicit WT_Zlib_Decompressor(WT_File& file) : m_file(file) {}
    ~WT_Zlib_Decompressor() override;
    WT_Zlib_Decompressor(const WT_Zlib_Decompressor&) = delete;
    WT_Zlib_Decompressor& operator=(const WT_Zlib_Decompressor&) = delete;

    WT_Result start() override;
    WT_Result decompress(std::size_t wanted, std::size_t& delivered, void* buffer) override;

private:
    WT_Result fail(WT_Result result);

    WT_File& m_file;
    bool m_initialized = false;
    bool m_ended = false;
    WT_Result m_failure = WT_Result_Success; // once corrupt, always corrupt
    z_stream m_stream{};
    std::array<std::uint8_t, Input_Block> m_input{};
};
