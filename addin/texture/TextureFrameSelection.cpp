#include "addin/texture/TextureFrameSelection.h"

#include <cstdint>

namespace
{

constexpr std::int32_t kReducedResolution = 0;
constexpr std::int32_t kTransparencyMask = 2;

} // namespace

TextureFrameSelection SelectTextureFrames(TextureFrameSource& source)
{
    TextureFrameSelection selection;
    const std::int32_t fileFrames = source.frameCount();
    std::int32_t count = fileFrames;
    // Each mask raises the count by one at most once: never past twice the
    // file's frames, whatever the source answers.
    const std::int32_t limit = fileFrames > INT32_MAX / 2 ? INT32_MAX : 2 * fileFrames;
    std::int32_t firstRejected = -1;
    for (std::int32_t i = 0; i < count; ++i)
    {
        if (!source.selectFrame(i))
            break;
        bool rejected = false;
        bool reduced = false;
        for (const std::int32_t value : source.associations())
        {
            if (value == kReducedResolution)
                rejected = reduced = true;
            else if (value == kTransparencyMask)
                rejected = true;
        }
        if (!rejected)
        {
            selection.frames.push_back(i);
            continue;
        }
        if (firstRejected < 0)
            firstRejected = i;
        if (!reduced && count < limit)
            ++count;
    }
    if (selection.frames.empty())
    {
        selection.frames.push_back(firstRejected < 0 ? 0 : firstRejected);
        selection.selectedCount = fileFrames;
    }
    else
    {
        selection.selectedCount = static_cast<std::int32_t>(selection.frames.size());
    }
    return selection;
}
