#pragma once
// The imaging library's process-wide session. It owns the platform services
// (run time, memory budget, temporary paging file), the registry of live
// images and a handful of settings, and keeps the list of registered codecs
// (not owned) that opening a file asks which one recognises it.
//
// Lifetime: create() makes the one session, destroy() ends it; everything
// runs on the thread that made it. The session lock guards the walks over
// shared image sources; the registry lock guards the image list for callers
// that take it.
#include "imaging/FileSpecifier.h"
#include "imaging/session/ImageRegistry.h"
#include "imaging/session/OMVISettingsInterface.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Omvi
{

class DelayLoadPageSystem;
class DirectReadPagingSystem;
class JobManager;
class MutexLock;
class RunTimeInterface;
class TemporaryFilePagingSystemInterface;

class OMVISession : public OMVISettingsInterface
{
public:
    // The library's interface version: codecs must report this major.
    static constexpr std::int32_t kApiMajorVersion = 3;
    // The library's version record: after its leading comma, major, minor,
    // revision, patch and build, then the library's name and a build tag.
    static constexpr const char* kVersionRecord = ",3,0,1,1,0589,Omvi,Quillcast imaging";

    // The session, made on the first call with `temporaryFile` naming its
    // paging file (a page volume above 0 limits the file's size); later calls
    // return it and ignore the arguments. Throws FileIOException "Unable to
    // create temporary file" (codes 1, 3, 9, 10 for the paging file's
    // creation failures 0, 1, 2 and others) when the paging file cannot be
    // made; no session exists afterwards.
    static OMVISession* create(const FileSpecifier& temporaryFile, std::int64_t pageVolume);
    // The session, or null; never makes one.
    static OMVISession* get();
    // Ends the session. Refused (false, nothing changes) while images are
    // still registered: their tiles live in the session's paging file.
    // True when no session is left.
    static bool destroy();

    OMVISession(const OMVISession&) = delete;
    OMVISession& operator=(const OMVISession&) = delete;
    ~OMVISession() override;

    bool addPagingVolume(const FileSpecifier& file, std::int32_t size, std::int32_t& volumeCount) override;
    bool setMemoryLimit(std::int32_t kilobytes) override;
    std::int32_t memoryLimit() const override;
    bool isCompatible(const FormatCodecApiVersionInterface& version) const override;
    bool registerCodec(ImageFormatCodec* codec) override;
    std::int32_t numCodecs() const override;
    ImageFormatCodec* codec(std::int32_t index) const override;
    std::unique_ptr<CorrelationOptionInterface>
    setCorrelationOption(std::unique_ptr<CorrelationOptionInterface> option) override;
    VolumeFullHandler* setVolumeFullHandler(VolumeFullHandler* handler) override;
    ProgressReporterInterface* setProgressReporter(ProgressReporterInterface* reporter) override;
    void setImageSetting(std::int32_t value) override;
    std::int32_t imageSetting() const override;
    void setFlag(bool flag) override;
    bool isFlagClear() const override;
    std::int32_t setIntegerSetting(std::int32_t value) override;
    std::int32_t integerSetting() const override;
    void releaseSharedSources(ImageRep& image) override;
    // The same pass under the name the image operations use.
    void refreshSharedImages(ImageRep& image) { releaseSharedSources(image); }
    void getVersion(std::int32_t* major, std::int32_t* minor, std::int32_t* revision, std::int32_t* patch,
                    std::int32_t* build) const override;

    // Which registered codec recognises the file, in three passes: the
    // codecs with a reliable signature in registration order (the first
    // answer other than "not this format" wins), then those without one
    // (the first that recognises the file wins), then those again (the
    // first that recognises it with reservations wins). Answers the winning
    // probe result and sets `codec`; otherwise leaves `codec` alone and
    // answers the last probe's result (2 when nothing was asked).
    std::int32_t findCodec(const FileSpecifier& file, ImageFormatCodec*& codec) const;
    // Room in the codec list: grows ten at a time.
    std::int32_t codecCapacity() const { return static_cast<std::int32_t>(codecs_.capacity()); }

    // The image registry (ids are stored by the images themselves).
    std::int32_t registerImage(ImageRep* image);
    bool unregisterImage(std::int32_t id);
    std::int32_t numImages() const { return registry_.count(); }
    ImageRep* imageAt(std::int32_t index) const { return registry_.at(index); }
    void lockRegistry() { registry_.lock(); }
    void unlockRegistry() { registry_.unlock(); }

    // The platform services.
    RunTimeInterface& runTime() const { return *runTime_; }
    JobManager& jobManager() const { return *jobManager_; }
    // Throws SystemException 2 "Invalid Page Volume" when there is none.
    TemporaryFilePagingSystemInterface& temporaryPagingSystem() const;
    MutexLock& sessionLock() const { return *sessionLock_; }
    // The paging systems of images that page from their files: the
    // delay-load system (over the temporary paging file) and the
    // direct-read system, each made on its first request.
    DelayLoadPageSystem& delayLoadPagingSystem();
    DirectReadPagingSystem& directReadPagingSystem();

    const CorrelationOptionInterface* correlationOption() const { return correlationOption_.get(); }
    ProgressReporterInterface* progressReporter() const { return progressReporter_; }

private:
    OMVISession(const FileSpecifier& temporaryFile, std::int64_t pageVolume);

    std::unique_ptr<RunTimeInterface> runTime_;
    std::unique_ptr<JobManager> jobManager_;
    std::unique_ptr<TemporaryFilePagingSystemInterface> pagingSystem_;
    std::unique_ptr<MutexLock> sessionLock_;
    ImageRegistry registry_;
    std::vector<ImageFormatCodec*> codecs_;
    std::unique_ptr<CorrelationOptionInterface> correlationOption_;
    VolumeFullHandler* volumeFullHandler_ = nullptr;
    ProgressReporterInterface* progressReporter_ = nullptr;
    std::int32_t imageSetting_ = 0;
    bool flag_ = false;
    std::int32_t integerSetting_ = 1;
    // Declared after the paging file they wrap, so they end before it.
    std::mutex adaptersMutex_;
    std::unique_ptr<DelayLoadPageSystem> delayLoadPaging_;
    std::unique_ptr<DirectReadPagingSystem> directReadPaging_;
};

// Field `index` (0 for the first after the leading comma) of a version
// record, converted as an integer (atoi rules); 0 when the record has no such
// field.
std::int32_t versionField(const char* record, int index);

} // namespace Omvi
