#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include "imaging/StringBuffer.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffStrings.h"

namespace Omvi
{

TiffProperty::~TiffProperty() = default;

std::int32_t TiffProperty::getTiffPropertyKind() const
{
    return kind_;
}

bool getTiffPropertyName(std::int32_t kind, StringBuffer& out)
{
    const std::int32_t id = TiffStringId::propertyKindNameId(kind);
    if (id == 0)
    {
        out = StringBuffer();
        return false;
    }
    return loadCodecString(id, out);
}

bool matchesTiffPropertyName(std::int32_t kind, const StringBuffer& text)
{
    StringBuffer name;
    return getTiffPropertyName(kind, name) && stringBuffersEqual(name, text);
}

} // namespace Omvi
