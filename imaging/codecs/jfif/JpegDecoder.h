#pragma once
// One libjpeg decompressor with its error guard, reading a file or a data
// stream. Every libjpeg call runs inside runJpegStep; a libjpeg error
// surfaces as FormatCodecException "Corrupt image file" (code 8) with
// libjpeg's reason, or as the exception the stream threw. A frame wider or
// taller than libjpeg decodes (JfifFormatCodec::kMaxSide) is no damage: it
// surfaces as code 9, saying so. A strict decoder
// fails the same way on libjpeg's warnings, where it would otherwise go on
// over damaged or missing data.
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
    JpegDecoder(std::shared_ptr<std::FILE> file, bool strict);
    // Over an open stream (not owned).
    JpegDecoder(DataStreamInterface* stream, bool strict);
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
    // Whether the data ended at all: the source met the end of the file or
    // stream where libjpeg wanted more, and gave it an end-of-image marker
    // in place of the missing one.
    bool dataEnded() const { return guard_.dataEnded; }
    // libjpeg's words for what was found wrong (empty when nothing was).
    const char* reason() const { return guard_.reason; }

    jpeg_decompress_struct& info() { return info_; }
    const jpeg_decompress_struct& info() const { return info_; }

private:
    void create(bool strict);
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
