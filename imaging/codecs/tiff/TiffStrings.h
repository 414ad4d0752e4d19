#pragma once
// Ids of the TIFF codec's texts (strings/CodecStrings.h loads them), with
// the GeoTIFF correlation's. Templates fill numbered inserts through
// FormatString ("%1!d!" is insert 1 as a decimal integer).
#include <cstdint>

namespace Omvi::TiffStringId
{

enum : std::int32_t
{
    kName = 14100,
    kDescription = 14101,
    kCreditText = 14102,
    kExtension = 14103,      // the default extension
    kExtensionTiff = 14104,  // extension index 1
    kCompressionName = 14105,
    kCompressionDescription = 14106,
    kCompressionNoneName = 14107,
    kCompressionNoneDescription = 14108,
    kCompressionHuffmanName = 14109,
    kCompressionHuffmanDescription = 14110,
    kCompressionHuffmanWordName = 14111,
    kCompressionHuffmanWordDescription = 14112,
    kCompressionGroup3Name = 14113,
    kCompressionGroup3Description = 14114,
    kCompressionGroup4Name = 14115,
    kCompressionGroup4Description = 14116,
    kCompressionLzwName = 14117,
    kCompressionLzwDescription = 14118,
    kCompressionPackBitsName = 14119,
    kCompressionPackBitsDescription = 14120,
    kCompressionOldJpegName = 14121,
    kCompressionOldJpegDescription = 14122,
    kCompressionJpegName = 14123,
    kCompressionJpegDescription = 14124,
    kDataOrganizationName = 14125,
    kDataOrganizationDescription = 14126,
    kDensityName = 14127,
    kDensityDescription = 14128,
    kAssociationName = 14129,
    kAssociationDescription = 14130,
    kTransparencyName = 14131,
    kTransparencyDescription = 14132,
    kPhotometricName = 14133,
    kPhotometricDescription = 14134,
    kMinIsWhiteName = 14135,
    kMinIsWhiteDescription = 14136,
    kMinIsBlackName = 14137,
    kMinIsBlackDescription = 14138,
    kFillOrderName = 14139,
    kFillOrderDescription = 14140,
    kFillMsbFirstName = 14141,
    kFillMsbFirstDescription = 14142,
    kFillLsbFirstName = 14143,
    kFillLsbFirstDescription = 14144,
    kGrayResponseName = 14145,
    kGrayResponseDescription = 14146,
    kArtistName = 14147,
    kArtistDescription = 14148,
    kCopyrightName = 14149,
    kCopyrightDescription = 14150,
    kHostComputerName = 14151,
    kHostComputerDescription = 14152,
    kImageDescriptionName = 14153,
    kImageDescriptionDescription = 14154,
    kMakeName = 14155,
    kMakeDescription = 14156,
    kModelName = 14157,
    kModelDescription = 14158,
    kSoftwareName = 14159,
    kSoftwareDescription = 14160,
    kDateTimeName = 14161,
    kDateTimeDescription = 14162,
    kArtistDefault = 14163,
    kCopyrightDefault = 14164,
    kHostComputerDefault = 14165,
    kImageDescriptionDefault = 14166,
    kMakeDefault = 14167,
    kModelDefault = 14168,
    kSoftwareDefault = 14169,
    kDateTimeDefault = 14170,
    kByteOrderName = 14171,
    kByteOrderDescription = 14172,
    kByteOrderBigEndian = 14173,
    kByteOrderLittleEndian = 14174,  // also the byte-order text's default
    kPrivateTagName = 14175,
    kPrivateTagDescription = 14176,
    kGeoCorrelationName = 14177,
    kGeoCorrelationDescription = 14178,
    kUnknownCoordinateSystem = 14179,
    kSampleRangeName = 14180,
    kSampleRangeDescription = 14181,
    kCompressionDeflateName = 14182,
    kCompressionDeflateDescription = 14183,
    kDensityTemplate = 14184,  // 1 x, 2 y (own conversions), 3 the unit's text
    kUnitPerInch = 14185,
    kUnitPerCentimetre = 14186,
    kUnitNone = 14187,
    kOneStrip = 14188,
    kTilesTemplate = 14189,   // 1 tile width, 2 tile height
    kStripsTemplate = 14190,  // 1 rows per strip
    kAssociationReducedTemplate = 14191,  // association 0 (reduced resolution); 1 the second value
    kAssociationPageTemplate = 14192,     // association 1 (a page)
    kAssociationPrimaryTemplate = 14193,  // association 3 (the full-resolution image)
    kSampleMinimumName = 14194,
    kSampleMinimumDescription = 14195,
    kSampleMaximumName = 14196,
    kSampleMaximumDescription = 14197,
    kSampleRangeTemplate = 14198,  // 1 minimum, 2 maximum
    kTiffCorrelationName = 14199,
    kTiffCorrelationDescription = 14200,
    kSampleFormatName = 14201,
    kSampleFormatDescription = 14202,
    kAssociationMaskTemplate = 14203,  // association 2 (a transparency mask)
    kPageInformationName = 14204,
    kPageInformationDescription = 14205,
    kDocumentNameName = 14206,
    kDocumentNameDescription = 14207,
    kPageNameName = 14208,
    kPageNameDescription = 14209,
    kPageNumberName = 14210,
    kPageNumberDescription = 14211,
    kXPositionName = 14212,
    kXPositionDescription = 14213,
    kYPositionName = 14214,
    kYPositionDescription = 14215,
    kPageCountName = 14217,
    kPageCountDescription = 14218
};

// The name of the TIFF property of kind 1-16 (byte order, photometric,
// artist, copyright, date and time, fill order, grey response, host
// computer, image description, make, model, software, -, private tag, sample
// range, -); 0 for kinds without a name.
constexpr std::int32_t propertyKindNameId(std::int32_t kind)
{
    switch (kind)
    {
    case 1: return kByteOrderName;
    case 2: return kPhotometricName;
    case 3: return kArtistName;
    case 4: return kCopyrightName;
    case 5: return kDateTimeName;
    case 6: return kFillOrderName;
    case 7: return kGrayResponseName;
    case 8: return kHostComputerName;
    case 9: return kImageDescriptionName;
    case 10: return kMakeName;
    case 11: return kModelName;
    case 12: return kSoftwareName;
    case 14: return kPrivateTagName;
    case 15: return kSampleRangeName;
    default: return 0;
    }
}

// The nine text kinds in index order 0-8 (byte order, artist, copyright, date
// and time, host computer, image description, make, model, software).
constexpr std::int32_t kTextKinds[9] = {1, 3, 4, 5, 8, 9, 10, 11, 12};

} // namespace Omvi::TiffStringId
