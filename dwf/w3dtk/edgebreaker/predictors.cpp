#include "dwf/w3dtk/edgebreaker/predictors.h"

namespace w3d::eb
{

Code3 predict_parallelogram(int a, int b, int c, const std::uint32_t* codes)
{
    Code3 prediction{{0, 0, 0}};
    auto const at = [codes](int vertex, int axis) {
        return static_cast<std::int64_t>(codes[3 * static_cast<std::size_t>(vertex) +
                                               static_cast<std::size_t>(axis)]);
    };
    if (a < 0)
    {
        int const only = b >= 0 ? b : c;
        if (only >= 0)
            for (int axis = 0; axis < 3; ++axis)
                prediction.v[axis] = at(only, axis);
        return prediction;
    }
    if (b >= 0 && c >= 0)
    {
        for (int axis = 0; axis < 3; ++axis)
            prediction.v[axis] = at(b, axis) - at(c, axis) + at(a, axis);
        return prediction;
    }
    for (int axis = 0; axis < 3; ++axis)
        prediction.v[axis] = at(a, axis);
    return prediction;
}

} // namespace w3d::eb
