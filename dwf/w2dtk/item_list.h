#pragma once

#include <cstddef>
#include <list>
#include <memory>

// An element of a W2D list (layers, object nodes, URLs, directory entries,
// trusted fonts, GUIDs).
class WT_Item
{
public:
    WT_Item() = default;
    WT_Item(const WT_Item&) = default;
    WT_Item& operator=(const WT_Item&) = default;
    virtual ~WT_Item() = default;
};

// A list of items that owns what it holds: every item added is freed with the
// list, so definitions read or written never outlive their file unnoticed.
template <class Item> class WT_Item_List
{
public:
    using Items = std::list<std::unique_ptr<Item>>;

    void add_tail(std::unique_ptr<Item> item) { m_items.push_back(std::move(item)); }
    void add_head(std::unique_ptr<Item> item) { m_items.push_front(std::move(item)); }
    void remove_all() { m_items.clear(); }

    std::size_t count() const { return m_items.size(); }
    bool is_empty() const { return m_items.empty(); }

    Item* head() { return m_items.empty() ? nullptr : m_items.front().get(); }
    Item* tail() { return m_items.empty() ? nullptr : m_items.back().get(); }

    typename Items::iterator begin() { return m_items.begin(); }
    typename Items::iterator end() { return m_items.end(); }
    typename Items::const_iterator begin() const { return m_items.begin(); }
    typename Items::const_iterator end() const { return m_items.end(); }

private:
    Items m_items;
};
