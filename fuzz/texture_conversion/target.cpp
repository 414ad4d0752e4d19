// The whole texture conversion on arbitrary bytes as a texture file: the
// session, the twelve codecs' probes, the frame scan, the reading, the
// JPEG and W2D writing; and the whole-file reading a JPEG or PNG texture
// gets instead, which must fail exactly when it says why. Every input must end as a converted file or as a
// failure (the path unchanged), never a crash, a leak, a hang or a runaway
// allocation, and nothing may stay behind in the temporary folder.
#include "addin/texture/TextureImageConverter.h"
#include "addin/texture/TextureOutputFolder.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "platform/kernel/Path.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    OmviTest::MemoryFile file(data, size);
    TextureOutputFolder folder;
    TextureImageConverter converter(folder);
    // The message boxes would pile up in the stand-in user interface.
    converter.setReportFailures(false);
    // Claimed sizes of a few megapixels keep every run quick.
    converter.setMaximumPixels(std::int64_t{1} << 22);
    const std::u16string path = platform::path::fromNative(file.path());
    const TextureFileFormat format = converter.ReadTextureImage(path);
    if ((format == TextureFileFormat::Unreadable) == converter.failure().empty())
        std::abort();
    bool converted = false;
    const std::u16string result = converter.ConvertTextureImage(path, &converted);
    if (!converted && result != path)
        std::abort();
    if (!folder.remove())
        std::abort();
    return 0;
}
