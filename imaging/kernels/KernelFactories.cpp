#include "imaging/kernels/KernelFactories.h"

#include "imaging/kernels/Blenders.h"
#include "imaging/kernels/CpuFeatures.h"
#include "imaging/kernels/OneBitKernels.h"
#include "imaging/kernels/PixelCopiers.h"
#include "imaging/kernels/PixelSplitters.h"
#include "imaging/kernels/PixelStitchers.h"
#include "imaging/kernels/RowShearers.h"
#include "imaging/models/DataModel.h"

#include <new>
#include <type_traits>
#include <utility>

namespace Omvi
{

namespace
{
using namespace PixelAccess;

// Null instead of an exception when memory is short.
template <class Kernel, class... Arguments>
Kernel* make(Arguments&&... arguments)
{
    return new (std::nothrow) Kernel(std::forward<Arguments>(arguments)...);
}

enum class KeyRule
{
    None,  // nothing is transparent: the opaque kernel
    Value, // pixels equal to the key
    Alpha  // 32-bit pixels whose alpha byte is 0
};

KeyRule keyRule(std::int32_t dataType, const ImagePixel& key)
{
    switch (dataType)
    {
    case kDataTypeEightBit:
        return key.kind == kPixelEightBit || key.kind == kPixelGray || key.kind == kPixelPalette ? KeyRule::Value
                                                                                                  : KeyRule::None;
    case kDataTypeSixteenBit:
        return key.kind == kPixelSixteenBit ? KeyRule::Value : KeyRule::None;
    case kDataTypeThirtyTwoBit:
        return key.kind == kPixelThirtyTwoBit ? KeyRule::Value : KeyRule::Alpha;
    case kDataTypeSixtyFourBit:
        return key.kind == kPixelSixtyFourBit ? KeyRule::Value : KeyRule::None;
    default:
        return KeyRule::None;
    }
}

bool validDataType(std::int32_t dataType)
{
    return dataType >= kDataTypeOneBit && dataType <= kDataTypeSixtyFourBit;
}

// The kernel families of one multi-bit pixel size. Each kernel is made with
// the transparency rule the key asks for (the alpha rule only for 32-bit
// pixels; nothing transparent otherwise).
template <class Pixel>
struct Family
{
    // `build(rule)` with the rule object of `rule`: KeyTransparency over
    // the key's value, AlphaTransparency, or Opaque.
    template <class Build>
    static auto withRule(KeyRule rule, const ImagePixel& key, Build build)
    {
        if (rule == KeyRule::Value)
            return build(KeyTransparency<Pixel>(static_cast<Pixel>(key.value)));
        if constexpr (sizeof(Pixel) == 4)
            if (rule == KeyRule::Alpha)
                return build(AlphaTransparency());
        return build(Opaque());
    }

    static RowStitcher* stitcher(std::int32_t direction, KeyRule rule, const ImagePixel& key)
    {
        return withRule(rule, key, [direction](auto transparency) -> RowStitcher* {
            using Rule = decltype(transparency);
            if constexpr (std::is_same_v<Rule, Opaque>)
            {
                if (direction >= 2)
                    return make<ColumnRowStitcher<Pixel>>(direction);
                if (direction == 0)
                    return make<LeftRightRowStitcher<Pixel>>();
                return make<RightLeftRowStitcher<Pixel>>(direction);
            }
            else
            {
                if (direction >= 2)
                    return make<TransparentColumnRowStitcher<Pixel, Rule>>(direction, transparency);
                return make<DirectedRowStitcher<Pixel, Rule>>(direction, transparency);
            }
        });
    }

    static RowSplitter* splitter(std::int32_t direction, KeyRule rule, const ImagePixel& key)
    {
        return withRule(rule, key, [direction](auto transparency) -> RowSplitter* {
            using Rule = decltype(transparency);
            if (direction >= 2)
                return make<BasicColumnSplitter<Pixel, Rule>>(direction, transparency);
            return make<BasicRowSplitter<Pixel, Rule>>(direction, transparency);
        });
    }

    static PixelCopier* copier(KeyRule rule, const ImagePixel& key)
    {
        return withRule(rule, key, [](auto transparency) -> PixelCopier* {
            return make<BasicPixelCopier<Pixel, decltype(transparency)>>(transparency);
        });
    }
};

// `build(Family<Pixel>())` for the pixel type of a multi-bit data type 1-4.
template <class Build>
auto byPixelSize(std::int32_t dataType, Build build)
{
    switch (dataType)
    {
    case kDataTypeEightBit:
        return build(Family<std::uint8_t>());
    case kDataTypeSixteenBit:
        return build(Family<std::uint16_t>());
    case kDataTypeThirtyTwoBit:
        return build(Family<std::uint32_t>());
    default:
        return build(Family<std::uint64_t>());
    }
}

} // namespace

RowStitcher* createRowStitcher(std::int32_t dataType, std::int32_t direction, bool transparent, ImagePixel key)
{
    if (!validDataType(dataType) || direction < 0 || direction > 3)
        return nullptr;
    const KeyRule rule = transparent ? keyRule(dataType, key) : KeyRule::None;
    switch (dataType)
    {
    case kDataTypeOneBit:
        if (direction >= 2)
            return transparent ? static_cast<RowStitcher*>(make<OneBitTransparentColumnRowStitcher>(direction))
                               : make<OneBitColumnRowStitcher>(direction);
        if (transparent)
            return make<OneBitTransparentRowRowStitcher>(direction);
        if (direction == 0)
            return make<OneBitLeftRightRowStitcher>();
        return make<OneBitRightLeftRowStitcher>();
    default:
        return byPixelSize(dataType, [&](auto family) { return family.stitcher(direction, rule, key); });
    }
}

RowSplitter* createRowSplitter(std::int32_t dataType, std::int32_t direction, bool transparent, ImagePixel key)
{
    if (!validDataType(dataType) || direction < 0 || direction > 3)
        return nullptr;
    const KeyRule rule = transparent ? keyRule(dataType, key) : KeyRule::None;
    switch (dataType)
    {
    case kDataTypeOneBit:
        if (direction >= 2)
            return transparent ? make<OneBitTransparentColumnRowSplitter>(direction)
                               : make<OneBitColumnRowSplitter>(direction);
        return transparent ? make<OneBitTransparentRowSplitter>(direction) : make<OneBitRowSplitter>(direction);
    default:
        return byPixelSize(dataType, [&](auto family) { return family.splitter(direction, rule, key); });
    }
}

RowSplitter* createRowSplitter(std::int32_t dataType, std::int32_t direction, bool transparent, const ImagePixel* key)
{
    return createRowSplitter(dataType, direction, transparent, key != nullptr ? *key : ImagePixel());
}

RowSplitter* createBlendRowSplitter(std::int32_t direction, std::int32_t opacity, bool transparent, ImagePixel key)
{
    if (direction < 0 || direction > 1)
        return nullptr;
    if (transparent)
        return make<RgbaTransparentBlendRowSplitter>(direction, opacity, key);
    return make<RgbaBlendRowSplitter>(direction, opacity);
}

PixelCopier* createPixelCopier(std::int32_t dataType, bool transparent, ImagePixel key)
{
    if (!validDataType(dataType))
        return nullptr;
    const KeyRule rule = transparent ? keyRule(dataType, key) : KeyRule::None;
    if (dataType == kDataTypeOneBit)
        return transparent ? make<OneBitTransparentPixelCopier>() : make<OneBitPixelCopier>();
    return byPixelSize(dataType, [&](auto family) { return family.copier(rule, key); });
}

PixelCopier* createPixelCopier(std::int32_t dataType, bool transparent, const ImagePixel* key)
{
    return createPixelCopier(dataType, transparent, key != nullptr ? *key : ImagePixel());
}

PixelCopier* createBlender(std::int32_t opacity, bool transparent, ImagePixel key)
{
    if (transparent)
        return make<RgbaTransparentBlender>(opacity, key);
    return make<RgbaBlender>(opacity);
}

PixelColumnCopier* createColumnPixelCopier(std::int32_t dataType, std::int32_t direction)
{
    switch (dataType)
    {
    case kDataTypeOneBit:
        return make<OneBitColumnPixelCopier>(direction);
    case kDataTypeEightBit:
        return make<EightBitColumnPixelCopier>(direction);
    case kDataTypeSixteenBit:
        return make<SixteenBitColumnPixelCopier>(direction);
    case kDataTypeThirtyTwoBit:
        return make<ThirtyTwoBitColumnPixelCopier>(direction);
    case kDataTypeSixtyFourBit:
        return make<SixtyFourBitColumnPixelCopier>(direction);
    default:
        return nullptr;
    }
}

RowShearer* createRowShearer(std::int32_t dataType, std::int32_t widthBytes, bool wide)
{
    if (widthBytes < 0)
        return nullptr;
    if (dataType == kDataTypeEightBit)
    {
        if (sse2Usable() && widthBytes >= 257 && (wide || widthBytes >= 1280))
            return make<EightBitRowSSE2Shearer>(widthBytes);
        if (mmxUsable() && widthBytes >= 257 && (wide || widthBytes >= 512))
            return make<EightBitRowMMXShearer>(widthBytes);
        return make<EightBitRowShearer>(widthBytes);
    }
    if (dataType == kDataTypeThirtyTwoBit)
    {
        if (mmxUsable() && widthBytes >= 65 && (wide || widthBytes >= 512))
            return make<ThirtyTwoBitRowMMXShearer>(widthBytes);
        return make<ThirtyTwoBitRowShearer>(widthBytes);
    }
    return nullptr;
}

} // namespace Omvi
