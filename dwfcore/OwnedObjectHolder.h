#ifndef DWFCORE_OWNEDOBJECTHOLDER_H
#define DWFCORE_OWNEDOBJECTHOLDER_H

namespace DWFToolkit
{

//
// Holds one owned polymorphic object (or nothing) and deletes it through its
// virtual destructor when the holder goes.
//
template <class T> class DWFOwnedObjectHolder
{
public:
    explicit DWFOwnedObjectHolder(T* object = nullptr) noexcept : _object(object) {}
    DWFOwnedObjectHolder(const DWFOwnedObjectHolder&) = delete;
    DWFOwnedObjectHolder& operator=(const DWFOwnedObjectHolder&) = delete;
    ~DWFOwnedObjectHolder()
    {
        if (_object != nullptr)
        {
            delete _object;
            _object = nullptr;
        }
    }

    // Deletes the held object and holds `object` instead.
    void reset(T* object = nullptr) noexcept
    {
        if (object != _object)
        {
            delete _object;
            _object = object;
        }
    }

    T* get() const noexcept { return _object; }
    T* operator->() const noexcept { return _object; }

private:
    T* _object;
};

} // namespace DWFToolkit

#endif
