#pragma once
// The CALS Type 1 raster codec: Group 4 coded bilevel images behind a header
// of 128-byte text records; files and streams.
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class CalsFormatCodec : public FormatCodecBase, public ImageFormatCodecStreamingInterface
{
public:
    // The header keywords, which are also the codec's private property names.
    static const char* const kHeaderKeywords[11];

    CalsFormatCodec();
    ~CalsFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

    ReadImageFileInterface* openStreamForRead(DataStreamInterface* stream) const override;
    WriteImageFileInterface* createStreamWriter(DataStreamInterface* stream) const override;

protected:
    // The header keywords ("srcdocid:" ... "notes:").
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // "srcdocid:" (or "dstdocid:" in the second record) and "rtype:" in the
    // seventh record; 1 for raster types other than 1.
    int probePath(const std::string& nativePath) const override;
    // "CALS of raster type 2" ...
    std::string describeVariant(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class CalsFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
