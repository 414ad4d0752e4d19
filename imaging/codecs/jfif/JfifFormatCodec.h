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
    // The longest side the JPEG library codes, either way: a frame wider or
    // taller is neither written nor decoded (the format itself would hold
    // 65,535).
    static constexpr int kMaxSide = 65500;

    JfifFormatCodec();
    ~JfifFormatCodec() override;

    // RGB (24 or 32 bits) and 8-bit grey, neither side above kMaxSide.
    bool canEncode(const DataModel* model, int width, int height) const override;

    ReadImageFileInterface* openStreamForRead(DataStreamInterface* stream) const override;
    WriteImageFileInterface* createStreamWriter(DataStreamInterface* stream) const override;

    // The names of the codec's private properties: 0 the comment, 1 the
    // progressive flag; false for other indexes.
    virtual bool getPrivatePropertyName(int index, StringBuffer& out) const;

    // Readers made from now on are strict (or lenient again): where libjpeg
    // warns of damage it works around (corrupt coded data, a marker out of
    // place, data ending early) and goes on, they fail with "Corrupt image
    // file" and libjpeg's words instead. For callers that keep the file's
    // own bytes and so need them whole; the default (lenient) decodes what
    // can be decoded. Either way a file that lacks its end fails once its
    // last rows are read.
    void setStrictDecoding(bool strict) { strict_ = strict; }
    bool strictDecoding() const { return strict_; }

protected:
    // The comment only.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // Four bytes read, the first three FF D8 FF.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;

private:
    bool strict_ = false;
};

class JfifFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
