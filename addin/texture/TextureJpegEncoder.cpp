#include "addin/texture/TextureJpegEncoder.h"

#include "addin/texture/TextureBstr.h"
#include "addin/texture/WriteBufferedStream.h"
#include "dwfcore/RegularFile.h"
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/properties/ValueProperties.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/filters/PromoteDataModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <cerrno>
#include <cstdio>
#include <vector>

namespace
{

constexpr std::int32_t kStreamOrganisation = 6;
constexpr std::int32_t kQualityProperty = 2;

// A scratch file made for the codec to write, removed on every path.
class ScratchJpeg
{
public:
    // Raises BstrOutOfMemory when the file's name cannot be held.
    ScratchJpeg() : path_(platform::createTemporaryFile("dwfImg").value_or(std::u16string()))
    {
        error_ = path_.empty() ? errno : 0;
        if (!path_.empty() && AnsiToBSTR(platform::path::toNative(path_)).isNull())
        {
            platform::removeTemporaryFile(path_);
            path_.clear();
            throw BstrOutOfMemory();
        }
    }
    ~ScratchJpeg()
    {
        if (!path_.empty())
            platform::removeTemporaryFile(path_);
    }
    ScratchJpeg(const ScratchJpeg&) = delete;
    ScratchJpeg& operator=(const ScratchJpeg&) = delete;

    const std::u16string& path() const { return path_; }
    // Why no file could be made (an errno value).
    int error() const { return error_; }

    // Appends the file's bytes to `out`; false when it cannot be read.
    bool readInto(WriteBufferedStream& out) const
    {
        // Only the file made for the codec is read, whatever its name leads to by now.
        std::FILE* file = DWFCore::openRegularFileStream(platform::path::toNative(path_));
        if (file == nullptr)
            return false;
        std::vector<std::uint8_t> chunk(kScratchReadChunk);
        bool ok = true;
        std::size_t got = 0;
        while (ok && (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
            ok = out.append(chunk.data(), got);
        ok = ok && std::ferror(file) == 0;
        std::fclose(file);
        return ok;
    }

private:
    std::u16string path_;
    int error_ = 0;
};

} // namespace

std::u16string EncodeTextureJpeg(Omvi::ImageFormatCodec& codec,
                                 std::unique_ptr<Omvi::RowProviderInterface> rows,
                                 WriteBufferedStream& out)
{
    if (!rows || !rows->isValid())
        return u"the texture's rows cannot be read";
    const std::int32_t type = rows->dataModel().colorSpace();
    if (type != Omvi::kColorSpaceRgb && type != Omvi::kColorSpaceGray)
    {
        auto promoted =
            std::make_unique<OmviFilters::PromoteDataModel>(rows.release(), Omvi::RgbModel(24));
        if (!promoted->isValid())
            return u"the texture's pixels cannot be turned into colours";
        rows = std::move(promoted);
    }
    const Omvi::PixelPair size = rows->size();

    std::unique_ptr<ScratchJpeg> scratch;
    if (!codec.isDataOrganizationSupported(kStreamOrganisation))
    {
        scratch = std::make_unique<ScratchJpeg>();
        if (scratch->path().empty())
            return u"no scratch file could be made for the JPEG in '" +
                   platform::path::fromNative(platform::temporaryFolder()) + u"/': " +
                   platform::utf8ToUtf16(platform::systemReason(scratch->error()));
    }
    {
        // The writer closes its output when it goes, before the scratch
        // file is read back.
        Omvi::FileWriteDescriptor writer(codec);
        if (!scratch)
            writer.createOnStream(&out);
        else if (!writer.create(Omvi::fileSpecifierFromPath(scratch->path())))
            return u"the scratch file for the JPEG cannot be written";
        writer.createImageFrame(rows->dataModel(), size.x, size.y);
        std::unique_ptr<Omvi::FormatCodecPropertyInterface> quality(
            writer.representation().createFormatProperty(kQualityProperty));
        if (auto* value = dynamic_cast<Omvi::FormatCodecIntProperty*>(quality.get()))
            if (value->setValue(kTextureJpegQuality))
                writer.setFormatProperty(value);
        quality.reset();
        if (!writer.isFrameValid())
            return u"the JPEG writer does not take the texture's pixels";
        writer.writeImageFrame(rows.release());
    }
    if (scratch && !scratch->readInto(out))
        return u"the JPEG written to the scratch file cannot be read back";
    if (out.size() < 1)
        return u"the JPEG writer wrote nothing";
    return {};
}
