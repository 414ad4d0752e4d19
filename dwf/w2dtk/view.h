#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

// The region a viewer shows first: a logical box, or the name of a named view.
class WT_View : public WT_Attribute
{
public:
    WT_View() = default;
    explicit WT_View(const WT_Logical_Box& box) : m_view(box) {}
    // A view given by the name of a named view.
    explicit WT_View(const WT_String& name) : m_name(name), m_named(true) {}

    void set_view(const WT_Logical_Box& box)
    {
        m_view = box;
        m_named = false;
    }
    const WT_Logical_Box& view() const { return m_view; }
    const WT_String& name() const { return m_name; }
    bool is_named() const { return m_named; }

    WT_ID object_id() const override { return View_ID; }
    int action_slot() const override { return 76; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // Passes over the operand to its closing parenthesis without reading it.
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // A named view needs the named view's definition in the stream; the file
    // keeps none yet, so syncing one gives WT_Result_Undefined_Reference.
    WT_Result sync(WT_File& file) override;
    // Equal boxes are equal views; names are not compared.
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_Logical_Box m_view;
    WT_String m_name;
    bool m_named = false;
    int m_stage = 0;
};
