#pragma once
// The TIFF codec (with GeoTIFF placement): reads every countable directory
// of a file as a frame and writes frames as successive directories.
#include "imaging/StringBuffer.h"
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class TiffFormatCodec : public FormatCodecBase
{
public:
    // The codec's modes: 0 leaves LZW-compressed directories out, 1 counts
    // them, 2 counts them too (the mode the texture conversion uses).
    enum Mode : int
    {
        kWithoutLzw = 0,
        kWithLzw = 1,
        kTextureMode = 2
    };

    // The TIFF library's messages about the files the codec opens go to the
    // handles' own channels (TiffHandle), never to its process-wide handlers:
    // its failures show only as results.
    explicit TiffFormatCodec(int mode = kWithoutLzw);
    ~TiffFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

    // The name of text property index 0-8 (byte order, artist, copyright,
    // date and time, host computer, image description, make, model,
    // software); false for other indexes.
    virtual bool getTextPropertyName(int index, StringBuffer& out) const;
    // 2 in texture mode, else 1 when LZW directories count, else 0.
    virtual int modeCode() const;

    bool countsLzw() const { return lzw_; }

    // The folder of the GeoTIFF tables (empty: nothing sets it).
    static void geoTiffTableFolder(StringBuffer& out);
    // The property name of a private tag: "$TIFF_Private_Tag#" and the tag
    // number in five digits.
    static void privateTagName(int tag, StringBuffer& out);

protected:
    // The names of the TIFF property kinds that travel as private properties.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // At least one directory of a layout the reader takes: 0; none: 1.
    int probePath(const std::string& nativePath) const override;
    // What keeps the first directory from being read ("CMYK TIFF", "TIFF of
    // 16 bits a sample (RGB)" ...), for a file the probe answers 1 for.
    std::string describeVariant(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;

private:
    bool lzw_;
    bool textureMode_;
};

class TiffFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
