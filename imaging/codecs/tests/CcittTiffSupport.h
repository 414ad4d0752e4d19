#pragma once
// libtiff as the independent bilevel coder of the tests: bilevel TIFF files
// written and read through it, their strips taken raw or decoded by it, and
// PBM files for the netpbm tools.
#include "imaging/codecs/tests/BitonalTestImages.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace OmviTest
{

// libtiff's complaints while an object lives (its handlers are global).
class TiffComplaints
{
public:
    TiffComplaints()
        : errors_(TIFFSetErrorHandler(&collect)), warnings_(TIFFSetWarningHandler(&collect))
    {
        text().clear();
    }
    ~TiffComplaints()
    {
        TIFFSetErrorHandler(errors_);
        TIFFSetWarningHandler(warnings_);
    }
    TiffComplaints(const TiffComplaints&) = delete;
    TiffComplaints& operator=(const TiffComplaints&) = delete;

    static std::string& text()
    {
        static std::string collected;
        return collected;
    }

private:
    static void collect(const char* module, const char* format, va_list arguments)
    {
        char message[512];
        std::vsnprintf(message, sizeof message, format, arguments);
        text() += std::string(module ? module : "") + ": " + message + "\n";
    }
    TIFFErrorHandler errors_;
    TIFFErrorHandler warnings_;
};

// The coded strips of a bilevel TIFF as stored, with what libtiff decodes
// from each.
struct TiffStrips
{
    int width = 0;
    int height = 0;
    int rowsPerStrip = 0;
    int compression = 0;
    int fillOrder = 1;
    std::uint32_t t4Options = 0;
    std::vector<std::vector<std::uint8_t>> raw;
    std::vector<std::vector<std::uint8_t>> decoded;
};

// A bilevel TIFF (1 = black) of the image, uncompressed or with the strips
// given (already coded: compression 3 or 4, with their T4 options and fill
// order).
inline bool writeBitonalTiff(const std::string& path, const BitonalImage& image, int rowsPerStrip,
                             int compression = COMPRESSION_NONE, std::uint32_t t4Options = 0, int fillOrder = 1,
                             const std::vector<std::vector<std::uint8_t>>* codedStrips = nullptr)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rowsPerStrip));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, fillOrder == 1 ? FILLORDER_MSB2LSB : FILLORDER_LSB2MSB);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, t4Options);
    bool written = true;
    if (codedStrips != nullptr)
    {
        for (std::size_t s = 0; s < codedStrips->size(); ++s)
        {
            auto& strip = const_cast<std::vector<std::uint8_t>&>((*codedStrips)[s]);
            written = written && TIFFWriteRawStrip(tiff, static_cast<std::uint32_t>(s), strip.data(),
                                                   static_cast<tmsize_t>(strip.size())) >= 0;
        }
    }
    else
    {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(image.rowBytes()));
        for (int r = 0; r < image.height && written; ++r)
        {
            std::copy(image.row(r), image.row(r) + image.rowBytes(), row.begin());
            written = TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(r), 0) >= 0;
        }
    }
    TIFFClose(tiff);
    return written;
}

inline bool readTiffStrips(const std::string& path, TiffStrips& out)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr)
        return false;
    std::uint32_t width = 0, height = 0, rows = 0;
    std::uint16_t compression = 0, fillOrder = FILLORDER_MSB2LSB;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_FILLORDER, &fillOrder);
    std::uint32_t options = 0;
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFGetFieldDefaulted(tiff, TIFFTAG_GROUP3OPTIONS, &options);
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rowsPerStrip = static_cast<int>(std::min(rows, height));
    out.compression = compression;
    out.fillOrder = fillOrder == FILLORDER_LSB2MSB ? 0 : 1;
    out.t4Options = options;
    const std::uint32_t strips = TIFFNumberOfStrips(tiff);
    bool ok = true;
    for (std::uint32_t s = 0; s < strips && ok; ++s)
    {
        const tmsize_t rawSize = TIFFRawStripSize(tiff, s);
        std::vector<std::uint8_t> raw(static_cast<std::size_t>(std::max<tmsize_t>(rawSize, 0)));
        ok = rawSize >= 0 && TIFFReadRawStrip(tiff, s, raw.data(), rawSize) == rawSize;
        std::vector<std::uint8_t> decoded(static_cast<std::size_t>(TIFFStripSize(tiff)));
        const tmsize_t got = TIFFReadEncodedStrip(tiff, s, decoded.data(), static_cast<tmsize_t>(decoded.size()));
        ok = ok && got > 0;
        decoded.resize(static_cast<std::size_t>(std::max<tmsize_t>(got, 0)));
        out.raw.push_back(std::move(raw));
        out.decoded.push_back(std::move(decoded));
    }
    TIFFClose(tiff);
    return ok;
}

// The rows of a bilevel TIFF as libtiff decodes them.
inline bool readTiffImage(const std::string& path, BitonalImage& image)
{
    TiffStrips strips;
    if (!readTiffStrips(path, strips))
        return false;
    image = blankBitonal(strips.width, strips.height);
    std::size_t at = 0;
    for (const auto& strip : strips.decoded)
        for (std::uint8_t byte : strip)
            if (at < image.bits.size())
                image.bits[at++] = byte;
    return at == image.bits.size();
}

inline bool writePbm(const std::string& path, const BitonalImage& image)
{
    std::ofstream out(path, std::ios::binary);
    out << "P4\n" << image.width << " " << image.height << "\n";
    out.write(reinterpret_cast<const char*>(image.bits.data()), static_cast<std::streamsize>(image.bits.size()));
    return static_cast<bool>(out);
}

} // namespace OmviTest
