#pragma once
// The settings face of the library session, in slot order.
#include <cstdint>
#include <memory>

namespace Omvi
{

class CorrelationOptionInterface;
class FileSpecifier;
class FormatCodecApiVersionInterface;
class ImageFormatCodec;
class ImageRep;
class ProgressReporterInterface;
class VolumeFullHandler;

class OMVISettingsInterface
{
public:
    // 0: adds a paging volume on `file` limited to `size` bytes; false when
    // its file cannot be made. `volumeCount` receives the number of volumes.
    virtual bool addPagingVolume(const FileSpecifier& file, std::int32_t size, std::int32_t& volumeCount) = 0;
    // 1 and 2: the memory budget in KB (0 = chosen from the machine's
    // memory). A new budget is refused (false) while memory is granted.
    virtual bool setMemoryLimit(std::int32_t kilobytes) = 0;
    virtual std::int32_t memoryLimit() const = 0;
    // 3: whether a codec's version object reports the library's interface
    // major version.
    virtual bool isCompatible(const FormatCodecApiVersionInterface& version) const = 0;
    // 4-6: the codec registry. A codec (not owned) is registered only when it
    // reports interface major version 3; registration order is probe order.
    virtual bool registerCodec(ImageFormatCodec* codec) = 0;
    virtual std::int32_t numCodecs() const = 0;
    virtual ImageFormatCodec* codec(std::int32_t index) const = 0;
    // 7: the correlation option handed to codecs (owned); the previous one
    // goes back to the caller.
    virtual std::unique_ptr<CorrelationOptionInterface>
    setCorrelationOption(std::unique_ptr<CorrelationOptionInterface> option) = 0;
    // 8: the handler that supplies paging volumes when all are full (not
    // owned), forwarded to the paging file; answers the previous one.
    virtual VolumeFullHandler* setVolumeFullHandler(VolumeFullHandler* handler) = 0;
    // 9: told how far row writers have come (not owned); answers the previous.
    virtual ProgressReporterInterface* setProgressReporter(ProgressReporterInterface* reporter) = 0;
    // 10 and 11: allowed only while no image is loaded; otherwise throws
    // OMVISettingsException 0 "Must be called before loading any images".
    virtual void setImageSetting(std::int32_t value) = 0;
    virtual std::int32_t imageSetting() const = 0;
    // 12 and 13
    virtual void setFlag(bool flag) = 0;
    virtual bool isFlagClear() const = 0;
    // 14 and 15: whether an image built from a file keeps its descriptor: 0
    // drops it, 1 (the default) keeps it, 2 keeps it only when the file can
    // be read sub-sampled. Answers the value stored.
    virtual std::int32_t setIntegerSetting(std::int32_t value) = 0;
    virtual std::int32_t integerSetting() const = 0;
    // 16: the image, and every registered image that pages from the same
    // source, stop depending on their source file: their descriptors are
    // closed and their tiles move to pages of the paging file. Nothing
    // happens for an image that is not tiled.
    virtual void releaseSharedSources(ImageRep& image) = 0;
    // 17: the library's version.
    virtual void getVersion(std::int32_t* major, std::int32_t* minor, std::int32_t* revision,
                            std::int32_t* patch, std::int32_t* build) const = 0;
    // 18
    virtual ~OMVISettingsInterface();
};

} // namespace Omvi
