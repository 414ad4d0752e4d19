#include "dwf/w3dtk/edgebreaker/shell_header.h"

namespace w3d::eb
{

void ShellHeader::write(std::uint8_t* out) const
{
    out[0] = static_cast<std::uint8_t>(scheme);
    out[1] = 0;
    out[2] = static_cast<std::uint8_t>(point_coding);
    out[3] = static_cast<std::uint8_t>(normal_coding);
    put_le32(out + 4, static_cast<std::uint32_t>(op_count));
    put_le32(out + 8, static_cast<std::uint32_t>(side_length));
    put_le32(out + 12, static_cast<std::uint32_t>(point_length));
    put_le32(out + 16, static_cast<std::uint32_t>(vertex_count));
    if (scheme != 0)
        put_le32(out + 20, static_cast<std::uint32_t>(normal_length));
}

bool ShellHeader::read(const std::uint8_t* block, long long length)
{
    if (!block || length < 20)
        return false;
    scheme = block[0];
    if (scheme > 2 || block[1] != 0 || length < size())
        return false;
    point_coding = block[2];
    normal_coding = block[3];
    op_count = static_cast<int>(get_le32(block + 4));
    side_length = static_cast<int>(get_le32(block + 8));
    point_length = static_cast<int>(get_le32(block + 12));
    vertex_count = static_cast<int>(get_le32(block + 16));
    normal_length = scheme != 0 ? static_cast<int>(get_le32(block + 20)) : 0;
    return op_count >= 0 && side_length >= 0 && point_length >= 0 && vertex_count >= 0 &&
           normal_length >= 0;
}

} // namespace w3d::eb
