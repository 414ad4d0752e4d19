#pragma once
// Pictures handed to ImageMagick and compared pixel for pixel: our rows as
// pictures and back, the tool's answer to a command over one of our
// pictures, and the count of pixels in which two pictures differ as
// `compare -metric AE` reports it.
#include "PortableMaps.h"
#include "RowSources.h"
#include "ToolCheck.h"

#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <fstream>
#include <sstream>
#include <string>

namespace OmviTest
{

// The picture's rows: gray as 8-bit gray rows, colour as 32-bit RGB pixels
// of 24 bits used (alpha 255).
inline Omvi::RowProviderInterface* rowsOfPicture(const Picture& picture)
{
    std::vector<Row> rows;
    for (int y = 0; y < picture.height; ++y)
    {
        Row row;
        for (int x = 0; x < picture.width; ++x)
        {
            for (int c = 0; c < picture.channels; ++c)
                row.push_back(picture.at(x, y, c));
            if (picture.channels == 3)
                row.push_back(255);
        }
        rows.push_back(row);
    }
    if (picture.channels == 1)
        return new MemoryRows(Omvi::RgbGrayModel(), picture.width, rows);
    return new MemoryRows(Omvi::RgbModel(24), picture.width, rows);
}

// Every row of `rows` as a picture: 1 channel from 8-bit rows, 3 from the
// colour bytes of 32-bit RGB rows.
inline Picture pictureOfRows(Omvi::RowProviderInterface& rows, int channels)
{
    Picture picture{rows.size().x, rows.size().y, channels, {}};
    for (const auto& row : pullAll(rows))
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < channels; ++c)
                picture.samples.push_back(row[static_cast<std::size_t>((channels == 1 ? 1 : 4) * x + c)]);
    return picture;
}

// `convert input.pnm <arguments> output.pnm` over `picture`; an empty
// picture when the tool fails.
inline Picture magickConvert(const ScratchFolder& folder, const Picture& picture, const std::string& arguments)
{
    const std::string extension = picture.channels == 1 ? ".pgm" : ".ppm";
    const std::string input = folder.file("in" + extension);
    const std::string output = folder.file("out" + extension);
    if (!writePortableMap(input, picture))
        return {};
    if (runCommand("convert '" + input + "' " + arguments + " -depth 8 '" + output + "' 2>/dev/null") != 0)
        return {};
    return readPortableMap(output);
}

// The number of differing pixels by `compare -metric AE` (fuzz 0); -1 when
// the tool gives no number.
inline long magickDifference(const ScratchFolder& folder, const Picture& a, const Picture& b)
{
    const std::string extension = a.channels == 1 ? ".pgm" : ".ppm";
    const std::string first = folder.file("a" + extension);
    const std::string second = folder.file("b" + extension);
    const std::string report = folder.file("ae.txt");
    if (!writePortableMap(first, a) || !writePortableMap(second, b))
        return -1;
    runCommand("compare -metric AE '" + first + "' '" + second + "' null: 2>'" + report + "'");
    std::ifstream in(report);
    long count = -1;
    in >> count;
    return in ? count : -1;
}

} // namespace OmviTest
