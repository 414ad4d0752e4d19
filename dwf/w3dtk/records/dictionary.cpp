#include "dwf/w3dtk/records/dictionary.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <climits>

TK_Dictionary::TK_Dictionary() : BBaseOpcodeHandler('D') {}

void TK_Dictionary::Reset()
{
    m_format = 0;
    m_offset = 0;
    m_count = 0;
    m_entry = 0;
    m_index = 0;
    m_mask = 0;
    m_options = 0;
    m_pause_count = 0;
    m_pauses.clear();
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Dictionary::Execute(BStreamFileToolkit&)
{
    return TK_Done;
}

namespace
{
unsigned char variant_mask(const BIndexRecord& record)
{
    unsigned char mask = 0;
    if (record.variants)
        for (int n = 0; n < BVariantBlock::Variant_Count; ++n)
            if (record.variants->offset[n] != 0)
                mask = static_cast<unsigned char>(mask | 1 << n);
    return mask;
}
} // namespace

TK_Status TK_Dictionary::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        m_offset = static_cast<int>(std::min<long long>(tk.TotalBytes(), INT_MAX));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        int const format =
            tk.GetTargetVersion() < Formats_Since_Version ? 0 : tk.GetDictionaryFormat();
        if (format < 0 || format > Newest_Format)
            return tk.ErrorF("dictionary format %d cannot be written", format);
        m_format = static_cast<unsigned char>(format);
        TK_TRY(PutData(tk, m_format));
        ++m_stage;
    }
        [[fallthrough]];
    case 2:
        if (m_format == 2)
            TK_TRY(PutData(tk, static_cast<unsigned short>(tk.PauseOffsets().size())));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_format == 2)
            TK_TRY(
                PutData(tk, tk.PauseOffsets().data(), static_cast<int>(tk.PauseOffsets().size())));
        ++m_stage;
        [[fallthrough]];
    case 4:
    {
        BStreamKeyTable const& keys = tk.KeyTable();
        m_count = 0;
        for (int i = 0; i < keys.Count(); ++i)
            if (keys.Record(i))
                ++m_count;
        TK_TRY(PutData(tk, m_count));
        m_entry = 0;
        m_progress = Entry_Index;
        ++m_stage;
    }
        [[fallthrough]];
    case 5:
        TK_TRY(write_entries(tk));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_format == 1)
        {
            int const first = tk.PauseOffsets().empty() ? 0 : tk.PauseOffsets().front();
            TK_TRY(PutData(tk, first));
        }
        ++m_stage;
        [[fallthrough]];
    case 7:
        TK_TRY(PutData(tk, m_offset));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Dictionary::write_entries(BStreamFileToolkit& tk)
{
    BStreamKeyTable const& keys = tk.KeyTable();
    for (; m_entry < keys.Count(); ++m_entry)
    {
        BIndexRecord const* record = keys.Record(m_entry);
        if (!record)
            continue;
        BVariantBlock const* block = record->variants.get();
        while (m_progress <= Entry_Bounding)
        {
            switch (m_progress)
            {
            case Entry_Index:
                TK_TRY(PutData(tk, m_entry));
                break;
            case Entry_Mask:
                TK_TRY(PutData(tk, variant_mask(*record)));
                break;
            case Entry_Options:
                if (m_format >= 1)
                {
                    int const options = block ? block->flags & tk.GetDictionaryOptions() : 0;
                    TK_TRY(PutData(tk, static_cast<unsigned char>(options)));
                }
                break;
            case Entry_Bounding:
                if (m_format >= 1 && block &&
                    (block->flags & tk.GetDictionaryOptions() & BVariantBlock::Has_Bounding))
                    TK_TRY(PutData(tk, block->bounding, 6));
                break;
            default:
            {
                int const n = m_progress - Entry_Variant;
                if (n < 0 || n >= BVariantBlock::Variant_Count)
                    return tk.Error();
                if (variant_mask(*record) & 1 << n)
                {
                    int const pair[2] = {block->offset[n], block->length[n]};
                    TK_TRY(PutData(tk, pair, m_format >= 1 ? 2 : 1));
                }
            }
            }
            ++m_progress;
        }
        m_progress = Entry_Index;
    }
    return TK_Done;
}

TK_Status TK_Dictionary::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_format));
        if (m_format > Newest_Format)
            return tk.Error();
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (m_format == 2)
            TK_TRY(GetData(tk, m_pause_count));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_format == 2)
        {
            m_pauses.resize(m_pause_count);
            TK_TRY(GetData(tk, m_pauses.data(), m_pause_count));
            tk.SetPauseOffsets(m_pauses);
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
        // Each entry names a distinct index of the stream.
        TK_TRY(GetCheckedCount(tk, m_count, "bad Dictionary entry count", tk.KeyTable().Count()));
        m_entry = 0;
        m_progress = Entry_Index;
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(read_entries(tk));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_format == 1)
        {
            int first = 0;
            TK_TRY(GetData(tk, first));
            tk.SetFirstPauseOffset(first);
        }
        ++m_stage;
        [[fallthrough]];
    case 6:
        TK_TRY(GetData(tk, m_offset));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Dictionary::read_entries(BStreamFileToolkit& tk)
{
    for (; m_entry < m_count; ++m_entry)
    {
        while (m_progress <= Entry_Bounding)
        {
            switch (m_progress)
            {
            case Entry_Index:
            {
                TK_TRY(GetData(tk, m_index));
                TK_Key key = 0;
                if (tk.IndexToKey(m_index, key) != TK_Done)
                    return tk.ErrorF("dictionary entry for unknown index %d", m_index);
                break;
            }
            case Entry_Mask:
                TK_TRY(GetData(tk, m_mask));
                break;
            case Entry_Options:
                m_options = 0;
                if (m_format >= 1)
                {
                    TK_TRY(GetData(tk, m_options));
                    if (m_options != 0)
                    {
                        BIndexRecord* record = tk.KeyTable().Record(m_index);
                        if (!record->variants)
                            record->variants = std::make_unique<BVariantBlock>();
                        record->variants->flags = m_options;
                    }
                }
                break;
            case Entry_Bounding:
                if (m_format >= 1 && (m_options & BVariantBlock::Has_Bounding))
                {
                    float box[6];
                    TK_TRY(GetData(tk, box, 6));
                    BIndexRecord* record = tk.KeyTable().Record(m_index);
                    std::copy(box, box + 6, record->variants->bounding);
                }
                break;
            default:
            {
                int const n = m_progress - Entry_Variant;
                if (n < 0 || n >= BVariantBlock::Variant_Count)
                    return tk.Error();
                if (m_mask & 1 << n)
                {
                    int pair[2] = {0, -1};
                    TK_TRY(GetData(tk, pair, m_format >= 1 ? 2 : 1));
                    TK_TRY(tk.AddVariantAtIndex(m_index, n, pair[0], pair[1]));
                }
            }
            }
            ++m_progress;
        }
        m_progress = Entry_Index;
    }
    return TK_Done;
}
