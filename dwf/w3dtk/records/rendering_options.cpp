#include "dwf/w3dtk/records/rendering_options.h"

#include "dwf/w3dtk/stream/toolkit.h"

namespace
{
constexpr std::uint32_t Extended = 0x80000000u; // mask word 0: the second words follow
constexpr int High_Byte_Follows = 0x80;

// A 16-bit field as it travels: bit 0x80 set whenever the high byte is used.
std::uint16_t announced(std::uint16_t field, std::uint16_t companion = 0)
{
    if ((field | companion) & 0xFF00)
        field = static_cast<std::uint16_t>(field | High_Byte_Follows);
    return field;
}

bool bit(std::uint32_t word, std::uint32_t x)
{
    return (word & x) != 0;
}
} // namespace

// What one row of the record is: absent, or the bytes it carries.
struct TK_Rendering_Options::Row
{
    enum Kind
    {
        Absent,
        Values,    // `count` four-byte values at `values`
        Bytes,     // `count` bytes at `bytes`
        Low_Byte,  // the low byte of `half` (written as `byte`)
        High_Byte, // the high byte of `half` (written as `byte`)
        List_Count // the signed count byte of a list at `list_count`
    } kind = Absent;
    std::uint32_t* values = nullptr;
    unsigned char* bytes = nullptr;
    int count = 1;
    std::uint16_t* half = nullptr;
    unsigned char byte = 0;
    int* list_count = nullptr;

    static Row of(bool present, std::uint32_t* values, int count = 1)
    {
        Row row;
        if (present)
        {
            row.kind = Values;
            row.values = values;
            row.count = count;
        }
        return row;
    }
    static Row of(bool present, unsigned char* bytes, int count = 1)
    {
        Row row;
        if (present)
        {
            row.kind = Bytes;
            row.bytes = bytes;
            row.count = count;
        }
        return row;
    }
    static Row part(bool present, Kind kind, std::uint16_t* half, unsigned written)
    {
        Row row;
        if (present)
        {
            row.kind = kind;
            row.half = half;
            row.byte = static_cast<unsigned char>(kind == High_Byte ? written >> 8 : written);
        }
        return row;
    }
    static Row list(bool present, int* count)
    {
        Row row;
        if (present)
        {
            row.kind = List_Count;
            row.list_count = count;
        }
        return row;
    }
};

TK_Rendering_Options::TK_Rendering_Options() : BBaseOpcodeHandler('R') {}

void TK_Rendering_Options::Reset()
{
    mask[0] = mask[1] = value[0] = value[1] = 0;
    selector_a = selector_b = 0;
    p = Block_P{};
    u.u1 = u.u3 = u.u4 = 0;
    h.sub_mask = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Rendering_Options::Words TK_Rendering_Options::WrittenWords(int version) const
{
    Words words;
    words.version = version;
    words.mask0 = mask[0];
    words.mask1 = mask[1];
    words.h_sub_mask = announced(h.sub_mask, h.sub_value);
    if (version < 650)
    {
        words.mask0 &= 0x007FFFFFu;
        words.mask1 = 0;
    }
    else if (version < 710)
        words.mask1 &= ~0x6u;
    else if (version < 806)
    {
        words.mask1 &= ~0x18u;
        words.h_sub_mask = static_cast<std::uint16_t>(words.h_sub_mask & ~0x7C0u);
    }
    // The second words travel exactly when there is something in them, so a
    // reader always finds what the later rows depend on.
    if (words.mask1 != 0)
        words.mask0 |= Extended;
    else
        words.mask0 &= ~Extended;
    return words;
}

TK_Rendering_Options::Row TK_Rendering_Options::row(int number, const Words& w, bool reading)
{
    std::uint32_t const m0 = w.mask0;
    std::uint32_t const v0 = value[0];
    auto both0 = [&](std::uint32_t x) { return bit(m0, x) && bit(v0, x); };
    bool const p_block = both0(0x00100000);
    bool const q_block = both0(0x00800000);
    bool const s_block = both0(0x01000000);
    std::uint16_t const selector = reading ? s.selector : announced(s.selector);
    bool const h_block = bit(m0, 0x18000000);
    auto h_bit = [&](std::uint32_t x) { return bit(w.h_sub_mask, x) && bit(h.sub_value, x); };
    bool const t_block = both0(0x04000000);
    auto t_bit = [&](std::uint32_t x) { return t_block && bit(t.sub_mask & t.sub_value, x); };
    auto t_sub = [&](std::uint32_t x) { return t_block && bit(t.sub_mask, x); };
    // Rows 54-56 test the second value word against the (adjusted) second mask
    // word; rows 57-61 need that to be non-zero and test against the own one.
    auto u_first = [&](std::uint32_t x) { return bit(w.mask1, x) && bit(value[1], x); };
    auto u_rest = [&](std::uint32_t x)
    { return w.mask1 != 0 && bit(mask[1], x) && bit(value[1], x); };

    switch (number)
    {
    case 1:
        return Row::of(true, reading ? &mask[0] : &m_written.mask0);
    case 2:
        return Row::of(bit(m0, Extended), &mask[1]);
    case 3:
        return Row::of(true, &value[0]);
    case 4:
        return Row::of(bit(m0, Extended), &value[1]);
    case 5:
        return Row::of(bit(m0, 0x00003000), &selector_a);
    case 6:
        return Row::of(bit(m0, 0x000C0000), &selector_b);
    case 7:
        return Row::of(both0(0x00200000), &w21);
    case 8:
        return Row::of(p_block, &p.sub_mask);
    case 9:
        return Row::of(p_block, &p.sub_value);
    case 10:
        return Row::of(p_block && bit(p.sub_mask & p.sub_value, 0x4), &p.p1);
    case 11:
        return Row::of(p_block && bit(p.sub_mask & p.sub_value, 0x4), &p.p2);
    case 12:
        return Row::of(p_block && bit(p.sub_mask & p.sub_value, 0x08000000), &p.p3);
    case 13:
        return Row::of(p_block && bit(p.sub_mask & p.sub_value, 0x08000000), &p.p4);
    case 14:
        return Row::of(both0(0x00400000), w22, 2);
    case 15:
        return Row::of(bit(m0, 0x00020000), &w17);
    case 16:
        return Row::of(bit(m0, 0x40000000), &w30);
    case 17:
        return Row::of(q_block, &q.sub_mask);
    case 18:
        return Row::of(q_block, &q.sub_value);
    case 19:
        return Row::of(q_block && bit(q.sub_mask & q.sub_value, 0x1), &q.q1);
    case 20:
        return Row::part(s_block, Row::Low_Byte, &s.selector, selector);
    case 21:
        return Row::part(s_block && bit(selector, High_Byte_Follows), Row::High_Byte, &s.selector,
                         selector);
    case 22:
        return Row::of(s_block && bit(selector, 0x04), &s.s3);
    case 23:
        return Row::of(s_block && bit(selector, 0x10), &s.s1);
    case 24:
        return Row::of(s_block && bit(selector, 0x08), &s.s2);
    case 25:
        return Row::part(h_block, Row::Low_Byte, &h.sub_mask, w.h_sub_mask);
    case 26:
        return Row::part(h_block && bit(w.h_sub_mask, High_Byte_Follows), Row::High_Byte,
                         &h.sub_mask, h.sub_mask);
    case 27:
        return Row::part(h_block, Row::Low_Byte, &h.sub_value, h.sub_value);
    case 28:
        return Row::part(h_block && bit(w.h_sub_mask, High_Byte_Follows), Row::High_Byte,
                         &h.sub_value, h.sub_value);
    case 29:
        return Row::of(both0(0x08000000) && h_bit(0x001), &h.h[0]);
    case 30:
        return Row::of(both0(0x08000000) && h_bit(0x002), &h.h[1]);
    case 31:
        return Row::of(both0(0x10000000) && h_bit(0x010), &h.h[2]);
    case 32:
        return Row::of(both0(0x10000000) && h_bit(0x020), &h.h[3]);
    case 33:
        return Row::of(both0(0x10000000) && h_bit(0x400), &h.h[4]);
    case 34:
        return Row::of(both0(0x10000000) && h_bit(0x100), &h.h[5]);
    case 35:
        return Row::of(both0(0x10000000) && h_bit(0x200), &h.h[6]);
    case 36:
        return Row::of(both0(0x10000000) && h_bit(0x040), &h.h[7]);
    case 37:
        return Row::of(t_block, &t.sub_mask);
    case 38:
        return Row::of(t_block, &t.sub_value);
    case 39:
        return Row::of(t_sub(0x00080000), &t.t1);
    case 40:
        return Row::of(t_bit(0x0080), t.t9, 6);
    case 41:
        return Row::list(t_bit(0x00010000), &t.t10.count);
    case 42:
        return Row::of(t_bit(0x00010000), t.t10.values, t.t10.count);
    case 43:
        return Row::of(t_bit(0x0800), &t.t5);
    case 44:
        return Row::of(t_bit(0x00020000), &t.t12);
    case 45:
        return Row::of(t_bit(0x2000), &t.t8);
    case 46:
        return Row::of(t_sub(0x0400), &t.t7);
    case 47:
        return Row::of(t_sub(0x1000), &t.t6);
    case 48:
        return Row::list(t_sub(0x0100), &t.t2.count);
    case 49:
        return Row::of(t_sub(0x0100), t.t2.values, t.t2.count);
    case 50:
        return Row::list(t_sub(0x0200), &t.t3.count);
    case 51:
        return Row::of(t_sub(0x0200), t.t3.values, t.t3.count);
    case 52:
        return Row::of(t_sub(0x0200) && w.version >= T4_Since_Version, &t.t4);
    case 53:
        return Row::of(t_bit(0x8000), &t.t11);
    case 54:
        return Row::of(u_first(0x01), &u.u1);
    case 55:
        return Row::list(u_first(0x01) && bit(u.u1, 0x01), &u.u2_count);
    case 56:
        return Row::of(u_first(0x01) && bit(u.u1, 0x01), u.u2, u.u2_count);
    case 57:
        return Row::of(u_rest(0x02), &u.u3);
    case 58:
        return Row::of(u_rest(0x08), &u.u4);
    case 59:
        return Row::of(u_rest(0x08) && bit(u.u4, 0x01), &u.u5);
    case 60:
        return Row::of(u_rest(0x08) && bit(u.u4, 0x02), &u.u6);
    case 61:
        return Row::of(u_rest(0x10), u.u7, 2);
    default:
        return Row{};
    }
}

TK_Status TK_Rendering_Options::Write(BStreamFileToolkit& tk)
{
    m_written = WrittenWords(tk.GetTargetVersion());
    if (m_stage == 0)
    {
        for (int const count : {t.t2.count, t.t3.count, t.t10.count, u.u2_count})
            if (count < 0 || count > List_Capacity)
                return tk.ErrorF("rendering options list of %d entries; at most %d fit", count,
                                 List_Capacity);
        TK_TRY(PutOpcode(tk));
        ++m_stage;
    }
    if (m_stage < 1 || m_stage > Rows)
        return tk.Error();
    for (; m_stage <= Rows; ++m_stage)
    {
        Row const step = row(m_stage, m_written, false);
        switch (step.kind)
        {
        case Row::Absent:
            break;
        case Row::Values:
            TK_TRY(PutData(tk, step.values, step.count));
            break;
        case Row::Bytes:
            TK_TRY(PutData(tk, step.bytes, step.count));
            break;
        case Row::Low_Byte:
        case Row::High_Byte:
            TK_TRY(PutData(tk, step.byte));
            break;
        case Row::List_Count:
            TK_TRY(PutData(tk, static_cast<unsigned char>(*step.list_count)));
            break;
        }
    }
    m_stage = -1;
    return TK_Done;
}

TK_Status TK_Rendering_Options::Read(BStreamFileToolkit& tk)
{
    if (m_stage == 0)
        m_stage = 1;
    if (m_stage < 1 || m_stage > Rows)
        return tk.Error();
    for (; m_stage <= Rows; ++m_stage)
    {
        Words const as_read{mask[0], mask[1], h.sub_mask, tk.GetReadVersion()};
        Row const step = row(m_stage, as_read, true);
        switch (step.kind)
        {
        case Row::Absent:
            break;
        case Row::Values:
            TK_TRY(GetData(tk, step.values, step.count));
            break;
        case Row::Bytes:
            TK_TRY(GetData(tk, step.bytes, step.count));
            break;
        case Row::Low_Byte:
        {
            unsigned char byte = 0;
            TK_TRY(GetData(tk, byte));
            *step.half = byte;
            break;
        }
        case Row::High_Byte:
        {
            unsigned char byte = 0;
            TK_TRY(GetData(tk, byte));
            *step.half = static_cast<std::uint16_t>(*step.half | byte << 8);
            break;
        }
        case Row::List_Count:
        {
            signed char count = 0;
            TK_TRY(GetData(tk, reinterpret_cast<char&>(count)));
            TK_TRY(CheckCount(tk, count, "bad Rendering_Options list count", List_Capacity));
            *step.list_count = count;
            break;
        }
        }
        if (m_stage == 2 && !bit(mask[0], Extended))
            mask[1] = value[1] = 0;
        if (m_stage == 50 && step.kind == Row::List_Count && tk.GetReadVersion() < T4_Since_Version)
            t.t4 = T4_Default;
    }
    m_stage = -1;
    return TK_Done;
}
