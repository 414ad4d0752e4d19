#pragma once
// The file read descriptor: one frame of an image file (or of a data
// stream) bound to the codec that reads it. It owns the codec's reader of
// the file and the frame in use, derives the frame's data model, and hands
// out row providers over the whole frame, a sub-region, a sub-sampled
// region or a scaled version of it.
//
// Lifecycle: unbound -> bound by one construct slot -> open (reader and
// frame present) <-> closed (close; any operation that needs the frame
// opens it again). The data model survives closing.
//
// Copies share the reader of the file (it is released with the last of
// them) but each holds its own frame, frame index and data model, so that a
// copy that selects another frame leaves the original where it was.
//
// Errors (FileDescriptorException, thrown as pointers):
// - 8 "FileReadDescriptorImp::construct": an empty path, no registered codec
//   recognises the file, or a data stream that the codec cannot read;
// - 4 / 5 "FileReadDescriptorImp::construct": the given codec answers that
//   the file is not in its format / is a variant it cannot read;
// - 7 "FileReadDescriptor::FileReadDescriptor": copying a descriptor of
//   another kind, or one over a data stream;
// - 8 "FileReadDescriptorImp::open": an operation needs the frame and none
//   can be opened (no reader, or the frame in use cannot be opened again).
// Exceptions of the codec pass through.
#include "imaging/descriptors/FileReadDescriptorRep.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class ReadImageFileInterface;

class FileReadDescriptorImp : public FileReadDescriptorRep
{
public:
    FileReadDescriptorImp();
    // Deletes the data model, the file specifier, the frame and (when no
    // copy still uses it) the reader, in that order.
    ~FileReadDescriptorImp() override;

    // 0: a copy of another FileReadDescriptorImp that reads a file.
    void construct(FileReadDescriptorRep& other) override;
    // 1: over a data stream (not owned), read by a codec that reads data
    // streams; frame 0 selected.
    void construct(DataStreamInterface* stream, ImageFormatCodec& codec) override;
    // 2: over a file with that codec: probed, opened (with `option`, else the
    // session's correlation option), frame 0 selected.
    void construct(const FileSpecifier& file, ImageFormatCodec& codec,
                   const CorrelationOptionInterface* option) override;
    // 3: the codec is the one the session's lookup finds for the file.
    void construct(const FileSpecifier& file, const CorrelationOptionInterface* option) override;

    void open() override;
    void close() override;
    void fileSpecifier(FileSpecifier& out) const override;
    PixelPair size() override;
    std::int32_t orientation() override;
    PixelPair orientedSize() override;
    const DataModel* dataModel() const override { return model_.get(); }
    ImageFormatCodec* codec() const override { return codec_; }
    // Whether the reader is usable and a frame is open (both opened first
    // when the descriptor is closed); false, not an error, when they cannot
    // be had.
    bool isValid() override;
    std::int32_t frameIndex() const override { return frameIndex_; }
    // Makes frame `index` current and rebuilds the data model from it;
    // the index in use answers true at once. A frame that cannot be opened
    // (or whose data model cannot be held) answers false and changes
    // nothing: the old index, frame and model stay.
    bool selectFrame(std::int32_t index) override;
    // 5 over a data stream; else 2 for a frame that decodes at reduced sizes,
    // 1 for one that hands out its own tiles, else 0.
    std::int32_t accessKind() override;
    FormatCodecPropertySetIterator* getFormatProperties() override;
    FormatCodecPropertyInterface* getFormatProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getFormatProperty(std::int32_t propertyType) override;
    // Every row of the frame, top to bottom, in the data model.
    RowProviderInterface* rowProvider() override;
    // The frame at `scale` times its size (each side truncated, at least
    // 1): decoded at a reduced size by the file where it can, resized by
    // `resamplingKind` (0 nearest neighbour) where that is not exactly the
    // size, and turned upright (ReorientFilter) when the frame declares an
    // orientation: the scale applies to the stored size, so a frame of
    // orientation 4-7 comes out with width and height exchanged.
    // A scale that is not a positive finite number throws
    // ImageFilterException 2; a size that cannot be held, code 5; a frame
    // without rows FileDescriptorException 8 with the frame's reason.
    RowProviderInterface* scaledRowProvider(double scale, std::int32_t resamplingKind) override;
    std::int32_t frameCount() override;
    FileSpecifier readFileSpecifier(std::int32_t value) override;

    std::unique_ptr<FileReadDescriptorRep> newRepresentation() const override;
    // 0 always; 1 the file's own tiles, 2 reduced sizes and sub-regions
    // (the frame decodes at reduced sizes), 3 tiles decoded when first used
    // (the frame reads rows in any order); 4 the codec supports association
    // properties.
    bool supportsAccess(std::int32_t kind) override;
    ReadImageFileFrameInterface* frame() override;
    bool isStreaming() const override { return streaming_; }
    // The region must lie inside the frame (ImageException 0 otherwise);
    // null when the frame's row iterator cannot deliver regions.
    RowProviderInterface* subRegionRowProvider(const PixelPair& regionSize, const PixelPair& origin) override;
    RowProviderInterface* subSampledRowProvider(const PixelPair& regionSize, const PixelPair& origin,
                                                std::int32_t subSampling) override;
    bool subSamplingFor(std::int32_t& width, std::int32_t& height, std::int32_t& subSampling) override;

private:
    // The frame, opened first when needed; FileDescriptorException 8 with
    // the reason (noFrameReason) when there is none.
    ReadImageFileFrameInterface& requireFrame();
    // Why there is no frame: the reader's reason where it gives one.
    const char* noFrameReason() const;
    // Opens the reader through the codec (with `option` when there is one).
    void openReader(const CorrelationOptionInterface* option);
    // A row iterator of the frame as the given region interface, or null.
    template <class Region>
    std::unique_ptr<Region> regionIterator(const PixelPair& regionSize, const PixelPair& origin);

    std::unique_ptr<FileSpecifier> file_;
    ImageFormatCodec* codec_ = nullptr;
    std::shared_ptr<ReadImageFileInterface> reader_;
    std::unique_ptr<ReadImageFileFrameInterface> frame_;
    std::unique_ptr<DataModel> model_;
    std::int32_t frameIndex_ = -1;
    bool streaming_ = false;
};

} // namespace Omvi
