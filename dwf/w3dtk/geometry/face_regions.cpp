#include "dwf/w3dtk/geometry/face_regions.h"

#include "dwf/w3dtk/geometry/record_io.h"

#include <climits>
#include <utility>

namespace w3d::geometry
{

std::vector<std::uint8_t> encode_face_regions(const int* regions, int faces)
{
    std::vector<std::pair<int, int>> runs; // (length, region)
    for (int i = 0; i < faces; ++i)
    {
        if (runs.empty() || runs.back().second != regions[i])
            runs.emplace_back(0, regions[i]);
        ++runs.back().first;
    }

    bool from_zero = true;
    bool consecutive = true;
    for (std::size_t k = 0; k < runs.size(); ++k)
    {
        long long const region = runs[k].second;
        from_zero = from_zero && region == static_cast<long long>(k);
        consecutive = consecutive && region == runs[0].second + static_cast<long long>(k);
    }
    int const form = from_zero                                         ? 1
                     : consecutive                                     ? 2
                     : 2 * static_cast<long long>(runs.size()) < faces ? 3
                                                                       : 0;

    std::vector<int> entries;
    switch (form)
    {
    case 0:
        entries.assign(regions, regions + faces);
        break;
    case 1:
        for (auto const& run : runs)
            entries.push_back(run.first);
        break;
    case 2:
        entries.push_back(runs.empty() ? 0 : runs[0].second);
        for (auto const& run : runs)
            entries.push_back(run.first);
        break;
    default:
        for (auto const& run : runs)
        {
            entries.push_back(run.first);
            entries.push_back(run.second);
        }
        break;
    }

    int low = 0, high = 0;
    for (int const value : entries)
    {
        low = value < low ? value : low;
        high = value > high ? value : high;
    }
    long long const count = static_cast<long long>(runs.size());
    bool const counted = form != 0;
    int width = 4;
    unsigned char compression = static_cast<unsigned char>(form);
    if (low >= -128 && high <= 127 && (!counted || count <= 127))
    {
        width = 1;
        compression |= Region_Width_8;
    }
    else if (low >= -32768 && high <= 32767 && (!counted || count <= 65535))
    {
        width = 2;
        compression |= Region_Width_16;
    }

    std::vector<std::uint8_t> bytes;
    Record_Bytes out(bytes);
    out.u8(compression);
    if (counted)
        out.sized(static_cast<int>(count), width);
    for (int const value : entries)
        out.sized(value, width);
    return bytes;
}

int region_entry_width(unsigned char compression)
{
    if (compression & ~(Region_Form_Mask | Region_Width_Mask))
        return 0;
    switch (compression & Region_Width_Mask)
    {
    case 0:
        return 4;
    case Region_Width_8:
        return 1;
    case Region_Width_16:
        return 2;
    default:
        return 0;
    }
}

long long region_entry_count(unsigned char compression, int runs, int faces)
{
    switch (compression & Region_Form_Mask)
    {
    case 0:
        return faces;
    case 1:
        return runs;
    case 2:
        return static_cast<long long>(runs) + 1;
    default:
        return 2 * static_cast<long long>(runs);
    }
}

bool expand_face_regions(unsigned char compression, const std::vector<int>& entries, int runs,
                         int faces, std::vector<int>& regions)
{
    int const form = compression & Region_Form_Mask;
    if (runs < 0 || faces < 0 ||
        static_cast<long long>(entries.size()) != region_entry_count(compression, runs, faces))
        return false;
    if (form == 0)
    {
        regions = entries;
        return true;
    }
    std::vector<int> expanded;
    expanded.reserve(static_cast<std::size_t>(faces));
    long long next_region = form == 2 ? entries[0] : 0;
    for (int k = 0; k < runs; ++k)
    {
        int length;
        long long region;
        switch (form)
        {
        case 1:
            length = entries[static_cast<std::size_t>(k)];
            region = k;
            break;
        case 2:
            length = entries[static_cast<std::size_t>(k) + 1];
            region = next_region + k;
            break;
        default:
            length = entries[2 * static_cast<std::size_t>(k)];
            region = entries[2 * static_cast<std::size_t>(k) + 1];
            break;
        }
        if (length < 0 || length > faces - static_cast<int>(expanded.size()) || region < INT_MIN ||
            region > INT_MAX)
            return false;
        expanded.insert(expanded.end(), static_cast<std::size_t>(length), static_cast<int>(region));
    }
    if (static_cast<int>(expanded.size()) != faces)
        return false;
    regions.swap(expanded);
    return true;
}

} // namespace w3d::geometry
