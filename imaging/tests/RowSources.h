#pragma once
// Row providers for the tests: rows served from memory in any model, with a
// flag that tells whether the provider was deleted; rows of random bytes.
#include "imaging/DataBuffer.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace OmviTest
{

using Row = std::vector<std::uint8_t>;

class MemoryRows : public Omvi::RowProviderInterface
{
public:
    // `rows` hold the unpadded bytes of each row; the provider pads them.
    MemoryRows(const Omvi::DataModel& model, std::int32_t width, std::vector<Row> rows)
        : model_(model.clone()), width_(width), rows_(std::move(rows)),
          height_(static_cast<std::int32_t>(rows_.size())),
          bytesPerRow_(static_cast<std::int32_t>(model.bytesPerRow(width)))
    {
    }
    // A provider that only claims a size (for tests that never pull rows);
    // its rows are `bytesPerRow` bytes long whatever the width says.
    MemoryRows(const Omvi::DataModel& model, std::int32_t width, std::int32_t height,
               std::int32_t bytesPerRow)
        : model_(model.clone()), width_(width), height_(height), bytesPerRow_(bytesPerRow)
    {
    }
    ~MemoryRows() override
    {
        if (deleted_)
            *deleted_ = true;
    }

    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        ++pulls;
        if (next_ >= height_)
            return 0;
        std::memset(row.data(), 0xA5, static_cast<std::size_t>(bytesPerRow_));
        if (next_ < static_cast<std::int32_t>(rows_.size()))
        {
            const Row& source = rows_[static_cast<std::size_t>(next_)];
            std::memcpy(row.data(), source.data(),
                        std::min(source.size(), static_cast<std::size_t>(bytesPerRow_)));
        }
        ++next_;
        return height_ - next_;
    }
    std::int32_t rowsRemaining() const override { return height_ - next_; }
    Omvi::PixelPair size() const override { return {width_, height_}; }
    const Omvi::DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return valid; }

    // Set to true when the provider is deleted.
    void watchDeletion(std::shared_ptr<bool> flag) { deleted_ = std::move(flag); }

    bool valid = true;
    int pulls = 0;

private:
    std::unique_ptr<Omvi::DataModel> model_;
    std::int32_t width_;
    std::vector<Row> rows_;
    std::int32_t height_;
    std::int32_t bytesPerRow_;
    std::int32_t next_ = 0;
    std::shared_ptr<bool> deleted_;
};

// Rows made on demand: `fill` (row index, row bytes) writes each row, so
// large images need no memory of their own.
class GeneratedRows : public Omvi::RowProviderInterface
{
public:
    using Fill = std::function<void(std::int32_t, std::uint8_t*)>;
    GeneratedRows(const Omvi::DataModel& model, std::int32_t width, std::int32_t height, Fill fill)
        : model_(model.clone()), width_(width), height_(height),
          bytesPerRow_(static_cast<std::int32_t>(model.bytesPerRow(width))), fill_(std::move(fill))
    {
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (next_ >= height_)
            return 0;
        std::memset(row.data(), 0xA5, static_cast<std::size_t>(bytesPerRow_));
        fill_(next_++, row.data());
        return height_ - next_;
    }
    std::int32_t rowsRemaining() const override { return height_ - next_; }
    Omvi::PixelPair size() const override { return {width_, height_}; }
    const Omvi::DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return true; }

private:
    std::unique_ptr<Omvi::DataModel> model_;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t bytesPerRow_;
    Fill fill_;
    std::int32_t next_ = 0;
};

// Pulls every row of `provider` and returns their unpadded prefixes.
inline std::vector<Row> pullAll(Omvi::RowProviderInterface& provider)
{
    const Omvi::PixelPair size = provider.size();
    const auto rowLength =
        static_cast<std::size_t>(Omvi::pixelBytes(size.x, provider.dataModel().dataType()));
    Omvi::DataBuffer buffer(provider.bytesPerRow());
    std::vector<Row> rows;
    for (std::int32_t y = 0; y < size.y; ++y)
    {
        provider.getNextRow(buffer);
        rows.emplace_back(buffer.data(), buffer.data() + rowLength);
    }
    return rows;
}

// `height` rows of `rowBytes` random bytes.
inline std::vector<Row> randomRows(std::mt19937& random, int rowBytes, int height)
{
    std::vector<Row> rows(static_cast<std::size_t>(height), Row(static_cast<std::size_t>(rowBytes)));
    for (auto& row : rows)
        for (auto& b : row)
            b = static_cast<std::uint8_t>(random());
    return rows;
}

} // namespace OmviTest
