#include "dwf/w2dtk/drawable_attributes.h"

#include "dwf/w2dtk/attribute_set.h"
#include "dwf/w2dtk/file.h"

#if __has_include("dwf/w2dtk/fill.h")
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/line_weight.h"
#define WT_HAS_FILL_ATTRIBUTES 1
#endif

void wt_require_fill(WT_File& file, bool on, std::uint32_t& mask)
{
#ifdef WT_HAS_FILL_ATTRIBUTES
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Fill_Bit);
    if (current.fill().fill() != on)
    {
        file.desired_rendition().fill().set(on);
        file.desired_rendition().mark_changed(WT_Attribute_Set::Fill_Bit);
        mask |= WT_Attribute_Set::Fill_Bit;
    }
#else
    (void)file;
    (void)on;
    (void)mask;
#endif
}

bool wt_current_fill(WT_File& file)
{
#ifdef WT_HAS_FILL_ATTRIBUTES
    file.rendition().mark_changed(WT_Attribute_Set::Fill_Bit);
    return file.rendition().fill().fill();
#else
    (void)file;
    return false;
#endif
}

std::int32_t wt_bounds_half_weight(WT_File& file)
{
#ifdef WT_HAS_FILL_ATTRIBUTES
    WT_Attribute_Set const& current = file.rendition();
    if (!(current.changed() & WT_Attribute_Set::Line_Weight_Bit))
        return 0;
    std::int32_t const weight = file.rendition().line_weight().weight_value();
    return weight >= 1 ? weight / 2 : 0;
#else
    (void)file;
    return 0;
#endif
}
