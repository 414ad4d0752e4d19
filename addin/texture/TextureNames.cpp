#include "addin/texture/TextureNames.h"

std::u16string ConvertedTextureName(std::u16string_view name)
{
    std::u16string converted(name);
    if (converted.size() >= 4 && converted[converted.size() - 4] == u'.')
        converted.resize(converted.size() - 4);
    return converted + kConvertedSuffix;
}
