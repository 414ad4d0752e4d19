#include "addin/texture/TextureImageConverter.h"

#include "addin/ErrorReport.h"
#include "addin/texture/TextureBstr.h"
#include "addin/texture/TextureFileIdentity.h"
#include "addin/texture/TextureFrameSelection.h"
#include "addin/texture/TextureImagingSession.h"
#include "addin/texture/TextureJpegEncoder.h"
#include "addin/texture/TextureNames.h"
#include "addin/texture/TextureOutputFolder.h"
#include "addin/texture/TextureW2DFile.h"
#include "addin/texture/WriteBufferedStream.h"
#include "dwfcore/RegularFile.h"
#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/StringBuffer.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/UnsupportedVariantInterface.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/properties/TiffChoiceProperties.h"
#include "imaging/codecs/tiff/properties/TiffCompression.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorRep.h"
#include "imaging/filters/ReorientFilter.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"
#include "platform/kernel/Volume.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

namespace
{

constexpr std::int32_t kCompressionProperty = 2;
constexpr std::int32_t kDensityProperty = 3;
constexpr double kCentimetresPerInch = 2.54;
// A plain data model's sample format for floating-point samples.
constexpr std::int32_t kFloatingPointSamples = 3;

// Ends a conversion with its reason; caught by ConvertTextureImage only.
struct ConversionFailure
{
    std::u16string reason;
};

[[noreturn]] void fail(std::u16string reason)
{
    throw ConversionFailure{std::move(reason)};
}

// The library's messages name files in the system's bytes; they keep them.
std::u16string messageOf(const Omvi::OMVIException& failure)
{
    return platform::path::fromNative(failure.getMessage().text());
}

// What a failure of the imaging library says about the texture file: a
// damaged file in the decoder's own words where it gave them, a file the
// library cannot read with the library's reason.
std::u16string causeOf(const Omvi::OMVIException& failure)
{
    if (const auto* codec = dynamic_cast<const Omvi::FormatCodecException*>(&failure))
    {
        if (codec->code() != Omvi::kCodecCorruptImage)
            return u"the texture image cannot be read: " + messageOf(failure);
        if (codec->reason().empty())
            return u"the texture image is damaged";
        return u"the texture image is damaged: " + platform::utf8ToUtf16(codec->reason());
    }
    if (dynamic_cast<const Omvi::FileDescriptorException*>(&failure))
        return u"the texture image cannot be read: " + messageOf(failure);
    return u"the imaging library failed: " + messageOf(failure);
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The frames of a file through a descriptor of its own.
class DescriptorFrames : public TextureFrameSource
{
public:
    explicit DescriptorFrames(Omvi::FileReadDescriptor& descriptor) : descriptor_(descriptor) {}

    std::int32_t frameCount() override { return descriptor_.frameCount(); }
    bool selectFrame(std::int32_t index) override { return descriptor_.selectFrame(index); }
    std::vector<std::int32_t> associations() override
    {
        std::vector<std::int32_t> values;
        std::unique_ptr<Omvi::FormatCodecPropertySetIterator> properties(
            descriptor_.getFormatProperties());
        if (!properties)
            return values;
        for (properties->start(); !properties->isDone(); properties->next())
        {
            if (const auto* association =
                    dynamic_cast<const Omvi::FormatCodecAssociation*>(properties->current()))
                values.push_back(association->first());
            properties->release();
        }
        return values;
    }

private:
    Omvi::FileReadDescriptor& descriptor_;
};

// Dots per inch from the frame's density, or the default.
double resolutionOf(Omvi::FileReadDescriptor& frame)
{
    std::unique_ptr<Omvi::FormatCodecPropertyInterface> property(
        frame.getFormatProperty(kDensityProperty));
    const auto* density = dynamic_cast<const Omvi::FormatCodecDensity*>(property.get());
    if (density == nullptr)
        return TextureImageConverter::kDefaultDotsPerInch;
    double x = 0.0;
    double y = 0.0;
    density->getDensity(&x, &y);
    if (density->unit() == Omvi::FormatCodecDensity::kPerCentimetre)
        x *= kCentimetresPerInch;
    return std::isfinite(x) && x > 1.0 ? x : TextureImageConverter::kDefaultDotsPerInch;
}

// A bitonal TIFF frame coded in Group 4 whose 0 is white: its file bytes
// are what the W2D image object takes.
bool isWhiteZeroGroup4(Omvi::FileReadDescriptor& frame)
{
    std::unique_ptr<Omvi::FormatCodecPropertyInterface> property(
        frame.getFormatProperty(kCompressionProperty));
    const auto* compression = dynamic_cast<const Omvi::TiffCompression*>(property.get());
    if (compression == nullptr || compression->selectedCode() != Omvi::TiffCompression::kGroup4)
        return false;
    std::unique_ptr<Omvi::FormatCodecPropertySetIterator> properties(frame.getFormatProperties());
    if (!properties)
        return false;
    for (properties->start(); !properties->isDone(); properties->next())
        if (const auto* photometric =
                dynamic_cast<const Omvi::TiffPhotometricInterpretation*>(properties->current()))
            return !photometric->isNotMinIsWhite();
    return false;
}

// The whole file, as much of it as a W2D image can carry; false with errno
// set when it cannot be read.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    const int file = DWFCore::openRegularFile(path);
    if (file < 0)
        return false;
    const bool whole =
        DWFCore::readWholeFile(file, std::numeric_limits<std::uint32_t>::max(), bytes);
    const int error = errno;
    ::close(file);
    errno = error;
    return whole;
}

// Writes all the bytes to `path` (created or truncated), every write and the
// close checked. False with errno that of the failing call.
bool writeWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    const int file =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0)
        return false;
    std::size_t done = 0;
    while (done < size)
    {
        const ssize_t written = ::write(file, data + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            const int error = written == 0 ? EIO : errno;
            ::close(file);
            errno = error;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return ::close(file) == 0;
}

// "'file': reason" for a failure of the system's, else "'file'".
std::u16string fileAndReason(const std::u16string& file, int error)
{
    std::u16string text = u"'" + file + u"'";
    if (error != 0)
        text += u": " + platform::utf8ToUtf16(platform::systemReason(error));
    return text;
}

// "'folder': reason" for a page file that found no room: its room is what
// the folder's file system had free when it was made.
std::u16string noRoomIn(const std::string& folder)
{
    std::u16string text = fileAndReason(platform::path::fromNative(folder), ENOSPC);
    if (const auto figures = platform::volumeFigures(folder))
        text += u" (" + platform::utf8ToUtf16(std::to_string(figures->freeBytes)) + u" bytes free)";
    return text;
}

// The format a codec reads, as its name says it ("PNG", "Targa").
std::u16string formatName(const Omvi::ImageFormatCodec* codec)
{
    Omvi::StringBuffer name;
    if (codec == nullptr || !codec->getName(name) || name.isEmpty())
        return u"";
    return platform::utf8ToUtf16(name.text());
}

// The kind of file a codec recognised but does not read, in words that
// name the format ("CMYK TIFF"); empty when the codec has none.
std::u16string variantOf(const Omvi::ImageFormatCodec* codec, const Omvi::FileSpecifier& file)
{
    const auto* variants = dynamic_cast<const Omvi::UnsupportedVariantInterface*>(codec);
    return variants != nullptr ? platform::utf8ToUtf16(variants->unsupportedVariant(file)) : u"";
}

// The samples of a model, as in "TIFF of 16 bits a sample".
std::u16string samplesOf(const Omvi::DataModel& model)
{
    const std::string bits = std::to_string(model.bitsUsedPerPixel());
    if (model.sampleFormat() == kFloatingPointSamples)
        return platform::utf8ToUtf16(bits + "-bit floating-point samples");
    return platform::utf8ToUtf16(bits + " bits a sample");
}

// Why no registered codec takes the file (`recognising` the codec whose
// probe answered, when one did). A file that cannot even be opened says so
// with the system's reason: a missing file is no unknown format. A file of
// a kind that is not read says which kind, so the user knows what to
// convert.
[[noreturn]] void failUnrecognised(const std::u16string& path, const Omvi::FileSpecifier& specifier,
                                   std::int32_t probe, const Omvi::ImageFormatCodec* recognising)
{
    const std::string native = platform::path::toNative(path);
    // The codecs refuse a FIFO, a device or a folder without saying so.
    const int file = DWFCore::openRegularFile(native);
    if (file < 0)
    {
        const int error = errno;
        fail(u"the texture file cannot be opened: " +
             fileAndReason(platform::path::fromNative(native), error));
    }
    char first = 0;
    const bool empty = ::read(file, &first, 1) == 0;
    ::close(file);
    if (empty)
        fail(u"the texture file is empty");
    const std::u16string format = formatName(recognising);
    switch (probe)
    {
    case 1:
    {
        const std::u16string kind = variantOf(recognising, specifier);
        if (!kind.empty())
            fail(u"the texture image is of a kind that cannot be read: " + kind);
        if (format.empty())
            fail(u"the texture image is of a kind that cannot be read");
        fail(u"the texture image is a " + format + u" image of a kind that cannot be read");
    }
    case 3:
        fail(u"the texture image is cut short");
    default:
        fail(u"the texture image is in no format that can be read");
    }
}

// The registered codec that recognises the file at `path`.
Omvi::ImageFormatCodec* recognise(const std::u16string& path, const Omvi::FileSpecifier& file)
{
    Omvi::ImageFormatCodec* recognising = nullptr;
    const std::int32_t probe = Omvi::FileReadDescriptor::probeFile(file, recognising);
    if (probe != 0 || recognising == nullptr)
        failUnrecognised(path, file, probe, recognising);
    return recognising;
}

std::unique_ptr<Omvi::FileReadDescriptor> openDescriptor(const Omvi::FileSpecifier& file)
{
    std::unique_ptr<Omvi::FileReadDescriptor> descriptor;
    try
    {
        descriptor = std::make_unique<Omvi::FileReadDescriptor>(file);
    }
    catch (Omvi::OMVIException* thrown)
    {
        const Omvi::OwnedException owned(thrown);
        fail(owned ? causeOf(*owned) : u"the texture image cannot be opened");
    }
    // A first frame that cannot be opened makes the descriptor throw its
    // reader's reason (a damaged header, say) when asked for the frame's
    // size: asked now, before the file's frames are counted.
    if (descriptor->representation().frame() == nullptr)
        static_cast<void>(descriptor->size());
    return descriptor;
}

// Why the frame of `descriptor` gives no rows.
[[noreturn]] void failWithoutRows(Omvi::FileReadDescriptor& descriptor)
{
    Omvi::ReadImageFileFrameInterface* frame = descriptor.representation().frame();
    const char* reason = frame != nullptr ? frame->rowRefusal() : nullptr;
    if (reason == nullptr)
        fail(u"the texture image's pixel data is coded in a way that cannot be read");
    fail(u"the texture image cannot be read: " + platform::utf8ToUtf16(reason));
}

// Refuses an empty frame and one beyond the limits. A texture that is
// `converted` becomes a JPEG, whose sides stop short of the W2D image's.
void checkSize(const Omvi::PixelPair& size, std::int64_t maxPixels, bool converted)
{
    if (size.x < 1 || size.y < 1)
        fail(u"the texture image is empty");
    const std::u16string pixels = platform::utf8ToUtf16(std::to_string(size.x)) + u" x " +
                                  platform::utf8ToUtf16(std::to_string(size.y)) + u" pixels";
    if (converted &&
        (size.x > Omvi::JfifFormatCodec::kMaxSide || size.y > Omvi::JfifFormatCodec::kMaxSide))
        fail(u"the texture image is too large for a JPEG texture: " + pixels +
             u" (at most 65,500 pixels a side)");
    if (size.x > TextureImageConverter::kMaxSide || size.y > TextureImageConverter::kMaxSide ||
        std::int64_t{size.x} * size.y > maxPixels)
        fail(u"the texture image is too large: " + pixels);
}

} // namespace

TextureImageConverter::TextureImageConverter(TextureOutputFolder& folder) : folder_(folder) {}

template <class Step> bool TextureImageConverter::attempt(const std::u16string& path, Step step)
{
    failure_.clear();
    details_ = {};
    try
    {
        step();
        return true;
    }
    catch (const ConversionFailure& failure)
    {
        failure_ = failure.reason;
    }
    catch (Omvi::OMVIException* thrown)
    {
        const Omvi::OwnedException owned(thrown);
        failure_ = owned ? causeOf(*owned) : u"the imaging library failed";
    }
    catch (const std::bad_alloc&)
    {
        failure_ = u"out of memory";
    }
    catch (const std::exception& failure)
    {
        failure_ = platform::path::fromNative(failure.what());
    }
    catch (...)
    {
        failure_ = u"an unexpected failure";
    }
    if (reportFailures_)
        ReportPublishError(kMethodName, true, u"Texture " + path + u": " + failure_);
    return false;
}

std::u16string TextureImageConverter::ConvertTextureImage(const std::u16string& path,
                                                          bool* converted)
{
    // Held open over the conversion, which reads the file by its path.
    const HeldTextureFile source(path);
    return ConvertTextureImage(source, converted);
}

std::u16string TextureImageConverter::ConvertTextureImage(const HeldTextureFile& source,
                                                          bool* converted)
{
    if (converted)
        *converted = false;
    std::u16string output;
    if (!attempt(source.path(), [&] { output = convert(source); }))
        return source.path();
    if (converted)
        *converted = true;
    return output;
}

TextureFileFormat TextureImageConverter::ReadTextureImage(const std::u16string& path)
{
    const HeldTextureFile source(path);
    return ReadTextureImage(source);
}

TextureFileFormat TextureImageConverter::ReadTextureImage(const HeldTextureFile& source)
{
    if (const TextureOutputFolder::Reading* earlier = folder_.readBefore(source.key()))
    {
        failure_ = earlier->failure;
        details_ = {};
        details_.reused = true;
        return earlier->format;
    }
    const std::u16string& path = source.path();
    TextureFileFormat format = TextureFileFormat::Unreadable;
    if (!attempt(path, [&] { format = read(path); }))
        format = TextureFileFormat::Unreadable;
    // What was read of a file replaced meanwhile may be another file's:
    // it answers this call alone.
    if (source.unchanged())
        folder_.rememberRead(source.key(), {format, failure_});
    return format;
}

TextureFileFormat TextureImageConverter::read(const std::u16string& path)
{
    const auto started = std::chrono::steady_clock::now();
    if (path.empty())
        fail(u"no texture file is named");
    // The session goes last, after the descriptor and its rows.
    TextureImagingSession session;
    // The file's own bytes go into the package: they must be whole, not
    // merely decodable, so damage the decoders would work around fails.
    if (auto* jpeg = session.first<Omvi::JfifFormatCodec>())
        jpeg->setStrictDecoding(true);
    if (auto* png = session.first<Omvi::PngFormatCodec>())
        png->setStrictDecoding(true);
    const Omvi::FileSpecifier file = Omvi::fileSpecifierFromPath(path);
    Omvi::ImageFormatCodec* codec = recognise(path, file);
    TextureFileFormat format = TextureFileFormat::Other;
    if (dynamic_cast<Omvi::JfifFormatCodec*>(codec))
        format = TextureFileFormat::Jpeg;
    else if (dynamic_cast<Omvi::PngFormatCodec*>(codec))
        format = TextureFileFormat::Png;
    else
        return format;

    std::unique_ptr<Omvi::FileReadDescriptor> descriptor = openDescriptor(file);
    details_.fileFrames = descriptor->frameCount();
    if (details_.fileFrames < 1)
        fail(u"the texture image holds no frame");
    const Omvi::PixelPair size = descriptor->size();
    details_.width = size.x;
    details_.height = size.y;
    checkSize(size, maxPixels_, false);
    // The rows as stored, not turned upright: only whether every one of
    // them decodes matters, and none is kept beyond the next.
    std::unique_ptr<Omvi::RowProviderInterface> rows(descriptor->rowProvider());
    if (!rows || !rows->isValid())
        failWithoutRows(*descriptor);
    // The decoders read the file on to its end with the last row: a file
    // that lacks it, or is damaged anywhere, fails here.
    Omvi::DataBuffer row(rows->bytesPerRow());
    for (std::int32_t y = 0; y < size.y && rows->rowsRemaining() > 0; ++y)
        rows->getNextRow(row);
    details_.secondsReadingAndEncoding = secondsSince(started);
    return format;
}

std::u16string TextureImageConverter::convert(const HeldTextureFile& source)
{
    const auto started = std::chrono::steady_clock::now();
    const std::u16string& path = source.path();
    if (path.empty())
        fail(u"no texture file is named");
    const std::u16string earlier = folder_.convertedFrom(source.key());
    if (!earlier.empty())
    {
        details_.reused = true;
        return earlier;
    }
    const std::string native = platform::path::toNative(path);
    if (native.size() + 1 > kMaxTexturePathBytes)
        fail(u"the texture's path is longer than " +
             platform::utf8ToUtf16(std::to_string(kMaxTexturePathBytes - 1)) + u" bytes");

    // The session goes last, after every descriptor and row source.
    TextureImagingSession session;
    const Omvi::FileSpecifier file = Omvi::fileSpecifierFromPath(path);
    recognise(path, file);
    std::unique_ptr<Omvi::FileReadDescriptor> descriptor = openDescriptor(file);
    details_.fileFrames = descriptor->frameCount();
    if (details_.fileFrames < 1)
        fail(u"the texture image holds no frame");

    TextureFrameSelection selection;
    {
        Omvi::FileReadDescriptor scan(*descriptor);
        DescriptorFrames frames(scan);
        selection = SelectTextureFrames(frames);
    }
    details_.frame = selection.first();
    details_.selectedFrames = selection.selectedCount;
    std::unique_ptr<Omvi::FileReadDescriptor> chosen;
    Omvi::FileReadDescriptor* frame = descriptor.get();
    if (details_.frame != 0)
    {
        chosen = std::make_unique<Omvi::FileReadDescriptor>(*descriptor);
        if (!chosen->selectFrame(details_.frame))
            fail(u"the texture image's frame cannot be read");
        frame = chosen.get();
    }

    const Omvi::PixelPair size = frame->size();
    details_.width = size.x;
    details_.height = size.y;
    details_.dotsPerInch = resolutionOf(*frame);
    checkSize(size, maxPixels_, true);
    std::unique_ptr<Omvi::RowProviderInterface> rows(
        frame->representation().scaledRowProvider(1.0, 0));
    if (!rows)
        fail(u"the texture image's rows cannot be read");
    // A provider that had to hold the whole image (to turn it upright, say)
    // and could not is left without rows; asking it for them would only say
    // it was never set up. What stopped it says why (a page of the imaging
    // library's page file that could not be written names the file and the
    // system's reason); an image that could not be made found no room for
    // its pages.
    if (!rows->isValid())
    {
        const auto* reorient = dynamic_cast<const Omvi::ReorientFilter*>(rows.get());
        const Omvi::OMVIException* why = reorient != nullptr ? reorient->failure() : nullptr;
        if (why != nullptr && dynamic_cast<const Omvi::ImageConstructionException*>(why) == nullptr)
            fail(u"the texture image's rows cannot be read: " + messageOf(*why));
        fail(u"the texture image's rows cannot be read: the imaging library found no room for "
             u"the image in its page file in " +
             noRoomIn(platform::temporaryFolder()));
    }
    const std::int32_t colorSpace = rows->dataModel().colorSpace();
    Omvi::ImageFormatCodec* codec = descriptor->codec();
    // Samples that are no colours, grey levels, palette indexes or bits (more
    // than 8 bits, floating point) go into no JPEG.
    if (colorSpace == Omvi::kColorSpaceNone)
        fail(u"the texture image is of a kind that cannot be read: " + formatName(codec) + u" of " +
             samplesOf(rows->dataModel()));

    // Single-frame PNG (not bitonal) and JPEG files, and bitonal Group 4
    // TIFF files whose 0 is white, go into the W2D image as they are.
    std::vector<std::uint8_t> fileBytes;
    const bool bitonal = colorSpace == Omvi::kColorSpaceBitonal;
    const bool ownBytes =
        details_.selectedFrames == 1 &&
        ((dynamic_cast<Omvi::PngFormatCodec*>(codec) && !bitonal) ||
         dynamic_cast<Omvi::JfifFormatCodec*>(codec) ||
         (bitonal && dynamic_cast<Omvi::TiffFormatCodec*>(codec) && isWhiteZeroGroup4(*frame)));
    if (ownBytes && !readWholeFile(native, fileBytes))
    {
        const int failed = errno;
        fail(u"the texture file cannot be read: " + fileAndReason(path, failed));
    }
    details_.fileBytesInW2D = ownBytes;

    Omvi::JfifFormatCodec* jfif = session.first<Omvi::JfifFormatCodec>();
    if (jfif == nullptr)
        fail(u"no JPEG writer is registered");
    WriteBufferedStream jpeg;
    const std::u16string encodeFailure = EncodeTextureJpeg(*jfif, std::move(rows), jpeg);
    if (!encodeFailure.empty())
        fail(encodeFailure);
    details_.jpegBytes = jpeg.size();
    details_.secondsReadingAndEncoding = secondsSince(started);

    errno = 0;
    const std::u16string output =
        folder_.placeFor(ConvertedTextureName(platform::path::lastComponent(path)));
    if (output.empty())
    {
        const int failed = errno;
        fail(u"no private folder for converted textures can be made in " +
             fileAndReason(platform::path::fromNative(platform::temporaryFolder()), failed));
    }
    // From here on a failure removes what was written under the name.
    try
    {
        const auto w2dStarted = std::chrono::steady_clock::now();
        int error = 0;
        const WT_Result written =
            ownBytes ? WriteTextureW2DFile(output, size.x, size.y, details_.dotsPerInch,
                                           fileBytes.data(), fileBytes.size(), &error)
                     : WriteTextureW2DFile(output, size.x, size.y, details_.dotsPerInch,
                                           jpeg.data(), jpeg.size(), &error);
        details_.secondsWritingW2D = secondsSince(w2dStarted);
        if (written != WT_Result_Success)
            fail(u"the W2D stream of the texture cannot be written (result " +
                 platform::utf8ToUtf16(std::to_string(static_cast<unsigned>(written))) +
                 u") to " + fileAndReason(output, error));
        const auto jpegStarted = std::chrono::steady_clock::now();
        const platform::Bstr name = BSTRFromWide(output);
        if (!writeWholeFile(platform::path::toNative(name.str()), jpeg.data(), jpeg.size()))
        {
            const int failed = errno;
            fail(u"the converted texture cannot be written to " + fileAndReason(output, failed));
        }
        details_.secondsWritingJpeg = secondsSince(jpegStarted);
    }
    catch (...)
    {
        platform::path::removeFile(output);
        throw;
    }
    // A file replaced while it was read may have been read as another
    // file: what was made of it serves this texture alone.
    if (source.unchanged())
        folder_.remember(source.key(), output);
    return output;
}
