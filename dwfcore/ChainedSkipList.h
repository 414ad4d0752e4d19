#ifndef DWFCORE_CHAINEDSKIPLIST_H
#define DWFCORE_CHAINEDSKIPLIST_H

#include "dwfcore/SkipList.h"

namespace DWFCore
{

//
// A two-level map: outer key to an inner list (a chain) of inner key to
// value. The chains belong to this list; values, as in every skip list, do not.
//
template <class K1, class K2, class V, class Eq1 = tDWFCompareEqual<K1>,
          class Eq2 = tDWFCompareEqual<K2>, class Less1 = tDWFCompareLess<K1>,
          class Less2 = tDWFCompareLess<K2>, class Empty1 = tDWFDefinedEmpty<K1>,
          class Empty2 = tDWFDefinedEmpty<K2>>
class DWFChainedSkipList : public DWFCoreMemory
{
public:
    using InnerList = DWFSkipList<K2, V, Eq2, Less2, Empty2>;
    using OuterList = DWFSkipList<K1, InnerList*, Eq1, Less1, Empty1>;

    //
    // Walks one chain, or every chain in outer key order. Chains left empty by
    // erase(outer, inner) are stepped over, however many follow each other.
    //
    class Iterator : public DWFCoreMemory, public DWFKVIterator<K2, V>
    {
    public:
        explicit Iterator(typename OuterList::Iterator* outer) : _outer(outer) { start(); }
        explicit Iterator(typename InnerList::Iterator* inner) noexcept : _inner(inner) {}

        void reset() override
        {
            if (_outer)
            {
                _outer->reset();
                start();
            }
            else if (_inner)
            {
                _inner->reset();
            }
        }
        bool valid() override { return _inner && _inner->valid(); }
        bool next() override
        {
            if (_inner)
            {
                _inner->next();
            }
            skipExhaustedChains();
            return valid();
        }
        K2& key() override { return current("DWFCore::DWFChainedSkipList::Iterator::key").key(); }
        V& value() override
        {
            return current("DWFCore::DWFChainedSkipList::Iterator::value").value();
        }

    private:
        void start()
        {
            _inner.reset();
            if (_outer->valid())
            {
                _inner.reset(chainIterator(_outer->value()));
            }
            skipExhaustedChains();
        }

        void skipExhaustedChains()
        {
            while (_outer && _outer->valid() && !valid())
            {
                _inner.reset();
                if (!_outer->next())
                {
                    break;
                }
                _inner.reset(chainIterator(_outer->value()));
            }
        }

        static typename InnerList::Iterator* chainIterator(InnerList* chain)
        {
            typename InnerList::Iterator* iterator = chain->iterator();
            if (iterator == nullptr)
            {
                DWFCORE_THROW(DWFMemoryException, u"Failed to allocate iterator",
                              "DWFCore::DWFChainedSkipList::Iterator::Iterator");
            }
            return iterator;
        }

        typename InnerList::Iterator& current(const char* function)
        {
            if (!_inner)
            {
                DWFCORE_THROW(DWFDoesNotExistException, u"No more elements", function);
            }
            return *_inner;
        }

        std::unique_ptr<typename OuterList::Iterator> _outer;
        std::unique_ptr<typename InnerList::Iterator> _inner;
    };

    DWFChainedSkipList() = default;
    DWFChainedSkipList(const DWFChainedSkipList&) = delete;
    DWFChainedSkipList& operator=(const DWFChainedSkipList&) = delete;
    virtual ~DWFChainedSkipList() { deleteChains(); }

    virtual void clear()
    {
        deleteChains();
        _outer.clear();
    }

    // Entries under `outer`; 0 when it is absent.
    virtual std::size_t size(const K1& outer)
    {
        InnerList** chain = _outer.find(outer);
        return chain == nullptr ? 0 : (*chain)->size();
    }

    // Entries under every outer key.
    virtual std::size_t size()
    {
        std::size_t total = 0;
        _outer.forEach([&total](const K1&, InnerList* chain) { total += chain->size(); });
        return total;
    }

    // Null when `outer` is absent (or memory ran out); the caller deletes it.
    virtual Iterator* iterator(const K1& outer, const K2& inner)
    {
        InnerList** chain = _outer.find(outer);
        return chain == nullptr ? nullptr : wrap((*chain)->iterator(inner));
    }

    virtual Iterator* iterator(const K1& outer)
    {
        InnerList** chain = _outer.find(outer);
        return chain == nullptr ? nullptr : wrap((*chain)->iterator());
    }

    virtual Iterator* iterator()
    {
        typename OuterList::Iterator* outer = _outer.iterator();
        if (outer == nullptr)
        {
            return nullptr;
        }
        Iterator* iterator = new (std::nothrow) Iterator(outer);
        if (iterator == nullptr)
        {
            delete outer;
        }
        return iterator;
    }

    virtual V* find(const K1& outer, const K2& inner)
    {
        InnerList** chain = _outer.find(outer);
        return chain == nullptr ? nullptr : (*chain)->find(inner);
    }

    // Leaves an emptied chain in place.
    virtual bool erase(const K1& outer, const K2& inner)
    {
        InnerList** chain = _outer.find(outer);
        return chain != nullptr && (*chain)->erase(inner);
    }

    // Removes `outer` with its whole chain.
    virtual bool erase(const K1& outer)
    {
        InnerList** chain = _outer.find(outer);
        if (chain == nullptr)
        {
            return false;
        }
        delete *chain;
        return _outer.erase(outer);
    }

    virtual bool insert(const K1& outer, const K2& inner, const V& value, bool replace = true)
    {
        if (InnerList** chain = _outer.find(outer))
        {
            return (*chain)->insert(inner, value, replace);
        }
        std::unique_ptr<InnerList> chain(new (std::nothrow) InnerList);
        if (!chain)
        {
            DWFCORE_THROW(DWFMemoryException, u"Failed to allocate chain",
                          "DWFCore::DWFChainedSkipList::insert");
        }
        _outer.insert(outer, chain.get(), true);
        return chain.release()->insert(inner, value, replace);
    }

private:
    Iterator* wrap(typename InnerList::Iterator* inner)
    {
        if (inner == nullptr)
        {
            return nullptr;
        }
        Iterator* iterator = new (std::nothrow) Iterator(inner);
        if (iterator == nullptr)
        {
            delete inner;
        }
        return iterator;
    }

    void deleteChains() noexcept
    {
        _outer.forEach([](const K1&, InnerList* chain) { delete chain; });
    }

    OuterList _outer;
};

template <class V>
class DWFStringKeyChainedSkipList
    : public DWFChainedSkipList<DWFString, DWFString, V, tDWFCompareEqual<DWFString>,
                                tDWFCompareEqual<DWFString>, tDWFCompareLess<DWFString>,
                                tDWFCompareLess<DWFString>, tDWFStringDefinedEmpty,
                                tDWFStringDefinedEmpty>
{
};

} // namespace DWFCore

#endif
