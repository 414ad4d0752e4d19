#pragma once
// The records the RLC and IG4 trailer indexes, read with every size, count
// and offset checked: the trailer's entries (at most the twenty that fit
// it), the placement record of a raster, the reference record of a raster
// kept in another file, and the raster edits.
#include <cstdint>
#include <string>
#include <vector>

namespace Omvi
{

class CodecFile;

namespace ContainerRecords
{

enum EntryType : std::int16_t
{
    kDataEnd = 1,     // IG4: the end of the last strip
    kRaster = 2,      // a raster of this file and its placement record
    kStripTable = 3,  // IG4: the strip table
    kReference = 4,   // RLC: a raster kept in another file
    kEdits = 5        // raster edits
};

struct Entry
{
    std::int16_t type = 0;
    std::uint16_t format = 0;
    std::int16_t editCount = 0;
    std::uint32_t offset = 0;
    std::uint32_t value = 0;  // IG4 data end, or the edit record's size
};

constexpr std::size_t kPlacementSize = 208;
constexpr std::size_t kReferenceSize = 200;
constexpr std::size_t kStripTableSize = 1032;
constexpr std::size_t kEditSize = 168;
constexpr std::size_t kMaximumStrips = 256;

// The entries of a file's trailer when it has one whose first entry is of
// `formatCode`; false otherwise (a file of 344 bytes or fewer has none).
// A count beyond what the trailer holds is cut to what it holds.
bool readTrailer(const CodecFile& file, std::uint16_t formatCode, std::vector<Entry>& entries,
                 std::int16_t* declaredCount = nullptr);

struct Placement
{
    std::uint16_t height = 0;
    std::uint16_t width = 0;
    double x = 0;
    double y = 0;
    double scale = 1;
    double resolution = 0;
    double degrees = 0;
    std::int16_t quarterTurns = 0;
    std::uint16_t foreground = 0;
    std::string referenceName;  // reference records only
};

bool readPlacement(const CodecFile& file, const Entry& entry, Placement& out);
bool readReference(const CodecFile& file, const Entry& entry, Placement& out);

enum EditShape : std::int32_t
{
    kRectangle = 0,
    kPolygon = 1,
    kCircle = 2,
    kDonut = 3,
    kArc = 4
};

struct Edit
{
    std::int32_t shape = 0;
    bool draws = false;
    // Rectangle: the values at edit offsets 8, 32, 24, 16. Polygon: x, y of
    // each point. Circle: centre x, y, radius. Donut: centre x, y and the
    // two radii. Arc: centre x, y and the four values after it.
    std::vector<double> values;
    std::int32_t pointCount = 0;
};

// The edits of a type-5 entry: as many as the record holds of the count it
// declares; edits of unknown kinds, draw bytes other than 0 and 4, and
// polygons of fewer than 1 or more than 10 points are skipped. False when
// the record cannot be read in full.
bool readEdits(const CodecFile& file, const Entry& entry, std::vector<Edit>& out);

struct StripTable
{
    std::int32_t rowsPerStrip = 0;
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> sizes;
};

// The IG4 strip table of a type-3 entry with the strip sizes worked out
// (the last strip ends at `dataEnd`). False when the table does not hold
// together: no strips, more than 256, rows per strip below 1, offsets that
// do not increase, or strips past the end of the file.
bool readStripTable(const CodecFile& file, const Entry& entry, std::uint32_t dataEnd, StripTable& out);

} // namespace ContainerRecords
} // namespace Omvi
