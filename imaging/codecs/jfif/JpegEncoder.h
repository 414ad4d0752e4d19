#pragma once
// One libjpeg compressor with its error guard, writing a file or a data
// stream. Every libjpeg call runs inside runJpegStep; a libjpeg error
// surfaces as FormatCodecException "Corrupt image file" (code 8), or as the
// exception the stream threw.
#include "imaging/codecs/jfif/JpegErrorGuard.h"

#include <cstdint>
#include <cstdio>

namespace Omvi
{

class DataStreamInterface;

class JpegEncoder
{
public:
    // Into an open file (not owned) or an open stream (not owned).
    explicit JpegEncoder(std::FILE* file);
    explicit JpegEncoder(DataStreamInterface* stream);
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // libjpeg's defaults for the input fields already set in info().
    void setDefaults();
    void setQuality(int quality);
    void startCompress();
    void writeMarker(int marker, const std::uint8_t* data, unsigned length);
    void writeScanline(JSAMPROW row);
    void finishCompress();

    jpeg_compress_struct& info() { return info_; }

private:
    void create();
    void run(JpegStep step);

    jpeg_compress_struct info_{};
    JpegErrorGuard guard_;
    std::FILE* file_ = nullptr;
    DataStreamInterface* stream_ = nullptr;
    // The arguments of the step under way.
    int quality_ = 75;
    int marker_ = 0;
    const std::uint8_t* markerData_ = nullptr;
    unsigned markerLength_ = 0;
    JSAMPROW row_ = nullptr;
};

} // namespace Omvi
