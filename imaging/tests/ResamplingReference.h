#pragma once
// A resampler written out from its definition, one output sample at a time,
// for the tests to compare the filters with: contribution lists built per
// sample, reflected and clamped at the edges, weights as floats scaled to sum
// to 1, sums in double precision in list order. Only the kernels' values come from the
// library (their formulas are checked on their own).
#include "PixelGrids.h"

#include "imaging/resampling/ResamplingKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace ResamplingReference
{

using Entries = std::vector<std::pair<float, int>>;

inline int reflect(long long j, int size)
{
    if (j < 0)
        j = -j;
    else if (j >= size)
        j = 2LL * size - j - 1;
    return static_cast<int>(std::clamp<long long>(j, 0, size - 1));
}

// The list of the output sample at `center`, for a kernel reaching
// `halfWidth` source samples, `shrink` the scale of a reduction or 0.
inline Entries entriesAt(const Omvi::Resampler& kernel, double center, double halfWidth, double shrink, int size)
{
    Entries entries;
    const long long right = static_cast<long long>(std::trunc(center + halfWidth));
    const long long left = static_cast<long long>(std::trunc(center - halfWidth + 1));
    for (long long j = left; j <= right; ++j)
    {
        const double d = center - static_cast<double>(j);
        const double w = shrink != 0 ? kernel.filter(d * shrink) * shrink : kernel.filter(d);
        if (std::fabs(w) > kernel.epsilon())
            entries.emplace_back(static_cast<float>(w), reflect(j, size));
    }
    double sum = 0;
    for (const auto& e : entries)
        sum += e.first;
    if (sum > 0 && sum != 1)
        for (auto& e : entries)
            e.first = static_cast<float>(e.first / sum);
    if (entries.empty())
        entries.emplace_back(1.0f, static_cast<int>(std::clamp(std::trunc(center + 0.5), 0.0, size - 1.0)));
    return entries;
}

// The lists of a horizontal pass from `src` to `dst` samples: sample i sits
// at i * (1 / scale).
inline std::vector<Entries> horizontalLists(const Omvi::Resampler& kernel, int src, int dst)
{
    const double scale = static_cast<double>(dst) / src;
    const double inv = 1.0 / scale;
    const double half = std::min(kernel.support(), static_cast<double>(src));
    std::vector<Entries> lists;
    for (int i = 0; i < dst; ++i)
        lists.push_back(entriesAt(kernel, i * inv, scale < 1 ? half * inv : half, scale < 1 ? 1.0 / inv : 0.0, src));
    return lists;
}

// The lists of a vertical pass: row i sits at i / ratio.
inline std::vector<Entries> verticalLists(const Omvi::Resampler& kernel, int src, int dst)
{
    const double ratio = static_cast<double>(dst) / src;
    const double half = std::min(kernel.support(), static_cast<double>(src));
    const double invRatio = 1.0 / ratio;
    std::vector<Entries> lists;
    for (int i = 0; i < dst; ++i)
        lists.push_back(entriesAt(kernel, i / ratio, ratio < 1 ? half * invRatio : half,
                                  ratio < 1 ? 1.0 / invRatio : 0.0, src));
    return lists;
}

inline std::uint8_t byteOf(double sum)
{
    const double v = std::trunc(sum);
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One 8-bit sample from `sample(index)` over a list.
template <class Sample>
std::uint8_t gray(const Entries& entries, Sample sample)
{
    double sum = sample(entries[0].second) * static_cast<double>(entries[0].first) + 0.5;
    for (std::size_t k = 1; k < entries.size(); ++k)
        sum += sample(entries[k].second) * static_cast<double>(entries[k].first);
    return byteOf(sum);
}

// One colour under the alpha rule; `pixel(index)` gives its four bytes.
template <class Pixel>
void rgba(const Entries& entries, Pixel pixel, std::uint8_t* out)
{
    const int n = static_cast<int>(entries.size());
    int clear = 0;
    for (const auto& e : entries)
        clear += pixel(e.second)[3] == 0;
    if (clear == 0)
    {
        for (int c = 0; c < 4; ++c)
            out[c] = gray(entries, [&](int i) { return pixel(i)[c]; });
        return;
    }
    if (clear == n)
    {
        const std::uint8_t* p = pixel(entries[0].second);
        out[0] = p[0], out[1] = p[1], out[2] = p[2], out[3] = 0;
        return;
    }
    double sums[4] = {0.5, 0.5, 0.5, 0.5};
    for (int k = 0; k < n; ++k)
    {
        const double w = entries[static_cast<std::size_t>(k)].first;
        const std::uint8_t* p = pixel(entries[static_cast<std::size_t>(k)].second);
        if (p[3] != 0)
        {
            for (int c = 0; c < 4; ++c)
                sums[c] += p[c] * w;
            continue;
        }
        sums[3] -= 10.0 * w;
        for (int d = 1; d < n; ++d)
        {
            const std::uint8_t* q = nullptr;
            if (k + d < n && pixel(entries[static_cast<std::size_t>(k + d)].second)[3] != 0)
                q = pixel(entries[static_cast<std::size_t>(k + d)].second);
            else if (k - d >= 0 && pixel(entries[static_cast<std::size_t>(k - d)].second)[3] != 0)
                q = pixel(entries[static_cast<std::size_t>(k - d)].second);
            if (q != nullptr)
            {
                for (int c = 0; c < 3; ++c)
                    sums[c] += q[c] * w;
                break;
            }
        }
    }
    for (int c = 0; c < 3; ++c)
        out[c] = byteOf(sums[c]);
    out[3] = byteOf(sums[3]) > 108 ? 255 : 0;
}

using Image = std::vector<std::vector<std::uint8_t>>; // rows of bytes

// A `channels`-byte-per-pixel image resized horizontally, then vertically
// (each pass only when the size changes), by the kernel of `kind`.
inline Image resize(const Image& in, int width, int channels, int newWidth, int newHeight, int kind,
                    bool alphaAware = false)
{
    std::unique_ptr<Omvi::Resampler> kernel = Omvi::createResampler(kind, 0.0001);
    Image rows = in;
    if (newWidth != width)
    {
        const auto lists = horizontalLists(*kernel, width, newWidth);
        for (auto& row : rows)
        {
            std::vector<std::uint8_t> out(static_cast<std::size_t>(newWidth * channels));
            for (int x = 0; x < newWidth; ++x)
            {
                const auto& e = lists[static_cast<std::size_t>(x)];
                if (alphaAware)
                    rgba(e, [&](int i) { return &row[static_cast<std::size_t>(4 * i)]; }, &out[4 * static_cast<std::size_t>(x)]);
                else
                    for (int c = 0; c < channels; ++c)
                        out[static_cast<std::size_t>(x * channels + c)] =
                            gray(e, [&](int i) { return row[static_cast<std::size_t>(i * channels + c)]; });
            }
            row = std::move(out);
        }
    }
    const int height = static_cast<int>(rows.size());
    if (newHeight == height)
        return rows;
    const auto lists = verticalLists(*kernel, height, newHeight);
    const int rowBytes = newWidth * channels;
    Image out(static_cast<std::size_t>(newHeight), std::vector<std::uint8_t>(static_cast<std::size_t>(rowBytes)));
    for (int y = 0; y < newHeight; ++y)
    {
        const auto& e = lists[static_cast<std::size_t>(y)];
        if (alphaAware)
        {
            for (int x = 0; x < newWidth; ++x)
                rgba(e, [&](int i) { return &rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(4 * x)]; },
                     &out[static_cast<std::size_t>(y)][static_cast<std::size_t>(4 * x)]);
        }
        else
        {
            for (int b = 0; b < rowBytes; ++b)
                out[static_cast<std::size_t>(y)][static_cast<std::size_t>(b)] =
                    gray(e, [&](int i) { return rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(b)]; });
        }
    }
    return out;
}

// A grid of 8-bit levels resized by the reference in a given order: the
// height first (a vertical pass, then a horizontal one), or as resize
// does, the width first.
inline OmviTest::Grid resizeGrid(const OmviTest::Grid& grid, int width, int height, int kind, bool heightFirst)
{
    Image in;
    for (const auto& row : grid)
    {
        in.emplace_back();
        for (std::uint64_t v : row)
            in.back().push_back(static_cast<std::uint8_t>(v));
    }
    const int w = static_cast<int>(grid[0].size());
    const Image out = heightFirst ? resize(resize(in, w, 1, w, height, kind), w, 1, width, height, kind)
                                  : resize(in, w, 1, width, height, kind);
    OmviTest::Grid result;
    for (const auto& row : out)
        result.emplace_back(row.begin(), row.end());
    return result;
}

} // namespace ResamplingReference
