#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <vector>

// Opcode 'D': where the variants of every indexed object lie in the stream, the
// pause offsets, and the record's own offset. A stream with a dictionary ends
// with that offset and the terminator, so a reader finds it from the end.
//
// Formats: 0 (offsets only), 1 (lengths, options and boxes, the first pause
// after the entries), 2 (as 1, with the whole pause list before the entries).
class TK_Dictionary : public BBaseOpcodeHandler
{
public:
    static constexpr int Newest_Format = 2;
    // Streams targeted below this version carry format 0.
    static constexpr int Formats_Since_Version = 710;

    TK_Dictionary();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Nothing to apply: reading has already recorded the variants.
    TK_Status Execute(BStreamFileToolkit& tk) override;
    void Reset() override;

    int GetFormat() const { return m_format; }
    // The stream offset of the record as written or read.
    int GetOffset() const { return m_offset; }

private:
    // Steps inside one entry, kept in m_progress.
    enum Entry_Step
    {
        Entry_Index = 0,
        Entry_Mask = 1,
        Entry_Variant = 2, // 2 .. 9: variant 0 .. 7
        Entry_Options = 10,
        Entry_Bounding = 11,
    };

    TK_Status write_entries(BStreamFileToolkit& tk);
    TK_Status read_entries(BStreamFileToolkit& tk);

    unsigned char m_format = 0;
    int m_offset = 0;
    int m_count = 0; // entries of the record
    int m_entry = 0; // writing: key table slot in hand; reading: entries done
    int m_index = 0; // reading: stream index of the entry in hand
    unsigned char m_mask = 0;
    unsigned char m_options = 0;
    unsigned short m_pause_count = 0;
    std::vector<int> m_pauses;
};
