#include "imaging/codecs/rlc/RlcFormatCodec.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/rlc/Ig4ReadFile.h"
#include "imaging/codecs/rlc/RlcContainer.h"
#include "imaging/codecs/rlc/RlcReadFile.h"
#include "imaging/codecs/rlc/RlcStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <vector>

namespace Omvi
{
namespace
{

[[maybe_unused]] const RlcFormatCodecApiVersion rlcApiVersion;
[[maybe_unused]] const Ig4FormatCodecApiVersion ig4ApiVersion;

FormatCodecDescription rlcDescription()
{
    using namespace RlcStringId;
    return {",3,0,1,0,0589,RlcFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kNever,
            {0, 4},
            {FormatCodecPropertyInterface::kCorrelation}};
}

FormatCodecDescription ig4Description()
{
    using namespace Ig4StringId;
    return {",3,0,1,0,0589,Ig4FormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kNever,
            {0},
            {FormatCodecPropertyInterface::kCorrelation}};
}

// Whether `name` is the name of one of the private property kinds 1-last.
template <typename NameOfKind>
bool isPrivateName(const StringBuffer& name, int last, NameOfKind nameOfKind)
{
    for (int kind = 1; kind <= last; ++kind)
        if (equalsCodecString(name, nameOfKind(kind)))
            return true;
    return false;
}

// Big-endian 16-bit values read one after another, a block at a time.
class WordReader
{
public:
    explicit WordReader(const CodecFile& file) : file_(file) {}

    bool next(std::uint16_t& word)
    {
        if (position_ + 2 > filled_)
        {
            const std::size_t kept = filled_ - position_;
            for (std::size_t i = 0; i < kept; ++i)
                buffer_[i] = buffer_[position_ + i];
            const std::size_t got = file_.readSomeAt(offset_, buffer_.data() + kept, buffer_.size() - kept);
            offset_ += static_cast<std::int64_t>(got);
            filled_ = kept + got;
            position_ = 0;
            if (filled_ < 2)
                return false;
        }
        word = ByteOrder::bigEndian16(&buffer_[position_]);
        position_ += 2;
        return true;
    }

private:
    const CodecFile& file_;
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(65536);
    std::size_t filled_ = 0;
    std::size_t position_ = 0;
    std::int64_t offset_ = 0;
};

} // namespace

RlcFormatCodec::RlcFormatCodec() : FormatCodecBase(rlcDescription()) {}

RlcFormatCodec::~RlcFormatCodec() = default;

int RlcFormatCodec::constantQuery6() const
{
    return 1;
}

bool RlcFormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    return isPrivateName(name, 8, RlcStringId::privatePropertyNameId);
}

int RlcFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    if (!file.open(nativePath) || file.size() < 5)
        return kNotThisFormat;
    if (RlcContainer::hasTrailerOfFormat(file, RlcContainer::kRlcFormatCode))
        return kRecognised;

    WordReader words(file);
    std::uint16_t rows = 0;
    std::uint16_t width = 0;
    if (!words.next(rows) || rows < 1 || file.size() < 2 * static_cast<std::int64_t>(rows) || !words.next(width) ||
        width < 1)
        return kNotThisFormat;
    std::uint64_t totalRuns = 0;
    for (std::uint32_t row = 0; row < rows; ++row)
    {
        std::uint16_t runs = 0;
        if (!words.next(runs))
            return kNotThisFormat;
        std::uint16_t previousEnd = 0;
        for (std::uint32_t run = 0; run < runs; ++run)
        {
            std::uint16_t start = 0;
            std::uint16_t end = 0;
            if (!words.next(start) || !words.next(end))
                return kNotThisFormat;
            if (start < previousEnd || start > width || end < start || end > width)
                return kNotThisFormat;
            previousEnd = end;
        }
        totalRuns += runs;
    }
    return totalRuns == 0 ? kNotThisFormat : kRecognised;
}

ReadImageFileInterface* RlcFormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new RlcReadFile(this, file, std::move(correlations), resolver_);
}

Ig4FormatCodec::Ig4FormatCodec() : FormatCodecBase(ig4Description()) {}

Ig4FormatCodec::~Ig4FormatCodec() = default;

bool Ig4FormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    return isPrivateName(name, 7, Ig4StringId::privatePropertyNameId);
}

int Ig4FormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    if (!file.open(nativePath))
        return kNotThisFormat;
    return RlcContainer::hasTrailerOfFormat(file, RlcContainer::kIg4FormatCode) ? kRecognised : kNotThisFormat;
}

ReadImageFileInterface* Ig4FormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new Ig4ReadFile(this, file, std::move(correlations));
}

} // namespace Omvi
