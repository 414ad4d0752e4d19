#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// A reference to embedded data: its MIME type, subtype and options, a
// description, a request and the source the data comes from.
class WT_Embed : public WT_Object
{
public:
    WT_Embed() = default;

    const WT_String& mime_type() const { return m_type; }
    const WT_String& mime_subtype() const { return m_subtype; }
    const WT_String& mime_options() const { return m_options; }
    const WT_String& description() const { return m_description; }
    const WT_String& request() const { return m_request; }
    const WT_String& source() const { return m_source; }
    void set_mime(const WT_String& type, const WT_String& subtype, const WT_String& options)
    {
        m_type = type;
        m_subtype = subtype;
        m_options = options;
    }
    void set_description(const WT_String& text) { m_description = text; }
    void set_request(const WT_String& text) { m_request = text; }
    void set_source(const WT_String& text) { m_source = text; }
    // The file's serial number taken when the MIME parts were read; -1 before.
    std::int32_t serial() const { return m_serial; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Embed_ID; }
    int action_slot() const override { return 20; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

private:
    WT_String m_type;
    WT_String m_subtype;
    WT_String m_options;
    WT_String m_description;
    WT_String m_request;
    WT_String m_source;
    int m_stage = 0;
    std::int32_t m_serial = -1;
    WT_String m_reading;
};
