#include "addin/texture/TextureW2DFile.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/matrix.h"
#include "dwf/w2dtk/units.h"

#include <cerrno>
#include <limits>

namespace
{

constexpr std::int32_t kLargestSide = std::numeric_limits<std::uint16_t>::max();
constexpr double kLogicalUnitsPerPixel = 1000.0;

} // namespace

WT_Result WriteTextureW2DFile(const std::u16string& path, std::int32_t width, std::int32_t height,
                              double dotsPerInch, const std::uint8_t* data, std::size_t size,
                              int* error)
{
    if (error)
        *error = 0;
    if (path.empty() || width < 1 || height < 1 || width > kLargestSide || height > kLargestSide ||
        data == nullptr || size == 0 || size > std::numeric_limits<std::uint32_t>::max())
        return WT_Result_Usage_Error;

    // The system's reason is the errno of the call that failed first; what
    // runs after it (closing, above all) may change errno.
    const auto keep = [error](WT_Result result)
    {
        if (result != WT_Result_Success && error && *error == 0)
            *error = errno;
        return result;
    };
    WT_File file;
    file.set_filename(path.c_str());
    file.set_file_mode(WT_File::File_Write);
    errno = 0;
    WT_Result result = keep(file.open());
    if (result != WT_Result_Success)
        return result;
    file.set_allow_binary_data(true);
    file.set_allow_data_compression(false);

    WT_Matrix scale;
    scale(0, 0) = dotsPerInch * kLogicalUnitsPerPixel;
    scale(1, 1) = dotsPerInch * kLogicalUnitsPerPixel;
    WT_Units units(scale, WT_String("inches"));
    errno = 0;
    result = keep(units.serialize(file));
    if (result == WT_Result_Success)
    {
        WT_Image image(static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(width),
                       WT_Image::JPEG, 0, nullptr, static_cast<std::uint32_t>(size), data,
                       WT_Logical_Point(0, 0), WT_Logical_Point(width * 1000, height * 1000),
                       false);
        errno = 0;
        result = keep(image.serialize(file));
    }
    errno = 0;
    const WT_Result closed = file.close();
    if (result != WT_Result_Success)
        return result;
    return keep(closed);
}
