#pragma once
// The second base of frames that can decode at a reduced size.
namespace Omvi
{

class SubSamplingInterface
{
public:
    virtual ~SubSamplingInterface() = default;
    // 1: given a wanted size, the nearest reduced size the frame can decode
    // and the sub-sampling that gives it; false when it cannot.
    virtual bool nearestSubSampledSize(int* width, int* height, int* subSampling) const = 0;
};

} // namespace Omvi
