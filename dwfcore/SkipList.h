#ifndef DWFCORE_SKIPLIST_H
#define DWFCORE_SKIPLIST_H

#include "dwfcore/Exception.h"
#include "dwfcore/Iterator.h"
#include "dwfcore/Memory.h"
#include "dwfcore/Random.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <new>

namespace DWFCore
{

// Key equality and ordering functors of the skip lists.
template <class T> struct tDWFCompareEqual
{
    bool operator()(const T& a, const T& b) const { return a == b; }
};

// std::less gives a total order on pointer keys too.
template <class T> struct tDWFCompareLess
{
    bool operator()(const T& a, const T& b) const { return std::less<T>()(a, b); }
};

// Wide-text keys compare by content, never by address; null counts as "".
inline int DWFCompareText(const char16_t* a, const char16_t* b) noexcept
{
    a = a == nullptr ? u"" : a;
    b = b == nullptr ? u"" : b;
    while (*a != 0 && *a == *b)
    {
        ++a;
        ++b;
    }
    return (*a > *b) - (*a < *b);
}

struct tDWFWCharCompareEqual
{
    bool operator()(const char16_t* a, const char16_t* b) const
    {
        return DWFCompareText(a, b) == 0;
    }
};

struct tDWFWCharCompareLess
{
    bool operator()(const char16_t* a, const char16_t* b) const { return DWFCompareText(a, b) < 0; }
};

// The key of a list's header node.
template <class T> struct tDWFDefinedEmpty
{
    T operator()() const { return T(); }
};

struct tDWFStringDefinedEmpty
{
    DWFString operator()() const { return DWFString(); }
};

//
// Ordered map of the DWF libraries: a probabilistic skip list. Values are
// never owned (they are usually raw pointers whose owners live elsewhere);
// keys are held by value, so a `const char16_t*` key must outlive its entry.
//
template <class K, class V, class Eq = tDWFCompareEqual<K>, class Less = tDWFCompareLess<K>,
          class Empty = tDWFDefinedEmpty<K>>
class DWFSkipList : public DWFCoreMemory
{
public:
    class _Node;
    class Iterator;

    DWFSkipList();
    DWFSkipList(const DWFSkipList&) = delete;
    DWFSkipList& operator=(const DWFSkipList&) = delete;
    virtual ~DWFSkipList();

    virtual void clear();
    virtual std::size_t size() const { return _count; }

    // Starts at `key` and continues in key order; at once not valid when the
    // key is absent. The caller deletes the iterator; null when memory ran out.
    virtual Iterator* iterator(const K& key);
    virtual Iterator* iterator();

    // The stored value (writable in place), or null when the key is absent.
    virtual V* find(const K& key);

    // The index-th entry in key order; linear in the index.
    virtual K& key(std::uint64_t index);
    virtual V& value(std::uint64_t index);

    virtual bool erase(const K& key);
    // True when a new entry was added; an existing key keeps its entry, which
    // takes the given key and value only when `replace` is set.
    virtual bool insert(const K& key, const V& value, bool replace = true);

    // Calls visit(key, value) on every entry in key order, without allocating.
    template <class Visit> void forEach(Visit visit)
    {
        for (_Node* node = _header->_forward[0]; node != nullptr; node = node->_forward[0])
        {
            visit(node->_key, node->_value);
        }
    }

    class _Node : public DWFCoreMemory
    {
    public:
        // Walks level 0 from a starting node.
        class _Iterator : public DWFCoreMemory, public DWFIterator<_Node*>
        {
        public:
            explicit _Iterator(_Node* first) noexcept : _first(first), _current(first) {}
            void reset() override { _current = _first; }
            bool valid() override { return _current != nullptr; }
            bool next() override
            {
                if (_current != nullptr)
                {
                    _current = _current->_forward[0];
                }
                return valid();
            }
            _Node*& get() override { return _current; }

        private:
            _Node* _first;
            _Node* _current;
        };

        // Linked on levels 0 to `level`.
        _Node(unsigned level, const K& key, const V& value)
            : _forward(allocateArray<_Node*>(level + 1)), _key(key), _value(value)
        {
            if (!_forward)
            {
                DWFCORE_THROW(DWFMemoryException, u"Failed to allocate array",
                              "DWFCore::DWFSkipList::_Node::_Node");
            }
            for (unsigned i = 0; i <= level; ++i)
            {
                _forward[i] = nullptr;
            }
        }

        std::unique_ptr<_Node*[]> _forward;
        K _key;
        V _value;
    };

    class Iterator : public DWFCoreMemory, public DWFKVIterator<K, V>
    {
    public:
        explicit Iterator(typename _Node::_Iterator* cursor) noexcept : _cursor(cursor) {}

        void reset() override
        {
            _node = nullptr;
            if (_cursor)
            {
                _cursor->reset();
            }
        }
        bool valid() override { return _cursor && _cursor->valid(); }
        bool next() override
        {
            _node = nullptr;
            return _cursor && _cursor->next();
        }
        K& key() override
        {
            if (!fetch())
            {
                DWFCORE_THROW(DWFIllegalStateException, u"Cannot get key from iterator",
                              "DWFCore::DWFSkipList::Iterator::key");
            }
            return _node->_key;
        }
        V& value() override
        {
            if (!fetch())
            {
                DWFCORE_THROW(DWFIllegalStateException, u"Cannot get value from iterator",
                              "DWFCore::DWFSkipList::Iterator::value");
            }
            return _node->_value;
        }

    private:
        bool fetch()
        {
            if (_node == nullptr && _cursor && _cursor->valid())
            {
                _node = _cursor->get();
            }
            return _node != nullptr;
        }

        std::unique_ptr<typename _Node::_Iterator> _cursor;
        _Node* _node = nullptr;
    };

private:
    // The header is linked on every level a node can reach, so inserts never
    // reallocate it.
    static constexpr unsigned kHeaderLevel = 31;
    static constexpr unsigned kInitialMaximumLevel = 5;

    _Node* search(const K& key, _Node** update);
    unsigned randomLevel() const;
    void deleteNodes() noexcept;
    _Node* nodeAt(std::uint64_t index, const char* function);
    Iterator* makeIterator(_Node* first);

    std::unique_ptr<_Node> _header;
    unsigned _maximumLevel = kInitialMaximumLevel;
    unsigned _currentLevel = 0;
    std::size_t _count = 0;
    Eq _equal;
    Less _less;
};

template <class V>
class DWFWCharKeySkipList
    : public DWFSkipList<const char16_t*, V, tDWFWCharCompareEqual, tDWFWCharCompareLess,
                         tDWFDefinedEmpty<const char16_t*>>
{
};

template <class V>
class DWFStringKeySkipList : public DWFSkipList<DWFString, V, tDWFCompareEqual<DWFString>,
                                                tDWFCompareLess<DWFString>, tDWFStringDefinedEmpty>
{
};

// ---------------------------------------------------------------------------

template <class K, class V, class Eq, class Less, class Empty>
DWFSkipList<K, V, Eq, Less, Empty>::DWFSkipList()
{
    _header.reset(new (std::nothrow) _Node(kHeaderLevel, Empty()(), V()));
    if (!_header)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate header node",
                      "DWFCore::DWFSkipList::DWFSkipList");
    }
}

template <class K, class V, class Eq, class Less, class Empty>
DWFSkipList<K, V, Eq, Less, Empty>::~DWFSkipList()
{
    deleteNodes();
}

template <class K, class V, class Eq, class Less, class Empty>
void DWFSkipList<K, V, Eq, Less, Empty>::deleteNodes() noexcept
{
    _Node* node = _header->_forward[0];
    while (node != nullptr)
    {
        _Node* next = node->_forward[0];
        delete node;
        node = next;
    }
    for (unsigned i = 0; i <= kHeaderLevel; ++i)
    {
        _header->_forward[i] = nullptr;
    }
}

template <class K, class V, class Eq, class Less, class Empty>
void DWFSkipList<K, V, Eq, Less, Empty>::clear()
{
    deleteNodes();
    _maximumLevel = kInitialMaximumLevel;
    _currentLevel = 0;
    _count = 0;
}

template <class K, class V, class Eq, class Less, class Empty>
typename DWFSkipList<K, V, Eq, Less, Empty>::_Node*
DWFSkipList<K, V, Eq, Less, Empty>::search(const K& key, _Node** update)
{
    _Node* node = _header.get();
    // A node found not less than the key on one level is not compared again
    // on the levels below.
    _Node* lastCompared = nullptr;
    for (unsigned level = _currentLevel + 1; level-- > 0;)
    {
        _Node* next = node->_forward[level];
        while (next != nullptr && next != lastCompared && _less(next->_key, key))
        {
            node = next;
            next = node->_forward[level];
        }
        lastCompared = next;
        if (update != nullptr)
        {
            update[level] = node;
        }
    }
    _Node* candidate = node->_forward[0];
    return candidate != nullptr && _equal(candidate->_key, key) ? candidate : nullptr;
}

template <class K, class V, class Eq, class Less, class Empty>
unsigned DWFSkipList<K, V, Eq, Less, Empty>::randomLevel() const
{
    // Each further level with probability one half, capped a little above the
    // highest level reached so far.
    unsigned level = 1;
    while (static_cast<float>(DWFRandom::draw()) < 16383.5f && level <= _maximumLevel &&
           level < kHeaderLevel)
    {
        ++level;
    }
    return level;
}

template <class K, class V, class Eq, class Less, class Empty>
bool DWFSkipList<K, V, Eq, Less, Empty>::insert(const K& key, const V& value, bool replace)
{
    _Node* update[kHeaderLevel + 1] = {};
    if (_Node* found = search(key, update))
    {
        if (replace)
        {
            found->_key = key;
            found->_value = value;
        }
        return false;
    }
    const unsigned level = randomLevel();
    if (level >= _maximumLevel)
    {
        _maximumLevel = level + 1;
    }
    if (level > _currentLevel)
    {
        for (unsigned i = _currentLevel + 1; i <= level; ++i)
        {
            update[i] = _header.get();
        }
        _currentLevel = level;
    }
    _Node* node = new (std::nothrow) _Node(level, key, value);
    if (node == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate node",
                      "DWFCore::DWFSkipList::insert");
    }
    for (unsigned i = 0; i <= level; ++i)
    {
        node->_forward[i] = update[i]->_forward[i];
        update[i]->_forward[i] = node;
    }
    ++_count;
    return true;
}

template <class K, class V, class Eq, class Less, class Empty>
bool DWFSkipList<K, V, Eq, Less, Empty>::erase(const K& key)
{
    _Node* update[kHeaderLevel + 1] = {};
    _Node* node = search(key, update);
    if (node == nullptr)
    {
        return false;
    }
    for (unsigned i = 0; i <= _currentLevel && update[i]->_forward[i] == node; ++i)
    {
        update[i]->_forward[i] = node->_forward[i];
    }
    while (_currentLevel > 0 && _header->_forward[_currentLevel] == nullptr)
    {
        --_currentLevel;
    }
    --_count;
    delete node;
    return true;
}

template <class K, class V, class Eq, class Less, class Empty>
V* DWFSkipList<K, V, Eq, Less, Empty>::find(const K& key)
{
    _Node* node = search(key, nullptr);
    return node == nullptr ? nullptr : &node->_value;
}

template <class K, class V, class Eq, class Less, class Empty>
typename DWFSkipList<K, V, Eq, Less, Empty>::_Node*
DWFSkipList<K, V, Eq, Less, Empty>::nodeAt(std::uint64_t index, const char* function)
{
    if (index >= _count)
    {
        DWFCORE_THROW(DWFOverflowException, u"Index exceeds list size", function);
    }
    _Node* node = _header->_forward[0];
    for (; index > 0; --index)
    {
        node = node->_forward[0];
    }
    return node;
}

template <class K, class V, class Eq, class Less, class Empty>
K& DWFSkipList<K, V, Eq, Less, Empty>::key(std::uint64_t index)
{
    return nodeAt(index, "DWFCore::DWFSkipList::key")->_key;
}

template <class K, class V, class Eq, class Less, class Empty>
V& DWFSkipList<K, V, Eq, Less, Empty>::value(std::uint64_t index)
{
    return nodeAt(index, "DWFCore::DWFSkipList::value")->_value;
}

template <class K, class V, class Eq, class Less, class Empty>
typename DWFSkipList<K, V, Eq, Less, Empty>::Iterator*
DWFSkipList<K, V, Eq, Less, Empty>::makeIterator(_Node* first)
{
    auto* cursor = new (std::nothrow) typename _Node::_Iterator(first);
    if (cursor == nullptr)
    {
        return nullptr;
    }
    auto* iterator = new (std::nothrow) Iterator(cursor);
    if (iterator == nullptr)
    {
        delete cursor;
    }
    return iterator;
}

template <class K, class V, class Eq, class Less, class Empty>
typename DWFSkipList<K, V, Eq, Less, Empty>::Iterator*
DWFSkipList<K, V, Eq, Less, Empty>::iterator(const K& key)
{
    return makeIterator(search(key, nullptr));
}

template <class K, class V, class Eq, class Less, class Empty>
typename DWFSkipList<K, V, Eq, Less, Empty>::Iterator*
DWFSkipList<K, V, Eq, Less, Empty>::iterator()
{
    return makeIterator(_header->_forward[0]);
}

} // namespace DWFCore

#endif
