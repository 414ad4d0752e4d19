// Opcodes of fonts and text, line and fill styling, metadata, drawing
// information, code page and plot information.
#include "dwf/w2dtk/background.h"
#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/fill_pattern.h"
#include "dwf/w2dtk/line_pattern.h"
#include "dwf/w2dtk/line_style.h"
#include "dwf/w2dtk/line_weight.h"
#include "dwf/w2dtk/merge_control.h"
#include "dwf/w2dtk/opcode_registry.h"

void wt_register_text_and_styling_opcodes(WT_Opcode_Registry& r)
{
    // Line and fill styling.
    r.add_single_byte(0x17, 23, &wt_make_object<WT_Line_Weight>);
    r.add_extended_ascii("(LineWeight", 278, &wt_make_object<WT_Line_Weight>);
    r.add_single_byte('F', 70, &wt_make_object<WT_Fill>);
    r.add_single_byte('f', 102, &wt_make_object<WT_Fill>);
    r.add_single_byte(0xCC, 204, &wt_make_object<WT_Line_Pattern>);
    r.add_extended_ascii("(LinePattern", 277, &wt_make_object<WT_Line_Pattern>);
    r.add_extended_ascii("(DashPattern", 267, &wt_make_object<WT_Dash_Pattern>);
    r.add_extended_ascii("(LineStyle", 279, &wt_make_object<WT_Line_Style>);
    r.add_extended_ascii("(FillPattern", 315, &wt_make_object<WT_Fill_Pattern>);
    r.add_extended_ascii("(LinesOverwrite", 308, &wt_make_object<WT_Merge_Control>);
    r.add_extended_ascii("(Background", 257, &wt_make_object<WT_Background>);
}
