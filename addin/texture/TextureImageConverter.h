#pragma once
// The add-in's one road into the imaging library: a texture image in any
// format a registered codec recognises becomes a JPEG file that the 3D
// writer then takes as the texture's file. The converter holds no state of
// its own beyond the last call's outcome; it is made around each call.
//
// The JPEG (quality 75, rows as the image shows them, nothing inverted) is
// written under the texture's converted name (TextureNames.h) into the
// publish's private folder, never beside the source. Before it, the W2D
// stream that holds the same image as one object is written under that
// name and then replaced, so that a failure of the W2D toolkit still ends
// the conversion.
//
// A failure never yields a file: the path comes back unchanged, the flag
// stays false, and the add-in's message box names
// "TextureImageConverter::ConvertTextureImage" with the reason. The caller
// then treats the texture as absent. Nothing is thrown.
//
// A JPEG or PNG texture is not converted, but it is read whole through the
// same session and limits before the package takes its bytes
// (ReadTextureImage), and refused the same way when it cannot be.
#include "addin/texture/TextureFileFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>

class HeldTextureFile;
class TextureOutputFolder;

// What the last conversion found and did (for the caller's log, tests and
// benchmarks).
struct TextureConversionDetails
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    double dotsPerInch = 0.0;
    std::int32_t fileFrames = 0;     // the frames the file holds
    std::int32_t frame = 0;          // the frame converted
    std::int32_t selectedFrames = 0; // the frames found convertible
    bool fileBytesInW2D = false;     // the W2D image holds the file's own bytes
    std::size_t jpegBytes = 0;
    double secondsReadingAndEncoding = 0.0;
    double secondsWritingW2D = 0.0;
    double secondsWritingJpeg = 0.0;
    bool reused = false; // an earlier conversion of this publish was found
};

class TextureImageConverter
{
public:
    // The resolution a texture gets when its file states none (or one of
    // 1 dot per inch or less).
    static constexpr double kDefaultDotsPerInch = 150.0;
    // Textures larger than this (in pixels) are refused: far beyond any
    // texture a model shows, and hours of work for a file of a few bytes
    // that claims such a size. Neither side may pass what the W2D image
    // object holds (65535); a converted texture's sides stop at the JPEG
    // library's 65,500 (Omvi::JfifFormatCodec::kMaxSide), and one beyond is
    // refused as too large for a JPEG texture.
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
    static constexpr std::int32_t kMaxSide = 65535;
    // The method named by the failure message.
    static constexpr const char* kMethodName = "TextureImageConverter::ConvertTextureImage";

    // Converted files go into `folder`, the private folder of the publish.
    explicit TextureImageConverter(TextureOutputFolder& folder);

    // Converts the texture image at `path`. Answers the converted file's
    // path and sets *converted (when given) on success; answers `path`
    // unchanged with *converted false on failure. A source converted
    // earlier in the same publish answers the file made then.
    std::u16string ConvertTextureImage(const std::u16string& path, bool* converted);
    // The same for a source the caller holds open already, so that a texture
    // many faces share is opened once a face, not once a step.
    std::u16string ConvertTextureImage(const HeldTextureFile& source, bool* converted);

    // Reads a texture the package would take as its own bytes (a file named
    // as a JPEG or PNG) and answers the format its content shows. A JPEG or
    // PNG is decoded whole, each row handed out and dropped at once, so that
    // a file cut short or damaged anywhere, or one beyond the size limits,
    // is refused now instead of going into the package. An image of another
    // format the library reads answers Other undecoded: it is to be
    // converted. Unreadable on failure, reported as a conversion's failure
    // is. A source read earlier in the same publish answers what was found
    // then, and a failure is not reported a second time.
    TextureFileFormat ReadTextureImage(const std::u16string& path);
    TextureFileFormat ReadTextureImage(const HeldTextureFile& source);

    // Why the last call failed; empty after a success.
    const std::u16string& failure() const { return failure_; }
    const TextureConversionDetails& details() const { return details_; }

    // Whether failures show the add-in's message box (they do unless told
    // otherwise; the caller may report them itself).
    void setReportFailures(bool report) { reportFailures_ = report; }
    // A lower size limit, for callers that must stay quick (at most
    // kMaxPixels).
    void setMaximumPixels(std::int64_t pixels)
    {
        maxPixels_ = pixels < kMaxPixels ? pixels : kMaxPixels;
    }

private:
    std::u16string convert(const HeldTextureFile& source);
    TextureFileFormat read(const std::u16string& path);
    // Runs `step` and answers whether it succeeded; a failure is kept in
    // failure_ and reported (when reporting) naming `path`.
    template <class Step> bool attempt(const std::u16string& path, Step step);

    TextureOutputFolder& folder_;
    std::u16string failure_;
    TextureConversionDetails details_;
    bool reportFailures_ = true;
    std::int64_t maxPixels_ = kMaxPixels;
};
