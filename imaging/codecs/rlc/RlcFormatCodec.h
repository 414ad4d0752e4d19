#pragma once
// The RLC and IG4 codecs: bilevel rasters stored as run lists (RLC) or as
// Group 4 coded strips (IG4) in a shared container. Read only.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class RlcFormatCodec : public FormatCodecBase
{
public:
    RlcFormatCodec();
    ~RlcFormatCodec() override;

    int constantQuery6() const override;
    bool isDataOrganizationSupported(int organisation) const override;
    bool isPropertySupported(int propertyType, const StringBuffer* name) const override;
    bool canEncode(const DataModel* model, int width, int height) const override;

protected:
    // A trailer of RLC format, or else run lists that hold together: a row
    // count and width, then for every row its runs (start, end) in order
    // and within the width, at least one run in the whole file.
    int probePath(const std::string& nativePath) const override;
};

class Ig4FormatCodec : public FormatCodecBase
{
public:
    Ig4FormatCodec();
    ~Ig4FormatCodec() override;

    bool isDataOrganizationSupported(int organisation) const override;
    bool isPropertySupported(int propertyType, const StringBuffer* name) const override;
    bool canEncode(const DataModel* model, int width, int height) const override;

protected:
    // A trailer of IG4 format.
    int probePath(const std::string& nativePath) const override;
};

class RlcFormatCodecApiVersion : public FormatCodecApiVersion
{
};

class Ig4FormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
