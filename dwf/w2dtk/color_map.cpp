#include "dwf/w2dtk/color_map.h"

#include "dwf/w2dtk/background.h"
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <array>

namespace
{
// Red, green and blue of the older default table (alpha is always 255).
constexpr std::uint32_t Older_Table[256] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF, 0x000000, 0x808080,
    0xDCDCDC, 0xFF0000, 0xFF7F7F, 0xDD0000, 0xDD6E6E, 0xB80000, 0xB85C5C, 0x950000, 0x954A4A,
    0x720000, 0x723939, 0xFF3F00, 0xFF9F7F, 0xDD3700, 0xDD8A6E, 0xB82E00, 0xB8735C, 0x952500,
    0x955D4A, 0x721C00, 0x724739, 0xFF7F00, 0xFFBF7F, 0xDD6E00, 0xDDA56E, 0xB85C00, 0xB88A5C,
    0x954A00, 0x95704A, 0x723900, 0x725639, 0xFFBF00, 0xFFDF7F, 0xDDA500, 0xDDC16E, 0xB88A00,
    0xB8A15C, 0x957000, 0x95834A, 0x725600, 0x726439, 0xFFFF00, 0xFFFF7F, 0xDDDD00, 0xDDDD6E,
    0xB8B800, 0xB8B85C, 0x959500, 0x95954A, 0x727200, 0x727239, 0xBFFF00, 0xDFFF7F, 0xA5DD00,
    0xC1DD6E, 0x8AB800, 0xA1B85C, 0x709500, 0x83954A, 0x567200, 0x647239, 0x7FFF00, 0xBFFF7F,
    0x6EDD00, 0xA5DD6E, 0x5CB800, 0x8AB85C, 0x4A9500, 0x70954A, 0x397200, 0x567239, 0x3FFF00,
    0x9FFF7F, 0x37DD00, 0x8ADD6E, 0x2EB800, 0x73B85C, 0x259500, 0x5D954A, 0x1C7200, 0x477239,
    0x00FF00, 0x7FFF7F, 0x00DD00, 0x6EDD6E, 0x00B800, 0x5CB85C, 0x009500, 0x4A954A, 0x007200,
    0x397239, 0x00FF3F, 0x7FFF9F, 0x00DD37, 0x6EDD8A, 0x00B82E, 0x5CB873, 0x009525, 0x4A955D,
    0x00721C, 0x397247, 0x00FF7F, 0x7FFFBF, 0x00DD6E, 0x6EDDA5, 0x00B85C, 0x5CB88A, 0x00954A,
    0x4A9570, 0x007239, 0x397256, 0x00FFBF, 0x7FFFDF, 0x00DDA5, 0x6EDDC1, 0x00B88A, 0x5CB8A1,
    0x009570, 0x4A9583, 0x007256, 0x397264, 0x00FFFF, 0x7FFFFF, 0x00DDDD, 0x6EDDDD, 0x00B8B8,
    0x5CB8B8, 0x009595, 0x4A9595, 0x007272, 0x397272, 0x00BFFF, 0x7FDFFF, 0x00A5DD, 0x6EC1DD,
    0x008AB8, 0x5CA1B8, 0x007095, 0x4A8395, 0x005672, 0x396472, 0x007FFF, 0x7FBFFF, 0x006EDD,
    0x6EA5DD, 0x005CB8, 0x5C8AB8, 0x004A95, 0x4A7095, 0x003972, 0x395672, 0x003FFF, 0x7F9FFF,
    0x0037DD, 0x6E8ADD, 0x002EB8, 0x5C73B8, 0x002595, 0x4A5D95, 0x001C72, 0x394772, 0x0000FF,
    0x7F7FFF, 0x0000DD, 0x6E6EDD, 0x0000B8, 0x5C5CB8, 0x000095, 0x4A4A95, 0x000072, 0x393972,
    0x3F00FF, 0x9F7FFF, 0x3700DD, 0x8A6EDD, 0x2E00B8, 0x735CB8, 0x250095, 0x5D4A95, 0x1C0072,
    0x473972, 0x7F00FF, 0xBF7FFF, 0x6E00DD, 0xA56EDD, 0x5C00B8, 0x8A5CB8, 0x4A0095, 0x704A95,
    0x390072, 0x563972, 0xBF00FF, 0xDF7FFF, 0xA500DD, 0xC16EDD, 0x8A00B8, 0xA15CB8, 0x700095,
    0x834A95, 0x560072, 0x643972, 0xFF00FF, 0xFF7FFF, 0xDD00DD, 0xDD6EDD, 0xB800B8, 0xB85CB8,
    0x950095, 0x954A95, 0x720072, 0x723972, 0xFF00BF, 0xFF7FDF, 0xDD00A5, 0xDD6EC1, 0xB8008A,
    0xB85CA1, 0x950070, 0x954A83, 0x720056, 0x723964, 0xFF007F, 0xFF7FBF, 0xDD006E, 0xDD6EA5,
    0xB8005C, 0xB85C8A, 0x95004A, 0x954A70, 0x720039, 0x723956, 0xFF003F, 0xFF7F9F, 0xDD0037,
    0xDD6E8A, 0xB8002E, 0xB85C73, 0x950025, 0x954A5D, 0x72001C, 0x723947, 0x545454, 0x767676,
    0x989898, 0xBABABA, 0xDCDCDC, 0xFFFFFF,
};

// The current default table: ten fixed colours, the 6 × 6 × 6 cube at
// 10 + 36r + 6g + b, and thirty fixed colours (greys and primaries) at the end.
constexpr std::uint32_t Current_Fixed_Head[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                                  0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
constexpr std::uint32_t Current_Fixed_Tail[30] = {
    0x000000, 0x0D0D0D, 0x1A1A1A, 0x282828, 0x353535, 0x434343, 0x505050, 0x5D5D5D,
    0x6B6B6B, 0x787878, 0x868686, 0x939393, 0xA1A1A1, 0xAEAEAE, 0xBBBBBB, 0xC9C9C9,
    0xD6D6D6, 0xE4E4E4, 0xF1F1F1, 0xFFFFFF, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
    0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

WT_RGBA32 opaque(std::uint32_t rgb)
{
    return WT_RGBA32(0xFF000000u | rgb);
}

const std::array<WT_RGBA32, 256>& current_table()
{
    static const std::array<WT_RGBA32, 256> table = []
    {
        std::array<WT_RGBA32, 256> t;
        for (int i = 0; i < 10; ++i)
            t[std::size_t(i)] = opaque(Current_Fixed_Head[i]);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    t[std::size_t(10 + 36 * r + 6 * g + b)] = WT_RGBA32(51 * r, 51 * g, 51 * b);
        for (int i = 0; i < 30; ++i)
            t[std::size_t(226 + i)] = opaque(Current_Fixed_Tail[i]);
        return t;
    }();
    return table;
}
} // namespace

WT_Color_Map::WT_Color_Map(int file_version) : m_entries(256)
{
    if (file_version >= Current_Table_Version)
        m_entries.assign(current_table().begin(), current_table().end());
    else
        for (std::size_t i = 0; i < 256; ++i)
            m_entries[i] = opaque(Older_Table[i]);
}

void WT_Color_Map::set(int count, const WT_RGBA32* entries, WT_File& file)
{
    if (count < 0 || (count > 0 && !entries))
        throw WT_Result_Usage_Error;
    m_entries.assign(entries, entries + count);
    m_incarnation = file.next_object_serial();
    m_stage = 0;
}

void WT_Color_Map::clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_incarnation = -2;
    m_stage = 0;
}

int WT_Color_Map::nearest_index(const WT_Color& color) const
{
    if (size() < 1)
        return -1;
    int const index = color.index();
    if (index >= 0 && index < size() && map(index) == color.rgba())
        return index;
    return nearest_index(color.rgba());
}

int WT_Color_Map::nearest_index(WT_RGBA32 rgba) const
{
    int best = -1;
    long best_distance = 524288;
    for (int i = 0; i < size(); ++i)
    {
        WT_RGBA32 const e = map(i);
        long const dr = e.red() - rgba.red();
        long const dg = e.green() - rgba.green();
        long const db = e.blue() - rgba.blue();
        long const da = e.alpha() - rgba.alpha();
        long const distance = dr * dr + dg * dg + db * db + da * da;
        if (distance < best_distance)
        {
            best_distance = distance;
            best = i;
        }
    }
    return best;
}

WT_Result WT_Color_Map::serialize_binary_operand(WT_File& file) const
{
    if (!fits_binary_operand())
        return WT_Result_Usage_Error;
    WT_CHECK(file.write_byte(std::uint8_t(size() == 256 ? 0 : size())));
    for (WT_RGBA32 e : m_entries)
        WT_CHECK(file.write_rgba(e));
    return WT_Result_Success;
}

WT_Result WT_Color_Map::materialize_binary_operand(WT_File& file)
{
    if (m_stage == 0)
    {
        std::uint8_t count = 0;
        WT_CHECK(file.read_byte(count));
        m_expected = count == 0 ? 256 : count;
        m_entries.clear();
        m_stage = 1;
    }
    while (long(m_entries.size()) < m_expected)
    {
        WT_RGBA32 e;
        WT_CHECK(file.read_rgba(e));
        m_entries.push_back(e);
    }
    m_stage = 0;
    return WT_Result_Success;
}

WT_Result WT_Color_Map::background_for_old_streams(WT_File& file)
{
    // Streams before version 0.25 have no background opcode: their colour
    // map's first entry is the background.
    if (file.stream_version() >= 25 || size() < 1)
        return WT_Result_Success;
    WT_Background background{WT_Color(map(0))};
    return background.process(file);
}

WT_Result WT_Color_Map::materialize(const WT_Opcode& opcode, WT_File& file)
{
    enum
    {
        Start = 0,
        Count = 1,
        Entries = 2,
        Close = 3,
        Binary = 10,
        Binary_Close = 11,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Start:
            m_incarnation = file.next_object_serial();
            if (opcode.type() == WT_Opcode::Extended_ASCII)
                m_stage = Count;
            else if (opcode.type() == WT_Opcode::Extended_Binary)
            {
                m_stage = Binary;
                m_expected = 0;
            }
            else
                return WT_Result_Foreign_Opcode;
            break;
        case Count:
        {
            std::int32_t count = 0;
            WT_CHECK(file.read_ascii(count));
            if (count < 0 || count > Max_Entries)
            {
                m_stage = Start;
                return WT_Result_Corrupt_Stream;
            }
            m_expected = count;
            m_entries.clear();
            m_stage = Entries;
            break;
        }
        case Entries:
            // One entry at a time: memory follows what the stream really holds.
            while (long(m_entries.size()) < m_expected)
            {
                WT_RGBA32 e;
                WT_Result result = file.read_ascii(e, false);
                if (result == WT_Result_Corrupt_Stream)
                    m_stage = Start;
                WT_CHECK(result);
                m_entries.push_back(e);
            }
            m_stage = Close;
            break;
        case Close:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = Start;
            set_materialized();
            return background_for_old_streams(file);
        case Binary:
        {
            // Binary map operands carry 1 to 256 entries; the frame must cover
            // exactly the number, the count byte, the entries and the "}".
            if (m_expected == 0)
            {
                std::uint8_t count = 0;
                WT_CHECK(file.read_byte(count));
                m_expected = count == 0 ? 256 : count;
                if (opcode.binary_size() != std::uint32_t(4 * m_expected + 4))
                {
                    m_stage = Start;
                    return WT_Result_Inconsistent_Operand;
                }
                m_entries.clear();
            }
            while (long(m_entries.size()) < m_expected)
            {
                WT_RGBA32 e;
                WT_CHECK(file.read_rgba(e));
                m_entries.push_back(e);
            }
            m_stage = Binary_Close;
            break;
        }
        default:
        {
            std::uint8_t close = 0;
            WT_CHECK(file.read_byte(close));
            m_stage = Start;
            if (close != '}')
                return WT_Result_Corrupt_Stream;
            set_materialized();
            return background_for_old_streams(file);
        }
        }
    }
}

WT_Result WT_Color_Map::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Extended_ASCII:
        return opcode.skip_operand(file);
    case WT_Opcode::Extended_Binary:
        if (opcode.binary_size() < 2)
            return WT_Result_Inconsistent_Operand;
        file.skip(opcode.binary_size() - 2);
        return WT_Result_Success;
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Color_Map::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if (file.binary_output() && fits_binary_operand())
    {
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(std::uint32_t(4 * size() + 4)));
        WT_CHECK(file.write_u16(1));
        WT_CHECK(serialize_binary_operand(file));
        return file.write("}");
    }
    // Maps of other sizes (none, or more than 256 entries) have only this form,
    // which binary streams accept as well.
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(ColorMap "));
    WT_CHECK(file.write_ascii(std::int32_t(size())));
    for (int i = 0; i < size(); ++i)
    {
        if (i % 4 == 0)
        {
            WT_CHECK(file.write_tab_level());
            WT_CHECK(file.write("\t"));
        }
        else
            WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii_rgba(map(i)));
    }
    return file.write(")");
}

WT_Result WT_Color_Map::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Color_Map_Bit);
    if (*this == current.color_map())
        return WT_Result_Success;
    current.color_map().set(size(), entries(), file);
    return serialize(file);
}

bool WT_Color_Map::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Color_Map_ID)
        return false;
    auto const& map = static_cast<const WT_Color_Map&>(other);
    if (map.size() != size())
        return false;
    // Fresh maps share incarnation -1 whatever table they came from, so only a
    // real incarnation proves equality without looking at the entries.
    if (m_incarnation >= 0 && m_incarnation == map.m_incarnation)
        return true;
    return m_entries == map.m_entries;
}

WT_Result WT_Color_Map::default_process(WT_File& file)
{
    file.rendition().color_map() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
    return WT_Result_Success;
}
