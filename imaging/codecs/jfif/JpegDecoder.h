#pragma once
// One libjpeg decompressor with its error guard, reading a file or a data
// stream. Every libjpeg call runs inside runJpegStep; a libjpeg error
// surfaces as FormatCodecException "Corrupt image file" (code 8), or as the
// exception the stream threw.
#include "imaging/codecs/jfif/JpegErrorGuard.h"

#include <cstdio>
#include <memory>

namespace Omvi
{

class DataStreamInterface;

class JpegDecoder
{
public:
    // Over an open file, shared with whoever opened it.
    explicit JpegDecoder(std::shared_ptr<std::FILE> file);
    // Over an open stream (not owned).
    explicit JpegDecoder(DataStreamInterface* stream);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the header up to the first scan, keeping every comment marker
    // (saveComments) for the caller.
    void readHeader(bool saveComments);
    void startDecompress();
    // Up to `count` (at most 4) scanlines into `rows`; how many came.
    int readScanlines(JSAMPROW* rows, int count);
    void finishDecompress();
    // Whether the data ended before the scanlines read so far were coded.
    bool dataRanShort() const { return guard_.dataRanShort; }

    jpeg_decompress_struct& info() { return info_; }
    const jpeg_decompress_struct& info() const { return info_; }

private:
    void create();
    void run(JpegStep step);

    jpeg_decompress_struct info_{};
    JpegErrorGuard guard_;
    jpeg_progress_mgr progress_{};
    std::shared_ptr<std::FILE> file_;
    DataStreamInterface* stream_ = nullptr;
    // The arguments and result of the step under way.
    bool saveComments_ = false;
    JSAMPROW* rows_ = nullptr;
    JDIMENSION wanted_ = 0;
    JDIMENSION read_ = 0;
};

} // namespace Omvi
