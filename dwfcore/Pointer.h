#ifndef DWFCORE_POINTER_H
#define DWFCORE_POINTER_H

namespace DWFCore
{

//
// Scope guard for a heap object (array = false) or array (array = true): the
// pointer is deleted with the matching form when the guard goes out of scope.
//
template <class T> class DWFPointer
{
public:
    constexpr explicit DWFPointer(T* pointer = nullptr, bool array = false) noexcept
        : _pointer(pointer), _array(array)
    {
    }
    DWFPointer(const DWFPointer&) = delete;
    DWFPointer& operator=(const DWFPointer&) = delete;

    virtual ~DWFPointer() { release(); }

    // Deletes the held pointer now and takes `pointer` in its place.
    void reset(T* pointer = nullptr, bool array = false) noexcept
    {
        release();
        _pointer = pointer;
        _array = array;
    }

    bool isNull() const noexcept { return _pointer == nullptr; }
    T* get() const noexcept { return _pointer; }
    T* operator->() const noexcept { return _pointer; }
    T& operator*() const noexcept { return *_pointer; }
    operator T*() const noexcept { return _pointer; }

private:
    void release() noexcept
    {
        if (_pointer != nullptr)
        {
            if (_array)
            {
                delete[] _pointer;
            }
            else
            {
                delete _pointer;
            }
            _pointer = nullptr;
        }
    }

    T* _pointer;
    bool _array;
};

} // namespace DWFCore

#endif
