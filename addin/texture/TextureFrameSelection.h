#pragma once
// Which frame of a texture file becomes the texture. A TIFF file may hold
// reduced-resolution copies (association value 0) and transparency masks
// (value 2) beside the image: frames that carry either are passed over.
// A mask makes the scan look one frame further than the file's count says
// (a mask may stand in front of every image), a reduced copy does not.
#include <cstdint>
#include <vector>

// The frames as the scan sees them.
class TextureFrameSource
{
public:
    virtual ~TextureFrameSource() = default;
    // The file's frame count.
    virtual std::int32_t frameCount() = 0;
    // Makes frame `index` current; false when there is no such frame.
    virtual bool selectFrame(std::int32_t index) = 0;
    // The first values of the current frame's association properties.
    virtual std::vector<std::int32_t> associations() = 0;
};

struct TextureFrameSelection
{
    // The frames that can be converted, in file order; when none can, the
    // first frame passed over (0 when none was).
    std::vector<std::int32_t> frames;
    // The number of acceptable frames, or the file's frame count when
    // there is none.
    std::int32_t selectedCount = 0;

    std::int32_t first() const { return frames.empty() ? 0 : frames.front(); }
};

// Scans the frames from 0 while the (possibly raised) count lasts and the
// source selects them. The source's current frame is left where the scan
// ended.
TextureFrameSelection SelectTextureFrames(TextureFrameSource& source);
