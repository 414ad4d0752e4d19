#include "dwf/w2dtk/plot_info.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
// A word that is an optionally signed decimal integer (version 40 streams
// were written with a number where their readers expect a word).
bool as_integer(const std::string& word, long& value)
{
    if (word.empty() || word.size() > 11)
        return false;
    std::size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
    if (i == word.size())
        return false;
    for (std::size_t k = i; k < word.size(); ++k)
        if (word[k] < '0' || word[k] > '9')
            return false;
    value = std::strtol(word.c_str(), nullptr, 10);
    return true;
}

std::int32_t nearest_right_angle(double degrees)
{
    double const r = 90.0 * std::trunc(degrees / 90.0 + 0.5);
    return std::int32_t(std::clamp(r, -2147483520.0, 2147483520.0));
}
} // namespace

WT_Result WT_Plot_Info::serialize(WT_File& file)
{
    if (m_units != Millimeters && m_units != Inches)
        return WT_Result_Not_Available;
    // Only a pending block reference is written first; a pending drawable
    // may still follow.
    file.desired_rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Block_Ref_Bit));

    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(PlotInfo "));
    WT_CHECK(file.write(m_show ? "show " : "hide "));
    int const version = file.target_version();
    if (version >= 40 || version < 37)
    {
        WT_CHECK(file.write_ascii(std::int32_t(file.heuristics().m_transform.m_rotation)));
        WT_CHECK(file.write(" "));
    }
    WT_CHECK(file.write(m_units == Millimeters ? "mm " : "in "));
    for (double v : {m_width, m_height, m_min_x, m_min_y, m_max_x, m_max_y})
    {
        WT_CHECK(file.write_ascii(v));
        WT_CHECK(file.write(" "));
    }
    WT_CHECK(m_matrix.serialize(file));
    return file.write(")");
}

WT_Result WT_Plot_Info::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    int const version = file.rendition().stream_version();
    enum
    {
        Show,
        Rotation,
        Units,
        Numbers,
        Matrix,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Show:
        {
            std::string word;
            WT_CHECK(file.read_ascii_string(WT_String::Max_ASCII_Token, word));
            m_show = word == "show";
            m_stage = (version > 36 && version < 40) ? Units : Rotation;
            break;
        }
        case Rotation:
            if (version >= 41)
            {
                std::int32_t r = 0;
                WT_CHECK(file.read_ascii(r));
                m_rotation = nearest_right_angle(r);
            }
            else
            {
                std::string word;
                WT_CHECK(file.read_ascii_string(WT_String::Max_ASCII_Token, word));
                long number = 0;
                if (as_integer(word, number))
                    m_rotation = nearest_right_angle(double(number));
                else
                    m_rotation = word == "flipped" ? 90 : 0;
            }
            m_stage = Units;
            break;
        case Units:
        {
            std::string word;
            WT_CHECK(file.read_ascii_string(WT_String::Max_ASCII_Token, word));
            m_units = word == "mm" ? Millimeters : Inches;
            m_double_index = 0;
            m_stage = Numbers;
            break;
        }
        case Numbers:
        {
            double* const fields[6] = {&m_width, &m_height, &m_min_x, &m_min_y, &m_max_x, &m_max_y};
            while (m_double_index < 6)
            {
                WT_CHECK(file.read_ascii(*fields[m_double_index]));
                ++m_double_index;
            }
            m_stage = Matrix;
            break;
        }
        case Matrix:
            WT_CHECK(m_matrix.materialize(file));
            m_stage = Close;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = Show;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

void WT_Plot_Info::correct_millimetre_values()
{
    // The producer wrote inch values under "mm": rescale the paper to
    // millimetres and the matrix to match. Degenerate values are left alone
    // rather than divided by.
    double const m00 = m_matrix(0, 0);
    double const old_extent = std::max(m_max_x - m_min_x, m_max_y - m_min_y) * 1.1;
    if (m00 == 0 || !std::isfinite(m00))
        return;
    double const old = old_extent / m00;
    if (old == 0 || !std::isfinite(old))
        return;
    double const width = m_width * 25.4;
    m_max_x = width - (m_width - m_max_x);
    m_width = width;
    double const height = m_height * 25.4;
    m_max_y = height - (m_height - m_max_y);
    m_height = height;
    double const scale = std::max(m_max_x - m_min_x, m_max_y - m_min_y) * 1.1 / old;
    if (!std::isfinite(scale))
        return;
    m_matrix(0, 0) = scale;
    m_matrix(1, 1) = scale;
}

WT_Result WT_Plot_Info::default_process(WT_File& file)
{
    file.rendition().plot_info() = *this;
    if (file.heuristics().m_broken_producer && m_units != Inches)
        correct_millimetre_values();
    return WT_Result_Success;
}
