#pragma once
// Ids of the PNG codec's texts (strings/CodecStrings.h loads them).
#include <cstdint>

namespace Omvi::PngStringId
{

enum : std::int32_t
{
    kName = 11100,
    kDescription = 11101,
    kExtension = 11102,
    kTransparencyName = 11103,
    kTransparencyDescription = 11104,
    kGammaName = 11105,
    kGammaDescription = 11106,
    kDensityName = 11107,
    kDensityDescription = 11108,
    kScaleName = 11111,
    kScaleDescription = 11112,
    kScaleWidthName = 11113,
    kScaleWidthDescription = 11114,
    kScaleHeightName = 11115,
    kScaleHeightDescription = 11116,
    kScaleUnitMetreName = 11117,
    kScaleUnitMetreDescription = 11118,
    kScaleUnitRadianName = 11119,
    kScaleUnitRadianDescription = 11120,
    kScaleUnitName = 11121,
    kScaleUnitDescription = 11122,
    kPageOffsetName = 11123,
    kPageOffsetDescription = 11124,
    kOffsetXName = 11125,
    kOffsetXDescription = 11126,
    kOffsetYName = 11127,
    kOffsetYDescription = 11128,
    kOffsetUnitName = 11129,
    kOffsetUnitDescription = 11130,
    kOffsetUnitPixelName = 11131,
    kOffsetUnitPixelDescription = 11132,
    kOffsetUnitMicrometreName = 11133,
    kOffsetUnitMicrometreDescription = 11134,
    kBackgroundName = 11135,
    kBackgroundDescription = 11136,
    kSrgbName = 11137,
    kSrgbDescription = 11138,
    kTextAuthorName = 11139,  // text keyword 1; keywords 2-9 follow in steps of 2
    kTextAuthorDescription = 11140,
    kTextDescriptionName = 11141,
    kTextDescriptionDescription = 11142,
    kTextCopyrightName = 11143,
    kTextCopyrightDescription = 11144,
    kTextCreationTimeName = 11145,
    kTextCreationTimeDescription = 11146,
    kTextSoftwareName = 11147,
    kTextSoftwareDescription = 11148,
    kTextDisclaimerName = 11149,
    kTextDisclaimerDescription = 11150,
    kTextWarningName = 11151,
    kTextWarningDescription = 11152,
    kTextSourceName = 11153,
    kTextSourceDescription = 11154,
    kTextCommentName = 11155,
    kTextCommentDescription = 11156,
    kTextTitleName = 11157,  // text keyword 0
    kTextTitleDescription = 11158,
    kIntentPerceptualName = 11159,
    kIntentPerceptualDescription = 11160,
    kIntentRelativeName = 11161,
    kIntentRelativeDescription = 11162,
    kIntentSaturationName = 11163,
    kIntentSaturationDescription = 11164,
    kIntentAbsoluteName = 11165,
    kIntentAbsoluteDescription = 11166,
    kHistogramName = 11167,
    kHistogramDescription = 11168,
    kGraySignificantBitsName = 11169,
    kGraySignificantBitsDescription = 11170,
    kScaleUnitUnknownName = 11171,
    kScaleUnitUnknownDescription = 11172,
    kCompressionName = 11173,
    kCompressionDescription = 11174,
    kCompressionLevel0Name = 11175,
    kCompressionLevel0Description = 11176,
    kCompressionLevel1Name = 11177,
    kCompressionLevel1Description = 11178,
    kCompressionLevel3Name = 11179,
    kCompressionLevel3Description = 11180,
    kCompressionLevel6Name = 11181,
    kCompressionLevel6Description = 11182,
    kCompressionLevel9Name = 11183,
    kCompressionLevel9Description = 11184
};

// The name of the PNG private (custom) property of kind 0-15: gamma, scale,
// page offset, sRGB, histogram, grey significant bits, then the texts of
// keywords 1-9 and keyword 0; 0 for any other kind.
constexpr std::int32_t privatePropertyNameId(std::int32_t kind)
{
    switch (kind)
    {
    case 0: return kGammaName;
    case 1: return kScaleName;
    case 2: return kPageOffsetName;
    case 3: return kSrgbName;
    case 4: return kHistogramName;
    case 5: return kGraySignificantBitsName;
    case 15: return kTextTitleName;
    default: return kind >= 6 && kind <= 14 ? kTextAuthorName + 2 * (kind - 6) : 0;
    }
}

} // namespace Omvi::PngStringId
