// Opcodes of fonts and text, line and fill styling, metadata, drawing
// information, code page and plot information.
#include "dwf/w2dtk/background.h"
#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/drawing_info.h"
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/fill_pattern.h"
#include "dwf/w2dtk/font.h"
#include "dwf/w2dtk/informational.h"
#include "dwf/w2dtk/line_pattern.h"
#include "dwf/w2dtk/line_style.h"
#include "dwf/w2dtk/line_weight.h"
#include "dwf/w2dtk/merge_control.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/text.h"
#include "dwf/w2dtk/time_stamp.h"

void wt_register_text_and_styling_opcodes(WT_Opcode_Registry& r)
{
    // Fonts and text.
    r.add_single_byte(0x06, 6, &wt_make_object<WT_Font>);
    r.add_extended_ascii("(Font", 273, &wt_make_object<WT_Font>);
    r.add_single_byte('x', 120, &wt_make_object<WT_Text>);
    r.add_single_byte(0x18, 24, &wt_make_object<WT_Text>);
    r.add_extended_ascii("(Text", 287, &wt_make_object<WT_Text>);

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

    // Metadata. The writer's "(Comments" and every other name beginning with
    // "(Comment" are comments.
    r.add_extended_ascii("(Author", 256, &wt_make_object<WT_Author>);
    r.add_extended_ascii("(Comment", 262, &wt_make_object<WT_Comments>, true);
    r.add_extended_ascii("(Copyright", 263, &wt_make_object<WT_Copyright>);
    r.add_extended_ascii("(Creator", 264, &wt_make_object<WT_Creator>);
    r.add_extended_ascii("(Description", 269, &wt_make_object<WT_Description>);
    r.add_extended_ascii("(Keywords", 275, &wt_make_object<WT_Keywords>);
    r.add_extended_ascii("(SourceFilename", 286, &wt_make_object<WT_Source_Filename>);
    r.add_extended_ascii("(Subject", 304, &wt_make_object<WT_Subject>);
    r.add_extended_ascii("(Title", 303, &wt_make_object<WT_Title>);
    r.add_extended_ascii("(Created", 265, &wt_make_object<WT_Created>);
    r.add_extended_ascii("(Modified", 280, &wt_make_object<WT_Modified>);
    r.add_extended_ascii("(SourceCreated", 284, &wt_make_object<WT_Source_Created>);
    r.add_extended_ascii("(SourceModified", 285, &wt_make_object<WT_Source_Modified>);

    // Drawing information.
    r.add_extended_ascii("(PlotOptimized", 312, &wt_make_object<WT_Plot_Optimized>);
    r.add_extended_ascii("(InkedArea", 316, &wt_make_object<WT_Inked_Area>);
    r.add_extended_ascii("(PenPat_Options", 363, &wt_make_object<WT_Pen_Pat_Options>);
}
