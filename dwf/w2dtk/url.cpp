#include "dwf/w2dtk/url.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <memory>
#include <new>

// ---------------------------------------------------------------- list

WT_URL_List& WT_URL_List::operator=(const WT_URL_List& other)
{
    if (this != &other)
    {
        m_items.remove_all();
        for (auto const& item : other.m_items)
            add(*item);
    }
    return *this;
}

void WT_URL_List::add(const WT_URL_Item& item)
{
    try
    {
        m_items.add_tail(std::make_unique<WT_URL_Item>(item));
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
}

void WT_URL_List::add(std::int32_t index, const WT_String& address, const WT_String& friendly_name)
{
    add(WT_URL_Item(index, address, friendly_name));
}

WT_URL_Item* WT_URL_List::find(std::int32_t index)
{
    for (auto& item : m_items)
        if (item->index() == index)
            return item.get();
    return nullptr;
}

const WT_URL_Item* WT_URL_List::find(std::int32_t index) const
{
    for (auto const& item : m_items)
        if (item->index() == index)
            return item.get();
    return nullptr;
}

void WT_URL_List::mark_as_written(std::int32_t index)
{
    if (WT_URL_Item* item = find(index))
        item->set_written();
}

bool WT_URL_List::operator==(const WT_URL_List& other) const
{
    if (count() != other.count())
        return false;
    auto b = other.m_items.begin();
    for (auto const& a : m_items)
    {
        if (a->address() != (*b)->address() || a->friendly_name() != (*b)->friendly_name())
            return false;
        ++b;
    }
    return true;
}

// ---------------------------------------------------------------- URL

WT_Result WT_URL::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Code_Page_Bit));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(URL"));
    if (!m_links.is_empty())
    {
        WT_CHECK(file.write(" "));
        if (file.target_version() < 37)
            WT_CHECK((*m_links.begin())->address().serialize(file));
        else
        {
            WT_URL_List& known = file.desired_rendition().url_list();
            bool first = true;
            for (auto const& item : m_links)
            {
                if (!first)
                    WT_CHECK(file.write(" "));
                first = false;
                WT_URL_Item const* written = known.find(item->index());
                if (written && written->written())
                {
                    WT_CHECK(file.write_ascii(item->index()));
                    continue;
                }
                WT_CHECK(file.write("("));
                WT_CHECK(file.write_ascii(item->index()));
                WT_CHECK(file.write(" "));
                WT_CHECK(item->address().serialize(file));
                WT_CHECK(file.write(" "));
                WT_CHECK(item->friendly_name().serialize(file));
                WT_CHECK(file.write(")"));
                known.mark_as_written(item->index());
            }
        }
    }
    return file.write(")");
}

WT_Result WT_URL::materialize(const WT_Opcode& opcode, WT_File& file)
{
    enum
    {
        Start = 0,
        Next = 1,
        Next_Byte = 2,
        Item_Index = 3,
        Item_Address = 4,
        Item_Name = 5,
        Item_Close = 6,
        Reference = 7,
        Own_Address = 8,
        Close = 9,
        Old_Space = 10,
        Old_Address = 11,
        Old_Close = 12,
    };
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    auto fail = [this](WT_Result result)
    {
        if (result != WT_Result_Waiting_For_Data)
            m_stage = Start;
        return result;
    };
    for (;;)
    {
        WT_Result result = WT_Result_Success;
        switch (m_stage)
        {
        case Start:
            m_serial = file.next_object_serial();
            m_stage = file.stream_version() >= 37 ? Next : Old_Space;
            break;
        case Next:
            result = file.skip_whitespace();
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Next_Byte;
            break;
        case Next_Byte:
        {
            std::uint8_t c = 0;
            result = file.read_byte(c);
            if (result != WT_Result_Success)
                return fail(result);
            if (c == '(')
                m_stage = Item_Index;
            else
            {
                file.put_back(c);
                m_stage = c == ')' ? Close : c == '\'' ? Own_Address : Reference;
            }
            break;
        }
        case Item_Index:
            result = file.read_ascii(m_read_index);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Item_Address;
            break;
        case Item_Address:
            result = m_read_address.materialize(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Item_Name;
            break;
        case Item_Name:
            result = m_read_name.materialize(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Item_Close;
            break;
        case Item_Close:
        {
            std::uint8_t c = 0;
            result = file.read_byte(c);
            if (result != WT_Result_Success)
                return fail(result);
            if (c != ')')
                return fail(WT_Result_Corrupt_Stream);
            m_links.add(m_read_index, m_read_address, m_read_name);
            file.rendition().url_list().add(m_read_index, m_read_address, m_read_name);
            m_stage = Next;
            break;
        }
        case Reference:
        {
            result = file.read_ascii(m_read_index);
            if (result != WT_Result_Success)
                return fail(result);
            if (WT_URL_Item const* known = file.rendition().url_list().find(m_read_index))
            {
                // Copied first: the rendition's list may be this very list.
                WT_URL_Item const copy(-1, known->address(), known->friendly_name());
                m_links.add(copy);
            }
            m_stage = Next;
            break;
        }
        case Own_Address:
            result = m_address.materialize(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Close;
            break;
        case Close:
            result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Start;
            set_materialized();
            return WT_Result_Success;
        case Old_Space:
            result = file.skip_whitespace();
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Old_Address;
            break;
        case Old_Address:
            result = m_address.materialize(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Old_Close;
            break;
        default:
            result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_links.remove_all();
            m_links.add(m_next_link_number++, m_address, WT_String());
            m_stage = Start;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_URL::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

void WT_URL::store_into(WT_URL& rendition_url) const
{
    rendition_url.m_links = m_links;
    rendition_url.m_serial = m_serial;
}

WT_Result WT_URL::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::URL_Bit);
    if (*this == current.url())
        return WT_Result_Success;
    store_into(current.url());
    return serialize(file);
}

bool WT_URL::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != URL_ID)
        return false;
    auto const& url = static_cast<const WT_URL&>(other);
    // Only a serial taken from a file identifies a URL; URLs built by callers
    // all share -1 and are compared by their links.
    if (m_serial >= 0 && m_serial == url.m_serial && m_links.count() == url.m_links.count())
        return true;
    return m_links == url.m_links;
}

WT_Result WT_URL::default_process(WT_File& file)
{
    file.rendition().mark_changed(WT_Attribute_Set::URL_Bit);
    store_into(file.rendition().url());
    return WT_Result_Success;
}
