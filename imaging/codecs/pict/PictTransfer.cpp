#include "imaging/codecs/pict/PictTransfer.h"

#include <algorithm>

namespace Omvi
{
namespace
{

using Channel = std::uint16_t;

// One channel of the arithmetic modes; `weight` is the op colour's channel.
Channel arithmetic(std::int32_t mode, Channel s, Channel d, Channel weight)
{
    const std::int32_t sum = std::int32_t{d} + s;
    const std::int32_t difference = std::int32_t{d} - s;
    switch (mode)
    {
    case PictTransferState::kBlend:
        // d (65536 - w) / 65536 + s w / 65536, in 64 bits so nothing wraps.
        return static_cast<Channel>((std::uint64_t{d} * (65536u - weight)) / 65536u +
                                    (std::uint64_t{s} * weight) / 65536u);
    case PictTransferState::kAddPin:
        return static_cast<Channel>(std::min<std::int32_t>(sum, weight));
    case PictTransferState::kAddOver:
        return static_cast<Channel>(sum & 0xFFFF);
    case PictTransferState::kSubPin:
        return static_cast<Channel>(difference >= weight ? difference : weight);
    case PictTransferState::kAddMax:
        return std::max(d, s);
    case PictTransferState::kSubOver:
        return static_cast<Channel>(difference & 0xFFFF);
    case PictTransferState::kAddMin:
        return std::min(d, s);
    default:
        return d;
    }
}

} // namespace

PictColor PictTransferState::combine(const PictColor& s, const PictColor& d) const
{
    switch (mode)
    {
    case kSrcCopy:
        return s;
    case kSrcOr:
        return s.isBlack() ? foreground : d;
    case kSrcXor:
        return {static_cast<Channel>(d.red ^ static_cast<Channel>(~s.red)),
                static_cast<Channel>(d.green ^ static_cast<Channel>(~s.green)),
                static_cast<Channel>(d.blue ^ static_cast<Channel>(~s.blue))};
    case kSrcBic:
        return s.isBlack() ? background : d;
    case kNotSrcCopy:
        if (s.isWhite())
            return foreground;
        return s.isBlack() ? background : d;
    case kNotSrcOr:
        return s.isWhite() ? foreground : d;
    case kNotSrcXor:
        return {static_cast<Channel>(d.red ^ s.red), static_cast<Channel>(d.green ^ s.green),
                static_cast<Channel>(d.blue ^ s.blue)};
    case kNotSrcBic:
        return s.isWhite() ? background : d;
    case kTransparent:
        return s == background ? d : s;
    case kBlend:
    case kAddPin:
    case kAddOver:
    case kSubPin:
    case kAddMax:
    case kSubOver:
    case kAddMin:
        return {arithmetic(mode, s.red, d.red, op.red),
                arithmetic(mode, s.green, d.green, op.green),
                arithmetic(mode, s.blue, d.blue, op.blue)};
    default:
        return s.isBlack() ? foreground : background;
    }
}

} // namespace Omvi
