#pragma once
// What every codec's reader answers alike: the codec that made it, the
// specifier of its file (an empty stream specifier for a reader of a data
// stream), that it is usable, and the side-car correlations the codec found
// for the file (owned, may be null), which its frames copy or borrow.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileInterface.h"

#include <memory>
#include <optional>
#include <string>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;

class CodecReadFile : public ReadImageFileInterface
{
public:
    ~CodecReadFile() override;

    ImageFormatCodec* codec() const override;
    const FileSpecifier& fileSpecifier() const override { return file_; }
    // 1; readers that count what they found answer that instead.
    int isValid() const override { return 1; }
    FileSpecifier& copyFileSpecifier(FileSpecifier& out) const override;

protected:
    // A reader of `file`.
    CodecReadFile(const ImageFormatCodec* codec, const FileSpecifier& file,
                  std::unique_ptr<CorrelationPropertySetIterator> correlations);
    // A reader of a data stream.
    explicit CodecReadFile(const ImageFormatCodec* codec);

    CorrelationPropertySetIterator* correlations() const { return correlations_.get(); }
    // The file's path as the file system takes it; nothing for a specifier
    // the codecs do not open.
    std::optional<std::string> nativePath() const;
    // The file opened for reading, to be shared with frames and rows; not
    // open when it cannot be.
    std::shared_ptr<CodecFile> openSharedFile() const;

private:
    const ImageFormatCodec* codec_;
    FileSpecifier file_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
};

} // namespace Omvi
