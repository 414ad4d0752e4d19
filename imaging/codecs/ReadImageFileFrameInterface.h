#pragma once
// One frame of a file being read: its size, data model, palette, orientation
// and properties, and the row iterators that decode it. Sizes cross this
// interface height first.
#include <cstdint>

namespace Omvi
{

class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;
class RowIteratorInterface;
class StringBuffer;

class ReadImageFileFrameInterface
{
public:
    // isRowAccessSupported kinds.
    enum RowAccess : int
    {
        kSequentialRows = 0,  // rows one after another from the top (every frame)
        kWholeTiles = 1,      // the file's own tiles
        kRandomRows = 2       // rows in any order
    };

    // 0
    virtual ~ReadImageFileFrameInterface() = default;
    // 1
    virtual bool isRowAccessSupported(int kind) const = 0;
    // 2: the frame's position in its file.
    virtual int frameIndex() const = 0;
    // 3: rows first, then pixels per row.
    virtual void getSize(int* height, int* width) const = 0;
    // 4: the data model's colour space (0 plain, 1 RGB, 2 palette, 3 gray,
    // 4 bitonal).
    virtual int dataModelKind() const = 0;
    // 5: the data model's data type (0-4 = 1, 8, 16, 32, 64 bits; RGB is
    // delivered as one 32-bit word per pixel).
    virtual int sampleKind() const = 0;
    // 6: the depth the format reports.
    virtual int bitsPerPixel() const = 0;
    // 7: where the first stored line and pixel lie, 0-7; 0 is the top line
    // first, left to right; 4-7 exchange width and height.
    virtual int getOrientation() const = 0;
    // 8: palette entries, 0 without a palette.
    virtual int paletteCount() const = 0;
    // 9: copies `count` entries as red, green, blue bytes.
    virtual void getPalette(int count, std::uint8_t* rgb) const = 0;
    // 10: a new row iterator (owned by the caller), or null for a depth the
    // codec cannot read. Rows are delivered as the library's models store
    // them (bitonal: a set bit is ink).
    virtual RowIteratorInterface* newRowIterator() = 0;
    // 11: true only for a frame stored in tiles.
    virtual bool isTiled() const = 0;
    // 12: a new property-set iterator over the frame's properties, owned by
    // the caller.
    virtual FormatCodecPropertySetIterator* getProperties() = 0;
    // 13 and 14: a new copy of the property of that name or type (owned by
    // the caller), or null.
    virtual FormatCodecPropertyInterface* getProperty(const StringBuffer& name) = 0;
    virtual FormatCodecPropertyInterface* getPropertyOfType(int propertyType) = 0;
    // Why newRowIterator gives none, in words about the file ("The file
    // ends before ..."); null when the frame names no reason (the default).
    virtual const char* rowRefusal() const { return nullptr; }
};

} // namespace Omvi
