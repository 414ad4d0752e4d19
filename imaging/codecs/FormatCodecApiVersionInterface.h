#pragma once
// The small version object every codec has: the interface version it was
// built against. The session's isCompatible asks it.
namespace Omvi
{

class FormatCodecApiVersionInterface
{
public:
    // 0
    virtual ~FormatCodecApiVersionInterface() = default;
    // 1 and 2: 3 and 0.
    virtual int majorVersion() const = 0;
    virtual int minorVersion() const = 0;
};

} // namespace Omvi
