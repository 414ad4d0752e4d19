#pragma once
// A codec of the tests' own over binary portable maps: P4 (bitonal, a set
// bit is black, as the library's bitonal rows), P5 (8-bit gray) and P6
// (RGB, delivered as 32-bit words red, green, blue, 255 with 24 bits used).
// Several maps one after another in a file are its frames. It reads files
// and data streams, writes them (files created exclusively, streams
// appended to), and its switches make it decode at reduced sizes, report an
// orientation, or refuse data streams, so that the descriptors' paths can be
// taken on purpose. Not registered by the library: tests register it.
#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/StringBuffer.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/SubSamplingInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace OmviTest
{

using Bytes = std::vector<std::uint8_t>;

// The header of one map in a file.
struct PnmHeader
{
    enum Result
    {
        kOk,
        kNotPnm,
        kUnsupported, // a map of another depth (maxval not 255)
        kTruncated    // the pixels do not all lie in the file
    };
    char kind = 0; // '4', '5' or '6'
    int width = 0;
    int height = 0;
    std::size_t dataOffset = 0;

    std::size_t rowBytes() const
    {
        return kind == '4' ? static_cast<std::size_t>(width + 7) / 8
                           : static_cast<std::size_t>(width) * (kind == '6' ? 3 : 1);
    }
    std::size_t end() const { return dataOffset + rowBytes() * static_cast<std::size_t>(height); }
    int colorSpace() const { return kind == '4' ? 4 : kind == '5' ? 3 : 1; }
    int dataType() const { return kind == '4' ? 0 : kind == '5' ? 1 : 3; }
    int bitsPerPixel() const { return kind == '4' ? 1 : kind == '5' ? 8 : 24; }
    // Bytes of one row as the frame hands it out.
    std::size_t deliveredBytes(int columns) const
    {
        return kind == '4' ? static_cast<std::size_t>(columns + 7) / 8
                           : static_cast<std::size_t>(columns) * (kind == '6' ? 4 : 1);
    }

    // Reads the header of the map at `offset`. Sizes are capped so that no
    // damaged header can make a test allocate much.
    static Result parse(const Bytes& bytes, std::size_t offset, PnmHeader& out)
    {
        std::size_t at = offset;
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
        auto number = [&](int& value) {
            skipSpace();
            value = 0;
            std::size_t digits = 0;
            while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && digits < 7)
            {
                value = value * 10 + (bytes[at++] - '0');
                ++digits;
            }
            return digits > 0;
        };
        if (bytes.size() < offset + 2 || bytes[offset] != 'P' || bytes[offset + 1] < '4' || bytes[offset + 1] > '6')
            return kNotPnm;
        out.kind = static_cast<char>(bytes[offset + 1]);
        at = offset + 2;
        int maximum = 255;
        if (!number(out.width) || !number(out.height) || (out.kind != '4' && !number(maximum)))
            return at >= bytes.size() ? kTruncated : kNotPnm;
        if (out.width < 1 || out.height < 1 || out.width > 20000 || out.height > 20000)
            return kNotPnm;
        if (at >= bytes.size())
            return kTruncated;
        if (!std::isspace(bytes[at]))
            return kNotPnm;
        out.dataOffset = at + 1;
        if (maximum != 255)
            return kUnsupported;
        return out.end() > bytes.size() ? kTruncated : kOk;
    }
};

// The maps of a file, one after another; the last may be truncated.
inline std::vector<PnmHeader> pnmFrames(const Bytes& bytes)
{
    std::vector<PnmHeader> frames;
    std::size_t offset = 0;
    while (offset < bytes.size())
    {
        PnmHeader header;
        const auto result = PnmHeader::parse(bytes, offset, header);
        if (result == PnmHeader::kOk || result == PnmHeader::kTruncated)
            frames.push_back(header);
        if (result != PnmHeader::kOk)
            break;
        offset = header.end();
        while (offset < bytes.size() && std::isspace(bytes[offset]))
            ++offset;
    }
    return frames;
}

inline bool readWholeFile(const std::string& path, Bytes& out, std::size_t limit = 64u << 20)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return out.size() <= limit;
}

class PnmTestCodec;

// Rows of one map: any region, every `subSampling`th row and column of it.
class PnmRowIterator : public Omvi::SubSamplingRowIteratorInterface
{
public:
    PnmRowIterator(std::shared_ptr<const Bytes> bytes, const PnmHeader& header)
        : bytes_(std::move(bytes)), header_(header), bottom_(header.height - 1), right_(header.width - 1)
    {
    }
    std::int32_t bytesPerRow() const override { return static_cast<std::int32_t>(header_.deliveredBytes(width())); }
    void getRow(Omvi::DataBuffer& row) override
    {
        const std::size_t line = header_.dataOffset + header_.rowBytes() * static_cast<std::size_t>(sourceRow());
        if (line + header_.rowBytes() > bytes_->size())
            throw new Omvi::FileIOException("Truncated map", Omvi::FileIOException::kEndOfFile);
        const std::uint8_t* in = bytes_->data() + line;
        std::uint8_t* out = row.data();
        std::memset(out, 0, header_.deliveredBytes(width()));
        for (int i = 0; i < width(); ++i)
        {
            const int x = left_ + i * step_;
            if (header_.kind == '4')
            {
                if (in[x / 8] & (0x80 >> (x % 8)))
                    out[i / 8] = static_cast<std::uint8_t>(out[i / 8] | (0x80 >> (i % 8)));
            }
            else if (header_.kind == '5')
            {
                out[i] = in[x];
            }
            else
            {
                std::memcpy(out + 4 * i, in + 3 * x, 3);
                out[4 * i + 3] = 255;
            }
        }
    }
    bool next() override
    {
        ++current_;
        return current_ < rowCount() &&
               header_.dataOffset + header_.rowBytes() * static_cast<std::size_t>(sourceRow() + 1) <= bytes_->size();
    }
    std::int32_t rowCount() const override { return (bottom_ - top_) / step_ + 1; }
    std::int32_t width() const override { return (right_ - left_) / step_ + 1; }
    void start() override { current_ = 0; }
    void finish() override {}
    void selectWholeImage() override
    {
        top_ = left_ = 0;
        bottom_ = header_.height - 1;
        right_ = header_.width - 1;
    }
    void setTopLeft(int row, int column) override
    {
        top_ = std::clamp(row, 0, header_.height - 1);
        left_ = std::clamp(column, 0, header_.width - 1);
    }
    void getTopLeft(int* row, int* column) const override
    {
        *row = top_;
        *column = left_;
    }
    void setBottomRight(int row, int column) override
    {
        bottom_ = std::clamp(row, top_, header_.height - 1);
        right_ = std::clamp(column, left_, header_.width - 1);
    }
    void getBottomRight(int* row, int* column) const override
    {
        *row = bottom_;
        *column = right_;
    }
    void setSubSampling(int subSampling) override { step_ = std::max(1, subSampling); }

private:
    int sourceRow() const { return top_ + current_ * step_; }

    std::shared_ptr<const Bytes> bytes_;
    PnmHeader header_;
    int top_ = 0, left_ = 0, bottom_, right_;
    int step_ = 1;
    int current_ = 0;
};

class PnmFrame : public Omvi::ReadImageFileFrameInterface
{
public:
    PnmFrame(std::shared_ptr<const Bytes> bytes, const PnmHeader& header, int index, int orientation)
        : bytes_(std::move(bytes)), header_(header), index_(index), orientation_(orientation)
    {
    }
    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows || kind == kRandomRows; }
    int frameIndex() const override { return index_; }
    void getSize(int* height, int* width) const override
    {
        *height = header_.height;
        *width = header_.width;
    }
    int dataModelKind() const override { return header_.colorSpace(); }
    int sampleKind() const override { return header_.dataType(); }
    int bitsPerPixel() const override { return header_.bitsPerPixel(); }
    int getOrientation() const override { return orientation_; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    Omvi::RowIteratorInterface* newRowIterator() override { return new PnmRowIterator(bytes_, header_); }
    bool isTiled() const override { return false; }
    Omvi::FormatCodecPropertySetIterator* getProperties() override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getProperty(const Omvi::StringBuffer&) override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }

protected:
    std::shared_ptr<const Bytes> bytes_;
    PnmHeader header_;
    int index_;
    int orientation_;
};

// A frame that decodes at 1/2, 1/4 and 1/8 of its size.
class PnmSubSamplingFrame : public PnmFrame, public Omvi::SubSamplingInterface
{
public:
    using PnmFrame::PnmFrame;
    bool nearestSubSampledSize(int* width, int* height, int* subSampling) const override
    {
        for (int s : {8, 4, 2})
        {
            const int w = (header_.width + s - 1) / s;
            const int h = (header_.height + s - 1) / s;
            if (w >= *width && h >= *height)
            {
                *width = w;
                *height = h;
                *subSampling = s;
                return true;
            }
        }
        return false;
    }
};

class PnmReadFile : public Omvi::ReadImageFileInterface
{
public:
    PnmReadFile(const PnmTestCodec* codec, Omvi::FileSpecifier file, std::shared_ptr<const Bytes> bytes);
    Omvi::ImageFormatCodec* codec() const override;
    const Omvi::FileSpecifier& fileSpecifier() const override { return file_; }
    int isValid() const override { return 1; }
    Omvi::FileSpecifier& copyFileSpecifier(Omvi::FileSpecifier& out) const override
    {
        out = file_;
        return out;
    }
    int frameCount() const override { return static_cast<int>(frames_.size()); }
    Omvi::ReadImageFileFrameInterface* openFrame(int index) override;

    const std::shared_ptr<const Bytes>& bytes() const { return bytes_; }

private:
    const PnmTestCodec* codec_;
    Omvi::FileSpecifier file_;
    std::shared_ptr<const Bytes> bytes_;
    std::vector<PnmHeader> frames_;
};

class PnmWriteFrame : public Omvi::WriteImageFileFrameInterface
{
public:
    void setSize(int h, int w) override
    {
        height = h;
        width = w;
    }
    void setDataModelKind(int k) override
    {
        kind = k;
        calls.push_back("kind");
    }
    void setThirdValue(int v) override
    {
        dataTypeBits = v;
        calls.push_back("bits");
    }
    void setBitsPerPixel(int b) override
    {
        bitsUsed = b;
        calls.push_back("used");
    }
    void setPaletteCount(int c) override
    {
        paletteCount = c;
        calls.push_back("count");
    }
    void setPalette(const std::uint8_t* rgb) override
    {
        palette.assign(rgb, rgb + 3 * std::max(paletteCount, 0));
        calls.push_back("palette");
    }
    Omvi::FormatCodecPropertySetIterator* getProperties() override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getProperty(const Omvi::StringBuffer&) override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }
    bool setProperty(const Omvi::FormatCodecPropertyInterface*) override { return false; }
    void clearProperties() override { ++clears; }
    bool requiredPropertiesSet() const override { return width > 0 && height > 0 && (kind == 1 || kind == 3 || kind == 4); }

    int width = 0, height = 0, kind = 0, dataTypeBits = 0, bitsUsed = 0, paletteCount = 0, clears = 0;
    Bytes palette;
    std::vector<std::string> calls;
};

// Writes maps to a file (created exclusively) or a stream, one per frame.
class PnmWriteFile : public Omvi::WriteImageFileInterface
{
public:
    PnmWriteFile(const PnmTestCodec* codec, Omvi::DataStreamInterface* stream) : codec_(codec), stream_(stream) {}
    ~PnmWriteFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Omvi::WriteImageFileFrameInterface* createFrame() override
    {
        if (!isOpen())
            return nullptr;
        auto* frame = new PnmWriteFrame();
        lastFrame = frame;
        return frame;
    }
    Omvi::ImageFormatCodec* codec() const override;
    bool open(const Omvi::FileSpecifier& file) override
    {
        ++openCalls;
        if (stream_ != nullptr || fd_ >= 0 || file.kind() != Omvi::FileSpecifier::kFile)
            return false;
        fd_ = ::open(file.nativePath().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0)
            return false;
        file_ = file;
        return true;
    }
    const Omvi::FileSpecifier& fileSpecifier() const override { return file_; }
    bool isOpen() const override { return fd_ >= 0 || stream_ != nullptr; }
    Omvi::FileSpecifier& copyFileSpecifier(Omvi::FileSpecifier& out) const override
    {
        out = file_;
        return out;
    }
    int writeFrame(Omvi::WriteImageFileFrameInterface* frame, Omvi::RowIteratorInterface* rows) override
    {
        auto* pnm = dynamic_cast<PnmWriteFrame*>(frame);
        if (pnm == nullptr || !pnm->requiredPropertiesSet() || rows == nullptr)
            throw new Omvi::FormatCodecException("Invalid frame", 1);
        if (rows->width() != pnm->width || rows->rowCount() != pnm->height)
            throw new Omvi::FormatCodecException("Rows do not fit the frame", 2);
        const char kind = pnm->kind == 4 ? '4' : pnm->kind == 3 ? '5' : '6';
        std::string header = std::string("P") + kind + "\n" + std::to_string(pnm->width) + " " +
                             std::to_string(pnm->height) + "\n" + (kind == '4' ? "" : "255\n");
        Bytes out(header.begin(), header.end());
        Omvi::DataBuffer row(rows->bytesPerRow());
        rows->start();
        int written = 0;
        for (int y = 0; y < pnm->height; ++y)
        {
            rows->getRow(row);
            for (int x = 0; x < (kind == '4' ? (pnm->width + 7) / 8 : pnm->width); ++x)
            {
                if (kind == '6')
                    out.insert(out.end(), row.data() + 4 * x, row.data() + 4 * x + 3);
                else
                    out.push_back(row.data()[x]);
            }
            ++written;
            if (y + 1 < pnm->height && !rows->next())
                break;
        }
        rows->finish();
        if (written != pnm->height)
            return 0;
        if (stream_ != nullptr)
        {
            const bool ok = stream_->write(static_cast<std::int32_t>(out.size()), out.data());
            stream_->close();
            return ok ? 1 : 0;
        }
        return ::write(fd_, out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 1 : 0;
    }

    PnmWriteFrame* lastFrame = nullptr; // the last frame made (owned by whoever took it)
    int openCalls = 0;

private:
    const PnmTestCodec* codec_;
    Omvi::DataStreamInterface* stream_;
    Omvi::FileSpecifier file_;
    int fd_ = -1;
};

class PnmTestCodec : public Omvi::ImageFormatCodec, public Omvi::ImageFormatCodecStreamingInterface
{
public:
    int getVersion(int* major, int* minor, int* build) const override
    {
        *major = 1;
        *minor = 0;
        *build = 1;
        return 1;
    }
    void getApiVersion(int* major, int* minor) const override
    {
        *major = kApiMajorVersion;
        *minor = kApiMinorVersion;
    }
    int getCapabilities() const override { return kCanRead | kCanWrite; }
    bool canCreateFile(const Omvi::FileSpecifier& file) const override { return file.isUsable(); }
    int getProbeClass() const override { return kStrongSignature; }
    int constantQuery6() const override { return 0; }
    int constantQuery7() const override { return 0; }
    bool isDataOrganizationSupported(int organisation) const override { return organisation == 6 && streams; }
    bool isPropertySupported(int, const Omvi::StringBuffer*) const override { return false; }
    int getExtensionCount() const override { return 1; }
    bool getExtension(int, Omvi::StringBuffer& out) const override { return text("pnm", out); }
    bool getName(Omvi::StringBuffer& out) const override { return text("Portable map (tests)", out); }
    bool getDescription(Omvi::StringBuffer& out) const override { return text("Portable map (tests)", out); }
    bool getCreditText(Omvi::StringBuffer& out) const override { return text("", out); }
    int probe(const Omvi::FileSpecifier& file, const Omvi::CorrelationOptionInterface*) const override
    {
        ++probes;
        Bytes bytes;
        if (file.kind() != Omvi::FileSpecifier::kFile || !readWholeFile(file.nativePath(), bytes))
            return kNotThisFormat;
        PnmHeader header;
        switch (PnmHeader::parse(bytes, 0, header))
        {
        case PnmHeader::kOk:
            return kRecognised;
        case PnmHeader::kUnsupported:
            return kUnsupportedVariant;
        case PnmHeader::kTruncated:
            return kTruncated;
        default:
            return kNotThisFormat;
        }
    }
    bool canEncode(const Omvi::DataModel* model, int width, int height) const override
    {
        if (model == nullptr || width < 1 || height < 1)
            return false;
        switch (model->colorSpace())
        {
        case Omvi::kColorSpaceRgb:
            return model->dataType() == Omvi::kDataTypeThirtyTwoBit;
        case Omvi::kColorSpaceGray:
            return model->dataType() == Omvi::kDataTypeEightBit;
        case Omvi::kColorSpaceBitonal:
            return model->dataType() == Omvi::kDataTypeOneBit;
        case Omvi::kColorSpacePalette:
            return acceptsPalettes;
        default:
            return false;
        }
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier& file,
                                              const Omvi::CorrelationOptionInterface*) const override
    {
        ++optionOpens;
        return openForRead(file);
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier& file) const override
    {
        ++opens;
        auto bytes = std::make_shared<Bytes>();
        if (file.kind() != Omvi::FileSpecifier::kFile || !readWholeFile(file.nativePath(), *bytes))
            return nullptr;
        return new PnmReadFile(this, file, std::move(bytes));
    }
    Omvi::WriteImageFileInterface* createWriter() const override
    {
        auto* writer = new PnmWriteFile(this, nullptr);
        lastWriter = writer;
        return writer;
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::ReadImageFileInterface& reader) const override
    {
        ++opens;
        const auto* pnm = dynamic_cast<const PnmReadFile*>(&reader);
        return pnm ? new PnmReadFile(this, pnm->fileSpecifier(), pnm->bytes()) : nullptr;
    }
    Omvi::ReadImageFileInterface* openStreamForRead(Omvi::DataStreamInterface* stream) const override
    {
        ++opens;
        auto bytes = std::make_shared<Bytes>();
        std::uint8_t chunk[4096];
        for (;;)
        {
            std::int32_t got = 0;
            stream->read(sizeof chunk, chunk, &got);
            if (got < 1)
                break;
            bytes->insert(bytes->end(), chunk, chunk + got);
        }
        return new PnmReadFile(this, Omvi::FileSpecifier(), std::move(bytes));
    }
    Omvi::WriteImageFileInterface* createStreamWriter(Omvi::DataStreamInterface* stream) const override
    {
        auto* writer = new PnmWriteFile(this, stream);
        lastWriter = writer;
        return writer;
    }

    // Switches.
    bool streams = true;         // reads and writes data streams (organisation 6)
    bool subSampling = false;    // frames decode at reduced sizes
    bool acceptsPalettes = false; // canEncode accepts palette models (for the frame's attributes)
    int orientation = 0;         // reported by every frame

    // What was asked.
    mutable int probes = 0;
    mutable int opens = 0;
    mutable int optionOpens = 0;
    mutable PnmWriteFile* lastWriter = nullptr; // owned by whoever asked for it

private:
    static bool text(const char* value, Omvi::StringBuffer& out)
    {
        out = Omvi::AsciiStringBuffer(value);
        return true;
    }
};

inline PnmReadFile::PnmReadFile(const PnmTestCodec* codec, Omvi::FileSpecifier file,
                                std::shared_ptr<const Bytes> bytes)
    : codec_(codec), file_(std::move(file)), bytes_(std::move(bytes)), frames_(pnmFrames(*bytes_))
{
}

inline Omvi::ImageFormatCodec* PnmReadFile::codec() const
{
    return const_cast<PnmTestCodec*>(codec_);
}

inline Omvi::ReadImageFileFrameInterface* PnmReadFile::openFrame(int index)
{
    if (index < 0 || index >= frameCount())
        return nullptr;
    const PnmHeader& header = frames_[static_cast<std::size_t>(index)];
    if (codec_->subSampling)
        return new PnmSubSamplingFrame(bytes_, header, index, codec_->orientation);
    return new PnmFrame(bytes_, header, index, codec_->orientation);
}

inline Omvi::ImageFormatCodec* PnmWriteFile::codec() const
{
    return const_cast<PnmTestCodec*>(codec_);
}

// Bytes in memory behind the data stream interface.
class MemoryDataStream : public Omvi::DataStreamInterface
{
public:
    MemoryDataStream() = default;
    explicit MemoryDataStream(Bytes content) : bytes(std::move(content)) {}
    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override
    {
        const std::size_t n = std::min(bytes.size() - position, static_cast<std::size_t>(std::max(count, 0)));
        std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        *bytesRead = static_cast<std::int32_t>(n);
    }
    bool write(std::int32_t count, const void* buffer) override
    {
        const auto* data = static_cast<const std::uint8_t*>(buffer);
        bytes.insert(bytes.end(), data, data + count);
        return true;
    }
    bool open(std::int32_t) override { return true; }
    bool rewind() override
    {
        position = 0;
        return true;
    }
    void close() override { ++closes; }

    Bytes bytes;
    std::size_t position = 0;
    int closes = 0;
};

// A map's bytes: `kind` '4', '5' or '6' and the unpadded rows (P6 rows as
// red, green, blue bytes).
inline Bytes pnmBytes(char kind, int width, int height, const Bytes& pixels)
{
    std::string header = std::string("P") + kind + "\n" + std::to_string(width) + " " + std::to_string(height) +
                         "\n" + (kind == '4' ? "" : "255\n");
    Bytes out(header.begin(), header.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

inline bool writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace OmviTest
