// The metadata strings, the time stamps, the named-view list and the
// rendition's metadata group.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/informational.h"
#include "dwf/w2dtk/metadata_set.h"
#include "dwf/w2dtk/object_list.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/time_stamp.h"

#include <string>

namespace
{
bool waiting(WT_Result result)
{
    return result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input;
}

// Producers whose streams need the compatibility treatment name themselves
// with one of these in their creator string.
const char* const Compatibility_Creators[] = {
    "Genuine Corvadraft R14",
    "Genuine Corvadraft 2000",
    "Genuine Corvadraft 2000i",
    "Genuine Corvadraft 2002",
};
} // namespace

// ---------------------------------------------------------------- strings

WT_Result WT_Informational::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        WT_CHECK(m_string.materialize(file));
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Informational::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Informational::serialize(WT_File& file)
{
    if (m_string.empty())
        return WT_Result_Success;
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("("));
    WT_CHECK(file.write(opcode_name()));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_string.serialize(file));
    return file.write(")");
}

bool WT_Informational::is_compatibility_creator(const WT_String& text)
{
    if (text.empty())
        return false;
    // Compared as 8-bit text; characters beyond Latin-1 cannot match.
    std::string narrow;
    const char16_t* units = text.unicode();
    narrow.reserve(text.length());
    for (std::size_t i = 0; i < text.length(); ++i)
        narrow.push_back(units[i] < 256 ? char(units[i]) : '?');
    for (const char* name : Compatibility_Creators)
        if (narrow.find(name) != std::string::npos)
            return true;
    return false;
}

WT_Result WT_Informational::default_process(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_metadata_changed(metadata_bit());
    if (WT_Informational* member = current.metadata().informational(object_id()))
        member->set(m_string);
    if (object_id() == Creator_ID && is_compatibility_creator(m_string))
        file.heuristics().m_broken_producer = true;
    return WT_Result_Success;
}

// ---------------------------------------------------------------- time stamps

WT_Result WT_Timestamp::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    for (;;)
    {
        WT_Result result = WT_Result_Success;
        switch (m_stage)
        {
        case 0:
            result = file.read_ascii(m_time);
            break;
        case 1:
            result = m_first.materialize(file);
            break;
        case 2:
            result = m_second.materialize(file);
            break;
        default:
            result = opcode.skip_operand(file);
            if (result == WT_Result_Success)
            {
                m_stage = 0;
                set_materialized();
                return WT_Result_Success;
            }
            break;
        }
        if (result != WT_Result_Success)
        {
            if (!waiting(result))
                m_stage = 0;
            return result;
        }
        ++m_stage;
    }
}

WT_Result WT_Timestamp::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Timestamp::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("("));
    WT_CHECK(file.write(opcode_name()));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(m_time));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_first.serialize(file));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_second.serialize(file));
    return file.write(")");
}

WT_Result WT_Timestamp::default_process(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_metadata_changed(metadata_bit());
    if (WT_Timestamp* member = current.metadata().timestamp(object_id()))
        member->set(m_time, m_first, m_second);
    return WT_Result_Success;
}

// ---------------------------------------------------------------- named views

WT_Result WT_Object_List::materialize(const WT_Opcode&, WT_File&)
{
    // The list has no opcode of its own: its items are read one by one.
    return WT_Result_Not_Available;
}

WT_Result WT_Object_List::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    for (auto const& item : m_items)
        WT_CHECK(item->serialize(file));
    return WT_Result_Success;
}

// ---------------------------------------------------------------- the group

WT_Informational* WT_Metadata_Set::informational(WT_Object::WT_ID id)
{
    switch (id)
    {
    case WT_Object::Author_ID:
        return &m_author;
    case WT_Object::Comments_ID:
        return &m_comments;
    case WT_Object::Copyright_ID:
        return &m_copyright;
    case WT_Object::Creator_ID:
        return &m_creator;
    case WT_Object::Description_ID:
        return &m_description;
    case WT_Object::Keywords_ID:
        return &m_keywords;
    case WT_Object::Source_Filename_ID:
        return &m_source_filename;
    case WT_Object::Subject_ID:
        return &m_subject;
    case WT_Object::Title_ID:
        return &m_title;
    default:
        return nullptr;
    }
}

WT_Timestamp* WT_Metadata_Set::timestamp(WT_Object::WT_ID id)
{
    switch (id)
    {
    case WT_Object::Created_ID:
        return &m_created;
    case WT_Object::Modified_ID:
        return &m_modified;
    case WT_Object::Source_Created_ID:
        return &m_source_created;
    case WT_Object::Source_Modified_ID:
        return &m_source_modified;
    default:
        return nullptr;
    }
}
