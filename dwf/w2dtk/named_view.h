#pragma once

#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <optional>

// A named rectangle of the drawing. Written once: serializing again writes
// nothing until the rectangle is set anew.
class WT_Named_View : public WT_Item, public WT_Object
{
public:
    WT_Named_View() = default;
    WT_Named_View(const WT_Logical_Box& view, const WT_String& name) : m_view(view), m_name(name) {}
    // Copies the rectangle and the name; the copy has not been written.
    WT_Named_View(const WT_Named_View& other);
    WT_Named_View& operator=(const WT_Named_View& other);

    const std::optional<WT_Logical_Box>& view() const { return m_view; }
    void set_view(const WT_Logical_Box& view)
    {
        m_view = view;
        m_written = false;
    }
    const WT_String& name() const { return m_name; }
    void set_name(const WT_String& name) { m_name = name; }

    // Both rectangles present and equal, and the names equal.
    bool operator==(const WT_Named_View& other) const;

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Named_View_ID; }
    int action_slot() const override { return 47; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Throws WT_Result_Not_Available for a transform rotation other than a
    // multiple of 90 degrees.
    WT_Result serialize(WT_File& file) override;
    // Adds a copy to the named views of the rendition as read.
    WT_Result default_process(WT_File& file) override;
    // Records this view in the rendition as last written, writing nothing.
    WT_Result record_as_last_written(WT_File& file) const;

private:
    std::optional<WT_Logical_Box> m_view;
    WT_String m_name;
    bool m_written = false;
    int m_stage = 0;
    WT_Logical_Box m_read_box;
};
