#pragma once

#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/object.h"

// The drawing's background colour. A drawing-information attribute: its change
// bit lives in the rendition's drawing-information group. Streams of version
// 6.00 and newer do not carry it.
class WT_Background : public WT_Attribute
{
public:
    WT_Background() : m_color(0, 0, 0, 255) {}
    explicit WT_Background(const WT_Color& color) : m_color(color) {}

    const WT_Color& color() const { return m_color; }
    void set(const WT_Color& color) { m_color = color; }

    WT_ID object_id() const override { return Background_ID; }
    int action_slot() const override { return 3; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_Color m_color;
    int m_stage = 0;
};
