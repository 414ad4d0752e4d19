#include "host/RecordLayout.h"

#include "host/Geometry.h"

#include <cmath>

namespace host::layout
{

bool countFrom(double value, long long limit, long long& count)
{
    if (!std::isfinite(value) || value < 0 || value > static_cast<double>(limit) ||
        std::floor(value) != value)
        return false;
    count = static_cast<long long>(value);
    return true;
}

namespace
{

// Tracks the walk's position and turns each check into a message.
class Walker
{
public:
    Walker(const std::vector<double>& data, std::size_t start, const char* what)
        : data_(data), position_(start), what_(what)
    {
    }

    // True when `needed` more doubles exist after the position.
    bool has(std::size_t needed) const
    {
        return position_ <= data_.size() && needed <= data_.size() - position_;
    }
    bool readCount(std::size_t offset, long long& count, Walk& walk, long long record) const
    {
        if (!has(offset + 1))
            return fail(walk, record, "ends before its count");
        if (!countFrom(data_[position_ + offset], kMaxCount, count))
            return fail(walk, record, "has a count that is not a whole number from 0 to 1000000");
        return true;
    }
    bool fail(Walk& walk, long long record, const std::string& reason) const
    {
        walk.offsets.clear();
        walk.error = std::string(what_) + " record " + std::to_string(record + 1) + " " + reason;
        return false;
    }
    bool take(std::size_t length, Walk& walk, long long record)
    {
        if (!has(length))
            return fail(walk, record,
                        "needs " + std::to_string(length) + " numbers but only " +
                            std::to_string(data_.size() - std::min(position_, data_.size())) +
                            " remain");
        walk.offsets.push_back(position_);
        position_ += length;
        return true;
    }
    bool finish(Walk& walk) const
    {
        if (position_ != data_.size())
        {
            walk.offsets.clear();
            walk.error = std::string(what_) + " data holds " +
                         std::to_string(data_.size() - position_) +
                         " numbers after its last record";
            return false;
        }
        return true;
    }
    std::size_t position() const { return position_; }
    double at(std::size_t offset) const { return data_[position_ + offset]; }

private:
    const std::vector<double>& data_;
    std::size_t position_;
    const char* what_;
};

bool checkCount(long long count, Walk& walk, const char* what)
{
    if (count < 0 || count > kMaxCount)
    {
        walk.error = std::string(what) + " count " + std::to_string(count) + " is out of range";
        return false;
    }
    return true;
}

// Walks `count` records that each hold `fixed` numbers, one of them (at
// `countAt`) saying how many items of `stride` numbers follow.
Walk walkCounted(Walker& walker, long long count, std::size_t countAt, std::size_t fixed,
                 std::size_t stride)
{
    Walk walk;
    for (long long i = 0; i < count; ++i)
    {
        long long items = 0;
        if (!walker.readCount(countAt, items, walk, i) ||
            !walker.take(fixed + stride * static_cast<std::size_t>(items), walk, i))
            return walk;
    }
    walker.finish(walk);
    return walk;
}

// The same for data that starts with one leading value before the records.
Walk countedRecords(long long count, const std::vector<double>& data, const char* what,
                    bool leading, std::size_t countAt, std::size_t fixed, std::size_t stride)
{
    Walk walk;
    if (!checkCount(count, walk, what))
        return walk;
    if (leading && count > 0 && data.empty())
    {
        walk.error = std::string(what) + " data lacks its leading value";
        return walk;
    }
    Walker walker(data, leading && !data.empty() ? 1 : 0, what);
    return walkCounted(walker, count, countAt, fixed, stride);
}

} // namespace

Walk fixedRecords(long long count, const std::vector<double>& data, std::size_t size)
{
    Walk walk;
    if (!checkCount(count, walk, "list"))
        return walk;
    if (size == 0 || static_cast<unsigned long long>(count) * size != data.size())
    {
        walk.error = std::to_string(count) + " records of " + std::to_string(size) +
                     " numbers need " +
                     std::to_string(static_cast<unsigned long long>(count) * size) +
                     " numbers, found " + std::to_string(data.size());
        return walk;
    }
    for (long long i = 0; i < count; ++i)
        walk.offsets.push_back(static_cast<std::size_t>(i) * size);
    return walk;
}

Walk splines(long long count, const std::vector<double>& data)
{
    return countedRecords(count, data, "spline", false, 6, 7, 3);
}

Walk sketchSplines(long long count, const std::vector<double>& data)
{
    return countedRecords(count, data, "spline", false, 2, 3, 3);
}

Walk bsplineBlock(const std::vector<double>& block)
{
    Walk walk;
    if (block.size() < 2)
    {
        walk.error = "B-spline block lacks its four integers";
        return walk;
    }
    const BsplineHeader header = readBsplineHeader(block);
    if (header.stride != 3 && header.stride != 4)
    {
        walk.error = "B-spline stride " + std::to_string(header.stride) + " is neither 3 nor 4";
        return walk;
    }
    if (header.order < 1 || header.order > kMaxCount || header.count < 1 ||
        header.count > kMaxCount)
    {
        walk.error = "B-spline order " + std::to_string(header.order) + " or control point count " +
                     std::to_string(header.count) + " is not from 1 to 1000000";
        return walk;
    }
    const std::size_t knots = static_cast<std::size_t>(header.order) +
                              static_cast<std::size_t>(header.count);
    const std::size_t points =
        static_cast<std::size_t>(header.stride) * static_cast<std::size_t>(header.count);
    if (block.size() != 2 + knots + points)
    {
        walk.error = "B-spline of order " + std::to_string(header.order) + " with " +
                     std::to_string(header.count) + " control points of " +
                     std::to_string(header.stride) + " numbers needs " + std::to_string(knots) +
                     " knots and " + std::to_string(points) + " point numbers, found " +
                     std::to_string(block.size() - 2) + " numbers after its four integers";
        return walk;
    }
    walk.offsets = {2, 2 + knots};
    return walk;
}

Walk polylineGroups(long long groups, const std::vector<double>& data)
{
    return countedRecords(groups, data, "polyline group", true, 0, 1, kPolylineSegment);
}

Walk modelEdges(long long items, const std::vector<double>& data)
{
    Walk walk;
    if (!checkCount(items, walk, "model edge"))
        return walk;
    Walker walker(data, 0, "model edge");
    for (long long i = 0; i < items; ++i)
    {
        long long geometry = 0;
        long long points = 0;
        if (!walker.readCount(1, geometry, walk, i))
            return walk;
        const std::size_t k = static_cast<std::size_t>(geometry);
        if (!walker.readCount(8 + k, points, walk, i) ||
            !walker.take(9 + k + 3 * static_cast<std::size_t>(points), walk, i))
            return walk;
    }
    walker.finish(walk);
    return walk;
}

Walk dimensions(const std::vector<double>& data)
{
    if (data.empty())
        return Walk{};
    long long count = 0;
    if (!countFrom(data[0], kMaxCount, count))
    {
        Walk walk;
        walk.error = "dimension count is not a whole number from 0 to 1000000";
        return walk;
    }
    Walker walker(data, 1, "dimension");
    return walkCounted(walker, count, 1, 27, 7);
}

Walk detailCircles(long long count, const std::vector<double>& data)
{
    return countedRecords(count, data, "detail circle", true, 15, 16, kDisplayArrow);
}

std::size_t breakLineGeometrySize(long long type)
{
    switch (type)
    {
    case 1:
        return 12;
    case 2:
        return 36;
    case 3:
        return 40;
    case 4:
        return 42;
    default:
        return 0;
    }
}

Walk breakLines(long long count, const std::vector<double>& data)
{
    Walk walk;
    if (!checkCount(count, walk, "break line"))
        return walk;
    Walker walker(data, 0, "break line");
    for (long long i = 0; i < count; ++i)
    {
        if (!walker.has(9))
        {
            walker.take(9, walk, i);
            return walk;
        }
        const double type = walker.at(0);
        const long long whole =
            std::isfinite(type) && std::fabs(type) < 1e9 ? static_cast<long long>(type) : 0;
        if (!walker.take(9 + breakLineGeometrySize(whole), walk, i))
            return walk;
    }
    walker.finish(walk);
    return walk;
}

} // namespace host::layout
