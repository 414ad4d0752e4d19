#ifndef DWFCORE_SORTEDLIST_H
#define DWFCORE_SORTEDLIST_H

#include "dwfcore/SkipList.h"

namespace DWFCore
{

// An ordered set: a skip list whose elements are their own keys.
template <class T, class Eq = tDWFCompareEqual<T>, class Less = tDWFCompareLess<T>,
          class Empty = tDWFDefinedEmpty<T>>
class DWFSortedList : public DWFCoreMemory
{
public:
    using List = DWFSkipList<T, T, Eq, Less, Empty>;

    class Iterator : public DWFCoreMemory, public DWFIterator<T>
    {
    public:
        explicit Iterator(typename List::Iterator* entries) noexcept : _entries(entries) {}
        void reset() override { _entries->reset(); }
        bool valid() override { return _entries->valid(); }
        bool next() override { return _entries->next(); }
        T& get() override { return _entries->key(); }

    private:
        std::unique_ptr<typename List::Iterator> _entries;
    };

    DWFSortedList() = default;
    DWFSortedList(const DWFSortedList&) = delete;
    DWFSortedList& operator=(const DWFSortedList&) = delete;
    virtual ~DWFSortedList() = default;

    virtual void clear() { _list.clear(); }
    virtual std::size_t size() const { return _list.size(); }
    // The caller deletes the iterator; null when memory ran out.
    virtual Iterator* iterator(const T& element) { return wrap(_list.iterator(element)); }
    virtual Iterator* iterator() { return wrap(_list.iterator()); }
    virtual bool contains(const T& element) { return _list.find(element) != nullptr; }
    virtual bool erase(const T& element) { return _list.erase(element); }
    virtual bool insert(const T& element, bool replace = true)
    {
        return _list.insert(element, element, replace);
    }

    // The smallest element; DWFOverflowException when the list is empty.
    T& front() { return _list.key(0); }

    // Calls visit(element) in order, without allocating.
    template <class Visit> void forEach(Visit visit)
    {
        _list.forEach([&visit](const T& element, const T&) { visit(element); });
    }

private:
    static Iterator* wrap(typename List::Iterator* entries)
    {
        if (entries == nullptr)
        {
            return nullptr;
        }
        Iterator* iterator = new (std::nothrow) Iterator(entries);
        if (iterator == nullptr)
        {
            delete entries;
        }
        return iterator;
    }

    List _list;
};

} // namespace DWFCore

#endif
