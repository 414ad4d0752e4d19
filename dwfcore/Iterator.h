#ifndef DWFCORE_ITERATOR_H
#define DWFCORE_ITERATOR_H

#include "dwfcore/Exception.h"
#include "dwfcore/Memory.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace DWFCore
{

//
// Iterators are handed out on the heap; whoever receives one deletes it.
// Typical use: for (; it->valid(); it->next()) { use(it->get()); }
//
template <class T> class DWFIterator
{
public:
    virtual ~DWFIterator() = default;
    // Back to the first element.
    virtual void reset() = 0;
    // True while the iterator stands on an element.
    virtual bool valid() = 0;
    // Advances; returns the new valid().
    virtual bool next() = 0;
    virtual T& get() = 0;
};

template <class K, class V> class DWFKVIterator
{
public:
    virtual ~DWFKVIterator() = default;
    virtual void reset() = 0;
    virtual bool valid() = 0;
    virtual bool next() = 0;
    virtual K& key() = 0;
    virtual V& value() = 0;
};

//
// An iterator over elements collected with add(), for operations that
// assemble a list to hand back.
//
template <class T> class DWFBasicIteratorImpl : public DWFCoreMemory, public DWFIterator<T>
{
public:
    DWFBasicIteratorImpl() = default;
    DWFBasicIteratorImpl(const DWFBasicIteratorImpl&) = delete;
    DWFBasicIteratorImpl& operator=(const DWFBasicIteratorImpl&) = delete;

    void reset() override { _current = _count > 0 ? 0 : kNoElement; }
    bool valid() override { return _current != kNoElement; }

    bool next() override
    {
        if (valid() && ++_current >= _count)
        {
            _current = kNoElement;
        }
        return valid();
    }

    T& get() override
    {
        if (!valid())
        {
            DWFCORE_THROW(DWFDoesNotExistException, u"No element",
                          "DWFCore::DWFBasicIteratorImpl::get");
        }
        return _elements[_current];
    }

    // Appends; an iterator that stood on no element moves to the first one.
    virtual void add(const T& element)
    {
        if (_count == _capacity)
        {
            grow();
        }
        _elements[_count++] = element;
        if (_current == kNoElement)
        {
            _current = 0;
        }
    }

    std::uint32_t size() const { return _count; }

private:
    static constexpr std::uint32_t kNoElement = 0xFFFFFFFF;
    static constexpr std::uint32_t kGrowthIncrement = 16;

    void grow()
    {
        const std::uint64_t wanted = std::max<std::uint64_t>(
            2 * static_cast<std::uint64_t>(_capacity), _capacity + kGrowthIncrement);
        if (wanted >= kNoElement)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffer",
                          "DWFCore::DWFBasicIteratorImpl::add");
        }
        std::unique_ptr<T[]> elements(allocateArray<T>(static_cast<std::size_t>(wanted)));
        if (!elements)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffer",
                          "DWFCore::DWFBasicIteratorImpl::add");
        }
        for (std::uint32_t i = 0; i < _count; ++i)
        {
            elements[i] = _elements[i];
        }
        _elements = std::move(elements);
        _capacity = static_cast<std::uint32_t>(wanted);
    }

    std::unique_ptr<T[]> _elements;
    std::uint32_t _count = 0;
    std::uint32_t _capacity = 0;
    std::uint32_t _current = kNoElement;
};

} // namespace DWFCore

#endif
