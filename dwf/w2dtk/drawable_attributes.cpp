#include "dwf/w2dtk/drawable_attributes.h"

#include "dwf/w2dtk/attribute_set.h"
#include "dwf/w2dtk/file.h"

void wt_require_fill(WT_File& file, bool on, std::uint32_t& mask)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Fill_Bit);
    if (current.fill().fill() != on)
    {
        file.desired_rendition().fill().set(on);
        file.desired_rendition().mark_changed(WT_Attribute_Set::Fill_Bit);
        mask |= WT_Attribute_Set::Fill_Bit;
    }
}

bool wt_current_fill(WT_File& file)
{
    file.rendition().mark_changed(WT_Attribute_Set::Fill_Bit);
    return file.rendition().fill().fill();
}

std::int32_t wt_bounds_half_weight(WT_File& file)
{
    WT_Attribute_Set const& current = file.rendition();
    if (!(current.changed() & WT_Attribute_Set::Line_Weight_Bit))
        return 0;
    std::int32_t const weight = current.line_weight().weight_value();
    return weight >= 1 ? weight / 2 : 0;
}
