// The twelve codec classes: what each answers about its format, its texts
// and versions, which models it can encode, file creation tests, and the
// session's registration and open-for-read sequence.
#include "CodecTestFiles.h"
#include "MemoryFile.h"

#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/codec/SubRegionRowIterator.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

using namespace Omvi;
using OmviTest::AllCodecs;

namespace
{

std::string nameOf(const ImageFormatCodec& codec)
{
    StringBuffer name;
    codec.getName(name);
    return name.text();
}

std::string extensionOf(const ImageFormatCodec& codec, int index)
{
    StringBuffer text;
    EXPECT_TRUE(codec.getExtension(index, text));
    return text.text();
}

struct Expected
{
    const char* name;
    int capabilities;
    int probeClass;
    int codecMinor;
    std::vector<std::string> extensions;
    std::string defaultExtension;
};

} // namespace

TEST(CodecClasses, AnswerTheirFormatsFacts)
{
    AllCodecs codecs;
    const std::map<std::string, Expected> expected = {
        {"TIFF", {"TiffFormatCodec", 17, 0, 0, {"tif", "tiff"}, "tif"}},
        {"Targa", {"TargaFormatCodec", 17, 1, 0, {"tga"}, "tga"}},
        {"RLC", {"RlcFormatCodec", 1, 0, 0, {"rlc"}, "rlc"}},
        {"PNG", {"PngFormatCodec", 17, 0, 1, {"png"}, "png"}},
        {"PICT", {"PictFormatCodec", 1, 0, 0, {"pct", "pict"}, "pict"}},
        {"PCX", {"PcxFormatCodec", 17, 0, 0, {"pcx"}, "pcx"}},
        {"JFIF", {"JfifFormatCodec", 17, 0, 1, {"jpg"}, "jpg"}},
        {"IG4", {"Ig4FormatCodec", 1, 0, 0, {"ig4"}, "ig4"}},
        {"GIF", {"GifFormatCodec", 1, 0, 0, {"gif"}, "gif"}},
        {"FLIC", {"FlicFormatCodec", 1, 0, 0, {"fli", "flc"}, "fli"}},
        {"CALS", {"CalsFormatCodec", 17, 0, 1, {"cal", "cals", "ct1", "gp4", "mil", "ras"}, "cal"}},
        {"BMP", {"BmpFormatCodec", 17, 0, 0, {"bmp", "dib", "rle"}, "bmp"}},
    };
    for (ImageFormatCodec* codec : codecs.list())
    {
        const std::string name = nameOf(*codec);
        ASSERT_EQ(expected.count(name), 1u) << name;
        const Expected& facts = expected.at(name);
        SCOPED_TRACE(name);
        EXPECT_EQ(codec->getCapabilities(), facts.capabilities);
        EXPECT_EQ(codec->getProbeClass(), facts.probeClass);
        int major = 0;
        int minor = -1;
        int build = 0;
        EXPECT_EQ(codec->getVersion(&major, &minor, &build), 589);
        EXPECT_EQ(major, 1);
        EXPECT_EQ(minor, facts.codecMinor);
        EXPECT_EQ(build, 589);
        codec->getApiVersion(&major, &minor);
        EXPECT_EQ(major, 3);
        EXPECT_EQ(minor, 0);
        EXPECT_EQ(codec->constantQuery6(), name == "RLC" ? 1 : 0);
        EXPECT_EQ(codec->constantQuery7(), 0);
        ASSERT_EQ(codec->getExtensionCount(), static_cast<int>(facts.extensions.size()));
        for (std::size_t i = 0; i < facts.extensions.size(); ++i)
            EXPECT_EQ(extensionOf(*codec, static_cast<int>(i)), facts.extensions[i]);
        EXPECT_EQ(extensionOf(*codec, 99), facts.defaultExtension);
        EXPECT_EQ(extensionOf(*codec, -1), facts.defaultExtension);
        StringBuffer description;
        EXPECT_TRUE(codec->getDescription(description));
        EXPECT_FALSE(description.isEmpty());
        StringBuffer credit;
        EXPECT_TRUE(codec->getCreditText(credit));
        EXPECT_EQ(credit.isEmpty(), name == "BMP" || name == "PCX");
    }
    StringBuffer banner;
    codecs.png.getCreditText(banner);
    EXPECT_NE(banner.text().find("libpng"), std::string::npos);
    EXPECT_EQ(banner.encoding(), 0u);
}

TEST(CodecClasses, TheBmpVersionRecordGivesOneZeroAndBuild589)
{
    BmpFormatCodec codec;
    EXPECT_EQ(std::string(codec.description().versionRecord).rfind(",3,0,1,0,0589,BmpFormatCodec,", 0), 0u);
    int major = 0;
    int minor = 0;
    int build = 0;
    codec.getVersion(&major, &minor, &build);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 589);
    BmpFormatCodecApiVersion version;
    EXPECT_EQ(version.majorVersion(), 3);
    EXPECT_EQ(version.minorVersion(), 0);
}

TEST(CodecClasses, WithoutTheStringLibraryEveryTextIsEmpty)
{
    AllCodecs codecs;
    setCodecStringLibraryPresent(false);
    for (ImageFormatCodec* codec : codecs.list())
    {
        StringBuffer text;
        EXPECT_FALSE(codec->getName(text));
        EXPECT_TRUE(text.isEmpty());
        EXPECT_FALSE(codec->getDescription(text));
        EXPECT_TRUE(text.isEmpty());
        EXPECT_FALSE(codec->getExtension(0, text));
        EXPECT_TRUE(text.isEmpty());
    }
    setCodecStringLibraryPresent(true);
}

TEST(CodecClasses, PropertySupportFollowsEachFormat)
{
    AllCodecs codecs;
    using P = FormatCodecPropertyInterface;
    auto supported = [](const ImageFormatCodec& codec) {
        std::vector<int> types;
        for (int type : {P::kCompression, P::kDensity, P::kDataOrganization, P::kAssociation, P::kTransparency,
                         P::kCorrelation, P::kColor, P::kSampleFormat})
            if (codec.isPropertySupported(type, nullptr))
                types.push_back(type);
        return types;
    };
    EXPECT_EQ(supported(codecs.tiff), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(supported(codecs.png), (std::vector<int>{3, 6, 7, 8}));
    EXPECT_EQ(supported(codecs.bmp), (std::vector<int>{3, 7}));
    EXPECT_EQ(supported(codecs.cals), (std::vector<int>{3, 7}));
    EXPECT_EQ(supported(codecs.jfif), (std::vector<int>{}));
    EXPECT_EQ(supported(codecs.flic), (std::vector<int>{}));
    for (ImageFormatCodec* codec : {static_cast<ImageFormatCodec*>(&codecs.targa), static_cast<ImageFormatCodec*>(&codecs.rlc),
                                    static_cast<ImageFormatCodec*>(&codecs.pict), static_cast<ImageFormatCodec*>(&codecs.pcx),
                                    static_cast<ImageFormatCodec*>(&codecs.ig4), static_cast<ImageFormatCodec*>(&codecs.gif)})
        EXPECT_EQ(supported(*codec), (std::vector<int>{7})) << nameOf(*codec);

    // Private properties go by name.
    const AsciiStringBuffer comment("JFIF Comment");
    EXPECT_TRUE(codecs.jfif.isPropertySupported(P::kPrivate, &comment));
    EXPECT_FALSE(codecs.jfif.isPropertySupported(P::kPrivate, nullptr));
    EXPECT_FALSE(codecs.png.isPropertySupported(P::kPrivate, &comment));
    const AsciiStringBuffer gamma("Gamma");
    const AsciiStringBuffer title("Title");
    EXPECT_TRUE(codecs.png.isPropertySupported(P::kPrivate, &gamma));
    EXPECT_TRUE(codecs.png.isPropertySupported(P::kPrivate, &title));
    const AsciiStringBuffer artist("Artist");
    const AsciiStringBuffer byteOrder("Byte Order");  // kind 1 is not among the checked names
    EXPECT_TRUE(codecs.tiff.isPropertySupported(P::kPrivate, &artist));
    EXPECT_FALSE(codecs.tiff.isPropertySupported(P::kPrivate, &byteOrder));
    const AsciiStringBuffer rtype("rtype:");
    const AsciiStringBuffer rtypeShort("rtype");
    EXPECT_TRUE(codecs.cals.isPropertySupported(P::kPrivate, &rtype));
    EXPECT_FALSE(codecs.cals.isPropertySupported(P::kPrivate, &rtypeShort));
    const AsciiStringBuffer arc("Arc Edit");
    const AsciiStringBuffer reference("Image Reference");
    EXPECT_TRUE(codecs.rlc.isPropertySupported(P::kPrivate, &arc));
    EXPECT_TRUE(codecs.rlc.isPropertySupported(P::kPrivate, &reference));
    EXPECT_TRUE(codecs.ig4.isPropertySupported(P::kPrivate, &arc));
    EXPECT_FALSE(codecs.ig4.isPropertySupported(P::kPrivate, &reference));
    EXPECT_FALSE(codecs.flic.isPropertySupported(P::kPrivate, &arc));

    // The organisations.
    EXPECT_TRUE(codecs.tiff.isDataOrganizationSupported(5));
    EXPECT_FALSE(codecs.tiff.isDataOrganizationSupported(6));
    EXPECT_TRUE(codecs.png.isDataOrganizationSupported(6));
    EXPECT_TRUE(codecs.jfif.isDataOrganizationSupported(1));
    EXPECT_FALSE(codecs.jfif.isDataOrganizationSupported(0));
    EXPECT_TRUE(codecs.rlc.isDataOrganizationSupported(4));
    EXPECT_FALSE(codecs.bmp.isDataOrganizationSupported(6));
}

TEST(CodecClasses, EachCodecTakesItsOwnDataOrganisations)
{
    AllCodecs codecs;
    auto organisations = [](const ImageFormatCodec& codec) {
        std::vector<int> found;
        for (int organisation = -1; organisation <= 7; ++organisation)
            if (codec.isDataOrganizationSupported(organisation))
                found.push_back(organisation);
        return found;
    };
    EXPECT_EQ(organisations(codecs.tiff), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(organisations(codecs.png), (std::vector<int>{0, 6}));
    EXPECT_EQ(organisations(codecs.cals), (std::vector<int>{0, 6}));
    EXPECT_EQ(organisations(codecs.jfif), (std::vector<int>{1, 6}));
    EXPECT_EQ(organisations(codecs.rlc), (std::vector<int>{0, 4}));
    for (ImageFormatCodec* codec : {static_cast<ImageFormatCodec*>(&codecs.bmp), static_cast<ImageFormatCodec*>(&codecs.gif),
                                    static_cast<ImageFormatCodec*>(&codecs.targa), static_cast<ImageFormatCodec*>(&codecs.flic),
                                    static_cast<ImageFormatCodec*>(&codecs.pict), static_cast<ImageFormatCodec*>(&codecs.pcx),
                                    static_cast<ImageFormatCodec*>(&codecs.ig4)})
        EXPECT_EQ(organisations(*codec), (std::vector<int>{0})) << nameOf(*codec);
    // Read-only codecs encode nothing.
    const RgbGrayModel grey;
    for (ImageFormatCodec* codec : {static_cast<ImageFormatCodec*>(&codecs.gif), static_cast<ImageFormatCodec*>(&codecs.pict),
                                    static_cast<ImageFormatCodec*>(&codecs.rlc), static_cast<ImageFormatCodec*>(&codecs.ig4)})
        EXPECT_FALSE(codec->canEncode(&grey, 10, 10)) << nameOf(*codec);
}

TEST(CodecClasses, CodecSpecificOperations)
{
    AllCodecs codecs(TiffFormatCodec::kWithoutLzw);
    EXPECT_EQ(codecs.tiff.modeCode(), 0);
    EXPECT_EQ(TiffFormatCodec(TiffFormatCodec::kWithLzw).modeCode(), 1);
    EXPECT_EQ(TiffFormatCodec(TiffFormatCodec::kTextureMode).modeCode(), 2);
    StringBuffer text;
    ASSERT_TRUE(codecs.tiff.getTextPropertyName(1, text));
    EXPECT_EQ(text.text(), "Artist");
    EXPECT_FALSE(codecs.tiff.getTextPropertyName(9, text));
    TiffFormatCodec::privateTagName(33535, text);
    EXPECT_EQ(text.text(), "$TIFF_Private_Tag#33535");
    TiffFormatCodec::privateTagName(7, text);
    EXPECT_EQ(text.text(), "$TIFF_Private_Tag#00007");
    TiffFormatCodec::geoTiffTableFolder(text);
    EXPECT_TRUE(text.isEmpty());

    EXPECT_TRUE(codecs.png.isPrivatePropertyIndex(15));
    EXPECT_FALSE(codecs.png.isPrivatePropertyIndex(16));
    ASSERT_TRUE(codecs.png.getPrivatePropertyName(15, text));
    EXPECT_EQ(text.text(), "Title");
    ASSERT_TRUE(codecs.png.getPrivatePropertyName(6, text));
    EXPECT_EQ(text.text(), "Author");

    ASSERT_TRUE(codecs.jfif.getPrivatePropertyName(1, text));
    EXPECT_EQ(text.text(), "Progressive Output");
    EXPECT_FALSE(codecs.jfif.getPrivatePropertyName(2, text));
}

TEST(CodecClasses, CanEncodeOnlyWhatTheirWritersTake)
{
    AllCodecs codecs;
    const RgbModel rgb24(24);
    const RgbModel rgb32(32);
    const RgbGrayModel gray;
    const BitonalModel bitonal;
    const RgbColor colors[4] = {};
    const RgbPaletteModel palette(4, colors);
    const DataModel plain16(1, kDataTypeSixteenBit, 16);
    const DataModel float32(3, kDataTypeThirtyTwoBit, 32);

    EXPECT_TRUE(codecs.bmp.canEncode(&rgb24, 10, 10));
    EXPECT_TRUE(codecs.bmp.canEncode(&bitonal, 10, 10));
    EXPECT_TRUE(codecs.bmp.canEncode(&gray, 10, 10));
    EXPECT_FALSE(codecs.bmp.canEncode(&rgb24, 0, 10));
    EXPECT_FALSE(codecs.bmp.canEncode(&plain16, 10, 10));
    EXPECT_FALSE(codecs.bmp.canEncode(nullptr, 10, 10));

    EXPECT_TRUE(codecs.jfif.canEncode(&rgb32, 1, 1));
    EXPECT_TRUE(codecs.jfif.canEncode(&gray, 1, 1));
    EXPECT_TRUE(codecs.jfif.canEncode(&rgb32, 65500, 65500));
    EXPECT_FALSE(codecs.jfif.canEncode(&rgb32, 65501, 1));
    EXPECT_FALSE(codecs.jfif.canEncode(&gray, 1, 65501));
    EXPECT_FALSE(codecs.jfif.canEncode(&bitonal, 1, 1));
    EXPECT_FALSE(codecs.jfif.canEncode(&palette, 1, 1));

    EXPECT_TRUE(codecs.tiff.canEncode(&bitonal, 5, 5));
    EXPECT_TRUE(codecs.tiff.canEncode(&palette, 5, 5));
    EXPECT_TRUE(codecs.tiff.canEncode(&plain16, 5, 5));
    EXPECT_TRUE(codecs.tiff.canEncode(&float32, 5, 5));
    EXPECT_FALSE(codecs.tiff.canEncode(&float32, 0x7FFFFFFF, 5));

    EXPECT_TRUE(codecs.pcx.canEncode(&gray, 65536, 1));
    EXPECT_FALSE(codecs.pcx.canEncode(&gray, 65537, 1));
    EXPECT_FALSE(codecs.pcx.canEncode(&rgb24, 1, 1));

    EXPECT_TRUE(codecs.targa.canEncode(&rgb32, 65534, 1));
    EXPECT_FALSE(codecs.targa.canEncode(&rgb32, 65535, 1));
    EXPECT_TRUE(codecs.targa.canEncode(&palette, 3, 3));
    EXPECT_FALSE(codecs.targa.canEncode(&bitonal, 3, 3));

    EXPECT_TRUE(codecs.png.canEncode(&bitonal, 1, 1));
    EXPECT_FALSE(codecs.png.canEncode(&plain16, 1, 1));
    EXPECT_TRUE(codecs.cals.canEncode(&bitonal, 0, 0));
    EXPECT_FALSE(codecs.cals.canEncode(&gray, 1, 1));
    EXPECT_TRUE(codecs.flic.canEncode(&gray, 0, 0));
    for (ImageFormatCodec* codec : {static_cast<ImageFormatCodec*>(&codecs.rlc), static_cast<ImageFormatCodec*>(&codecs.pict),
                                    static_cast<ImageFormatCodec*>(&codecs.ig4), static_cast<ImageFormatCodec*>(&codecs.gif)})
        EXPECT_FALSE(codec->canEncode(&bitonal, 1, 1));
}

TEST(CodecClasses, CreationTestsRefuseExistingFilesAndLeaveNothing)
{
    AllCodecs codecs;
    const std::string folder = platform::temporaryFolder();
    const std::string fresh = folder + "/codec-create-test-" + std::to_string(::getpid()) + ".img";
    const FileSpecifier freshFile(AsciiStringBuffer(fresh), FileSpecifier::kFile);
    ::unlink(fresh.c_str());
    for (ImageFormatCodec* codec : codecs.list())
    {
        const bool writable = codec->getCapabilities() & ImageFormatCodec::kCanWrite;
        const std::string name = nameOf(*codec);
        // The read-only codecs that may still create files: FLIC and PICT.
        const bool creates = writable || name == "FLIC" || name == "PICT";
        EXPECT_EQ(codec->canCreateFile(freshFile), creates) << name;
        EXPECT_FALSE(platform::path::fileExists(platform::path::fromNative(fresh))) << name;
    }
    // A file that exists is never overwritten.
    std::FILE* existing = std::fopen(fresh.c_str(), "w");
    ASSERT_NE(existing, nullptr);
    std::fputs("keep", existing);
    std::fclose(existing);
    EXPECT_FALSE(codecs.bmp.canCreateFile(freshFile));
    EXPECT_FALSE(codecs.tiff.canCreateFile(freshFile));
    EXPECT_TRUE(platform::path::fileExists(platform::path::fromNative(fresh)));
    ::unlink(fresh.c_str());
    // Only files of the file system.
    EXPECT_FALSE(codecs.bmp.canCreateFile(FileSpecifier(AsciiStringBuffer(fresh), FileSpecifier::kStream)));
    EXPECT_FALSE(codecs.bmp.canCreateFile(FileSpecifier()));
}

TEST(CodecClasses, TheSessionRegistersThemAndFindsEachFormat)
{
    const FileSpecifier paging = makeScratchFileSpecifier("IMG");
    OMVISession* session = OMVISession::create(paging, 0);
    ASSERT_NE(session, nullptr);
    AllCodecs codecs;
    for (ImageFormatCodec* codec : codecs.list())
        EXPECT_TRUE(session->registerCodec(codec));
    EXPECT_TRUE(session->isCompatible(TiffFormatCodecApiVersion()));
    EXPECT_TRUE(session->isCompatible(Ig4FormatCodecApiVersion()));
    const std::vector<std::pair<OmviTest::Bytes, ImageFormatCodec*>> files = {
        {OmviTest::bmpFile(3, 2, 24), &codecs.bmp},     {OmviTest::jfifStart(), &codecs.jfif},
        {OmviTest::pngFile(2, 2), &codecs.png},         {OmviTest::gifFile("GIF87a"), &codecs.gif},
        {OmviTest::flicFile(), &codecs.flic},           {OmviTest::pcxFile(), &codecs.pcx},
        {OmviTest::calsFile(), &codecs.cals},           {OmviTest::pictFile(), &codecs.pict},
        {OmviTest::tiffFile(), &codecs.tiff},           {OmviTest::containerFile(5), &codecs.ig4},
        {OmviTest::rlcFile(8, {{{1, 3}}, {}}), &codecs.rlc}, {OmviTest::targaFile(2, 24), &codecs.targa},
    };
    for (const auto& [bytes, owner] : files)
    {
        const OmviTest::MemoryFile file(bytes);
        ImageFormatCodec* found = nullptr;
        EXPECT_EQ(session->findCodec(file.specifier(), found), ImageFormatCodec::kRecognised) << nameOf(*owner);
        EXPECT_EQ(found, owner) << nameOf(*owner) << " taken by " << (found ? nameOf(*found) : "none");
    }
    // The session must not outlive the codecs it points at.
    EXPECT_TRUE(OMVISession::destroy());
}
