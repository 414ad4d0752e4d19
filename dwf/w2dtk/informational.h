#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// A metadata string of the drawing: "(Author 'Ann Lee')". Each kind has its
// own class below; an empty string is not written at all.
class WT_Informational : public WT_Object
{
public:
    WT_Informational() = default;
    explicit WT_Informational(const WT_String& text) : m_string(text) {}

    const WT_String& string() const { return m_string; }
    void set(const WT_String& text) { m_string = text; }

    // The opcode's name without its parenthesis ("Author").
    virtual const char* opcode_name() const = 0;
    // The kind's bit in the rendition's metadata group.
    virtual std::uint32_t metadata_bit() const = 0;

    WT_Type object_type() const override { return Informational; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // Stores the string into the current rendition; a creator naming one of
    // the producers whose streams need the compatibility treatment also sets
    // the file's flag for it.
    WT_Result default_process(WT_File& file) override;

    // Whether a creator text names such a producer (case-sensitive).
    static bool is_compatibility_creator(const WT_String& text);

private:
    WT_String m_string;
    int m_stage = 0;
};

class WT_Author : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Author_ID; }
    int action_slot() const override { return 2; }
    const char* opcode_name() const override { return "Author"; }
    std::uint32_t metadata_bit() const override { return 0x2; }
};

class WT_Comments : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Comments_ID; }
    int action_slot() const override { return 9; }
    const char* opcode_name() const override { return "Comments"; }
    std::uint32_t metadata_bit() const override { return 0x4; }
};

class WT_Copyright : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Copyright_ID; }
    int action_slot() const override { return 12; }
    const char* opcode_name() const override { return "Copyright"; }
    std::uint32_t metadata_bit() const override { return 0x800; }
};

class WT_Creator : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Creator_ID; }
    int action_slot() const override { return 14; }
    const char* opcode_name() const override { return "Creator"; }
    std::uint32_t metadata_bit() const override { return 0x8; }
};

class WT_Description : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Description_ID; }
    int action_slot() const override { return 16; }
    const char* opcode_name() const override { return "Description"; }
    std::uint32_t metadata_bit() const override { return 0x1; }
};

class WT_Keywords : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Keywords_ID; }
    int action_slot() const override { return 38; }
    const char* opcode_name() const override { return "Keywords"; }
    std::uint32_t metadata_bit() const override { return 0x1000; }
};

class WT_Source_Filename : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Source_Filename_ID; }
    int action_slot() const override { return 66; }
    const char* opcode_name() const override { return "SourceFilename"; }
    std::uint32_t metadata_bit() const override { return 0x40; }
};

class WT_Subject : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Subject_ID; }
    int action_slot() const override { return 68; }
    const char* opcode_name() const override { return "Subject"; }
    std::uint32_t metadata_bit() const override { return 0x4000; }
};

class WT_Title : public WT_Informational
{
public:
    using WT_Informational::WT_Informational;
    WT_ID object_id() const override { return Title_ID; }
    int action_slot() const override { return 70; }
    const char* opcode_name() const override { return "Title"; }
    std::uint32_t metadata_bit() const override { return 0x2000; }
};
