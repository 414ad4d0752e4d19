#pragma once

#include "dwf/w2dtk/font.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"
#include "dwf/w2dtk/text_options.h"

#include <cstdint>
#include <optional>

// A string placed at a logical point, in the current font, with optional
// overscored and underscored characters, a bounding box and character
// positions.
class WT_Text : public WT_Drawable
{
public:
    WT_Text() = default;
    WT_Text(const WT_Logical_Point& position, const WT_String& string)
        : m_position(position), m_string(string)
    {
    }

    const WT_Logical_Point& position() const { return m_position; }
    const WT_String& string() const { return m_string; }
    void set_position(const WT_Logical_Point& position) { m_position = position; }
    void set_string(const WT_String& string) { m_string = string; }
    WT_Text_Option_Overscore& overscore() { return m_overscore; }
    WT_Text_Option_Underscore& underscore() { return m_underscore; }
    WT_Text_Option_Bounds& bounds_option() { return m_bounds; }
    WT_Text_Option_Char_Pos& char_positions() { return m_char_positions; }
    const WT_Text_Option_Overscore& overscore() const { return m_overscore; }
    const WT_Text_Option_Underscore& underscore() const { return m_underscore; }
    const WT_Text_Option_Bounds& bounds_option() const { return m_bounds; }
    const WT_Text_Option_Char_Pos& char_positions() const { return m_char_positions; }

    // Same position, string and options.
    bool same_as(const WT_Text& other) const;

    WT_ID object_id() const override { return Text_ID; }
    int action_slot() const override { return 69; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // Widens the bounds by the bounding box when the text has one, else by
    // the position and, when the file's text metrics can measure it, the
    // extent of the string in the current font.
    void update_bounds(WT_File& file) override;

private:
    // One field of the layout being read (the steps are private to text.cpp).
    WT_Result read_step(int step, const WT_Opcode& opcode, WT_File& file);
    WT_Result write_binary(WT_File& file, bool extended);
    WT_Font& old_font();

    WT_Logical_Point m_position;
    WT_String m_string;
    WT_Text_Option_Bounds m_bounds;
    WT_Text_Option_Overscore m_overscore;
    WT_Text_Option_Underscore m_underscore;
    WT_Text_Option_Char_Pos m_char_positions;
    bool m_transformed = false;
    WT_Text_Optioncode m_optioncode;

    // Reading: the layout being read, the step within it, and the values of
    // older layouts that belong to the font.
    int m_layout = -1;
    int m_stage = 0;
    int m_option = 0;
    int m_bound = 0;
    long m_wide_count = 0;
    std::optional<WT_Font> m_old_font; // built only for old layouts
};
