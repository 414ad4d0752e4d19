#pragma once
// Row sources for the scaling tests: rows whose bytes tell where they came
// from, and a source that can also pass over rows the way an image region's
// composer does (RowComposer::skipRow), recording what it was asked.
#include "RowSources.h"

#include "imaging/pipeline/RowComposer.h"

#include <cstdint>
#include <vector>

namespace OmviTest
{

// A memory source that is also a composer: each row is either delivered
// (pulled) or passed over (skipped), and the log says which.
class ComposerRows : public MemoryRows, public Omvi::RowComposer
{
public:
    using MemoryRows::MemoryRows;

    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (position_ < size().y)
            pulled.push_back(position_++);
        return MemoryRows::getNextRow(row);
    }
    void skipRow() override
    {
        // Moves the memory rows on without handing one out.
        Omvi::DataBuffer scratch(bytesPerRow());
        MemoryRows::getNextRow(scratch);
        skipped.push_back(position_++);
    }

    std::vector<std::int32_t> pulled;
    std::vector<std::int32_t> skipped;

private:
    std::int32_t position_ = 0;
};

// 1-bit rows of `width` pixels in which row r has only bit r % width set,
// so that a merged output row shows which input rows went into it.
inline std::vector<Row> oneBitPerRow(std::int32_t width, std::int32_t height)
{
    std::vector<Row> rows;
    for (std::int32_t r = 0; r < height; ++r)
    {
        Row row(static_cast<std::size_t>((width + 7) / 8), 0);
        const std::int32_t bit = r % width;
        row[static_cast<std::size_t>(bit / 8)] = static_cast<std::uint8_t>(0x80 >> (bit % 8));
        rows.push_back(row);
    }
    return rows;
}

// The columns whose bits are set in the first `width` pixels of a 1-bit row.
inline std::vector<std::int32_t> setBits(const Row& row, std::int32_t width)
{
    std::vector<std::int32_t> bits;
    for (std::int32_t x = 0; x < width; ++x)
        if (row[static_cast<std::size_t>(x / 8)] & (0x80 >> (x % 8)))
            bits.push_back(x);
    return bits;
}

} // namespace OmviTest
