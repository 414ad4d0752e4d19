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

// The kernel families of one multi-bit pixel size (the alpha rule only for
// 32-bit pixels).
template <class Pixel>
struct Family
{
    using Key = KeyTransparency<Pixel>;

    static Key keyOf(const ImagePixel& key) { return Key(static_cast<Pixel>(key.value)); }

    static RowStitcher* stitcher(std::int32_t direction, KeyRule rule, const ImagePixel& key)
    {
        const bool column = direction >= 2;
        switch (rule)
        {
        case KeyRule::Value:
            if (column)
                return make<TransparentColumnRowStitcher<Pixel, Key>>(direction, keyOf(key));
            return make<DirectedRowStitcher<Pixel, Key>>(direction, keyOf(key));
        case KeyRule::Alpha:
            if constexpr (sizeof(Pixel) == 4)
            {
                if (column)
                    return make<TransparentColumnRowStitcher<Pixel, AlphaTransparency>>(direction);
                return make<DirectedRowStitcher<Pixel, AlphaTransparency>>(direction);
            }
            break;
        case KeyRule::None:
            break;
        }
        if (column)
            return make<ColumnRowStitcher<Pixel>>(direction);
        if (direction == 0)
            return make<LeftRightRowStitcher<Pixel>>();
        return make<RightLeftRowStitcher<Pixel>>(direction);
    }

    static RowSplitter* splitter(std::int32_t direction, KeyRule rule, const ImagePixel& key)
    {
        const bool column = direction >= 2;
        switch (rule)
        {
        case KeyRule::Value:
            if (column)
                return make<BasicColumnSplitter<Pixel, Key>>(direction, keyOf(key));
            return make<BasicRowSplitter<Pixel, Key>>(direction, keyOf(key));
        case KeyRule::Alpha:
            if constexpr (sizeof(Pixel) == 4)
            {
                if (column)
                    return make<BasicColumnSplitter<Pixel, AlphaTransparency>>(direction);
                return make<BasicRowSplitter<Pixel, AlphaTransparency>>(direction);
            }
            break;
        case KeyRule::None:
            break;
        }
        if (column)
            return make<BasicColumnSplitter<Pixel>>(direction);
        return make<BasicRowSplitter<Pixel>>(direction);
    }

    static PixelCopier* copier(KeyRule rule, const ImagePixel& key)
    {
        switch (rule)
        {
        case KeyRule::Value:
            return make<BasicPixelCopier<Pixel, Key>>(keyOf(key));
        case KeyRule::Alpha:
            if constexpr (sizeof(Pixel) == 4)
                return make<BasicPixelCopier<Pixel, AlphaTransparency>>();
            break;
        case KeyRule::None:
            break;
        }
        return make<BasicPixelCopier<Pixel>>();
    }
};

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
    case kDataTypeEightBit:
        return Family<std::uint8_t>::stitcher(direction, rule, key);
    case kDataTypeSixteenBit:
        return Family<std::uint16_t>::stitcher(direction, rule, key);
    case kDataTypeThirtyTwoBit:
        return Family<std::uint32_t>::stitcher(direction, rule, key);
    default:
        return Family<std::uint64_t>::stitcher(direction, rule, key);
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
    case kDataTypeEightBit:
        return Family<std::uint8_t>::splitter(direction, rule, key);
    case kDataTypeSixteenBit:
        return Family<std::uint16_t>::splitter(direction, rule, key);
    case kDataTypeThirtyTwoBit:
        return Family<std::uint32_t>::splitter(direction, rule, key);
    default:
        return Family<std::uint64_t>::splitter(direction, rule, key);
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
    const KeyRule rule = transparent ? keyRule(dataType, key) : KeyRule::None;
    switch (dataType)
    {
    case kDataTypeOneBit:
        return transparent ? make<OneBitTransparentPixelCopier>() : make<OneBitPixelCopier>();
    case kDataTypeEightBit:
        return Family<std::uint8_t>::copier(rule, key);
    case kDataTypeSixteenBit:
        return Family<std::uint16_t>::copier(rule, key);
    case kDataTypeThirtyTwoBit:
        return Family<std::uint32_t>::copier(rule, key);
    case kDataTypeSixtyFourBit:
        return Family<std::uint64_t>::copier(rule, key);
    default:
        return nullptr;
    }
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
