// Member records carried by a polyhedron, ended by a terminator record.
#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/records/terminator.h"
#include "dwf/w3dtk/stream/toolkit.h"

TK_Status TK_Polyhedron::write_collection(BStreamFileToolkit& tk, bool tag, int variant)
{
    switch (m_collection_stage)
    {
    case 0:
        while (m_collection_item < static_cast<int>(m_collection.size()))
        {
            TK_TRY(m_collection[static_cast<std::size_t>(m_collection_item)]->Write(tk));
            ++m_collection_item;
        }
        ++m_collection_stage;
        [[fallthrough]];
    case 1:
    {
        TK_Terminator terminator(TK_Terminator::Terminate);
        TK_TRY(terminator.Write(tk));
        ++m_collection_stage;
    }
        [[fallthrough]];
    case 2:
        if (tag)
            TK_TRY(tk.TagPendingKeys(variant));
        m_collection_stage = 0;
        m_collection_item = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::write_collection");
    }
}

// No handler of this system copies itself, so each member is read by the
// toolkit's handler of its opcode and dropped. A member that is this
// polyhedron's own kind, or a polyhedron whose own collection is being read
// (a collection nested back into itself), would overwrite a handler in use and
// is refused.
TK_Status TK_Polyhedron::read_collection(BStreamFileToolkit& tk)
{
    for (;;)
    {
        switch (m_collection_stage)
        {
        case 0:
        {
            TK_TRY(GetData(tk, m_member_opcode));
            if (m_member_opcode == TK_Terminator::Terminate)
            {
                m_reading_collection = false;
                return TK_Done;
            }
            BBaseOpcodeHandler& member = tk.GetOpcodeHandler(m_member_opcode);
            auto* polyhedron = dynamic_cast<TK_Polyhedron*>(&member);
            if (m_member_opcode == m_opcode || (polyhedron && polyhedron->m_reading_collection))
                return tk.Error("polyhedron collection holds a record of its own kind");
            m_reading_collection = true;
            member.Reset();
            ++m_collection_stage;
        }
            [[fallthrough]];
        case 1:
        {
            BBaseOpcodeHandler& member = tk.GetOpcodeHandler(m_member_opcode);
            TK_Status const status = member.Read(tk);
            if (status == TK_Pending)
                return status;
            member.Reset();
            if (status != TK_Done)
                return status == TK_Error
                           ? status
                           : tk.Error("unexpected record in a polyhedron collection");
            m_collection_stage = 0;
            break;
        }
        default:
            return tk.Error("internal error in TK_Polyhedron::read_collection");
        }
    }
}
