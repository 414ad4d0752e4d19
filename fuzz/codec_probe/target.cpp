// Runs every codec's header probe on the fuzzer's bytes, seen as a file,
// then reads the same bytes as a world file, a resource file and a tab file
// (the correlation option sends every side-car request to that file). The
// first two bytes give the image size the side-car readers are told.
#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

#include "imaging/codecs/tests/CodecTestFiles.h"
#include "imaging/codecs/tests/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{

class SameFileOption : public Omvi::CorrelationOptionInterface
{
public:
    explicit SameFileOption(const Omvi::FileSpecifier& file) : file_(file) {}
    bool resolveSideCar(const Omvi::ImageFormatCodec&, const Omvi::FileSpecifier&, const Omvi::StringBuffer&,
                        Omvi::FileSpecifier& sideCar) const override
    {
        sideCar = file_;
        return true;
    }

private:
    Omvi::FileSpecifier file_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static OmviTest::AllCodecs codecs(Omvi::TiffFormatCodec::kTextureMode);
    static Omvi::TiffFormatCodec tiffWithoutLzw(Omvi::TiffFormatCodec::kWithoutLzw);

    const OmviTest::MemoryFile file(data, size);
    if (!file.isOpen())
        return 0;
    const Omvi::FileSpecifier specifier = file.specifier();
    for (Omvi::ImageFormatCodec* codec : codecs.list())
    {
        const int answer = codec->probe(specifier, nullptr);
        if (answer < 0 || answer > 3)
            std::abort();
    }
    if (tiffWithoutLzw.probe(specifier, nullptr) > 3)
        std::abort();

    const SameFileOption option(specifier);
    Omvi::CorrelationPropertySetIterator sideCars(Omvi::CorrelationPropertySetIterator::kForReading, &codecs.bmp,
                                                  specifier, &option);
    const int height = size > 0 ? data[0] : 1;
    const int width = size > 1 ? data[1] : 1;
    for (sideCars.start(); !sideCars.isDone(); sideCars.next())
        if (auto* sideCar = dynamic_cast<Omvi::FormatCodecExternalCorrelation*>(sideCars.current()))
        {
            sideCar->setImageSize(height, width);
            sideCar->read();
        }
    return 0;
}
