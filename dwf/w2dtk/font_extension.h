#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

// Two further names of the current font (the name the application knows it
// by, and the name of the font actually used).
class WT_Font_Extension : public WT_Attribute
{
public:
    WT_Font_Extension() = default;
    WT_Font_Extension(const WT_String& logfont_name, const WT_String& cannonical_name)
        : m_first(logfont_name), m_second(cannonical_name)
    {
    }

    const WT_String& logfont_name() const { return m_first; }
    const WT_String& cannonical_name() const { return m_second; }

    WT_ID object_id() const override { return Font_Extension_ID; }
    int action_slot() const override { return 29; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_String m_first;
    WT_String m_second;
    int m_stage = 0;
};
