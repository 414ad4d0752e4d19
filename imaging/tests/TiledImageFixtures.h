#pragma once
// What the tests of tiled images share: a session made and ended around
// each test (small page volumes and budgets on request), a reader that
// fetches pixels of a tiled image through its tiles, and (Thrown.h) the
// check on the exception a call throws.
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsTempPagingSystem.h"
#include "imaging/session/OMVISession.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace OmviTest
{

class TiledImageTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        OMVISession_unregisterAll();
        EXPECT_TRUE(Omvi::OMVISession::destroy());
    }
    Omvi::OMVISession& start(std::int64_t pageVolume = 0)
    {
        Omvi::OMVISession* session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), pageVolume);
        EXPECT_NE(session, nullptr);
        return *session;
    }
    Omvi::WindowsTempPagingSystem& paging()
    {
        return dynamic_cast<Omvi::WindowsTempPagingSystem&>(Omvi::OMVISession::get()->temporaryPagingSystem());
    }
    // Lists the image with the session the way an image handle does.
    void enlist(Omvi::TiledImage& image)
    {
        image.setRegistryId(Omvi::OMVISession::get()->registerImage(&image));
    }

private:
    static void OMVISession_unregisterAll()
    {
        Omvi::OMVISession* session = Omvi::OMVISession::get();
        if (session)
            while (session->numImages() > 0)
                session->unregisterImage(session->numImages());
    }
};

// Pixels of a tiled image read through its tiles (blank tiles give the clear
// colour), each tile loaded once.
class TilePixels
{
public:
    explicit TilePixels(Omvi::TiledImage& image) : image_(image) {}

    std::uint64_t at(int x, int y)
    {
        const int edge = image_.tileEdge();
        const Omvi::TileIndex index = image_.tileIndex(y, x);
        std::vector<std::uint8_t>& tile = tiles_[{index.row, index.column}];
        if (tile.empty())
        {
            tile.resize(static_cast<std::size_t>(image_.bytesPerTile()));
            Omvi::Tile* held = image_.lockTileShared(index.row, index.column);
            image_.loadTile(*held, tile.data());
            image_.unlockTileShared(held);
        }
        const std::uint8_t* line =
            tile.data() + static_cast<std::size_t>(image_.bytesPerTileRow()) * static_cast<std::size_t>(y % edge);
        const int column = x % edge;
        const int dataType = image_.dataModel()->dataType();
        if (dataType == Omvi::kDataTypeOneBit)
            return (line[column / 8] >> (7 - column % 8)) & 1;
        const int bytes = Omvi::bitsPerPixelOf(dataType) / 8;
        std::uint64_t value = 0;
        std::memcpy(&value, line + static_cast<std::size_t>(column) * bytes, static_cast<std::size_t>(bytes));
        return value;
    }

private:
    Omvi::TiledImage& image_;
    std::map<std::pair<int, int>, std::vector<std::uint8_t>> tiles_;
};

// A whole tile of one value, in the image's layout.
inline std::vector<std::uint8_t> uniformTile(const Omvi::TiledImage& image, std::uint8_t byte)
{
    return std::vector<std::uint8_t>(static_cast<std::size_t>(image.bytesPerTile()), byte);
}

} // namespace OmviTest
