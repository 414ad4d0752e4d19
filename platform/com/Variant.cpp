#include "platform/com/Variant.h"

namespace platform
{

HRESULT Variant::get(double& out) const
{
    if (const auto* held = std::get_if<double>(&value_))
    {
        out = *held;
        return S_OK;
    }
    // Integers widen to doubles, as the system's coercion does.
    if (const auto* held = std::get_if<std::int32_t>(&value_))
    {
        out = *held;
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

Variant makeDoubleArray(std::vector<double> values)
{
    return Variant(SafeArray<double>(std::move(values)));
}

std::vector<double> doublesOf(const Variant& value)
{
    SafeArray<double> array;
    if (failed(value.get(array)))
        return {};
    std::vector<double> out;
    out.reserve(array.size());
    for (long i = array.lowerBound(); i <= array.upperBound(); ++i)
    {
        double element = 0;
        array.element(i, element);
        out.push_back(element);
    }
    return out;
}

} // namespace platform
