#pragma once

#include "dwf/w2dtk/file.h"

#include <memory>
#include <new>

// Hands the file a copy of a drawable to hold back, so that the next drawable
// of its kind may merge into it before anything is written. A copy that cannot
// be made is reported, not thrown.
template <class Drawable> WT_Result wt_delay_copy(WT_File& file, const Drawable& drawable)
{
    try
    {
        file.set_delayed_drawable(std::make_unique<Drawable>(drawable));
    }
    catch (WT_Result result)
    {
        return result;
    }
    catch (const std::bad_alloc&)
    {
        return WT_Result_Out_Of_Memory;
    }
    return WT_Result_Success;
}
