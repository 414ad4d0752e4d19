#include "dwf/w2dtk/block_ref.h"

#include "dwf/w2dtk/directory.h"
#include "dwf/w2dtk/file.h"

#include <cstring>
#include <string>

namespace
{
enum Kind
{
    Offset,
    Size,
    Guid,
    Time,
    Encryption,
    Flag,
    Meaning,
    Integer,
    Real,
    Orientation,
    Short,
    Alignment,
    Real_Pair,
    Points,
    Password,
    Triple,
    Matrix,
};

struct Property
{
    Kind kind;
    int index; // which GUID, time, flag, ... (1-based; reals 0-based)
    std::uint32_t binary_size;
};

// Rows 1 to 36 (row 0 unused), in stream order.
const Property Properties[WT_Block_Ref::Property_Count + 1] = {
    {Offset, 0, 0},     {Offset, 0, 4},     {Size, 0, 4},        {Guid, 1, 24},
    {Time, 1, 16},      {Time, 2, 16},      {Encryption, 0, 10}, {Flag, 1, 1},
    {Flag, 2, 1},       {Meaning, 0, 10},   {Guid, 2, 24},       {Guid, 3, 24},
    {Integer, 1, 4},    {Time, 3, 16},      {Guid, 4, 24},       {Time, 4, 16},
    {Flag, 3, 1},       {Time, 5, 16},      {Guid, 5, 24},       {Time, 6, 16},
    {Guid, 6, 24},      {Time, 7, 16},      {Integer, 2, 4},     {Flag, 4, 1},
    {Flag, 5, 1},       {Flag, 6, 1},       {Real, 0, 8},        {Orientation, 0, 10},
    {Short, 1, 2},      {Alignment, 0, 10}, {Real_Pair, 1, 16},  {Short, 2, 2},
    {Real_Pair, 3, 16}, {Points, 0, 16},    {Password, 0, 40},   {Triple, 0, 12},
    {Matrix, 0, 128},
};

bool in(std::uint16_t format, int low, int high)
{
    return format >= low && format <= high;
}

bool is_nested(Kind kind)
{
    switch (kind)
    {
    case Guid:
    case Time:
    case Encryption:
    case Meaning:
    case Orientation:
    case Alignment:
    case Password:
        return true;
    default:
        return false;
    }
}

// Last property row read; 37 stands for the closing byte.
constexpr int Closing_Stage = WT_Block_Ref::Property_Count + 1;
constexpr int Max_Word = 40;

// The stream's write position.
WT_Result tell(WT_File& file, unsigned long& position)
{
    WT_File::Stream_Tell_Action action = file.stream_tell_action();
    if (!action)
        return WT_Result_Stream_Failure;
    return action(file, position);
}
} // namespace

WT_Block_Ref::WT_Block_Ref()
{
    set_format(Null);
}

WT_Block_Ref::WT_Block_Ref(std::uint16_t format)
{
    set_format(format);
}

WT_Block_Ref::WT_Block_Ref(const WT_Block_Ref& other) : WT_Item(other), WT_Attribute(other)
{
    copy_from(other);
}

WT_Block_Ref& WT_Block_Ref::operator=(const WT_Block_Ref& other)
{
    if (this != &other)
    {
        WT_Attribute::operator=(other);
        copy_from(other);
    }
    return *this;
}

void WT_Block_Ref::copy_from(const WT_Block_Ref& other)
{
    m_format = other.m_format;
    m_entry_size = other.m_entry_size;
    m_file_offset = other.m_file_offset;
    m_block_size = other.m_block_size;
    m_guids = other.m_guids;
    m_times = other.m_times;
    m_flags = other.m_flags;
    m_integers = other.m_integers;
    m_shorts = other.m_shorts;
    m_reals = other.m_reals;
    m_points = other.m_points;
    m_triple = other.m_triple;
    m_encryption = other.m_encryption;
    m_meaning = other.m_meaning;
    m_orientation = other.m_orientation;
    m_alignment = other.m_alignment;
    m_password = other.m_password;
    m_matrix = other.m_matrix;
    m_stage = 0;
    m_step = 0;
}

void WT_Block_Ref::set_format(std::uint16_t format)
{
    m_format = format;
    m_entry_size = binary_operand_size(true) + 5;
}

const char* WT_Block_Ref::format_word(std::uint16_t format)
{
    static const char* const words[] = {
        "Graphics_Hdr", "Overlay_Hdr", "Redline_Hdr", "Thumbnail", "Preview", "Overlay_Preview",
        "EmbedFont",    "Graphics",    "Overlay",     "Redline",   "User",    "Null",
        "Global_Sheet", "Global",      "Signature"};
    if (!in(format, Graphics_Hdr, Signature))
        return nullptr;
    return words[format - Graphics_Hdr];
}

bool WT_Block_Ref::carries(std::uint16_t format, int property)
{
    if (property == 1 || property == 2)
        return true;
    if (!in(format, Graphics_Hdr, Signature))
        return false;
    switch (property)
    {
    case 3:
    case 4:
    case 5:
        return format != Null;
    case 6:
    case 22:
        return in(format, Graphics_Hdr, Overlay_Preview);
    case 7:
        return true;
    case 8:
        return in(format, Graphics_Hdr, Redline_Hdr) || format == Null;
    case 9:
        return format == Overlay_Hdr;
    case 10:
        return in(format, Overlay_Hdr, Overlay_Preview) || format == User || format == Signature;
    case 11:
        return format == Overlay_Preview;
    case 12:
    case 13:
        return format == Global_Sheet;
    case 34:
        return format == Overlay_Hdr || format == Redline_Hdr;
    case 35:
    case 36:
        return in(format, Thumbnail, Overlay_Preview);
    default:
        if (property >= 14 && property <= 21)
            return format == Global;
        if (property >= 23 && property <= 33)
            return in(format, Graphics_Hdr, Redline_Hdr);
        return false;
    }
}

std::uint32_t WT_Block_Ref::binary_operand_size(bool with_offset) const
{
    std::uint32_t size = 2 + (with_offset ? 4 : 0) + 4;
    for (int p = 3; p <= Property_Count; ++p)
        if (carries(m_format, p))
            size += Properties[p].binary_size;
    return size + 1;
}

// ---------------------------------------------------------------- writing

WT_Result WT_Block_Ref::write_property(WT_File& file, int property) const
{
    Property const& row = Properties[property];
    bool const binary = file.binary_output();
    if (is_nested(row.kind) && !binary)
        WT_CHECK(file.write(" "));
    switch (row.kind)
    {
    case Offset:
        return WT_Result_Success;
    case Size:
        WT_CHECK(binary ? file.write_u32(m_block_size) : file.write_padded_ascii(m_block_size));
        break;
    case Guid:
        WT_CHECK(m_guids[std::size_t(row.index - 1)].write_field(file));
        break;
    case Time:
        WT_CHECK(m_times[std::size_t(row.index - 1)].write_field(file));
        break;
    case Encryption:
        WT_CHECK(m_encryption.write_field(file));
        break;
    case Meaning:
        WT_CHECK(m_meaning.write_field(file));
        break;
    case Orientation:
        WT_CHECK(m_orientation.write_field(file));
        break;
    case Alignment:
        WT_CHECK(m_alignment.write_field(file));
        break;
    case Password:
        WT_CHECK(m_password.write_field(file));
        break;
    case Flag:
        WT_CHECK(file.write(m_flags[std::size_t(row.index - 1)] ? "1" : "0"));
        break;
    case Integer:
    {
        std::int32_t const v = m_integers[std::size_t(row.index - 1)];
        WT_CHECK(binary ? file.write_s32(v) : file.write_padded_ascii(v));
        break;
    }
    case Short:
    {
        std::int16_t const v = m_shorts[std::size_t(row.index - 1)];
        WT_CHECK(binary ? file.write_s16(v) : file.write_ascii_width6(v));
        break;
    }
    case Real:
        WT_CHECK(binary ? file.write_double(m_reals[0]) : file.write_padded_ascii(m_reals[0]));
        break;
    case Real_Pair:
        for (int i = 0; i < 2; ++i)
        {
            double const v = m_reals[std::size_t(row.index + i)];
            WT_CHECK(binary ? file.write_double(v) : file.write_padded_ascii(v));
            if (!binary && i == 0)
                WT_CHECK(file.write(" "));
        }
        break;
    case Points:
        for (int i = 0; i < 2; ++i)
        {
            if (binary)
            {
                WT_CHECK(file.write_s32(m_points[std::size_t(i)].m_x));
                WT_CHECK(file.write_s32(m_points[std::size_t(i)].m_y));
            }
            else
            {
                WT_CHECK(file.write_ascii(m_points[std::size_t(i)]));
                if (i == 0)
                    WT_CHECK(file.write(" "));
            }
        }
        break;
    case Triple:
        for (int i = 0; i < 3; ++i)
        {
            WT_CHECK(binary ? file.write_s32(m_triple[std::size_t(i)])
                            : file.write_padded_ascii(m_triple[std::size_t(i)]));
            if (!binary && i < 2)
                WT_CHECK(file.write(" "));
        }
        break;
    case Matrix:
        if (binary)
            WT_CHECK(file.write(16, m_matrix.elements().data()));
        else
            WT_CHECK(m_matrix.serialize(file));
        break;
    }
    return binary ? WT_Result_Success : file.write(" ");
}

WT_Result WT_Block_Ref::serialize(WT_File& file)
{
    return serialize(file, false, false);
}

WT_Result WT_Block_Ref::serialize(WT_File& file, bool inside_directory, bool rewrite)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    bool const binary = file.binary_output();
    if (!binary && !format_word(m_format))
        return WT_Result_Not_Available;
    WT_CHECK(file.dump_delayed_drawable());

    // A reference always stands uncompressed at a known offset.
    WT_File::WT_File_Heuristics& choices = file.heuristics();
    bool const compress = choices.m_allow_data_compression;
    choices.m_allow_data_compression = false;
    bool const joins = !inside_directory && !rewrite;

    auto body = [&]() -> WT_Result
    {
        WT_Directory& directory = file.directory();
        auto take_offset = [&](unsigned long back) -> WT_Result
        {
            unsigned long position = 0;
            WT_CHECK(tell(file, position));
            if (position < back || position - back > 0xFFFFFFFFul)
                return WT_Result_Stream_Failure;
            m_file_offset = std::uint32_t(position - back);
            // The previous block ends where this one starts.
            if (WT_Block_Ref* last = directory.last())
                last->set_block_size(m_file_offset - last->file_offset());
            return WT_Result_Success;
        };
        if (binary)
        {
            WT_CHECK(file.write("{"));
            if (joins)
                WT_CHECK(take_offset(1));
            WT_CHECK(file.write_u32(binary_operand_size(inside_directory)));
            WT_CHECK(file.write_u16(m_format));
            if (inside_directory)
                WT_CHECK(file.write_u32(m_file_offset));
        }
        else
        {
            WT_CHECK(file.write_tab_level());
            if (joins)
                WT_CHECK(take_offset(2 + unsigned(file.tab_level())));
            WT_CHECK(file.write("(BlockRef "));
            WT_CHECK(file.write_quoted_string(format_word(m_format), true));
            WT_CHECK(file.write(" "));
            if (inside_directory)
            {
                WT_CHECK(file.write_padded_ascii(m_file_offset));
                WT_CHECK(file.write(" "));
            }
        }
        for (int p = 2; p <= Property_Count; ++p)
            if (carries(m_format, p))
                WT_CHECK(write_property(file, p));
        return file.write(binary ? "}" : ")");
    };
    WT_Result result = body();
    choices.m_allow_data_compression = compress;
    WT_CHECK(result);
    if (joins)
        return file.directory().add(*this);
    return WT_Result_Success;
}

WT_Result WT_Block_Ref::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    if (*this == current.block_ref())
        return WT_Result_Success;
    current.block_ref() = *this;
    return serialize(file);
}

WT_Result WT_Block_Ref::record_as_last_written(WT_File& file) const
{
    file.rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    file.rendition().block_ref() = *this;
    return WT_Result_Success;
}

bool WT_Block_Ref::operator==(const WT_Attribute& other_attribute) const
{
    if (other_attribute.object_id() != Block_Ref_ID)
        return false;
    auto const& other = static_cast<const WT_Block_Ref&>(other_attribute);
    if (other.m_format != m_format)
        return false;
    for (int p = 3; p <= Property_Count; ++p)
    {
        if (!carries(m_format, p))
            continue;
        Property const& row = Properties[p];
        std::size_t const i = std::size_t(row.index > 0 ? row.index - 1 : 0);
        bool same = true;
        switch (row.kind)
        {
        case Guid:
            same = m_guids[i] == other.m_guids[i];
            break;
        case Time:
            same = m_times[i] == other.m_times[i];
            break;
        case Encryption:
            same = m_encryption == other.m_encryption;
            break;
        case Meaning:
            same = m_meaning == other.m_meaning;
            break;
        case Orientation:
            same = m_orientation == other.m_orientation;
            break;
        case Alignment:
            same = m_alignment == other.m_alignment;
            break;
        case Password:
            same = m_password == other.m_password;
            break;
        case Flag:
            same = m_flags[i] == other.m_flags[i];
            break;
        case Integer:
            same = m_integers[i] == other.m_integers[i];
            break;
        case Short:
            same = m_shorts[i] == other.m_shorts[i];
            break;
        case Real:
            same = m_reals[0] == other.m_reals[0];
            break;
        case Real_Pair:
            same = m_reals[std::size_t(row.index)] == other.m_reals[std::size_t(row.index)] &&
                   m_reals[std::size_t(row.index + 1)] == other.m_reals[std::size_t(row.index + 1)];
            break;
        case Points:
            same = m_points == other.m_points;
            break;
        case Triple:
            same = m_triple == other.m_triple;
            break;
        case Matrix:
            same = m_matrix == other.m_matrix;
            break;
        default:
            break;
        }
        if (!same)
            return false;
    }
    return true;
}

WT_Result WT_Block_Ref::default_process(WT_File& file)
{
    file.rendition().block_ref() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    return WT_Result_Success;
}

// ---------------------------------------------------------------- reading

WT_Result WT_Block_Ref::read_nested(WT_File& file, WT_Object& member, std::uint16_t number,
                                    const char* name)
{
    if (m_step == 0)
    {
        WT_CHECK(m_scratch.get_opcode(file));
        bool const fits = m_scratch.type() == WT_Opcode::Extended_Binary
                              ? m_scratch.binary_number() == number
                              : m_scratch.type() == WT_Opcode::Extended_ASCII && m_scratch.is(name);
        if (!fits)
            return WT_Result_Corrupt_Stream;
        m_step = 1;
    }
    WT_CHECK(member.materialize(m_scratch, file));
    m_step = 0;
    return WT_Result_Success;
}

WT_Result WT_Block_Ref::read_property(const WT_Opcode& opcode, WT_File& file, int property)
{
    Property const& row = Properties[property];
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    std::size_t const i = std::size_t(row.index > 0 ? row.index - 1 : 0);
    auto read_separator = [&file]() -> WT_Result
    {
        std::uint8_t c = 0;
        WT_CHECK(file.read_byte(c));
        return c == ' ' ? WT_Result_Success : WT_Result_Corrupt_Stream;
    };
    // "first second" in steps, so that a stream that runs dry between the two
    // resumes where it stopped.
    auto read_ascii_pair = [this, &file, &read_separator](auto& first, auto& second) -> WT_Result
    {
        if (m_step == 0)
        {
            WT_CHECK(file.read_ascii(first));
            m_step = 1;
        }
        if (m_step == 1)
        {
            WT_Result r = read_separator();
            if (r != WT_Result_Success)
            {
                if (r != WT_Result_Waiting_For_Data)
                    m_step = 0;
                return r;
            }
            m_step = 2;
        }
        WT_CHECK(file.read_ascii(second));
        m_step = 0;
        return WT_Result_Success;
    };
    switch (row.kind)
    {
    case Offset:
        return binary ? file.read_u32(m_file_offset) : file.read_ascii(m_file_offset);
    case Size:
        return binary ? file.read_u32(m_block_size) : file.read_ascii(m_block_size);
    case Guid:
        return read_nested(file, m_guids[i], 330, "(Guid");
    case Time:
        return read_nested(file, m_times[i], 333, "(Time");
    case Encryption:
        return read_nested(file, m_encryption, 323, "(Encryption");
    case Meaning:
        return read_nested(file, m_meaning, 322, "(BlockMeaning");
    case Orientation:
        return read_nested(file, m_orientation, 325, "(Orientation");
    case Alignment:
        return read_nested(file, m_alignment, 327, "(Alignment");
    case Password:
        return read_nested(file, m_password, 331, "(Psswd");
    case Flag:
        if (binary)
        {
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            // Any other byte leaves the flag as it was.
            if (c == '1' || c == '0')
                m_flags[i] = c == '1';
        }
        else
        {
            std::uint16_t v = 0;
            WT_CHECK(file.read_ascii(v));
            m_flags[i] = v == 1;
        }
        return WT_Result_Success;
    case Integer:
        return binary ? file.read_s32(m_integers[i]) : file.read_ascii(m_integers[i]);
    case Short:
        return binary ? file.read_s16(m_shorts[i]) : file.read_ascii(m_shorts[i]);
    case Real:
        return binary ? file.read_double(m_reals[0]) : file.read_ascii(m_reals[0]);
    case Real_Pair:
    {
        double* pair = &m_reals[std::size_t(row.index)];
        if (binary)
            return file.read(2, pair);
        return read_ascii_pair(pair[0], pair[1]);
    }
    case Points:
        if (binary)
        {
            std::int32_t v[4];
            WT_CHECK(file.read(4, v));
            m_points[0] = WT_Logical_Point(v[0], v[1]);
            m_points[1] = WT_Logical_Point(v[2], v[3]);
            return WT_Result_Success;
        }
        return read_ascii_pair(m_points[0], m_points[1]);
    case Triple:
        if (binary)
            return file.read(3, m_triple.data());
        while (m_step < 3)
        {
            WT_CHECK(file.read_ascii(m_triple[std::size_t(m_step)]));
            ++m_step;
        }
        m_step = 0;
        return WT_Result_Success;
    case Matrix:
    {
        if (!binary)
            return m_matrix.materialize(file);
        double v[16];
        WT_CHECK(file.read(16, v));
        for (int k = 0; k < 16; ++k)
            m_matrix.element(k) = v[k];
        return WT_Result_Success;
    }
    }
    return WT_Result_Success;
}

WT_Result WT_Block_Ref::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return materialize(opcode, file, false);
}

WT_Result WT_Block_Ref::materialize(const WT_Opcode& opcode, WT_File& file, bool with_offset)
{
    bool known = false;
    WT_CHECK(read_operand(opcode, file, with_offset, known));
    if (!known)
        return WT_Result_Success; // an unknown format word leaves the reference as it was
    set_materialized();
    if (!with_offset)
    {
        WT_CHECK(file.directory().add(*this));
        file.desired_rendition().block_ref() = *this;
        file.desired_rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    }
    return WT_Result_Success;
}

WT_Result WT_Block_Ref::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    // Read rather than scanned: the password's raw bytes may hold quotes and
    // parentheses. Nothing read is kept by the file.
    bool known = false;
    return read_operand(opcode, file, false, known);
}

WT_Result WT_Block_Ref::read_operand(const WT_Opcode& opcode, WT_File& file, bool with_offset,
                                     bool& known)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Not_Available;
    auto fail = [this](WT_Result result)
    {
        if (result != WT_Result_Waiting_For_Data)
        {
            m_stage = 0;
            m_step = 0;
            m_unknown_word = false;
        }
        return result;
    };

    if (m_stage == 0)
    {
        m_unknown_word = false;
        if (binary)
        {
            std::uint16_t const number = opcode.binary_number();
            if (number < Graphics_Hdr || number > BlockRef)
                return WT_Result_Not_Available;
            set_format(number);
            // Every property has a fixed size, so the frame must match exactly.
            if (opcode.binary_size() != binary_operand_size(with_offset))
                return WT_Result_Inconsistent_Operand;
            m_stage = with_offset ? 1 : 2;
        }
        else
        {
            std::string word;
            WT_Result result = file.read_ascii_string(Max_Word, word);
            if (result != WT_Result_Success)
                return fail(result);
            std::uint16_t found = 0;
            for (std::uint16_t f = Graphics_Hdr; f <= Signature && found == 0; ++f)
                if (word == format_word(f))
                    found = f;
            if (found == 0)
            {
                m_unknown_word = true;
                m_stage = Closing_Stage;
            }
            else
            {
                set_format(found);
                m_stage = with_offset ? 1 : 2;
            }
        }
    }
    while (m_stage < Closing_Stage)
    {
        if (carries(m_format, m_stage))
        {
            WT_Result result = read_property(opcode, file, m_stage);
            if (result != WT_Result_Success)
                return fail(result);
        }
        ++m_stage;
    }
    WT_Result const closed = binary ? wt_read_closing_brace(file) : opcode.skip_operand(file);
    if (closed != WT_Result_Success)
        return fail(closed);
    known = !m_unknown_word;
    m_stage = 0;
    m_step = 0;
    m_unknown_word = false;
    return WT_Result_Success;
}
