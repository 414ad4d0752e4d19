#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// One web link: its number in the stream, address and friendly name.
class WT_URL_Item : public WT_Item
{
public:
    WT_URL_Item() = default;
    WT_URL_Item(std::int32_t index, const WT_String& address, const WT_String& friendly_name)
        : m_index(index), m_address(address), m_friendly_name(friendly_name)
    {
    }

    std::int32_t index() const { return m_index; }
    const WT_String& address() const { return m_address; }
    const WT_String& friendly_name() const { return m_friendly_name; }
    // Set once the full link has gone into the stream, so that later uses
    // refer to it by number.
    bool written() const { return m_written; }
    void set_written(bool written = true) { m_written = written; }

private:
    std::int32_t m_index = -1;
    WT_String m_address;
    WT_String m_friendly_name;
    bool m_written = false;
};

// The links of a URL, and the links a rendition knows.
class WT_URL_List
{
public:
    WT_URL_List() = default;
    WT_URL_List(const WT_URL_List& other) { *this = other; }
    // Empties the list, then appends copies of the other's items in order.
    WT_URL_List& operator=(const WT_URL_List& other);

    void add(const WT_URL_Item& item);
    void add(std::int32_t index, const WT_String& address, const WT_String& friendly_name);
    void remove_all() { m_items.remove_all(); }
    std::size_t count() const { return m_items.count(); }
    bool is_empty() const { return m_items.is_empty(); }

    // The first item with that index, or null.
    WT_URL_Item* find(std::int32_t index);
    const WT_URL_Item* find(std::int32_t index) const;
    void mark_as_written(std::int32_t index);

    // Same count and, item by item, equal address and friendly name (the
    // indexes are not compared).
    bool operator==(const WT_URL_List& other) const;
    bool operator!=(const WT_URL_List& other) const { return !(*this == other); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    WT_Item_List<WT_URL_Item> m_items;
};

// Attaches web links to the drawables that follow. A link whose number the
// desired rendition's list records as written goes out as that number only.
class WT_URL : public WT_Attribute
{
public:
    WT_URL() = default;
    WT_URL(const WT_URL& other) = default;
    WT_URL& operator=(const WT_URL& other) = default;

    void add_link(std::int32_t index, const WT_String& address, const WT_String& friendly_name)
    {
        m_links.add(index, address, friendly_name);
    }
    const WT_URL_List& links() const { return m_links; }
    WT_URL_List& links() { return m_links; }
    // The address of the single-address form (and of streams before 0.37).
    const WT_String& address() const { return m_address; }
    std::int32_t serial() const { return m_serial; }

    WT_ID object_id() const override { return URL_ID; }
    int action_slot() const override { return 74; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    // Makes the rendition's URL this one (links and serial).
    void store_into(WT_URL& rendition_url) const;

    std::int32_t m_serial = -1;
    WT_String m_address;
    WT_String m_friendly_name;
    WT_URL_List m_links;
    std::int32_t m_next_link_number = 0;

    // Reading state.
    int m_stage = 0;
    std::int32_t m_read_index = 0;
    WT_String m_read_address;
    WT_String m_read_name;
};
