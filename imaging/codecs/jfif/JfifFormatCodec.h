#pragma once
// The JPEG (JFIF) codec: reads and writes one frame per file or stream.
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class JfifFormatCodec : public FormatCodecBase, public ImageFormatCodecStreamingInterface
{
public:
    JfifFormatCodec();
    ~JfifFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

    ReadImageFileInterface* openStreamForRead(DataStreamInterface* stream) const override;
    WriteImageFileInterface* createStreamWriter(DataStreamInterface* stream) const override;

    // The names of the codec's private properties: 0 the comment, 1 the
    // progressive flag; false for other indexes.
    virtual bool getPrivatePropertyName(int index, StringBuffer& out) const;

protected:
    // The comment only.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // Four bytes read, the first three FF D8 FF.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class JfifFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
