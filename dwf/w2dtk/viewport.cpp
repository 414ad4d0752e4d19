#include "dwf/w2dtk/viewport.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <new>

namespace
{
// Streams from this version on carry contour sets and units in viewports;
// older ones a single list of points.
constexpr int Contour_Version = 42;

// Restores the file's binary choice however the viewport's writing ends.
class ASCII_Scope
{
public:
    explicit ASCII_Scope(WT_File& file)
        : m_file(file), m_binary(file.heuristics().m_allow_binary_data)
    {
        file.set_allow_binary_data(false);
    }
    ~ASCII_Scope() { m_file.set_allow_binary_data(m_binary); }
    ASCII_Scope(const ASCII_Scope&) = delete;
    ASCII_Scope& operator=(const ASCII_Scope&) = delete;

private:
    WT_File& m_file;
    bool m_binary;
};
} // namespace

WT_Result WT_Viewport_Option_Viewport_Units::materialize_option(const WT_Opcode& opcode,
                                                                WT_File& file)
{
    return m_units.materialize_operand(opcode, file);
}

WT_Result WT_Viewport_Option_Viewport_Units::serialize_option(WT_File& file)
{
    return m_units.write_units(file);
}

WT_Viewport::WT_Viewport(WT_File& file, const WT_String& name, const WT_Contour_Set* contours, bool)
    : m_name(name), m_serial(file.next_object_serial())
{
    // The viewport always keeps a copy of its own; the flag is accepted for
    // callers that pass one.
    if (contours)
    {
        try
        {
            m_contours = std::make_unique<WT_Contour_Set>(*contours);
        }
        catch (const std::bad_alloc&)
        {
            throw WT_Result_Out_Of_Memory;
        }
    }
}

WT_Viewport::WT_Viewport(const WT_Viewport& other) : WT_Attribute(other)
{
    *this = other;
}

WT_Viewport& WT_Viewport::operator=(const WT_Viewport& other)
{
    if (this == &other)
        return *this;
    std::unique_ptr<WT_Contour_Set> contours;
    if (other.m_contours)
    {
        try
        {
            contours = std::make_unique<WT_Contour_Set>(*other.m_contours);
        }
        catch (const std::bad_alloc&)
        {
            throw WT_Result_Out_Of_Memory;
        }
    }
    m_contours = std::move(contours);
    m_name = other.m_name;
    m_serial = other.m_serial;
    if (other.m_fields_defined & Units_Defined)
        m_units_option = other.m_units_option;
    m_fields_defined |= other.m_fields_defined;
    set_materialized(other.materialized());
    return *this;
}

bool WT_Viewport::units_differ(const WT_Viewport& other) const
{
    const WT_Units* mine = viewport_units();
    const WT_Units* theirs = other.viewport_units();
    if (!mine || !theirs)
        return mine != theirs;
    return *mine != *theirs;
}

bool WT_Viewport::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Viewport_ID)
        return false;
    auto const& v = static_cast<const WT_Viewport&>(other);
    if (m_serial == v.m_serial)
        return true;
    if (m_name != v.m_name || units_differ(v))
        return false;
    if (!m_contours || !v.m_contours)
        return !m_contours && !v.m_contours;
    return m_contours->same_geometry(*v.m_contours);
}

// ---------------------------------------------------------------- writing

WT_Result WT_Viewport::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    ASCII_Scope ascii(file);
    return write_viewport(file);
}

WT_Result WT_Viewport::write_viewport(WT_File& file)
{
    file.rendition().mark_changed(WT_Attribute_Set::Viewport_Bit);
    WT_CHECK(file.write("(Viewport"));
    if (m_contours && m_contours->contours() > 0)
    {
        WT_CHECK(file.write(" "));
        WT_CHECK(m_name.serialize(file));
        if (file.target_version() >= Contour_Version)
        {
            WT_CHECK(file.write(" "));
            WT_CHECK(m_contours->serialize_contours(file));
            WT_CHECK(file.write(" "));
        }
        else
        {
            // Old streams: the first contour alone, as a bare point list.
            std::int32_t const n = m_contours->counts()[0];
            if (n < 1)
                return WT_Result_Usage_Error;
            WT_CHECK(file.write_continuation_line());
            WT_CHECK(file.write("  "));
            WT_CHECK(file.write_ascii(n));
            for (std::int32_t i = 0; i < n; ++i)
            {
                WT_CHECK(file.write(" "));
                WT_CHECK(file.write_ascii(m_contours->points()[std::size_t(i)]));
            }
        }
    }
    if (viewport_units() && units_differ(file.rendition().viewport()))
    {
        for (int i = 0; i < 5; ++i)
            file.increase_tab_level();
        WT_Result result = m_units_option.serialize_option(file);
        for (int i = 0; i < 5; ++i)
            file.decrease_tab_level();
        WT_CHECK(result);
    }
    return file.write(")");
}

WT_Result WT_Viewport::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Viewport_Bit);
    if (*this == current.viewport())
        return WT_Result_Success;
    WT_CHECK(serialize(file));
    current.viewport() = *this;
    return WT_Result_Success;
}

// ---------------------------------------------------------------- reading

WT_Result WT_Viewport::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII || !opcode.is("(Viewport"))
        return WT_Result_Foreign_Opcode;
    enum
    {
        Start,
        Name,
        Options,
        Contours,
        Units,
        Skip_Option,
        Old_Count,
        Old_Points,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Start:
        {
            WT_CHECK(file.skip_whitespace());
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            file.put_back(c);
            m_serial = file.next_object_serial();
            m_contours.reset();
            m_stage = c == ')' ? Close : Name;
            break;
        }
        case Name:
            WT_CHECK(m_name.materialize(file));
            m_stage = file.rendition().stream_version() >= Contour_Version ? Options : Old_Count;
            break;
        case Options:
            WT_CHECK(m_optioncode.get_opcode(file, true));
            if (m_optioncode.type() == WT_Opcode::Close_Paren)
                m_stage = Close;
            else if (m_optioncode.type() == WT_Opcode::Extended_ASCII &&
                     m_optioncode.is("(Contour"))
            {
                try
                {
                    m_contours = std::make_unique<WT_Contour_Set>();
                }
                catch (const std::bad_alloc&)
                {
                    return WT_Result_Out_Of_Memory;
                }
                m_stage = Contours;
            }
            else if (m_optioncode.option_id_from_optioncode() ==
                     WT_Viewport_Optioncode::Viewport_Units_Option)
                m_stage = Units;
            else if (m_optioncode.type() == WT_Opcode::Extended_ASCII ||
                     m_optioncode.type() == WT_Opcode::Extended_Binary)
                m_stage = Skip_Option;
            // Anything else (a stray word) is passed over.
            break;
        case Contours:
            WT_CHECK(m_contours->materialize(m_optioncode, file));
            m_stage = Options;
            break;
        case Units:
            WT_CHECK(m_units_option.materialize_option(m_optioncode, file));
            m_fields_defined |= Units_Defined;
            m_stage = Options;
            break;
        case Skip_Option:
            WT_CHECK(m_optioncode.skip_operand(file));
            m_stage = Options;
            break;
        case Old_Count:
            WT_CHECK(file.read_ascii(m_old_count));
            if (m_old_count < 1 || m_old_count > WT_Contour_Set::Max_Total_Points)
                return WT_Result_Corrupt_Stream;
            m_old_points.clear();
            m_stage = Old_Points;
            break;
        case Old_Points:
            while (std::int32_t(m_old_points.size()) < m_old_count)
            {
                WT_Logical_Point p;
                WT_CHECK(file.read_ascii(p));
                m_old_points.push_back(p);
            }
            try
            {
                m_contours =
                    std::make_unique<WT_Contour_Set>(file, m_old_count, m_old_points.data());
            }
            catch (...)
            {
                return WT_Result_Out_Of_Memory;
            }
            m_old_points.clear();
            m_stage = Close;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = Start;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Viewport::default_process(WT_File& file)
{
    file.rendition().viewport() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Viewport_Bit);
    return WT_Result_Success;
}

WT_Result WT_Viewport::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
