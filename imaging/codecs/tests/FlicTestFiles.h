#pragma once
// FLI and FLC animations built byte by byte for the FLIC reader's tests:
// the 128-byte header, frame chunks with their sub-chunks, colour chunks,
// byte runs of an index image, and the reading of a frame through the
// codec.
#include "imaging/codecs/flic/FlicFormatCodec.h"
#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace OmviTest
{

inline Bytes flicChunk(std::uint16_t type, const Bytes& data)
{
    Bytes chunk;
    put32le(chunk, 0, static_cast<std::uint32_t>(data.size() + 6));
    put16le(chunk, 4, type);
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

// A frame chunk; `announced` sub-chunks (the real count when negative).
inline Bytes flicFrame(const std::vector<Bytes>& chunks, int announced = -1)
{
    Bytes body;
    for (const Bytes& chunk : chunks)
        body.insert(body.end(), chunk.begin(), chunk.end());
    Bytes frame;
    put32le(frame, 0, static_cast<std::uint32_t>(body.size() + 16));
    put16le(frame, 4, 0xF1FA);
    put16le(
        frame, 6,
        static_cast<std::uint32_t>(announced < 0 ? static_cast<int>(chunks.size()) : announced));
    frame.resize(16, 0);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

// The header (with the frame count of `frames` unless one is given) and
// everything after it.
inline Bytes flicAnimation(int width, int height, const std::vector<Bytes>& parts,
                           int frameCount = -1, std::uint16_t magic = 0xAF12)
{
    Bytes bytes(128, 0);
    int frames = 0;
    for (const Bytes& part : parts)
    {
        if (part.size() >= 6 && part[4] == 0xFA && part[5] == 0xF1)
            ++frames;
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    put32le(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    put16le(bytes, 4, magic);
    put16le(bytes, 6, static_cast<std::uint32_t>(frameCount < 0 ? frames : frameCount));
    put16le(bytes, 8, static_cast<std::uint32_t>(width));
    put16le(bytes, 10, static_cast<std::uint32_t>(height));
    put16le(bytes, 12, 8);  // depth
    put16le(bytes, 14, 3);  // flags
    put32le(bytes, 16, 70); // speed
    if (magic == 0xAF12)
        put32le(bytes, 80, 128);
    return bytes;
}

struct FlicColourPacket
{
    int skip = 0;
    Bytes rgb;          // three bytes an entry
    int countByte = -1; // the entry count unless given (0 means 256)
};

// A 256-level (type 4) or 64-level (type 11) colour chunk.
inline Bytes flicColours(const std::vector<FlicColourPacket>& packets, std::uint16_t type = 4)
{
    Bytes data;
    put16le(data, 0, static_cast<std::uint32_t>(packets.size()));
    for (const FlicColourPacket& packet : packets)
    {
        data.push_back(static_cast<std::uint8_t>(packet.skip));
        data.push_back(static_cast<std::uint8_t>(packet.countByte >= 0 ? packet.countByte
                                                                       : packet.rgb.size() / 3));
        data.insert(data.end(), packet.rgb.begin(), packet.rgb.end());
    }
    return flicChunk(type, data);
}

inline Bytes flicPalette(unsigned seed)
{
    Bytes rgb;
    for (unsigned i = 0; i < 256; ++i)
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(i * 7 + seed),
                               static_cast<std::uint8_t>(i * 13 + 3 * seed),
                               static_cast<std::uint8_t>(255 - i + seed)});
    return rgb;
}

// A byte-run chunk of a one-channel image: repeats of 3 or more, literals
// between them.
inline Bytes flicByteRun(const TestImage& indices)
{
    Bytes data;
    for (int y = 0; y < indices.height; ++y)
    {
        const std::uint8_t* row = indices.row(y);
        Bytes packets;
        int count = 0;
        int x = 0;
        while (x < indices.width)
        {
            int run = 1;
            while (x + run < indices.width && run < 127 && row[x + run] == row[x])
                ++run;
            if (run >= 3)
            {
                packets.push_back(static_cast<std::uint8_t>(run));
                packets.push_back(row[x]);
                x += run;
            }
            else
            {
                int literal = 1;
                while (x + literal < indices.width && literal < 128 &&
                       !(x + literal + 2 < indices.width &&
                         row[x + literal] == row[x + literal + 1] &&
                         row[x + literal] == row[x + literal + 2]))
                    ++literal;
                packets.push_back(static_cast<std::uint8_t>(-literal));
                packets.insert(packets.end(), row + x, row + x + literal);
                x += literal;
            }
            ++count;
        }
        data.push_back(static_cast<std::uint8_t>(count));
        data.insert(data.end(), packets.begin(), packets.end());
    }
    return flicChunk(15, data);
}

// An index image with flat patches (runs) and varied pixels (literals).
inline TestImage flicIndices(int width, int height, unsigned seed)
{
    TestImage image = noiseImage(width, height, 1, seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x / 5 + y / 3) % 3 == 0)
                image.row(y)[x] = static_cast<std::uint8_t>(seed);
    return image;
}

struct OpenedFlic
{
    std::unique_ptr<MemoryFile> file;
    std::unique_ptr<Omvi::ReadImageFileInterface> reader;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame;
};

inline OpenedFlic openFlic(const Bytes& bytes)
{
    static Omvi::FlicFormatCodec codec;
    OpenedFlic opened;
    opened.file = std::make_unique<MemoryFile>(bytes);
    opened.reader.reset(codec.openForRead(opened.file->specifier()));
    if (opened.reader)
        opened.frame.reset(opened.reader->openFrame(0));
    return opened;
}

} // namespace OmviTest
