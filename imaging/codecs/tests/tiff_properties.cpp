// The TIFF codec's properties: the schemes, organisations, densities,
// texts and private tags they offer and write, the property set a
// directory makes (read, or as a template for writing) and the placement
// record some files keep behind private tag 33535.
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffTestSupport.h"

#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/geotiff/TiffRecordCorrelation.h"
#include "imaging/codecs/tiff/properties/TiffChoiceProperties.h"
#include "imaging/codecs/tiff/properties/TiffCompression.h"
#include "imaging/codecs/tiff/properties/TiffLayoutProperties.h"
#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"
#include "imaging/codecs/tiff/properties/TiffSampleProperties.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

using namespace Omvi;
using namespace OmviTest::Tiff;
using OmviTest::ScratchFolder;

namespace
{

std::vector<std::int32_t> codesOf(const TiffCompression& compression)
{
    std::vector<std::int32_t> codes;
    for (std::int32_t i = 0; i < compression.count(); ++i)
        codes.push_back(compression.getCompressionAt(i));
    return codes;
}

// A directory being written, to store tags into and read them back.
class ScratchDirectory
{
public:
    explicit ScratchDirectory(const std::string& path) : tiff_(TIFFOpen(path.c_str(), "w")) {}
    ~ScratchDirectory()
    {
        if (tiff_)
            TIFFClose(tiff_);
    }
    TIFF* get() const { return tiff_; }

private:
    TIFF* tiff_;
};

std::string text(const StringBuffer& buffer)
{
    return buffer.text();
}

// The property of the set whose class is T (the first), or null.
template <class T>
const T* find(FormatCodecPropertySetIterator& set)
{
    for (set.start(); !set.isDone(); set.next())
        if (const auto* property = dynamic_cast<const T*>(set.current()))
            return property;
    return nullptr;
}

class TiffPropertiesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    // The properties of frame 0 of a generated file.
    std::unique_ptr<FormatCodecPropertySetIterator> propertiesOf(const std::string& name, const TiffSpec& spec,
                                                                 const char* mode = "w")
    {
        const std::string path = folder_.file(name);
        EXPECT_TRUE(writeTiff(path, {spec}, {Bytes(planeRowBytes(spec) * spec.height, 0)}, mode));
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        EXPECT_TRUE(frame);
        return std::unique_ptr<FormatCodecPropertySetIterator>(frame ? frame->getProperties() : nullptr);
    }

    TiffFormatCodec codec_{TiffFormatCodec::kWithLzw};
    ScratchFolder folder_;
};

} // namespace

TEST_F(TiffPropertiesTest, CompressionsOfferWhatTheDepthTakes)
{
    using C = TiffCompression;
    const TiffCompression bilevel(1, C::kGroup4, false, true, false);
    EXPECT_EQ(codesOf(bilevel), (std::vector<std::int32_t>{C::kNone, C::kDeflate, C::kHuffman, C::kHuffmanWordAligned,
                                                          C::kGroup3, C::kGroup4}));
    EXPECT_EQ(bilevel.selectedIndex(), 5);
    const TiffCompression sixteen(16, C::kLzw, false, true, false);
    EXPECT_EQ(codesOf(sixteen), (std::vector<std::int32_t>{C::kNone, C::kLzw}));
    EXPECT_EQ(sixteen.selectedCode(), C::kLzw);
    const TiffCompression grey(8, C::kPackBits, true, false, true);
    EXPECT_EQ(codesOf(grey), (std::vector<std::int32_t>{C::kNone, C::kDeflate, C::kPackBits, C::kJpeg}));
    EXPECT_EQ(grey.selectedIndex(), 2);
    const TiffCompression palette(8, C::kJpeg, false, false, false);
    EXPECT_EQ(codesOf(palette), (std::vector<std::int32_t>{C::kNone, C::kDeflate, C::kPackBits}));
    EXPECT_EQ(palette.selectedIndex(), 0);  // a scheme not offered selects the first
    const TiffCompression rgb(24, C::kOldJpeg, false, false, false);
    EXPECT_EQ(codesOf(rgb), (std::vector<std::int32_t>{C::kNone, C::kDeflate, C::kJpeg, C::kOldJpeg}));
    EXPECT_EQ(rgb.selectedCode(), C::kOldJpeg);
    EXPECT_EQ(rgb.getCompressionAt(99), C::kNone);
    EXPECT_EQ(rgb.propertyType(), FormatCodecPropertyInterface::kCompression);
    EXPECT_TRUE(rgb.firstFlag());

    // Codes become tag values; tag values are read back as codes.
    const std::pair<std::int32_t, std::uint16_t> tags[] = {{C::kNone, 1},      {C::kHuffman, 2},  {C::kHuffmanWordAligned, 2},
                                                           {C::kGroup3, 3},    {C::kGroup4, 4},   {C::kLzw, 5},
                                                           {C::kPackBits, 32773}, {C::kOldJpeg, 7}, {C::kJpeg, 7},
                                                           {C::kDeflate, 8}};
    for (const auto& [code, value] : tags)
        EXPECT_EQ(TiffCompression::tagValueOf(code), value) << code;
    EXPECT_EQ(TiffCompression::codeOfTagValue(32946), C::kDeflate);
    EXPECT_EQ(TiffCompression::codeOfTagValue(32771), C::kHuffmanWordAligned);
    EXPECT_EQ(TiffCompression::codeOfTagValue(34925), C::kNone);

    ScratchDirectory directory(folder_.file("compression.tif"));
    TiffCompression packbits(8, C::kPackBits, false, false, false);
    ASSERT_TRUE(packbits.writeTag(directory.get()));
    std::uint16_t value = 0;
    TIFFGetField(directory.get(), TIFFTAG_COMPRESSION, &value);
    EXPECT_EQ(value, COMPRESSION_PACKBITS);
    ASSERT_TRUE(packbits.selectCode(C::kDeflate));
    ASSERT_TRUE(packbits.writeTag(directory.get()));
    TIFFGetField(directory.get(), TIFFTAG_COMPRESSION, &value);
    EXPECT_EQ(value, COMPRESSION_ADOBE_DEFLATE);
    EXPECT_FALSE(packbits.selectCode(C::kGroup4));
}

TEST_F(TiffPropertiesTest, OrganisationsDensitiesAndAssociationsWriteTheirTags)
{
    ScratchDirectory directory(folder_.file("organisation.tif"));
    TIFF* tiff = directory.get();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 64u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 64u);

    TiffDataOrganization writable(8, TiffDataOrganization::kTiles, TiffDataOrganization::kWritableGranularity);
    EXPECT_TRUE(writable.setTileSize(256, 7));
    std::int32_t width = 0;
    std::int32_t height = 0;
    writable.getTileSize(&width, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 256);
    EXPECT_FALSE(writable.setTileSize(250, 250));
    EXPECT_FALSE(writable.setTileSize(0, 16));
    ASSERT_TRUE(writable.writeTag(tiff));
    std::uint32_t value = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &value);
    EXPECT_EQ(value, 256u);
    StringBuffer shown;
    ASSERT_TRUE(writable.valueAsText(shown));
    EXPECT_EQ(text(shown), "Tiles of 256 x 256 pixels");

    TiffDataOrganization fixed(8, TiffDataOrganization::kStrips, TiffDataOrganization::kFixedGranularity);
    EXPECT_FALSE(fixed.setTileSize(256, 256));
    EXPECT_TRUE(fixed.setThirdSize(7));
    ASSERT_TRUE(fixed.valueAsText(shown));
    EXPECT_EQ(text(shown), "Strips of 7 rows");
    TiffDataOrganization sixteen(16, TiffDataOrganization::kStrips, TiffDataOrganization::kWritableGranularity);
    EXPECT_FALSE(sixteen.setCode(TiffDataOrganization::kTiles));
    EXPECT_FALSE(sixteen.setCode(3));
    EXPECT_TRUE(sixteen.setCode(TiffDataOrganization::kOneStrip));

    // Strips of JPEG data are one strip.
    ScratchDirectory strips(folder_.file("strips.tif"));
    TIFFSetField(strips.get(), TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    ASSERT_TRUE(fixed.writeTag(strips.get()));
    TIFFGetField(strips.get(), TIFFTAG_ROWSPERSTRIP, &value);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    TIFFSetField(strips.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    ASSERT_TRUE(fixed.writeTag(strips.get()));
    TIFFGetField(strips.get(), TIFFTAG_ROWSPERSTRIP, &value);
    EXPECT_EQ(value, 7u);

    // Density units: none, per centimetre, per inch.
    TiffDensity density(72.0, 96.0, FormatCodecDensity::kPerCentimetre);
    ASSERT_TRUE(density.writeTag(tiff));
    std::uint16_t unit = 0;
    float x = 0.0f;
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &x);
    EXPECT_EQ(unit, RESUNIT_CENTIMETER);
    EXPECT_EQ(x, 96.0f);
    ASSERT_TRUE(density.valueAsText(shown));
    EXPECT_EQ(text(shown), "72.00 x 96.00 pixels per centimetre");
    EXPECT_EQ(TiffDensity::unitOfTagValue(1), FormatCodecDensity::kNoUnit);
    EXPECT_EQ(TiffDensity::unitOfTagValue(3), FormatCodecDensity::kPerCentimetre);
    EXPECT_EQ(TiffDensity::unitOfTagValue(2), FormatCodecDensity::kPerInch);
    EXPECT_EQ(TiffDensity::unitOfTagValue(9), FormatCodecDensity::kPerInch);

    // Association: only a reduced-resolution image is written.
    EXPECT_EQ(TiffAssociation::codeOfSubfileType(FILETYPE_REDUCEDIMAGE | FILETYPE_PAGE), TiffAssociation::kReducedResolution);
    EXPECT_EQ(TiffAssociation::codeOfSubfileType(FILETYPE_PAGE), TiffAssociation::kPage);
    EXPECT_EQ(TiffAssociation::codeOfSubfileType(FILETYPE_MASK), TiffAssociation::kMask);
    EXPECT_EQ(TiffAssociation::codeOfSubfileType(0), TiffAssociation::kPrimary);
    EXPECT_FALSE(TiffAssociation(TiffAssociation::kPage).writeTag(tiff));
    ASSERT_TRUE(TiffAssociation(TiffAssociation::kReducedResolution).writeTag(tiff));
    TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &value);
    EXPECT_EQ(value, static_cast<std::uint32_t>(FILETYPE_REDUCEDIMAGE));
    ASSERT_TRUE(TiffAssociation(TiffAssociation::kPrimary).valueAsText(shown));
    EXPECT_EQ(text(shown), "Full-resolution image (0)");

    TiffSampleFormatProperty signedSamples(1);
    ASSERT_TRUE(signedSamples.writeTag(tiff));
    TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &unit);
    EXPECT_EQ(unit, SAMPLEFORMAT_INT);
    EXPECT_EQ(TiffSampleFormatProperty::formatOfTagValue(SAMPLEFORMAT_IEEEFP), 2);
    EXPECT_EQ(TiffSampleFormatProperty::formatOfTagValue(5), -1);
}

TEST_F(TiffPropertiesTest, TextsChoicesAndRanges)
{
    ScratchDirectory directory(folder_.file("texts.tif"));
    TIFF* tiff = directory.get();
    const TiffText artist(TiffProperty::kKindArtist, nullptr);
    StringBuffer defaultText;
    loadCodecString(TiffStringId::kArtistDefault, defaultText);
    EXPECT_EQ(text(artist.text()), text(defaultText));
    ASSERT_TRUE(artist.writeTag(tiff));
    const char* stored = nullptr;
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_ARTIST, &stored));
    EXPECT_EQ(std::string(stored), text(defaultText));
    EXPECT_FALSE(TiffText(TiffProperty::kKindFillOrder, nullptr).writeTag(tiff));
    EXPECT_FALSE(TiffText(TiffProperty::kKindByteOrder, nullptr).writeTag(tiff));
    const StringBuffer longText = AsciiStringBuffer(std::string(5000, 'x'));
    TiffText copyright(TiffProperty::kKindCopyright, &longText);
    EXPECT_EQ(copyright.text().text().size(), 4096u);
    EXPECT_EQ(TiffText::tagOf(TiffProperty::kKindCopyright), 33432u);
    StringBuffer name;
    ASSERT_TRUE(getTiffPropertyName(TiffProperty::kKindCopyright, name));
    EXPECT_TRUE(copyright.hasName(name));
    EXPECT_TRUE(matchesTiffPropertyName(TiffProperty::kKindCopyright, name));
    EXPECT_FALSE(getTiffPropertyName(TiffProperty::kKindCompression, name));

    // Choices write what is selected.
    TiffPhotometricInterpretation photometric(PHOTOMETRIC_MINISWHITE);
    EXPECT_FALSE(photometric.isNotMinIsWhite());
    ASSERT_TRUE(photometric.select(1));
    ASSERT_TRUE(photometric.writeTag(tiff));
    std::uint16_t value = 9;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &value);
    EXPECT_EQ(value, PHOTOMETRIC_MINISBLACK);
    TiffFillOrder order(true);
    EXPECT_EQ(order.selectedIndex(), 0);
    ASSERT_TRUE(order.select(1));
    ASSERT_TRUE(order.writeTag(tiff));
    TIFFGetField(tiff, TIFFTAG_FILLORDER, &value);
    EXPECT_EQ(value, FILLORDER_LSB2MSB);

    TiffSampleRange range;
    std::int32_t minimum = -1;
    std::int32_t maximum = -1;
    range.getRange(&minimum, &maximum);
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 255);
    EXPECT_FALSE(range.setRange(0, 70000));
    ASSERT_TRUE(range.setRange(16, 4000));
    ASSERT_TRUE(range.writeTag(tiff));
    TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &value);
    EXPECT_EQ(value, 4000);
    StringBuffer shown;
    ASSERT_TRUE(range.valueAsText(shown));
    EXPECT_EQ(text(shown), "16 to 4000");

    TiffGrayResponseCurve curve;
    const std::uint16_t values[4] = {0, 500, 1000, 2000};
    curve.setCurve(4, values, 1000);
    float densities[4];
    curve.getCurve(densities);
    EXPECT_FLOAT_EQ(densities[3], 2.0f);
    EXPECT_EQ(TiffGrayResponseCurve::divisorOfUnit(5), 100000u);
    EXPECT_FALSE(TiffGrayResponseCurve::divisorOfUnit(6));
    EXPECT_FALSE(curve.writeTag(tiff));  // libtiff stores no grey response

    TiffPageInformation::Values pageValues;
    pageValues.pageName = AsciiStringBuffer("cover");
    pageValues.pageNumber = 2;
    pageValues.pageCount = 40000;  // beyond the range: stays at its default
    const TiffPageInformation page(pageValues);
    StringBuffer pageName;
    EXPECT_TRUE(page.getPageName(pageName));
    EXPECT_EQ(text(pageName), "cover");
    EXPECT_FALSE(page.getDocumentName(pageName));
    std::int32_t number = 0;
    std::int32_t count = 0;
    EXPECT_TRUE(page.getPageNumber(number, count));
    EXPECT_EQ(number, 2);
    EXPECT_EQ(count, 0);
    double x = 1.0;
    double y = 1.0;
    EXPECT_FALSE(page.getPosition(x, y));
    EXPECT_FALSE(page.writeTag(tiff));
}

TEST_F(TiffPropertiesTest, PrivateTagNamesAndValues)
{
    StringBuffer name;
    TiffFormatCodec::privateTagName(33535, name);
    EXPECT_TRUE(TiffPrivateTag::isPrivateTagName(name));
    EXPECT_EQ(TiffPrivateTag::privateTagNumber(name), 33535);
    EXPECT_FALSE(TiffPrivateTag::isPrivateTagName(AsciiStringBuffer("$TIFF_Private_Tag#1234")));
    EXPECT_FALSE(TiffPrivateTag::isPrivateTagName(AsciiStringBuffer("$TIFF_Private_Tag#123456")));
    EXPECT_FALSE(TiffPrivateTag::isPrivateTagName(AsciiStringBuffer("$TIFF_Private_Tag#00000")));
    EXPECT_FALSE(TiffPrivateTag::isPrivateTagName(AsciiStringBuffer("$TIFF_Private_Tag#12a45")));
    EXPECT_FALSE(TiffPrivateTag::isPrivateTagName(StringBuffer()));

    TiffPrivateTag tag(40000, TIFF_DOUBLE);
    EXPECT_EQ(text(tag.name()), "$TIFF_Private_Tag#40000");
    EXPECT_FALSE(tag.hasData());
    double out[2] = {};
    EXPECT_FALSE(tag.getData(out));
    const double values[2] = {1.5, -2.25};
    tag.setData(values, 2);
    ASSERT_TRUE(tag.getData(out));
    EXPECT_EQ(out[1], -2.25);
    EXPECT_EQ(TiffPrivateTag::valueSize(TIFF_RATIONAL), 4u);
    EXPECT_EQ(TiffPrivateTag::valueSize(13), 0u);

    // Written into a directory and read back from the file.
    const std::string path = folder_.file("private.tif");
    TiffSpec spec;
    spec.tags = [&](TIFF* tiff) {
        EXPECT_TRUE(tag.writeTag(tiff));
        TiffPrivateTag label(40001, TIFF_ASCII);
        label.setData("label", 6);
        EXPECT_TRUE(label.writeTag(tiff));
    };
    ASSERT_TRUE(writeTiff(path, {spec}, {Bytes(planeRowBytes(spec) * spec.height, 0)}));
    std::unique_ptr<TiffPrivateTag> read = TiffPrivateTag::readPrivateTag(path, 0, tag);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->valueCount(), 2u);
    ASSERT_TRUE(read->getData(out));
    EXPECT_EQ(out[0], 1.5);
    EXPECT_FALSE(TiffPrivateTag::readPrivateTag(path, 0, TiffPrivateTag(40002, TIFF_SHORT)));
    EXPECT_FALSE(TiffPrivateTag::readPrivateTag(path, 3, tag));
}

TEST_F(TiffPropertiesTest, ADirectoryReportsWhatItHolds)
{
    TiffSpec grey;
    grey.photometric = PHOTOMETRIC_MINISWHITE;
    grey.compression = COMPRESSION_PACKBITS;
    grey.rowsPerStrip = 4;
    grey.maxSampleValue = 200;
    grey.tags = [](TIFF* tiff) {
        TIFFSetField(tiff, TIFFTAG_MINSAMPLEVALUE, 3u);
        TIFFSetField(tiff, TIFFTAG_ARTIST, "someone");
        TIFFSetField(tiff, TIFFTAG_PAGENAME, "first");
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, 1u, 3u);
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, static_cast<std::uint32_t>(FILETYPE_REDUCEDIMAGE));
    };
    std::unique_ptr<FormatCodecPropertySetIterator> set = propertiesOf("grey.tif", grey);
    ASSERT_TRUE(set);
    // A directory without resolution tags has a density of 1 x 1 per inch.
    const auto* density = find<TiffDensity>(*set);
    ASSERT_TRUE(density);
    double x = 0.0;
    double y = 0.0;
    density->getDensity(&x, &y);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(density->unit(), FormatCodecDensity::kPerInch);
    EXPECT_FALSE(find<TiffTransparency>(*set));
    const auto* photometric = find<TiffPhotometricInterpretation>(*set);
    ASSERT_TRUE(photometric);
    EXPECT_FALSE(photometric->isNotMinIsWhite());
    EXPECT_EQ(find<TiffCompression>(*set)->selectedCode(), TiffCompression::kPackBits);
    const auto* organisation = find<TiffDataOrganization>(*set);
    ASSERT_TRUE(organisation);
    EXPECT_EQ(organisation->code(), TiffDataOrganization::kStrips);
    EXPECT_EQ(organisation->thirdSize(), 4);
    EXPECT_FALSE(find<TiffFillOrder>(*set));
    const auto* artist = find<TiffText>(*set);
    ASSERT_TRUE(artist);
    EXPECT_EQ(text(artist->text()), "someone");
    const auto* range = find<TiffSampleRange>(*set);
    ASSERT_TRUE(range);
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    range->getRange(&minimum, &maximum);
    EXPECT_EQ(minimum, 3);
    EXPECT_EQ(maximum, 200);
    EXPECT_EQ(find<TiffAssociation>(*set)->first(), TiffAssociation::kReducedResolution);
    const auto* page = find<TiffPageInformation>(*set);
    ASSERT_TRUE(page);
    std::int32_t number = 0;
    std::int32_t count = 0;
    page->getPageNumber(number, count);
    EXPECT_EQ(count, 3);
    // The byte order closes the directory's own properties.
    StringBuffer littleEndian;
    loadCodecString(TiffStringId::kByteOrderLittleEndian, littleEndian);
    bool sawOrder = false;
    for (set->start(); !set->isDone(); set->next())
        if (const auto* property = dynamic_cast<const TiffText*>(set->current()))
            if (property->getTiffPropertyKind() == TiffProperty::kKindByteOrder)
            {
                sawOrder = true;
                EXPECT_EQ(text(property->text()), text(littleEndian));
            }
    EXPECT_TRUE(sawOrder);

    // A big-endian bilevel file with its resolution and fill order.
    TiffSpec bits;
    bits.bitsPerSample = 1;
    bits.photometric = PHOTOMETRIC_MINISBLACK;
    bits.fillOrder = FILLORDER_LSB2MSB;
    bits.tileWidth = bits.tileLength = 16;
    bits.tags = [](TIFF* tiff) {
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 200.0);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 100.0);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE);
    };
    set = propertiesOf("bits.tif", bits, "wb");
    ASSERT_TRUE(set);
    find<TiffDensity>(*set)->getDensity(&x, &y);
    EXPECT_EQ(x, 200.0);
    EXPECT_EQ(y, 100.0);
    EXPECT_EQ(find<TiffDensity>(*set)->unit(), FormatCodecDensity::kNoUnit);
    EXPECT_EQ(find<TiffFillOrder>(*set)->selectedIndex(), 1);
    EXPECT_EQ(find<TiffDataOrganization>(*set)->code(), TiffDataOrganization::kTiles);
    EXPECT_EQ(find<TiffAssociation>(*set)->first(), TiffAssociation::kPrimary);
    EXPECT_FALSE(find<TiffPageInformation>(*set));
    StringBuffer bigEndian;
    loadCodecString(TiffStringId::kByteOrderBigEndian, bigEndian);
    bool sawBigEndian = false;
    for (set->start(); !set->isDone(); set->next())
        if (const auto* property = dynamic_cast<const TiffText*>(set->current()))
            sawBigEndian = sawBigEndian || text(property->text()) == text(bigEndian);
    EXPECT_TRUE(sawBigEndian);

    // An RGB directory with unassociated alpha offers its transparency.
    TiffSpec rgba;
    rgba.samplesPerPixel = 4;
    rgba.photometric = PHOTOMETRIC_RGB;
    rgba.extraSamples = {EXTRASAMPLE_UNASSALPHA};
    set = propertiesOf("rgba.tif", rgba);
    ASSERT_TRUE(set);
    EXPECT_TRUE(find<TiffTransparency>(*set));
    EXPECT_FALSE(find<TiffPhotometricInterpretation>(*set));
}

TEST_F(TiffPropertiesTest, AWriterOffersTemplatesWithDefaults)
{
    TiffFormatCodec codec(TiffFormatCodec::kTextureMode);
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(specifierOf(folder_.file("template.tif"))));
    struct Template
    {
        int kind;
        int bits;
        int used;
        std::int32_t organisation;
        std::int32_t tile;
    };
    const Template templates[] = {
        {3, 8, 8, TiffDataOrganization::kTiles, 256}, {0, 16, 16, TiffDataOrganization::kStrips, 0},
        {4, 1, 1, TiffDataOrganization::kTiles, 512}, {1, 32, 24, TiffDataOrganization::kTiles, 128},
    };
    for (const Template& t : templates)
    {
        SCOPED_TRACE(t.kind);
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(100, 200);
        frame->setThirdValue(t.bits);
        frame->setBitsPerPixel(t.used);
        frame->setDataModelKind(t.kind);
        FormatCodecPropertySetIterator* set = frame->getProperties();
        ASSERT_TRUE(set);
        const auto* organisation = find<TiffDataOrganization>(*set);
        ASSERT_TRUE(organisation);
        EXPECT_EQ(organisation->code(), t.organisation);
        if (t.tile)
        {
            std::int32_t width = 0;
            std::int32_t height = 0;
            organisation->getTileSize(&width, &height);
            EXPECT_EQ(width, t.tile);
        }
        // Every text, empty, and the association last.
        int texts = 0;
        for (set->start(); !set->isDone(); set->next())
            if (const auto* property = dynamic_cast<const TiffText*>(set->current()))
            {
                ++texts;
                EXPECT_EQ(property->text().text(), "");
            }
        EXPECT_EQ(texts, 8);
        EXPECT_EQ(find<TiffTransparency>(*set) != nullptr, t.kind == 1);
        // Grey means one sample of more than one bit (plain 16-bit too).
        EXPECT_EQ(find<TiffGrayResponseCurve>(*set) != nullptr, t.kind == 3 || t.kind == 0);
        // The compressions of a writer include LZW in texture mode, except
        // for bilevel images, which have their own list.
        const std::vector<std::int32_t> codes = codesOf(*find<TiffCompression>(*set));
        EXPECT_EQ(codes.back(), t.kind == 4 ? TiffCompression::kGroup4 : TiffCompression::kLzw);
        std::int32_t last = -1;
        for (set->start(); !set->isDone(); set->next())
            if (dynamic_cast<const TiffAssociation*>(set->current()))
                last = set->next();
        EXPECT_GE(last, 0);
        std::unique_ptr<FormatCodecPropertyInterface> association(frame->getPropertyOfType(FormatCodecPropertyInterface::kAssociation));
        ASSERT_TRUE(association);
        EXPECT_EQ(dynamic_cast<TiffAssociation*>(association.get())->first(), TiffAssociation::kPrimary);
        // A correlation is offered: the GeoTIFF template first.
        std::unique_ptr<FormatCodecPropertyInterface> correlation(frame->getPropertyOfType(FormatCodecPropertyInterface::kCorrelation));
        ASSERT_TRUE(correlation);
        StringBuffer geoName;
        loadCodecString(TiffStringId::kGeoCorrelationName, geoName);
        EXPECT_TRUE(correlation->hasName(geoName));
        std::unique_ptr<FormatCodecPropertyInterface> byName(frame->getProperty(geoName));
        EXPECT_TRUE(byName);
    }
}

TEST_F(TiffPropertiesTest, PlacementRecordBehindPrivateTag33535)
{
    // The record directory: entry count, then 12-byte entries; entry 14
    // points to 264 bytes holding x, y, s and d, entry 18 to 256 bytes
    // holding an unused value and then x, y, s and d.
    for (const bool bigEndian : {false, true})
        for (const std::uint16_t entry : {std::uint16_t{14}, std::uint16_t{18}})
        {
            SCOPED_TRACE(std::to_string(bigEndian) + "/" + std::to_string(entry));
            const std::string path = folder_.file("record.tif");
            std::remove(path.c_str());
            const std::uint32_t marker = 0x5A5A1234;
            TiffSpec spec;
            spec.tags = [&](TIFF* tiff) {
                TiffPrivateTag pointer(33535, TIFF_LONG);
                pointer.setData(&marker, 1);
                EXPECT_TRUE(pointer.writeTag(tiff));
            };
            ASSERT_TRUE(writeTiff(path, {spec}, {Bytes(planeRowBytes(spec) * spec.height, 0)}, bigEndian ? "wb" : "w"));
            std::string file;
            {
                std::ifstream in(path, std::ios::binary);
                file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }
            auto put = [&](std::string& out, std::uint64_t value, int bytes) {
                for (int i = 0; i < bytes; ++i)
                    out.push_back(static_cast<char>(bigEndian ? value >> (8 * (bytes - 1 - i)) : value >> (8 * i)));
            };
            auto putDouble = [&](std::string& out, double value) {
                std::uint64_t bits;
                std::memcpy(&bits, &value, 8);
                put(out, bits, 8);
            };
            // The pointer is the offset of the record directory, at the end.
            const auto directory = static_cast<std::uint32_t>(file.size());
            std::string markerBytes;
            put(markerBytes, marker, 4);
            const std::size_t at = file.find(markerBytes);
            ASSERT_NE(at, std::string::npos);
            std::string offsetBytes;
            put(offsetBytes, directory, 4);
            file.replace(at, 4, offsetBytes);
            put(file, 2, 2);
            const std::uint32_t block = directory + 2 + 2 * 12;
            put(file, 99, 2);  // an entry of another kind first
            put(file, 4, 2);
            put(file, 1, 4);
            put(file, 0, 4);
            put(file, entry, 2);
            put(file, 7, 2);
            put(file, entry == 14 ? 264 : 256, 4);
            put(file, block, 4);
            std::string values;
            if (entry == 18)
                putDouble(values, 42.0);
            putDouble(values, 1000.5);
            putDouble(values, -250.0);
            putDouble(values, 2.0);
            putDouble(values, 4.0);
            values.resize(entry == 14 ? 264 : 256, '\0');
            file += values;
            {
                std::ofstream out(path, std::ios::binary | std::ios::trunc);
                out << file;
            }
            std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
            std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
            ASSERT_TRUE(frame);
            std::unique_ptr<FormatCodecPropertySetIterator> set(frame->getProperties());
            const auto* record = find<ZeziZerUruzoredovu>(*set);
            ASSERT_TRUE(record);
            Point3d origin;
            record->getOrigin(origin);
            EXPECT_EQ(origin.x, 1000.5);
            EXPECT_EQ(origin.y, -250.0);
            Vector2d scale;
            record->getScale(scale);
            EXPECT_EQ(scale.x, 2.0);
            Vector2d size;
            record->getPixelSize(size);
            EXPECT_EQ(size.y, 0.25);
            std::int32_t unit = 0;
            EXPECT_EQ(record->getUnit(unit), ZeziZerUruzoredovu::kRecordUnit);
        }
    // A divisor of 0 gives a pixel of 1.
    Vector2d size;
    ZeziZerUruzoredovu(0.0, 0.0, 1.0, 0.0).getPixelSize(size);
    EXPECT_EQ(size.x, 1.0);
}
