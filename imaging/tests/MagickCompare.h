#pragma once
// Pictures handed to ImageMagick and compared pixel for pixel: the tool's
// answer to a command over one of our pictures, and the count of pixels in
// which two pictures differ as `compare -metric AE` reports it.
#include "PortableMaps.h"
#include "ToolCheck.h"

#include <fstream>
#include <sstream>
#include <string>

namespace OmviTest
{

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
