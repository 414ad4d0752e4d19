#include "imaging/codecs/png/PngStrings.h"
#include "imaging/codecs/strings/CodecStringTable.h"

#include <iterator>

namespace Omvi
{
namespace
{

using namespace PngStringId;

// The text property names are the text chunks' own keywords.
constexpr CodecStringEntry kEntries[] = {
    {kName, "PNG"},
    {kDescription, "Portable Network Graphics"},
    {kExtension, "png"},
    {kTransparencyName, "PNG Transparency"},
    {kTransparencyDescription, "Transparent colours or alpha values (tRNS)"},
    {kGammaName, "Gamma"},
    {kGammaDescription, "Image gamma (gAMA)"},
    {kDensityName, "PNG Density"},
    {kDensityDescription, "Physical pixel dimensions (pHYs)"},
    {kScaleName, "Physical Scale"},
    {kScaleDescription, "Physical size of a pixel (sCAL)"},
    {kScaleWidthName, "Pixel Width"},
    {kScaleWidthDescription, "Physical width of one pixel"},
    {kScaleHeightName, "Pixel Height"},
    {kScaleHeightDescription, "Physical height of one pixel"},
    {kScaleUnitMetreName, "Metre"},
    {kScaleUnitMetreDescription, "Pixel size given in metres"},
    {kScaleUnitRadianName, "Radian"},
    {kScaleUnitRadianDescription, "Pixel size given in radians"},
    {kScaleUnitName, "Scale Unit"},
    {kScaleUnitDescription, "Unit of the physical pixel size"},
    {kPageOffsetName, "Page Offset"},
    {kPageOffsetDescription, "Position of the image on the page (oFFs)"},
    {kOffsetXName, "Offset X"},
    {kOffsetXDescription, "Horizontal position of the image"},
    {kOffsetYName, "Offset Y"},
    {kOffsetYDescription, "Vertical position of the image"},
    {kOffsetUnitName, "Offset Unit"},
    {kOffsetUnitDescription, "Unit of the page offset"},
    {kOffsetUnitPixelName, "Pixel"},
    {kOffsetUnitPixelDescription, "Offset given in pixels"},
    {kOffsetUnitMicrometreName, "Micrometre"},
    {kOffsetUnitMicrometreDescription, "Offset given in micrometres"},
    {kBackgroundName, "Background Color"},
    {kBackgroundDescription, "Suggested background colour (bKGD)"},
    {kSrgbName, "sRGB Intent"},
    {kSrgbDescription, "Rendering intent of the sRGB colour space (sRGB)"},
    {kTextAuthorName, "Author"},
    {kTextAuthorDescription, "Name of the image's creator"},
    {kTextDescriptionName, "Description"},
    {kTextDescriptionDescription, "Description of the image"},
    {kTextCopyrightName, "Copyright"},
    {kTextCopyrightDescription, "Copyright notice"},
    {kTextCreationTimeName, "Creation Time"},
    {kTextCreationTimeDescription, "Time the original image was created"},
    {kTextSoftwareName, "Software"},
    {kTextSoftwareDescription, "Software that created the image"},
    {kTextDisclaimerName, "Disclaimer"},
    {kTextDisclaimerDescription, "Legal disclaimer"},
    {kTextWarningName, "Warning"},
    {kTextWarningDescription, "Warning of the nature of the content"},
    {kTextSourceName, "Source"},
    {kTextSourceDescription, "Device used to create the image"},
    {kTextCommentName, "Comment"},
    {kTextCommentDescription, "Miscellaneous comment"},
    {kTextTitleName, "Title"},
    {kTextTitleDescription, "Short title or caption of the image"},
    {kIntentPerceptualName, "Perceptual"},
    {kIntentPerceptualDescription, "Rendering intent 0: perceptual"},
    {kIntentRelativeName, "Relative Colorimetric"},
    {kIntentRelativeDescription, "Rendering intent 1: relative colorimetric"},
    {kIntentSaturationName, "Saturation"},
    {kIntentSaturationDescription, "Rendering intent 2: saturation"},
    {kIntentAbsoluteName, "Absolute Colorimetric"},
    {kIntentAbsoluteDescription, "Rendering intent 3: absolute colorimetric"},
    {kHistogramName, "Histogram"},
    {kHistogramDescription, "Usage frequency of each palette entry (hIST)"},
    {kGraySignificantBitsName, "Gray Significant Bits"},
    {kGraySignificantBitsDescription, "Number of significant bits of a grey sample (sBIT)"},
    {kScaleUnitUnknownName, "Unknown Unit"},
    {kScaleUnitUnknownDescription, "Pixel size without a unit"},
    {kCompressionName, "PNG Compression"},
    {kCompressionDescription, "zlib compression level of the image data"},
    {kCompressionLevel0Name, "No Compression"},
    {kCompressionLevel0Description, "zlib level 0"},
    {kCompressionLevel1Name, "Fastest Compression"},
    {kCompressionLevel1Description, "zlib level 1"},
    {kCompressionLevel3Name, "Fast Compression"},
    {kCompressionLevel3Description, "zlib level 3"},
    {kCompressionLevel6Name, "Default Compression"},
    {kCompressionLevel6Description, "zlib level 6"},
    {kCompressionLevel9Name, "Best Compression"},
    {kCompressionLevel9Description, "zlib level 9"},
};

} // namespace

CodecStringBlock pngStringBlock()
{
    return {"PNG", kEntries, std::size(kEntries)};
}

} // namespace Omvi
