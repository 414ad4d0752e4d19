#pragma once

#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/string.h"
#include "dwf/w2dtk/units.h"

#include <memory>

// Classifies the option names inside a viewport: "(Units" is the units option.
class WT_Viewport_Optioncode : public WT_Optioncode
{
public:
    enum
    {
        Unknown_Option = 0,
        Viewport_Units_Option = 1,
    };
    int option_id_from_optioncode() const override
    {
        return is("(Units") ? Viewport_Units_Option : Unknown_Option;
    }
};

// The units a viewport's contents are measured in, written as a "(Units"
// option inside the viewport.
class WT_Viewport_Option_Viewport_Units : public WT_Option
{
public:
    WT_Viewport_Option_Viewport_Units() = default;
    explicit WT_Viewport_Option_Viewport_Units(const WT_Units& units) : m_units(units) {}

    const WT_Units& units() const { return m_units; }
    WT_Units& units() { return m_units; }

    WT_ID object_id() const override { return Viewport_Option_Viewport_Units_ID; }
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize_option(WT_File& file) override;

private:
    WT_Units m_units;
};

// A clip region: drawables that follow are shown only inside its contours.
class WT_Viewport : public WT_Attribute
{
public:
    // Bits of fields_defined().
    enum
    {
        Units_Defined = 0x2,
    };

    WT_Viewport() = default;
    // Copies the name and the contour set (when given) and takes the file's
    // next serial. Throws WT_Result_Out_Of_Memory when the copy fails.
    WT_Viewport(WT_File& file, const WT_String& name, const WT_Contour_Set* contours,
                bool copy = true);
    WT_Viewport(const WT_Viewport& other);
    WT_Viewport& operator=(const WT_Viewport& other);

    const WT_String& name() const { return m_name; }
    const WT_Contour_Set* contour_set() const { return m_contours.get(); }
    std::int32_t serial() const { return m_serial; }
    unsigned fields_defined() const { return m_fields_defined; }
    const WT_Units* viewport_units() const
    {
        return (m_fields_defined & Units_Defined) ? &m_units_option.units() : nullptr;
    }
    void set_viewport_units(const WT_Units& units)
    {
        m_units_option.units() = units;
        m_fields_defined |= Units_Defined;
    }

    WT_ID object_id() const override { return Viewport_ID; }
    int action_slot() const override { return 77; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // Passes over the operand to its closing parenthesis without reading it.
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Always in the ASCII form, even in a binary file.
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    // Equal serials, or equal names, units and contours.
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_Result write_viewport(WT_File& file);
    bool units_differ(const WT_Viewport& other) const;

    int m_stage = 0;
    std::unique_ptr<WT_Contour_Set> m_contours;
    unsigned m_fields_defined = 0;
    WT_Viewport_Optioncode m_optioncode;
    WT_String m_name;
    std::int32_t m_serial = -1;
    WT_Viewport_Option_Viewport_Units m_units_option;
    // Reading: a point count of the old single-contour form and its points.
    std::int32_t m_old_count = 0;
    std::vector<WT_Logical_Point> m_old_points;
};
