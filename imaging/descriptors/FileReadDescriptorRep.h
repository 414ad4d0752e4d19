#pragma once
// The representation behind a FileReadDescriptor: one frame of an image
// file bound to the codec that reads it. The handle runs exactly one
// construct slot on a new, unbound representation and forwards everything
// else. Slots 0-23 are the interface's contract, in order; the operations
// after them are what tiled images and the paging systems ask of a bound
// descriptor beside its slots.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class CorrelationOptionInterface;
class DataModel;
class DataStreamInterface;
class FileSpecifier;
class FormatCodecPropertyInterface;
class FormatCodecPropertySetIterator;
class ImageFormatCodec;
class ReadImageFileFrameInterface;
class RowProviderInterface;
class StringBuffer;

class FileReadDescriptorRep
{
public:
    // Access kinds (accessKind answers one; supportsAccess tests one).
    enum AccessKind : std::int32_t
    {
        kSequentialRows = 0, // rows top to bottom: every frame
        kDirectTiles = 1,    // the file's own tiles, read one at a time
        kSubRegions = 2,     // sub-regions and sub-sampled reading
        kDelayLoading = 3,   // tiles decoded from the file when first used
        kAssociation = 4,    // the codec supports association properties
        kStreaming = 5       // accessKind of a descriptor over a data stream
    };

    FileReadDescriptorRep();
    FileReadDescriptorRep(const FileReadDescriptorRep&) = delete;
    FileReadDescriptorRep& operator=(const FileReadDescriptorRep&) = delete;

    // 0-3: binding. 0 copies another descriptor (a streaming one is refused);
    // 1 binds to a data stream read by a streaming codec; 2 binds to a file
    // with a given codec; 3 finds the codec first.
    virtual void construct(FileReadDescriptorRep& other) = 0;
    virtual void construct(DataStreamInterface* stream, ImageFormatCodec& codec) = 0;
    virtual void construct(const FileSpecifier& file, ImageFormatCodec& codec,
                           const CorrelationOptionInterface* option) = 0;
    virtual void construct(const FileSpecifier& file, const CorrelationOptionInterface* option) = 0;
    // 4 and 5: the read file and frame are reopened on demand after close.
    virtual void open() = 0;
    virtual void close() = 0;
    // 6
    virtual void fileSpecifier(FileSpecifier& out) const = 0;
    // 7-9: the frame's size (width, height), its orientation code 0-7 and
    // its size with width and height exchanged for codes 4-7.
    virtual PixelPair size() = 0;
    virtual std::int32_t orientation() = 0;
    virtual PixelPair orientedSize() = 0;
    // 10 and 11
    virtual const DataModel* dataModel() const = 0;
    virtual ImageFormatCodec* codec() const = 0;
    // 12-15
    virtual bool isValid() = 0;
    virtual std::int32_t frameIndex() const = 0;
    virtual bool selectFrame(std::int32_t index) = 0;
    virtual std::int32_t accessKind() = 0;
    // 16-18: the frame's properties (new objects owned by the caller).
    virtual FormatCodecPropertySetIterator* getFormatProperties() = 0;
    virtual FormatCodecPropertyInterface* getFormatProperty(const StringBuffer& name) = 0;
    virtual FormatCodecPropertyInterface* getFormatProperty(std::int32_t propertyType) = 0;
    // 19 and 20: new row providers over the frame, owned by the caller.
    virtual RowProviderInterface* rowProvider() = 0;
    virtual RowProviderInterface* scaledRowProvider(double scale, std::int32_t resamplingKind) = 0;
    // 21 and 22
    virtual std::int32_t frameCount() = 0;
    virtual FileSpecifier readFileSpecifier(std::int32_t value) = 0;
    // 23
    virtual ~FileReadDescriptorRep();

    // A new, unbound representation of the same kind; the handle's copy
    // runs slot 0 on it. Null when this kind cannot be copied.
    virtual std::unique_ptr<FileReadDescriptorRep> newRepresentation() const = 0;
    // Whether the frame offers access kind `kind` (0 always does).
    virtual bool supportsAccess(std::int32_t kind) = 0;
    // The current frame, opened first when the descriptor is closed; null
    // when it cannot be opened. Owned by the descriptor.
    virtual ReadImageFileFrameInterface* frame() = 0;
    virtual bool isStreaming() const = 0;
    // Rows of the rectangle of `regionSize` pixels from `origin` only.
    virtual RowProviderInterface* subRegionRowProvider(const PixelPair& regionSize, const PixelPair& origin) = 0;
    // The same rectangle decoded at a reduced size (`subSampling` as the
    // frame's subSamplingFor gave it); null where the frame cannot (the
    // default).
    virtual RowProviderInterface* subSampledRowProvider(const PixelPair& regionSize, const PixelPair& origin,
                                                        std::int32_t subSampling);
    // The nearest reduced size to (width, height) that the frame decodes,
    // with the sub-sampling that gives it; false where it cannot (the
    // default).
    virtual bool subSamplingFor(std::int32_t& width, std::int32_t& height, std::int32_t& subSampling);
};

} // namespace Omvi
