#pragma once
// The one frame of a JPEG file or stream: the header is read when the frame
// is made (a header libjpeg refuses makes the construction throw
// FormatCodecException "Corrupt image file", code 8), and its values, the
// density and comment properties and the side-car correlations are kept.
// The first row iterator takes over the decoder that read the header; later
// ones read the file or stream again from the start.
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/jfif/JfifProperties.h"

#include <cstdio>
#include <memory>
#include <string>

namespace Omvi
{

class CorrelationPropertySetIterator;
class DataStreamInterface;
class JpegDecoder;

class JfifReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // Over a file: a file that cannot be opened gives a frame of height and
    // width -1, model 0, no properties and no row iterator. The frame keeps
    // its own copy of `correlations` (may be null). A strict frame's
    // decoders stop at libjpeg's first warning (JpegDecoder).
    JfifReadFileFrame(const std::string& nativePath, const CorrelationPropertySetIterator* correlations,
                      bool strict = false);
    // Over an open stream (not owned), read from where it stands.
    explicit JfifReadFileFrame(DataStreamInterface* stream, bool strict = false);
    ~JfifReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override;
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override;
    // 1 RGB (every colour file), 3 grey, 0 for what the frame cannot deliver.
    int dataModelKind() const override { return model_; }
    // The sample count: 3 colour, 1 grey, 0 none.
    int sampleKind() const override { return samples_; }
    int bitsPerPixel() const override { return bits_; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    // Null for a frame of model 0 or one whose file could not be opened.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    // Type 3 the density, 7 the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    void readHeader(std::unique_ptr<JpegDecoder> decoder);
    std::unique_ptr<JpegDecoder> newDecoder();

    StringBuffer name_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    int height_ = -1;
    int width_ = -1;
    int model_ = 0;
    int samples_ = 0;
    int bits_ = 0;
    JfifPropertySetIterator properties_;
    std::shared_ptr<std::FILE> file_;
    DataStreamInterface* stream_ = nullptr;
    bool strict_ = false;
    std::unique_ptr<JpegDecoder> decoder_;
};

} // namespace Omvi
