#pragma once
// VARIANT and one-dimensional SAFEARRAY values as the host hands them over:
// an empty value, a number, a string, an object, or an array of one of those.
#include "platform/com/Bstr.h"
#include "platform/com/Result.h"
#include "platform/com/Unknown.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace platform
{

// A one-dimensional array with a lower bound (the host's arrays start at 0,
// but callers must walk from lower to upper bound).
template <class T> class SafeArray
{
public:
    SafeArray() = default;
    explicit SafeArray(std::vector<T> elements, long lowerBound = 0)
        : elements_(std::move(elements)), lower_(lowerBound)
    {
    }

    long lowerBound() const { return lower_; }
    // lowerBound() - 1 for an empty array, as the system reports it.
    long upperBound() const { return lower_ + static_cast<long>(elements_.size()) - 1; }
    std::size_t size() const { return elements_.size(); }

    // DISP_E_BADINDEX outside the bounds; `out` is left untouched then.
    HRESULT element(long index, T& out) const
    {
        if (index < lower_ || index > upperBound())
            return DISP_E_BADINDEX;
        out = elements_[static_cast<std::size_t>(index - lower_)];
        return S_OK;
    }
    const std::vector<T>& elements() const { return elements_; }

private:
    std::vector<T> elements_;
    long lower_ = 0;
};

using ObjectRef = ComPtr<Unknown>;

enum class VariantType
{
    Empty,
    Int,
    Double,
    Bool,
    String,
    Object,
    DoubleArray,
    StringArray,
    ObjectArray,
};

class Variant
{
public:
    Variant() = default;
    Variant(std::int32_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(bool value) : value_(value) {}
    Variant(Bstr value) : value_(std::move(value)) {}
    Variant(ObjectRef value) : value_(std::move(value)) {}
    Variant(SafeArray<double> value) : value_(std::move(value)) {}
    Variant(SafeArray<Bstr> value) : value_(std::move(value)) {}
    Variant(SafeArray<ObjectRef> value) : value_(std::move(value)) {}

    VariantType type() const { return static_cast<VariantType>(value_.index()); }
    bool isEmpty() const { return type() == VariantType::Empty; }
    // Releases whatever is held; the value becomes empty.
    void clear() { value_ = std::monostate{}; }

    // Each accessor answers DISP_E_TYPEMISMATCH when the value holds
    // another type, and leaves `out` untouched.
    HRESULT get(std::int32_t& out) const { return take(out); }
    HRESULT get(double& out) const;
    HRESULT get(bool& out) const { return take(out); }
    HRESULT get(Bstr& out) const { return take(out); }
    HRESULT get(ObjectRef& out) const { return take(out); }
    HRESULT get(SafeArray<double>& out) const { return take(out); }
    HRESULT get(SafeArray<Bstr>& out) const { return take(out); }
    HRESULT get(SafeArray<ObjectRef>& out) const { return take(out); }

private:
    template <class T> HRESULT take(T& out) const
    {
        if (const T* held = std::get_if<T>(&value_))
        {
            out = *held;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }

    std::variant<std::monostate, std::int32_t, double, bool, Bstr, ObjectRef, SafeArray<double>,
                 SafeArray<Bstr>, SafeArray<ObjectRef>>
        value_;
};

// Builds a double array from a host array, and reads one back element by
// element (lower to upper bound); a non-array or empty value gives {}.
Variant makeDoubleArray(std::vector<double> values);
std::vector<double> doublesOf(const Variant& value);

} // namespace platform
