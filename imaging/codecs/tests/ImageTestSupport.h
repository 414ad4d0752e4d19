#pragma once
// What the reader and writer tests of the codecs share: images as plain
// pixel arrays, a row iterator over them for the writers, the rows a reader
// frame delivers, an in-memory data stream that can be told to fail, a
// scratch folder, PNM files for the independent tools, and the running of
// those tools.
#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/pipeline/DataStreamInterface.h"
#include "imaging/pipeline/RowIteratorInterface.h"
#include "imaging/codecs/tests/SharedTestSupport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace OmviTest
{

using Pixels = std::vector<std::uint8_t>;

// An image as its rows laid end to end without padding: `channels` bytes a
// pixel (1 grey or index, 3 RGB, 4 RGBA as the codecs deliver colour).
struct TestImage
{
    int width = 0;
    int height = 0;
    int channels = 0;
    Pixels pixels;

    std::uint8_t* row(int r) { return pixels.data() + static_cast<std::size_t>(r) * width * channels; }
    const std::uint8_t* row(int r) const { return pixels.data() + static_cast<std::size_t>(r) * width * channels; }
    bool operator==(const TestImage& other) const
    {
        return width == other.width && height == other.height && channels == other.channels &&
               pixels == other.pixels;
    }
};

// Smooth gradients with a few soft-edged blocks: JPEG keeps them well, and
// every channel and row differs.
inline TestImage patternImage(int width, int height, int channels, unsigned seed = 1)
{
    TestImage image{width, height, channels, Pixels(static_cast<std::size_t>(width) * height * channels)};
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
            {
                double value = 0;
                switch ((c + static_cast<int>(seed)) % 3)
                {
                case 0: value = 30 + 190.0 * x / w; break;
                case 1: value = 30 + 190.0 * y / h; break;
                default: value = 125 + 60 * std::sin((x + y + static_cast<int>(seed)) / 6.0); break;
                }
                if ((x / 16 + y / 16) % 4 == 0)
                    value += 25;
                image.row(y)[x * channels + c] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
            }
    return image;
}

// Arbitrary bytes (for lossless formats and palette indices).
inline TestImage noiseImage(int width, int height, int channels, unsigned seed = 7, int modulus = 256)
{
    TestImage image{width, height, channels, Pixels(static_cast<std::size_t>(width) * height * channels)};
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : image.pixels)
    {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>((state >> 24) % static_cast<std::uint32_t>(modulus));
    }
    return image;
}

// RGB to the 32-bit red, green, blue, 255 pixels the codecs exchange.
inline TestImage withAlpha(const TestImage& rgb, std::uint8_t alpha = 255)
{
    TestImage out{rgb.width, rgb.height, 4, Pixels(static_cast<std::size_t>(rgb.width) * rgb.height * 4)};
    for (std::size_t i = 0; i < static_cast<std::size_t>(rgb.width) * rgb.height; ++i)
    {
        std::memcpy(&out.pixels[4 * i], &rgb.pixels[3 * i], 3);
        out.pixels[4 * i + 3] = alpha;
    }
    return out;
}

inline TestImage withoutAlpha(const TestImage& rgba)
{
    TestImage out{rgba.width, rgba.height, 3, Pixels(static_cast<std::size_t>(rgba.width) * rgba.height * 3)};
    for (std::size_t i = 0; i < static_cast<std::size_t>(rgba.width) * rgba.height; ++i)
        std::memcpy(&out.pixels[3 * i], &rgba.pixels[4 * i], 3);
    return out;
}

// Peak signal-to-noise ratio of two images of one size, in dB (999 when
// equal, -1 when the sizes differ).
inline double psnr(const TestImage& a, const TestImage& b)
{
    if (a.width != b.width || a.height != b.height || a.channels != b.channels || a.pixels.empty())
        return -1;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
    {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sum += d * d;
    }
    if (sum == 0)
        return 999;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.pixels.size())));
}

// A writer's row source over a TestImage: bytesPerRow is width x channels
// unless another row size is asked for.
class ImageRows : public Omvi::RowIteratorInterface
{
public:
    explicit ImageRows(const TestImage& image, std::int32_t bytesPerRow = -1)
        : image_(image), bytesPerRow_(bytesPerRow >= 0 ? bytesPerRow : image.width * image.channels)
    {
    }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    void getRow(Omvi::DataBuffer& row) override
    {
        ++gets;
        std::memset(row.data(), 0x5A, static_cast<std::size_t>(row.size()));
        if (current_ < image_.height)
            std::memcpy(row.data(), image_.row(current_),
                        std::min<std::size_t>(static_cast<std::size_t>(image_.width * image_.channels),
                                              static_cast<std::size_t>(row.size())));
    }
    bool next() override
    {
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return rowCountOverride >= 0 ? rowCountOverride : image_.height; }
    std::int32_t width() const override { return widthOverride >= 0 ? widthOverride : image_.width; }
    void start() override
    {
        current_ = 0;
        ++starts;
    }
    void finish() override { ++finishes; }

    int gets = 0;
    int starts = 0;
    int finishes = 0;
    std::int32_t rowCountOverride = -1;
    std::int32_t widthOverride = -1;

private:
    const TestImage& image_;
    std::int32_t bytesPerRow_;
    std::int32_t current_ = 0;
};

// Every row a frame delivers through a new row iterator, laid end to end
// (bytesPerRow bytes each); `channels` tells how to size the image.
inline TestImage readAllRows(Omvi::ReadImageFileFrameInterface& frame, int channels)
{
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame.newRowIterator());
    TestImage image;
    if (!rows)
        return image;
    image.width = rows->width();
    image.height = rows->rowCount();
    image.channels = channels;
    const std::int32_t rowBytes = image.width * channels;
    Omvi::DataBuffer row(std::max(rows->bytesPerRow(), 1));
    rows->start();
    for (int r = 0; r < image.height; ++r)
    {
        rows->getRow(row);
        image.pixels.insert(image.pixels.end(), row.data(), row.data() + std::min(rowBytes, row.size()));
        rows->next();
    }
    rows->finish();
    return image;
}

// Bytes in memory behind the data stream interface. Reads hand out at most
// `readChunk` bytes a call; writes fail (or throw) once `failAfterBytes`
// would be passed.
class MemoryStream : public Omvi::DataStreamInterface
{
public:
    MemoryStream() = default;
    explicit MemoryStream(Pixels bytes) : bytes(std::move(bytes)) {}

    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override
    {
        ++reads;
        if (throwOnRead)
            throw new Omvi::FileIOException("stream broke", Omvi::FileIOException::kOtherFailure);
        const std::size_t left = bytes.size() - std::min(position, bytes.size());
        const std::size_t n = std::min({left, static_cast<std::size_t>(std::max(count, 0)), readChunk});
        if (n > 0)
            std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        *bytesRead = static_cast<std::int32_t>(n);
    }
    bool write(std::int32_t count, const void* buffer) override
    {
        if (bytes.size() + static_cast<std::size_t>(count) > failAfterBytes)
        {
            if (throwOnFailure)
                throw new Omvi::FileIOException("stream full", Omvi::FileIOException::kDiskFull);
            return false;
        }
        const auto* data = static_cast<const std::uint8_t*>(buffer);
        bytes.insert(bytes.end(), data, data + count);
        return true;
    }
    bool open(std::int32_t) override { return true; }
    bool rewind() override
    {
        ++rewinds;
        position = 0;
        return true;
    }
    void close() override { ++closes; }

    Pixels bytes;
    std::size_t position = 0;
    std::size_t readChunk = static_cast<std::size_t>(-1);
    std::size_t failAfterBytes = static_cast<std::size_t>(-1);
    bool throwOnFailure = false;
    bool throwOnRead = false;
    int reads = 0;
    int rewinds = 0;
    int closes = 0;
};

// A command's standard output (its standard error is dropped); `status`
// receives the exit status.
inline Pixels runCapture(const std::string& command, int* status = nullptr)
{
    return captureOutput(command + " 2>/dev/null", status);
}

// The ImageMagick converter: Debian's own where it is installed.
inline std::string magick()
{
    return ::access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
}

// A binary PGM (1 channel) or PPM (3 channels) of the image.
inline Pixels toPnm(const TestImage& image)
{
    const std::string header = std::string(image.channels == 1 ? "P5" : "P6") + "\n" +
                               std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    Pixels bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), image.pixels.begin(), image.pixels.end());
    return bytes;
}

// Parses a binary PBM (expanded to 0 white / 1 black bytes), PGM or PPM of
// maxval 255; an empty image when it is none of them.
inline TestImage fromPnm(const Pixels& bytes)
{
    TestImage image;
    std::size_t at = 0;
    auto token = [&]() {
        std::string text;
        while (at < bytes.size())
        {
            const char c = static_cast<char>(bytes[at]);
            if (c == '#')
            {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            }
            else if (std::isspace(static_cast<unsigned char>(c)))
            {
                if (!text.empty())
                    break;
                ++at;
            }
            else
            {
                text.push_back(c);
                ++at;
            }
        }
        return text;
    };
    const std::string magicText = token();
    if (magicText != "P4" && magicText != "P5" && magicText != "P6")
        return {};
    image.width = std::atoi(token().c_str());
    image.height = std::atoi(token().c_str());
    const int maxval = magicText == "P4" ? 1 : std::atoi(token().c_str());
    ++at;  // the single white space before the raster
    if (maxval != 255 && magicText != "P4")
        return {};
    image.channels = magicText == "P6" ? 3 : 1;
    if (magicText == "P4")
    {
        const std::size_t rowBytes = static_cast<std::size_t>(image.width + 7) / 8;
        if (at + rowBytes * image.height > bytes.size())
            return {};
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                image.pixels.push_back((bytes[at + y * rowBytes + x / 8] >> (7 - x % 8)) & 1);
        return image;
    }
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height * image.channels;
    if (at + size > bytes.size())
        return {};
    image.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
    return image;
}

// Runs `body` and answers the code of the imaging exception it throws
// (deleting it), or -2 when nothing was thrown.
template <typename Body>
int codeOfFailure(Body&& body)
{
    try
    {
        body();
    }
    catch (Omvi::OMVIException* thrown)
    {
        Omvi::OwnedException failure(thrown);
        return failure->code();
    }
    return -2;
}

} // namespace OmviTest

namespace OmviTest
{

// The frame's rows as red, green, blue: palette indices looked up, grey
// levels repeated, bitonal bits black (1) and white (0), colour pixels
// without their alpha. Empty when the frame gives no rows.
inline TestImage frameAsRgb(Omvi::ReadImageFileFrameInterface& frame)
{
    const int kind = frame.dataModelKind();
    const int sample = frame.sampleKind();
    std::vector<std::uint8_t> palette(static_cast<std::size_t>(std::max(frame.paletteCount(), 0)) * 3);
    if (!palette.empty())
        frame.getPalette(frame.paletteCount(), palette.data());
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame.newRowIterator());
    TestImage image;
    if (!rows)
        return image;
    image.width = rows->width();
    image.height = rows->rowCount();
    image.channels = 3;
    Omvi::DataBuffer row(std::max(rows->bytesPerRow(), 1));
    rows->start();
    for (int r = 0; r < image.height; ++r)
    {
        rows->getRow(row);
        rows->next();
        for (int x = 0; x < image.width; ++x)
        {
            std::uint8_t rgb[3] = {0, 0, 0};
            if (sample == 0)
            {
                const bool ink = (row.data()[x / 8] >> (7 - x % 8)) & 1;
                rgb[0] = rgb[1] = rgb[2] = ink ? 0 : 255;
            }
            else if (sample == 1)
            {
                const std::uint8_t value = row.data()[x];
                if (kind == 3 || palette.empty())
                    rgb[0] = rgb[1] = rgb[2] = value;
                else if (static_cast<std::size_t>(value) * 3 + 2 < palette.size())
                    std::memcpy(rgb, &palette[value * 3u], 3);
            }
            else
            {
                std::memcpy(rgb, row.data() + 4 * x, 3);
            }
            image.pixels.insert(image.pixels.end(), rgb, rgb + 3);
        }
    }
    rows->finish();
    return image;
}

// The first frame of the file at `path`, read by a new `Codec`, as RGB; an
// empty image when it gives no frame. `probe` receives what the codec's
// probe answers for the file.
template <typename Codec>
TestImage firstFrameRgb(const std::string& path, int* probe = nullptr)
{
    Codec codec;
    const Omvi::FileSpecifier file(Omvi::AsciiStringBuffer(path), Omvi::FileSpecifier::kFile);
    if (probe)
        *probe = codec.probe(file, nullptr);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(file));
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
    return frame ? frameAsRgb(*frame) : TestImage{};
}

// A grey or RGB image as RGB.
inline TestImage asRgb(const TestImage& image)
{
    if (image.channels == 3)
        return image;
    TestImage out{image.width, image.height, 3, {}};
    for (std::size_t i = 0; i < static_cast<std::size_t>(image.width) * image.height; ++i)
        for (int c = 0; c < 3; ++c)
            out.pixels.push_back(image.pixels[i * image.channels + (image.channels == 4 ? c : 0)]);
    return out;
}

// What ImageMagick decodes a file to, as RGB (empty when it cannot).
inline TestImage magickRgb(const std::string& path)
{
    return asRgb(fromPnm(runCapture(magick() + " '" + path + "' -depth 8 ppm:-")));
}

} // namespace OmviTest

namespace OmviTest
{

// Where two images first differ, for failure messages.
inline std::string firstDifference(const TestImage& a, const TestImage& b)
{
    if (a.width != b.width || a.height != b.height || a.channels != b.channels)
        return "sizes " + std::to_string(a.width) + "x" + std::to_string(a.height) + "x" +
               std::to_string(a.channels) + " and " + std::to_string(b.width) + "x" + std::to_string(b.height) +
               "x" + std::to_string(b.channels);
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        if (a.pixels[i] != b.pixels[i])
        {
            const std::size_t pixel = i / static_cast<std::size_t>(a.channels);
            return "pixel (" + std::to_string(pixel % a.width) + ", " + std::to_string(pixel / a.width) +
                   ") channel " + std::to_string(i % a.channels) + ": " + std::to_string(a.pixels[i]) + " and " +
                   std::to_string(b.pixels[i]);
        }
    return "equal";
}

} // namespace OmviTest
