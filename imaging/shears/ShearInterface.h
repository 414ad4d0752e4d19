#pragma once
// The second face of every shear filter: a rotation that crops the sheared
// image tells its shears to drop the leading rows it does not need.
#include <cstdint>

namespace Omvi
{

class ShearInterface
{
public:
    // Drops `count` leading output rows without producing them; answers the
    // count.
    virtual std::int32_t skipRows(std::int32_t count) = 0;
    virtual ~ShearInterface();
};

} // namespace Omvi
