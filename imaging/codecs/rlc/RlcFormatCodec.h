#pragma once
// The RLC and IG4 codecs: bilevel rasters stored as run lists (RLC) or as
// Group 4 coded strips (IG4) in a shared container. Read only.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

// Asked by the RLC reader for a referenced raster file it does not
// recognise where the reference points.
class RlcReferenceResolver
{
public:
    virtual ~RlcReferenceResolver() = default;
    // `reference` holds the name as the record gives it, `holder` the file
    // that holds the record; true with `out` naming the file to read.
    virtual bool resolveReference(const FileSpecifier& reference, const FileSpecifier& holder,
                                  FileSpecifier& out) const = 0;
};

class RlcFormatCodec : public FormatCodecBase
{
public:
    RlcFormatCodec();
    ~RlcFormatCodec() override;

    // The resolver readers made from now on ask (not owned; null: none).
    void setReferenceResolver(const RlcReferenceResolver* resolver) { resolver_ = resolver; }

    int constantQuery6() const override;

protected:
    // The names of the private property kinds 1-8.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // A trailer of RLC format, or else run lists that hold together: a row
    // count and width, then for every row its runs (start, end) in order
    // and within the width, at least one run in the whole file.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;

private:
    const RlcReferenceResolver* resolver_ = nullptr;
};

class Ig4FormatCodec : public FormatCodecBase
{
public:
    Ig4FormatCodec();
    ~Ig4FormatCodec() override;

protected:
    // The names of the private property kinds 1-7.
    bool isPrivatePropertyName(const StringBuffer& name) const override;
    // A trailer of IG4 format.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
};

class RlcFormatCodecApiVersion : public FormatCodecApiVersion
{
};

class Ig4FormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
