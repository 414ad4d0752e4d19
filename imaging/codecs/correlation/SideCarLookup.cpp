#include "imaging/codecs/correlation/SideCarLookup.h"

#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/codecs/correlation/SideCarPath.h"

namespace Omvi::SideCarLookup
{

FileSpecifier fileFor(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

std::string pathOf(const FileSpecifier& file)
{
    return file.path().text();
}

bool isPlainFile(const FileSpecifier& image)
{
    return image.kind() == FileSpecifier::kFile && !pathOf(image).empty();
}

std::optional<FileSpecifier> find(const ImageFormatCodec* codec, const FileSpecifier& image,
                                  const CorrelationOptionInterface* option,
                                  const std::vector<std::string>& extensions)
{
    if (option != nullptr && codec != nullptr)
    {
        for (const std::string& extension : extensions)
        {
            FileSpecifier found;
            if (option->resolveSideCar(*codec, image, AsciiStringBuffer(extension), found) &&
                SideCarPath::isReadableFile(pathOf(found)))
                return found;
        }
        return std::nullopt;
    }
    if (!isPlainFile(image))
        return std::nullopt;
    const SideCarPath::Parts parts = SideCarPath::split(pathOf(image));
    for (const std::string& extension : extensions)
        for (const std::string& spelling : SideCarPath::caseVariants(extension))
        {
            const std::string path = parts.folder + parts.base + spelling;
            if (SideCarPath::isReadableFile(path))
                return fileFor(path);
        }
    return std::nullopt;
}

} // namespace Omvi::SideCarLookup
