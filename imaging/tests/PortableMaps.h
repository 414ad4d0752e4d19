#pragma once
// Binary portable gray and pixel maps (P5, P6) for handing test images to
// independent tools and reading their answers back, a scratch folder that
// removes itself, and the peak signal-to-noise ratio of two images.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace OmviTest
{

struct Picture
{
    int width = 0;
    int height = 0;
    int channels = 0;                  // 1 (gray) or 3 (RGB)
    std::vector<std::uint8_t> samples; // rows one after another, no padding

    std::uint8_t at(int x, int y, int c) const
    {
        return samples[(static_cast<std::size_t>(y) * width + x) * channels + c];
    }
};

inline bool writePortableMap(const std::string& path, const Picture& picture)
{
    std::ofstream out(path, std::ios::binary);
    out << (picture.channels == 1 ? "P5" : "P6") << "\n" << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.samples.data()),
              static_cast<std::streamsize>(picture.samples.size()));
    return static_cast<bool>(out);
}

// Reads a P5 or P6 file of 8-bit samples; an empty picture when it is not one.
inline Picture readPortableMap(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    Picture picture;
    if (!in || (magic != "P5" && magic != "P6") || maximum != 255 || width < 1 || height < 1 ||
        width > 100000 || height > 100000)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.channels = magic == "P5" ? 1 : 3;
    picture.samples.resize(static_cast<std::size_t>(width) * height * picture.channels);
    in.read(reinterpret_cast<char*>(picture.samples.data()), static_cast<std::streamsize>(picture.samples.size()));
    if (!in)
        return Picture();
    return picture;
}

// PSNR in dB over the pixels of the rectangle [x0, x1) x [y0, y1) on which
// `keep` (x, y) is true; 99 for identical samples.
template <class Keep>
double psnr(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1, Keep keep)
{
    double squares = 0;
    long count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
        {
            if (!keep(x, y))
                continue;
            for (int c = 0; c < a.channels; ++c)
            {
                const double d = static_cast<double>(a.at(x, y, c)) - b.at(x, y, c);
                squares += d * d;
                ++count;
            }
        }
    if (count == 0 || squares == 0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 * count / squares);
}

// A folder of its own under $TMPDIR, removed with what it holds.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/omvi-test-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr)
            path_ = buffer.data();
    }
    ~ScratchFolder()
    {
        if (!path_.empty())
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool valid() const { return !path_.empty(); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace OmviTest
