#include "dwf/w2dtk/polytriangle.h"

#include "dwf/w2dtk/delayed_copy.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/point_list_forms.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace
{
constexpr std::uint8_t Ascii_Opcode = 'T';
constexpr std::uint8_t Opcode_32 = 't';
constexpr std::uint8_t Opcode_16 = 0x14;

using Points = std::vector<WT_Logical_Point>;

// How a strip B joins a strip A along a shared edge.
enum class Join
{
    None,
    Append,           // A's last edge starts B:  A, B[2..]
    Prepend,          // B's last edge starts A:  B[..n-3], A
    Append_Reversed,  // A's last edge ends B backwards: A, B[n-3..0]
    Prepend_Reversed, // B's first edge starts A backwards: B[n-1..2], A
};

Join find_join(const Points& a, const Points& b)
{
    std::size_t const m = a.size();
    std::size_t const n = b.size();
    if (a[0] == b[n - 2] && a[1] == b[n - 1])
        return Join::Prepend;
    if (a[m - 2] == b[0] && a[m - 1] == b[1])
        return Join::Append;
    if (a[m - 2] == b[n - 1] && a[m - 1] == b[n - 2])
        return Join::Append_Reversed;
    if (a[0] == b[1] && a[1] == b[0])
        return Join::Prepend_Reversed;
    return Join::None;
}

// A single triangle B that shares an edge with an end of A, turned so that it
// continues the strip: B reordered, and the join that then applies.
Join turn_triangle(const Points& a, Points& b)
{
    std::size_t const m = a.size();
    Points const t = b;
    auto order = [&b, &t](int i, int j, int k) {
        b = {t[std::size_t(i)], t[std::size_t(j)], t[std::size_t(k)]};
    };
    if (a[m - 1] == t[0] && a[m - 2] == t[1])
        order(1, 0, 2);
    else if (a[m - 1] == t[0] && a[m - 2] == t[2])
        order(2, 0, 1);
    else if (a[m - 1] == t[2] && a[m - 2] == t[0])
        order(0, 2, 1);
    else if (a[m - 1] == t[2] && a[m - 2] == t[1])
        order(1, 2, 0);
    else if (a[0] == t[0] && a[1] == t[1])
        order(2, 0, 1);
    else if (a[0] == t[0] && a[1] == t[2])
        order(1, 0, 2);
    else if (a[0] == t[2] && a[1] == t[0])
        order(1, 2, 0);
    else if (a[0] == t[2] && a[1] == t[1])
        order(0, 2, 1);
    else
        return Join::None;
    return find_join(a, b);
}
} // namespace

WT_Result WT_Polytriangle::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_Opcode points_opcode;
    if (!wt_as_point_set_opcode(opcode, Ascii_Opcode, Opcode_32, Opcode_16, points_opcode))
        return WT_Result_Foreign_Opcode;
    WT_CHECK(read_points(points_opcode, file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Polytriangle::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    // Anything but the two binary forms is passed over as ASCII points.
    WT_Opcode points_opcode;
    std::uint8_t const byte = opcode.first_byte();
    std::uint8_t const ascii = byte == Opcode_32 || byte == Opcode_16 ? Ascii_Opcode : byte;
    wt_as_point_set_opcode(opcode, ascii, Opcode_32, Opcode_16, points_opcode);
    return skip_points(points_opcode, file);
}

WT_Result WT_Polytriangle::serialize(WT_File& file)
{
    if (count() < 3)
        return WT_Result_Success;
    WT_CHECK(file.desired_rendition().sync(file, Sync_Mask));
    return file.merge_or_delay_drawable(*this);
}

WT_Result WT_Polytriangle::delay(WT_File& file)
{
    return wt_delay_copy(file, *this);
}

WT_Result WT_Polytriangle::dump(WT_File& file)
{
    return write_points(file, "T", Opcode_32, Opcode_16);
}

bool WT_Polytriangle::merge(const WT_Drawable& other)
{
    if (other.object_id() != Polytriangle_ID)
        return false;
    auto const& strip = static_cast<const WT_Polytriangle&>(other);
    if (count() < 3 || strip.count() < 3 || transformed() || strip.transformed())
        return false;
    // What waits to be merged stays the size of one binary record.
    if (std::size_t(count()) + std::size_t(strip.count()) > std::size_t(Max_Binary_Count))
        return false;
    try
    {
        Points a(points(), points() + count());
        Points b(strip.points(), strip.points() + strip.count());
        auto contains = [&b](const WT_Logical_Point& p)
        { return std::find(b.begin(), b.end(), p) != b.end(); };
        // A lone triangle whose first and last points lie on the other triangle
        // starts at its second point, so that its last edge is the shared one.
        if (a.size() == 3 && b.size() == 3 && contains(a[0]) && contains(a[2]))
            a = {a[1], a[2], a[0]};

        Join join = find_join(a, b);
        if (join == Join::None && b.size() == 3)
            join = turn_triangle(a, b);
        if (join == Join::None)
            return false;

        std::size_t const n = b.size();
        Points joined;
        joined.reserve(a.size() + n - 2);
        switch (join)
        {
        case Join::Append:
            joined = a;
            joined.insert(joined.end(), b.begin() + 2, b.end());
            break;
        case Join::Prepend:
            joined.assign(b.begin(), b.end() - 2);
            joined.insert(joined.end(), a.begin(), a.end());
            break;
        case Join::Append_Reversed:
            joined = a;
            for (std::size_t i = n - 2; i-- > 0;)
                joined.push_back(b[i]);
            break;
        default:
            for (std::size_t i = n; i-- > 2;)
                joined.push_back(b[i]);
            joined.insert(joined.end(), a.begin(), a.end());
            break;
        }
        WT_Point_Set::operator=(WT_Point_Set(int(joined.size()), joined.data(), false));
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
    return true;
}

void WT_Polytriangle::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (points_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}
