#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Object::process(WT_File& file)
{
    return file.call_action(action_slot(), *this);
}

WT_Result WT_Object::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return materialize(opcode, file);
}

WT_Result WT_Object::begin_serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    file.desired_rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    return file.desired_rendition().sync(file, WT_Attribute_Set::Block_Ref_Bit);
}

WT_Result WT_Object::default_process(WT_File&)
{
    return WT_Result_Success;
}

WT_Result WT_Drawable::delay(WT_File&)
{
    return WT_Result_Not_Available;
}

WT_Result WT_Drawable::dump(WT_File&)
{
    return WT_Result_Not_Available;
}

bool WT_Drawable::merge(const WT_Drawable&)
{
    throw WT_Result_Not_Available;
}

void WT_Drawable::update_bounds(WT_File&) {}

WT_Result WT_Option::skip_option(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.first_byte() == '(')
        return opcode.skip_operand(file);
    return WT_Result_Success;
}
