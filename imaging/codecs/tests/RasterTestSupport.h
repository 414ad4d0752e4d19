#pragma once
// What the PNG, GIF and PCX tests share: frames read into memory, rows handed
// to writers, netpbm images parsed, independent tools run in a scratch
// folder, and a stream over bytes that can hand them out one at a time.
#include "imaging/codecs/tests/SharedTestSupport.h"

#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/StringBuffer.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/DataStreamInterface.h"
#include "imaging/pipeline/RowIteratorInterface.h"
#include "imaging/tests/ToolCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace OmviRaster
{

using Bytes = std::vector<std::uint8_t>;

// Rows as a frame delivers them, with what the frame said about itself.
struct Decoded
{
    int width = 0;
    int height = 0;
    int kind = 0;
    int bitsPerPixel = 0;
    int rowBytes = 0;
    Bytes palette;  // red, green, blue per entry
    Bytes pixels;   // rowBytes per row

    const std::uint8_t* row(int r) const { return pixels.data() + static_cast<std::size_t>(r) * rowBytes; }
};

// Reads every row of a frame through a new row iterator.
inline Decoded readFrame(Omvi::ReadImageFileFrameInterface& frame)
{
    Decoded image;
    frame.getSize(&image.height, &image.width);
    image.kind = frame.dataModelKind();
    image.bitsPerPixel = frame.bitsPerPixel();
    image.palette.resize(static_cast<std::size_t>(frame.paletteCount()) * 3);
    if (!image.palette.empty())
        frame.getPalette(frame.paletteCount(), image.palette.data());
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame.newRowIterator());
    if (!rows)
        return image;
    image.rowBytes = rows->bytesPerRow();
    Omvi::DataBuffer row(image.rowBytes);
    rows->start();
    for (int r = 0; r < rows->rowCount(); ++r)
    {
        rows->getRow(row);
        image.pixels.insert(image.pixels.end(), row.data(), row.data() + image.rowBytes);
        rows->next();
    }
    rows->finish();
    return image;
}

// Opens frame 0 of a file with a codec and reads it; `ok` false when the
// reader or frame could not be made or an exception came.
inline Decoded readFile(Omvi::ImageFormatCodec& codec, const std::string& path, bool* ok = nullptr)
{
    if (ok)
        *ok = false;
    const Omvi::FileSpecifier specifier(Omvi::AsciiStringBuffer(path), Omvi::FileSpecifier::kFile);
    std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(specifier));
    if (!reader)
        return {};
    try
    {
        std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader->openFrame(0));
        if (!frame)
            return {};
        Decoded image = readFrame(*frame);
        if (ok)
            *ok = true;
        return image;
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
        return {};
    }
}

// Pixels as red, green, blue bytes (alpha dropped): palette entries looked
// up, grey repeated, bitonal ink black and paper white.
inline Bytes toRgb(const Decoded& image)
{
    Bytes rgb;
    if (image.pixels.size() < static_cast<std::size_t>(image.rowBytes) * image.height || image.rowBytes < 1)
        return rgb;
    rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
    {
        const std::uint8_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x)
        {
            switch (image.kind)
            {
            case Omvi::kColorSpaceRgb:
                rgb.insert(rgb.end(), row + 4 * x, row + 4 * x + 3);
                break;
            case Omvi::kColorSpacePalette:
            {
                const std::size_t at = static_cast<std::size_t>(row[x]) * 3;
                for (int c = 0; c < 3; ++c)
                    rgb.push_back(at + 2 < image.palette.size() ? image.palette[at + c] : 0);
                break;
            }
            case Omvi::kColorSpaceBitonal:
            {
                const bool ink = (row[x / 8] >> (7 - x % 8)) & 1;
                rgb.insert(rgb.end(), 3, ink ? 0 : 255);
                break;
            }
            default:
                rgb.insert(rgb.end(), 3, row[x]);
                break;
            }
        }
    }
    return rgb;
}

// A netpbm image (PBM, PGM, PPM or PAM, raw forms) with samples widened to
// 16 bits for a maxval above 255.
struct Netpbm
{
    int width = 0;
    int height = 0;
    int depth = 0;  // samples per pixel
    int maxval = 0;
    std::string tupleType;
    std::vector<std::uint32_t> samples;  // PBM: 1 for black

    std::uint32_t at(int x, int y, int c) const
    {
        return samples[(static_cast<std::size_t>(y) * width + x) * depth + c];
    }
    // The sample scaled to 8 bits as libpng delivers it: 16-bit samples by
    // their high byte, smaller maxvals stretched, PBM as white 255 and black
    // 0.
    std::uint8_t at8(int x, int y, int c) const
    {
        const std::uint32_t v = at(x, y, c);
        if (maxval == 1 && tupleType == "BLACKANDWHITE_PBM")
            return v ? 0 : 255;
        if (maxval > 255)
            return static_cast<std::uint8_t>(v >> 8);
        return static_cast<std::uint8_t>(v * 255 / static_cast<std::uint32_t>(maxval));
    }
};

inline bool parseNetpbm(const Bytes& bytes, Netpbm& image)
{
    std::size_t at = 0;
    auto skipSpace = [&] {
        while (at < bytes.size())
        {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else if (std::isspace(bytes[at]))
                ++at;
            else
                break;
        }
    };
    auto word = [&] {
        skipSpace();
        std::string text;
        while (at < bytes.size() && !std::isspace(bytes[at]))
            text.push_back(static_cast<char>(bytes[at++]));
        return text;
    };
    if (bytes.size() < 3 || bytes[0] != 'P')
        return false;
    const char form = static_cast<char>(bytes[1]);
    at = 2;
    if (form == '7')
    {
        for (;;)
        {
            const std::string key = word();
            if (key.empty())
                return false;
            if (key == "ENDHDR")
                break;
            const std::string value = word();
            if (key == "WIDTH")
                image.width = std::stoi(value);
            else if (key == "HEIGHT")
                image.height = std::stoi(value);
            else if (key == "DEPTH")
                image.depth = std::stoi(value);
            else if (key == "MAXVAL")
                image.maxval = std::stoi(value);
            else if (key == "TUPLTYPE")
                image.tupleType = value;
        }
    }
    else if (form == '4' || form == '5' || form == '6')
    {
        image.width = std::stoi(word());
        image.height = std::stoi(word());
        image.maxval = form == '4' ? 1 : std::stoi(word());
        image.depth = form == '6' ? 3 : 1;
        if (form == '4')
            image.tupleType = "BLACKANDWHITE_PBM";
    }
    else
    {
        return false;
    }
    ++at;  // the single white-space character before the samples
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height * image.depth;
    image.samples.assign(count, 0);
    if (form == '4')
    {
        const std::size_t rowBytes = (static_cast<std::size_t>(image.width) + 7) / 8;
        if (at + rowBytes * image.height > bytes.size())
            return false;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                image.samples[static_cast<std::size_t>(y) * image.width + x] =
                    (bytes[at + y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
        return true;
    }
    const std::size_t sampleBytes = image.maxval > 255 ? 2 : 1;
    if (at + count * sampleBytes > bytes.size())
        return false;
    for (std::size_t i = 0; i < count; ++i)
        image.samples[i] = sampleBytes == 2 ? (bytes[at + 2 * i] << 8) | bytes[at + 2 * i + 1] : bytes[at + i];
    return true;
}

// The netpbm image as red, green, blue bytes (grey repeated, alpha
// dropped).
inline Bytes netpbmRgb(const Netpbm& image)
{
    Bytes rgb;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb.push_back(image.at8(x, y, image.depth >= 3 ? c : 0));
    return rgb;
}

// A test that makes files with the independent tools in a scratch folder
// of its own.
class ToolFolderTest : public ::testing::Test
{
protected:
    std::string file(const std::string& name) const { return folder_.file(name); }

    // Runs `command` in the folder (its errors dropped); false, and the
    // test failed, when it does not succeed.
    bool make(const std::string& command)
    {
        const int status = OmviTest::runCommand("cd '" + folder_.path() + "' && ( " + command + " ) 2>/dev/null");
        EXPECT_EQ(status, 0) << command;
        return status == 0;
    }

    OmviTest::ScratchFolder folder_;
};

using OmviTest::captureOutput;
using OmviTest::readFileBytes;
using OmviTest::writeFileBytes;

inline Bytes ppm(int width, int height, const Bytes& rgb)
{
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    out.insert(out.end(), rgb.begin(), rgb.end());
    return out;
}

// A PGM (P5, maxval 255).
inline Bytes pgm(int width, int height, const Bytes& grey)
{
    const std::string header = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes out(header.begin(), header.end());
    out.insert(out.end(), grey.begin(), grey.end());
    return out;
}

// Rows handed to a writer from memory.
class MemoryRowIterator : public Omvi::RowIteratorInterface
{
public:
    MemoryRowIterator(int width, int height, int rowBytes, Bytes pixels)
        : width_(width), height_(height), rowBytes_(rowBytes), pixels_(std::move(pixels))
    {
    }
    std::int32_t bytesPerRow() const override { return rowBytes_; }
    void getRow(Omvi::DataBuffer& row) override
    {
        std::memcpy(row.data(), pixels_.data() + static_cast<std::size_t>(current_) * rowBytes_,
                    static_cast<std::size_t>(rowBytes_));
    }
    bool next() override
    {
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    void start() override
    {
        current_ = 0;
        ++starts;
    }
    void finish() override { ++finishes; }

    int starts = 0;
    int finishes = 0;

private:
    int width_;
    int height_;
    int rowBytes_;
    Bytes pixels_;
    int current_ = 0;
};

// A byte stream over memory: reads hand out at most `piece` bytes a call;
// writes collect the bytes (and fail once `writeLimit` bytes are reached).
class MemoryStream : public Omvi::DataStreamInterface
{
public:
    explicit MemoryStream(Bytes bytes = {}, std::int32_t piece = 1 << 30) : bytes_(std::move(bytes)), piece_(piece) {}

    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override
    {
        ++reads;
        const std::size_t left = bytes_.size() - position_;
        const std::size_t take = std::min<std::size_t>({left, static_cast<std::size_t>(std::max(count, 0)),
                                                        static_cast<std::size_t>(piece_)});
        if (take > 0)
            std::memcpy(buffer, bytes_.data() + position_, take);
        position_ += take;
        *bytesRead = static_cast<std::int32_t>(take);
    }
    bool write(std::int32_t count, const void* buffer) override
    {
        if (bytes_.size() + static_cast<std::size_t>(count) > writeLimit)
            return false;
        const auto* data = static_cast<const std::uint8_t*>(buffer);
        bytes_.insert(bytes_.end(), data, data + count);
        return true;
    }
    bool open(std::int32_t) override { return true; }
    bool rewind() override
    {
        position_ = 0;
        return true;
    }
    void close() override { ++closes; }

    const Bytes& bytes() const { return bytes_; }

    std::size_t writeLimit = static_cast<std::size_t>(-1);
    int reads = 0;
    int closes = 0;

private:
    Bytes bytes_;
    std::size_t position_ = 0;
    std::int32_t piece_;
};

// Catches the codec exception a call throws: its code, or -1 when nothing
// was thrown (-2 for another exception of the library).
template <typename Call>
int codecErrorOf(Call&& call)
{
    try
    {
        call();
    }
    catch (Omvi::FormatCodecException* failure)
    {
        const int code = failure->code();
        delete failure;
        return code;
    }
    catch (Omvi::OMVIException* failure)
    {
        delete failure;
        return -2;
    }
    return -1;
}

// Reads a frame's rows until they end or the iterator throws, handing each
// row to `check(index, row)`, which answers whether to go on. Gives how many
// rows came and the codec error that ended them (-1 when none did).
struct RowsUntilError
{
    int delivered = 0;
    int code = -1;
};

template <typename Check>
RowsUntilError readRowsUntilError(Omvi::RowIteratorInterface& rows, Check&& check)
{
    RowsUntilError result;
    result.code = codecErrorOf([&] {
        Omvi::DataBuffer row(rows.bytesPerRow());
        rows.start();
        for (; result.delivered < rows.rowCount(); ++result.delivered)
        {
            rows.getRow(row);
            if (!check(result.delivered, row))
                return;
            rows.next();
        }
    });
    return result;
}

} // namespace OmviRaster
