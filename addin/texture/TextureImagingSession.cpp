#include "addin/texture/TextureImagingSession.h"

#include "addin/PublishLog.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/flic/FlicFormatCodec.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/pict/PictFormatCodec.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/targa/TargaFormatCodec.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"
#include "platform/kernel/Path.h"

#include <new>

namespace
{

// The descriptor-keeping setting: images keep the descriptor they were
// read from, which the frame scan asks again.
constexpr std::int32_t kKeepDescriptors = 1;
constexpr std::int32_t kAutomaticBudget = 0;

template <class Codec, class... Arguments>
void add(std::vector<std::unique_ptr<Omvi::ImageFormatCodec>>& codecs, Arguments... arguments)
{
    // A codec that cannot be made is left out.
    if (auto* codec = new (std::nothrow) Codec(arguments...))
        codecs.emplace_back(codec);
}

} // namespace

TextureImagingSession::TextureImagingSession()
{
    if (Omvi::OMVISession::get() != nullptr)
        throw static_cast<Omvi::OMVIException*>(new Omvi::SystemException(
            "The imaging session is in use", Omvi::SystemException::kInvalidPageVolume));
    Omvi::OMVISession* session =
        Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
    try
    {
        session->setMemoryLimit(kAutomaticBudget);
        session->setIntegerSetting(kKeepDescriptors);
        registerCodecs(*session);
    }
    catch (...)
    {
        Omvi::OMVISession::destroy();
        throw;
    }
}

void TextureImagingSession::registerCodecs(Omvi::OMVISession& session)
{
    add<Omvi::BmpFormatCodec>(codecs_);
    add<Omvi::CalsFormatCodec>(codecs_);
    add<Omvi::FlicFormatCodec>(codecs_);
    add<Omvi::GifFormatCodec>(codecs_);
    add<Omvi::Ig4FormatCodec>(codecs_);
    add<Omvi::JfifFormatCodec>(codecs_);
    add<Omvi::PcxFormatCodec>(codecs_);
    add<Omvi::PictFormatCodec>(codecs_);
    add<Omvi::PngFormatCodec>(codecs_);
    add<Omvi::RlcFormatCodec>(codecs_);
    add<Omvi::TargaFormatCodec>(codecs_);
    add<Omvi::TiffFormatCodec>(codecs_, Omvi::TiffFormatCodec::kTextureMode);
    for (const auto& codec : codecs_)
        session.registerCodec(codec.get());
}

TextureImagingSession::~TextureImagingSession()
{
    if (!Omvi::OMVISession::destroy())
        for (auto& codec : codecs_)
            static_cast<void>(codec.release());
    try
    {
        for (const Omvi::ScratchFileLeft& left : Omvi::takeScratchFilesLeft())
            publish_log::LeftBehind(u"paging file", platform::path::fromNative(left.path),
                                    left.error);
    }
    catch (...)
    {
        // Nothing leaves a destructor.
    }
}
