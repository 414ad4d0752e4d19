#pragma once
// The PNG codec: reads and writes one frame per file or stream.
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class PngFormatCodec : public FormatCodecBase, public ImageFormatCodecStreamingInterface
{
public:
    // The codec's private (custom) property kinds.
    static constexpr int kPrivatePropertyCount = 16;

    PngFormatCodec();
    ~PngFormatCodec() override;

    // The banner text of the PNG library, as 8-bit text.
    bool getCreditText(StringBuffer& out) const override;
    bool canEncode(const DataModel* model, int width, int height) const override;

    ReadImageFileInterface* openStreamForRead(DataStreamInterface* stream) const override;
    WriteImageFileInterface* createStreamWriter(DataStreamInterface* stream) const override;

    // Whether `index` is one of the private property kinds (0-15).
    virtual bool isPrivatePropertyIndex(int index) const;
    // The name of private property kind `index`; false outside 0-15.
    virtual bool getPrivatePropertyName(int index, StringBuffer& out) const;

    // Readers made from now on are strict (or lenient again): a CRC error
    // in an ancillary chunk, which libpng otherwise warns of and skips, fails
    // them with "Corrupt image file" and libpng's words. For callers that
    // keep the file's own bytes and so need them whole. Either way a file
    // fails once its last row is read when its chunks do not go on whole to
    // the end chunk (IEND).
    void setStrictDecoding(bool strict) { strict_ = strict; }
    bool strictDecoding() const { return strict_; }

protected:
    // The names of the private chunk properties.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // The PNG signature and a header the PNG library accepts (a chunk after
    // it may be damaged: the reader says how); 1 for a filter or compression
    // method other than 0 or another header the library refuses, 3 for a
    // file that ends before its image data.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;

private:
    bool strict_ = false;
};

class PngFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
