#include "imaging/codecs/png/PngReadFile.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/png/PngDecoder.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/png/PngReadFileFrame0.h"
#include "imaging/pipeline/DataStreamInterface.h"

namespace Omvi
{

PngReadFile::PngReadFile(const PngFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations))
{
    try
    {
        decoder_ = std::make_unique<PngDecoder>(nativePath().value_or(std::string()),
                                                codec != nullptr && codec->strictDecoding());
    }
    catch (FormatCodecException* failure)
    {
        // Kept as the reason the file has no frame: the caller that asks
        // for one learns what libpng found wrong.
        const std::unique_ptr<FormatCodecException> owned(failure);
        refusal_ = "The PNG file is damaged: " +
                   (owned->reason().empty() ? std::string("libpng refuses its header") : owned->reason());
    }
    if (decoder_ != nullptr && !decoder_->isOpen())
        refusal_ = "The PNG file cannot be opened";
}

PngReadFile::PngReadFile(const PngFormatCodec* codec, DataStreamInterface* stream)
    : CodecReadFile(codec), stream_(stream)
{
    decoder_ = std::make_unique<PngDecoder>(stream, codec != nullptr && codec->strictDecoding());
}

PngReadFile::~PngReadFile()
{
    decoder_.reset();
    if (stream_ != nullptr)
        stream_->close();
}

int PngReadFile::frameCount() const
{
    return decoder_ != nullptr && decoder_->isOpen() ? 1 : 0;
}

ReadImageFileFrameInterface* PngReadFile::openFrame(int index)
{
    if (index != 0 || frameCount() == 0)
        return nullptr;
    return new PngReadFileFrame0(*decoder_, correlations());
}

} // namespace Omvi
