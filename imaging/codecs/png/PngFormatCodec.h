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

protected:
    // The names of the private chunk properties.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // The PNG signature and a header the PNG library accepts; 1 for a
    // filter or compression method other than 0 or another header the
    // library refuses, 3 for a file that ends before its image data.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class PngFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
