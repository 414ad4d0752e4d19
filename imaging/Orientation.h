#pragma once
// The two numberings of the eight axis-aligned orientations. They are never
// mixed: each has its own type, and toOrientation/toBuildOrder are the only
// crossings between them.
//
// BuildOrder: how the rows of a provider are laid into an image that is
// built from them (and how a reading frame reports the layout of its stored
// lines). 0 lays the rows top-down as they come; 4-7 lay each incoming row
// down a column, so the image's width is the provider's height.
//
// Orientation: how an oriented view relates to a stored image (region
// readers, composers, decomposers, orienting filters, placement). 4 is the
// identity; 0-3 exchange width and height.
#include <cstdint>
#include <optional>

namespace Omvi
{

enum class BuildOrder : std::int32_t
{
    RowsTopDown = 0,          // row r becomes image row r
    RowsTopDownMirrored = 1,  // ... filled right to left
    RowsBottomUp = 2,         // row r becomes image row H-1-r
    RowsBottomUpMirrored = 3, // ... filled right to left
    ColumnsLeftRightDown = 4, // row r becomes image column r, filled top to bottom
    ColumnsRightLeftDown = 5, // row r becomes image column W-1-r, top to bottom
    ColumnsLeftRightUp = 6,   // row r becomes image column r, bottom to top
    ColumnsRightLeftUp = 7    // row r becomes image column W-1-r, bottom to top
};

// With W × H the stored size, oriented pixel (x, y) shows the stored pixel:
enum class Orientation : std::int32_t
{
    Transpose = 0,        // (y, x)             H × W
    QuarterTurnLeft = 1,  // (W-1-y, x)         H × W, counter-clockwise
    QuarterTurnRight = 2, // (y, H-1-x)         H × W, clockwise
    Transverse = 3,       // (W-1-y, H-1-x)     H × W
    Identity = 4,         // (x, y)             W × H
    MirrorLeftRight = 5,  // (W-1-x, y)         W × H
    MirrorTopBottom = 6,  // (x, H-1-y)         W × H
    HalfTurn = 7          // (W-1-x, H-1-y)     W × H
};

struct PixelPosition
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PixelPosition& other) const { return x == other.x && y == other.y; }
};

// Codes from outside (frames, callers) are checked before they become enums.
std::optional<BuildOrder> buildOrderFromCode(std::int32_t code);
std::optional<Orientation> orientationFromCode(std::int32_t code);
constexpr std::int32_t codeOf(BuildOrder order) { return static_cast<std::int32_t>(order); }
constexpr std::int32_t codeOf(Orientation orientation) { return static_cast<std::int32_t>(orientation); }

bool swapsAxes(BuildOrder order);
bool swapsAxes(Orientation orientation);

// Size of the image built in `order` from rows of a provider of the given
// size, and of the view of a stored image in `orientation`.
PixelPosition builtSize(BuildOrder order, std::int32_t providerWidth, std::int32_t providerHeight);
PixelPosition orientedSize(Orientation orientation, std::int32_t storedWidth, std::int32_t storedHeight);

// The provider pixel (column in its row, row) that lands at image pixel
// (x, y) when an image is built in `order` from a provider of that size.
PixelPosition providerPixel(BuildOrder order, std::int32_t providerWidth, std::int32_t providerHeight,
                            std::int32_t x, std::int32_t y);
// The stored pixel that oriented pixel (x, y) shows.
PixelPosition storedPixel(Orientation orientation, std::int32_t storedWidth, std::int32_t storedHeight,
                          std::int32_t x, std::int32_t y);

// The orientation whose view of a provider's rows (taken as a stored
// image) equals the image built from them in `order`, and back.
Orientation toOrientation(BuildOrder order);
BuildOrder toBuildOrder(Orientation orientation);

// The orientation that undoes `orientation`: viewing a view in it shows the
// stored image again.
Orientation inverse(Orientation orientation);
// The orientation a decomposer is given to build an image in `order`: it
// writes so that reading in that orientation returns the provider's rows.
Orientation decompositionOf(BuildOrder order);

} // namespace Omvi
