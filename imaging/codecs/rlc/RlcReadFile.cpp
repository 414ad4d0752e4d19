#include "imaging/codecs/rlc/RlcReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/rlc/ContainerRecords.h"
#include "imaging/codecs/rlc/RlcContainer.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"
#include "imaging/codecs/rlc/RlcReadFileFrame.h"
#include "platform/kernel/Path.h"

namespace Omvi
{

RlcReadFile::RlcReadFile(const RlcFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations,
                         const RlcReferenceResolver* resolver)
    : CodecReadFile(codec, file, std::move(correlations))
{
    findRasters(resolver);
}

RlcReadFile::~RlcReadFile() = default;

std::string RlcReadFile::referencedPath(const std::string& holderPath, const std::string& name)
{
    std::u16string text = platform::path::normalized(platform::path::fromNative(name));
    if (text.empty())
        return {};
    bool absolute = text.front() == u'/';
    if (text.size() >= 2 && text[1] == u':')
    {
        // A drive letter.
        absolute = true;
        text.erase(0, 2);
    }
    std::u16string relative;
    std::size_t start = 0;
    while (start <= text.size())
    {
        const std::size_t end = std::min(text.find(u'/', start), text.size());
        const std::u16string component = text.substr(start, end - start);
        if (component == u"..")
            return {};
        if (!component.empty() && component != u".")
            relative = relative.empty() ? component : relative + u"/" + component;
        start = end + 1;
    }
    if (absolute)
        relative = platform::path::lastComponent(relative);
    if (relative.empty())
        return {};
    const std::u16string folder =
        platform::path::cutLastComponent(platform::path::fromNative(holderPath));
    return platform::path::toNative(platform::path::join(folder, relative));
}

void RlcReadFile::findRasters(const RlcReferenceResolver* resolver)
{
    const auto path = nativePath();
    CodecFile file;
    if (!path || !file.open(*path))
        return;
    if (file.size() < static_cast<std::int64_t>(RlcContainer::kTrailerSize + 1))
    {
        rasters_.push_back({fileSpecifier(), 0});
        return;
    }
    std::vector<ContainerRecords::Entry> entries;
    if (!ContainerRecords::readTrailer(file, RlcContainer::kRlcFormatCode, entries))
    {
        // Without the trailer (or one of another format) the file is one
        // raster; a trailer that cannot be read leaves none.
        std::uint8_t probe[RlcContainer::kTrailerSize];
        if (file.readAt(file.size() - static_cast<std::int64_t>(sizeof probe), probe, sizeof probe))
            rasters_.push_back({fileSpecifier(), 0});
        return;
    }
    for (std::size_t i = 0; i < entries.size() && rasters_.size() < kMaximumRasters; ++i)
    {
        const auto index = static_cast<std::int32_t>(i);
        if (entries[i].type == ContainerRecords::kRaster)
        {
            rasters_.push_back({fileSpecifier(), index});
            continue;
        }
        if (entries[i].type != ContainerRecords::kReference)
            continue;
        ContainerRecords::Placement reference;
        if (!ContainerRecords::readReference(file, entries[i], reference))
            continue;
        const std::string resolved = referencedPath(*path, reference.referenceName);
        const FileSpecifier candidate(AsciiStringBuffer(resolved), FileSpecifier::kFile);
        FileSpecifier answer;
        if (!resolved.empty() && codec()->probe(candidate, nullptr) == ImageFormatCodec::kRecognised)
            rasters_.push_back({candidate, index});
        else if (resolver != nullptr &&
                 resolver->resolveReference(FileSpecifier(AsciiStringBuffer(reference.referenceName),
                                                          FileSpecifier::kFile),
                                            fileSpecifier(), answer))
            rasters_.push_back({answer, index});
    }
}

ReadImageFileFrameInterface* RlcReadFile::openFrame(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= rasters_.size())
        return nullptr;
    const Raster& raster = rasters_[static_cast<std::size_t>(index)];
    return new RlcReadFileFrame(index, fileSpecifier(), raster.file, raster.entryIndex,
                                index < 1 ? correlations() : nullptr);
}

} // namespace Omvi
