#pragma once
// The compiled-in string table: one block per codec (its ids start at the
// codec's base: 101 BMP, 1100 CALS, 3100 FLIC, 5100 GIF, 6100 IG4, 7100 JFIF,
// 8100 PCX, 10100 PICT, 11100 PNG, 12100 RLC, 13100 Targa, 14100 TIFF) and
// one for the side-car correlations (15100). Each block lives beside its
// codec (bmp/BmpStrings.cpp ...) with its ids named in the matching header;
// a codec that needs a new text adds it to its own block.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Omvi
{

struct CodecStringEntry
{
    std::int32_t id;
    const char* text;
};

struct CodecStringBlock
{
    const char* owner;  // the codec (or family) the texts belong to
    const CodecStringEntry* entries;
    std::size_t count;
};

CodecStringBlock bmpStringBlock();
CodecStringBlock calsStringBlock();
CodecStringBlock flicStringBlock();
CodecStringBlock gifStringBlock();
CodecStringBlock ig4StringBlock();
CodecStringBlock jfifStringBlock();
CodecStringBlock pcxStringBlock();
CodecStringBlock pictStringBlock();
CodecStringBlock pngStringBlock();
CodecStringBlock rlcStringBlock();
CodecStringBlock targaStringBlock();
CodecStringBlock tiffStringBlock();
CodecStringBlock correlationStringBlock();

// Every block, in the order of their first ids.
std::vector<CodecStringBlock> codecStringBlocks();

} // namespace Omvi
