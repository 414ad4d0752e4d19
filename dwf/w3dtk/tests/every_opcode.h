#pragma once

// One stream holding a record of every opcode the toolkit's table handles,
// built from the streams each family keeps for its tests and the fuzz seeds.

#include "memory_streams.h"
#include "mesh_fixtures.h"
#include "periphery_streams.h"
#include "record_streams.h"
#include "shell_fixtures.h"

#include "dwf/w3dtk/records/dictionary.h"
#include "dwf/w3dtk/records/renumber.h"
#include "dwf/w3dtk/records/segments.h"

namespace w3d_test
{

inline void every_opcode(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    // Segments whose keys are tagged, reopened, renumbered.
    serialize_with<TK_Open_Segment>(
        tk, w, '(', [](TK_Open_Segment& h) { h.SetSegment("model"); }, 1);
    record_curves(tk, w);
    record_colors(tk, w);
    record_texts_and_references(tk, w);
    record_textures(tk, w);
    record_attributes(tk, w);
    record_user_data(tk, w);
    emit_mesh(3, 4, TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Attributes)(tk, w);
    periphery_records(tk, w);
    {
        static Mesh const sphere = icosphere(1);
        Shell_Input in(sphere);
        emit_shell(tk, w, in);
    }
    serialize_own(tk.GetOpcodeHandler(')'), w);
    serialize_with<TK_Reopen_Segment>(tk, w, 's', [](TK_Reopen_Segment& h) { h.SetIndex(0); });
    serialize_own(tk.GetOpcodeHandler(')'), w);
    serialize_with<TK_Renumber>(tk, w, 'K', [](TK_Renumber& h) { h.SetKey(7); });
    serialize_with<TK_Renumber>(tk, w, 'k', [](TK_Renumber& h) { h.SetKey(8); });
    serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), w);
    serialize_own(tk.GetOpcodeHandler('D'), w);
}

inline void every_opcode_setup(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(TK_Option_Dictionary);
}

} // namespace w3d_test
