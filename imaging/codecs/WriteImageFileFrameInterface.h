#pragma once
// The attributes of a frame about to be written. Sizes cross this interface
// height first. The image's model arrives as setDataModelKind (colour
// space), setThirdValue (a further code of the model), setBitsPerPixel and
// the palette, in any order: writers read them only when the frame is
// written.
#include <cstdint>

namespace Omvi
{

class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;
class StringBuffer;

class WriteImageFileFrameInterface
{
public:
    // 0
    virtual ~WriteImageFileFrameInterface() = default;
    // 1
    virtual void setSize(int height, int width) = 0;
    // 2: the colour space of the data model (1-7).
    virtual void setDataModelKind(int kind) = 0;
    // 3
    virtual void setThirdValue(int value) = 0;
    // 4
    virtual void setBitsPerPixel(int bits) = 0;
    // 5: 1-256 entries; other counts are ignored.
    virtual void setPaletteCount(int count) = 0;
    // 6: red, green, blue bytes per entry.
    virtual void setPalette(const std::uint8_t* rgb) = 0;
    // 7: the frame's property set (owned by the frame).
    virtual FormatCodecPropertySetIterator* getProperties() = 0;
    // 8 and 9: a new copy of the property of that name or type (owned by the
    // caller), or null.
    virtual FormatCodecPropertyInterface* getProperty(const StringBuffer& name) = 0;
    virtual FormatCodecPropertyInterface* getPropertyOfType(int propertyType) = 0;
    // 10: takes a copy of the property when the writer stores it; false for
    // anything else.
    virtual bool setProperty(const FormatCodecPropertyInterface* property) = 0;
    // 11
    virtual void clearProperties() = 0;
    // 12
    virtual bool requiredPropertiesSet() const = 0;
};

} // namespace Omvi
