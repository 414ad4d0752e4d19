#include "imaging/session/OMVISession.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/codecs/FormatCodecApiVersionInterface.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/CpuFeatures.h"
#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/platform/Job.h"
#include "imaging/platform/Locks.h"
#include "imaging/platform/RunTimeInterface.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsJobManager.h"
#include "imaging/platform/WindowsRunTime.h"
#include "imaging/platform/WindowsTempPagingSystem.h"
#include "platform/kernel/Files.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace Omvi
{

namespace
{
// The one session of the process.
std::unique_ptr<OMVISession>& instance()
{
    static std::unique_ptr<OMVISession> session;
    return session;
}

// The paging file, its creation failures reported as the session's own:
// the file and the system's reason, when there is a file to name.
std::unique_ptr<TemporaryFilePagingSystemInterface> makePagingSystem(const FileSpecifier& file)
{
    try
    {
        return createTemporaryPagingSystem(file);
    }
    catch (OMVIException* error)
    {
        const OwnedException owned(error);
        const auto* paging = dynamic_cast<const TemporaryFilePagingSystemException*>(error);
        std::string message = "Unable to create temporary file";
        if (file.isUsable() && paging != nullptr && paging->detail() != 0)
            message += " '" + file.nativePath() + "': " + platform::systemReason(paging->detail());
        throw static_cast<OMVIException*>(
            new FileIOException(message.c_str(), temporaryFileExceptionCode(error->code())));
    }
}
} // namespace

std::int32_t versionField(const char* record, int index)
{
    if (record == nullptr || index < 0)
        return 0;
    const char* field = std::strchr(record, ',');
    if (field == nullptr)
        return 0;
    ++field;
    for (int i = 0; i < index; ++i)
    {
        field = std::strchr(field, ',');
        if (field == nullptr)
            return 0;
        ++field;
    }
    const char* end = std::strchr(field, ',');
    const std::string text = end != nullptr ? std::string(field, end) : std::string(field);
    return static_cast<std::int32_t>(std::atoi(text.c_str()));
}

OMVISession::OMVISession(const FileSpecifier& temporaryFile, std::int64_t pageVolume)
    : runTime_(createWindowsRunTime()), jobManager_(createWindowsJobManager()),
      pagingSystem_(makePagingSystem(temporaryFile)), sessionLock_(runTime_->createMutexLock()),
      registry_(*runTime_)
{
    if (pageVolume > 0)
        pagingSystem_->setVolumeSize(0, pageVolume);
    // The kernels read the processor's features from here on.
    detectCpuFeatures();
}

OMVISession::~OMVISession() = default;

OMVISession* OMVISession::create(const FileSpecifier& temporaryFile, std::int64_t pageVolume)
{
    std::unique_ptr<OMVISession>& session = instance();
    if (!session)
        session.reset(new OMVISession(temporaryFile, pageVolume));
    return session.get();
}

OMVISession* OMVISession::get()
{
    return instance().get();
}

bool OMVISession::destroy()
{
    std::unique_ptr<OMVISession>& session = instance();
    if (session && session->numImages() > 0)
        return false;
    session.reset();
    return true;
}

bool OMVISession::addPagingVolume(const FileSpecifier& file, std::int32_t size, std::int32_t& volumeCount)
{
    return pagingSystem_->addVolume(file, std::int64_t{size}, volumeCount);
}

bool OMVISession::setMemoryLimit(std::int32_t kilobytes)
{
    return jobManager_->setMemoryLimit(kilobytes);
}

std::int32_t OMVISession::memoryLimit() const
{
    return jobManager_->memoryLimit();
}

bool OMVISession::isCompatible(const FormatCodecApiVersionInterface& version) const
{
    return version.majorVersion() == kApiMajorVersion;
}

bool OMVISession::registerCodec(ImageFormatCodec* codec)
{
    if (codec == nullptr)
        return false;
    int major = 0;
    int minor = 0;
    codec->getApiVersion(&major, &minor);
    if (major != kApiMajorVersion)
        return false;
    if (codecs_.size() == codecs_.capacity())
        codecs_.reserve(codecs_.capacity() + 10);
    codecs_.push_back(codec);
    return true;
}

std::int32_t OMVISession::numCodecs() const
{
    return static_cast<std::int32_t>(codecs_.size());
}

ImageFormatCodec* OMVISession::codec(std::int32_t index) const
{
    if (index < 0 || index >= numCodecs())
        return nullptr;
    return codecs_[static_cast<std::size_t>(index)];
}

std::int32_t OMVISession::findCodec(const FileSpecifier& file, ImageFormatCodec*& found) const
{
    const CorrelationOptionInterface* option = correlationOption_.get();
    std::int32_t answer = ImageFormatCodec::kNotThisFormat;
    for (ImageFormatCodec* candidate : codecs_)
    {
        if (candidate->getProbeClass() != ImageFormatCodec::kStrongSignature)
            continue;
        answer = candidate->probe(file, option);
        if (answer != ImageFormatCodec::kNotThisFormat)
        {
            found = candidate;
            return answer;
        }
    }
    // Files without a reliable signature: first a full recognition, then
    // one with reservations.
    for (std::int32_t wanted : {ImageFormatCodec::kRecognised, ImageFormatCodec::kUnsupportedVariant})
    {
        for (ImageFormatCodec* candidate : codecs_)
        {
            if (candidate->getProbeClass() != ImageFormatCodec::kWeakSignature)
                continue;
            answer = candidate->probe(file, option);
            if (answer == wanted)
            {
                found = candidate;
                return answer;
            }
        }
    }
    return answer;
}

std::unique_ptr<CorrelationOptionInterface>
OMVISession::setCorrelationOption(std::unique_ptr<CorrelationOptionInterface> option)
{
    std::swap(option, correlationOption_);
    return option;
}

VolumeFullHandler* OMVISession::setVolumeFullHandler(VolumeFullHandler* handler)
{
    VolumeFullHandler* previous = volumeFullHandler_;
    volumeFullHandler_ = handler;
    pagingSystem_->setVolumeFullHandler(handler);
    return previous;
}

ProgressReporterInterface* OMVISession::setProgressReporter(ProgressReporterInterface* reporter)
{
    ProgressReporterInterface* previous = progressReporter_;
    progressReporter_ = reporter;
    return previous;
}

void OMVISession::setImageSetting(std::int32_t value)
{
    if (numImages() > 0)
        throw static_cast<OMVIException*>(
            new OMVISettingsException("Must be called before loading any images", 0));
    imageSetting_ = value;
}

std::int32_t OMVISession::imageSetting() const
{
    return imageSetting_;
}

void OMVISession::setFlag(bool flag)
{
    flag_ = flag;
}

bool OMVISession::isFlagClear() const
{
    return !flag_;
}

std::int32_t OMVISession::setIntegerSetting(std::int32_t value)
{
    integerSetting_ = value;
    return integerSetting_;
}

std::int32_t OMVISession::integerSetting() const
{
    return integerSetting_;
}

void OMVISession::getVersion(std::int32_t* major, std::int32_t* minor, std::int32_t* revision,
                             std::int32_t* patch, std::int32_t* build) const
{
    std::int32_t* fields[] = {major, minor, revision, patch, build};
    for (int i = 0; i < 5; ++i)
        if (fields[i] != nullptr)
            *fields[i] = versionField(kVersionRecord, i);
}

std::int32_t OMVISession::registerImage(ImageRep* image)
{
    return registry_.add(image);
}

bool OMVISession::unregisterImage(std::int32_t id)
{
    return registry_.remove(id);
}

void OMVISession::releaseSharedSources(ImageRep& image)
{
    auto* tiled = dynamic_cast<TiledImage*>(&image);
    if (!tiled)
        return;
    sessionLock_->lock();
    try
    {
        tiled->detachSharedImages();
    }
    catch (...)
    {
        sessionLock_->unlock();
        throw;
    }
    sessionLock_->unlock();
}

DelayLoadPageSystem& OMVISession::delayLoadPagingSystem()
{
    std::lock_guard<std::mutex> hold(adaptersMutex_);
    if (!delayLoadPaging_)
        delayLoadPaging_ = std::make_unique<DelayLoadPageSystem>(&temporaryPagingSystem());
    return *delayLoadPaging_;
}

DirectReadPagingSystem& OMVISession::directReadPagingSystem()
{
    std::lock_guard<std::mutex> hold(adaptersMutex_);
    if (!directReadPaging_)
        directReadPaging_ = std::make_unique<DirectReadPagingSystem>();
    return *directReadPaging_;
}

TemporaryFilePagingSystemInterface& OMVISession::temporaryPagingSystem() const
{
    if (!pagingSystem_)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    return *pagingSystem_;
}

} // namespace Omvi
