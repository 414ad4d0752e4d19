#include "addin/publishers/SymbolReader.h"

#include "addin/ErrorReport.h"
#include "dwfcore/RegularFile.h"
#include "platform/kernel/Files.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>

namespace
{
// Longer lines keep their first megabyte; the rest is passed over.
constexpr std::size_t kMaxLineBytes = std::size_t(1) << 20;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

// The open file and the block of it that is buffered. The current offset
// always lies in the block or just behind it.
struct CSymbolReader::LineSource
{
    std::unique_ptr<std::FILE, FileCloser> file;
    std::uint64_t size = 0;
    std::array<char, kBlockSize> block{};
    std::size_t valid = 0;        // bytes of the block read from the file
    std::uint64_t blockStart = 0; // file offset of the block's first byte
    std::uint64_t offset = 0;     // file offset of the next byte to read
};

CSymbolReader::CSymbolReader(std::string path) : path_(std::move(path)) {}

CSymbolReader::~CSymbolReader() = default;

bool CSymbolReader::OpenFile()
{
    source_.reset();
    failure_.clear();
    if (path_.empty())
    {
        failure_ = "the host's settings name no folder for it";
        return false;
    }
    auto source = std::make_unique<LineSource>();
    errno = 0;
    // Only a regular file: a FIFO in its place would make the run wait for ever.
    source->file.reset(DWFCore::openRegularFileStream(path_));
    long size = -1;
    if (source->file && std::fseek(source->file.get(), 0, SEEK_END) == 0)
        size = std::ftell(source->file.get());
    if (size < 0)
    {
        failure_ = platform::systemReason(errno);
        return false;
    }
    source->size = static_cast<std::uint64_t>(size);
    source_ = std::move(source);
    Rewind();
    if (source_ && !LooksLikeSymbolFile())
    {
        source_.reset();
        failure_ = "it is not a symbol file";
    }
    return source_ != nullptr;
}

bool CSymbolReader::LooksLikeSymbolFile()
{
    if (std::memchr(source_->block.data(), 0, source_->valid))
        return false; // text holds no NUL: this is a binary file
    // Some line must be an entity: 'A', a separator, a keyword and a blank.
    bool entity = false;
    std::string line;
    while (!entity && ReadLine(line))
    {
        const std::size_t blank = line.find(' ', 2);
        entity = IsEntityLine(line) && blank != std::string::npos && blank > 2;
    }
    Rewind();
    return entity;
}

void CSymbolReader::Rewind()
{
    if (!source_)
        return;
    // A file that fits in one block is already whole in it: every symbol
    // of a sheet starts its lookup here, so the file is not read again.
    if (source_->blockStart == 0 && source_->valid == source_->size)
    {
        source_->offset = 0;
        return;
    }
    source_->blockStart = 0;
    source_->offset = 0;
    source_->valid = 0;
    errno = 0;
    if (std::fseek(source_->file.get(), 0, SEEK_SET) != 0)
    {
        failure_ = platform::systemReason(errno);
        source_.reset(); // an unreadable file finds nothing
        return;
    }
    RefillBlock();
}

bool CSymbolReader::RefillBlock()
{
    errno = 0;
    source_->valid =
        std::fread(source_->block.data(), 1, source_->block.size(), source_->file.get());
    if (source_->valid == 0 && std::ferror(source_->file.get()) && failure_.empty())
        failure_ = platform::systemReason(errno); // what was read so far still counts
    return source_->valid > 0;
}

bool CSymbolReader::ReadLine(std::string& line)
{
    line.clear();
    if (!source_ || source_->offset >= source_->size)
        return false;
    LineSource& s = *source_;
    // Makes the block hold the current offset, reading on when the offset
    // has left it; false at the end of the file (or of what could be read).
    auto ensure = [&s, this]()
    {
        if (s.offset >= s.size)
            return false;
        if (s.offset - s.blockStart < s.valid)
            return true;
        s.blockStart += s.valid;
        if (!RefillBlock())
        {
            s.size = s.offset; // the file shrank or failed: it ends here
            return false;
        }
        return true;
    };
    auto current = [&s]() { return s.block[static_cast<std::size_t>(s.offset - s.blockStart)]; };
    auto next = [&](char& byte)
    {
        if (!ensure())
            return false;
        byte = current();
        ++s.offset;
        return true;
    };
    char byte = 0;
    while (next(byte))
    {
        if (byte == '\r')
        {
            if (ensure() && current() == '\n')
                ++s.offset;
            return true;
        }
        if (byte == '\n')
            return true;
        if (line.size() < kMaxLineBytes)
            line.push_back(byte);
    }
    return true;
}

bool CSymbolReader::MatchKeyword(const std::string& line, const std::string& wanted)
{
    if (line.empty() || line[0] == ';' || wanted.empty())
        return false;
    if (wanted.size() == 1)
        return line.size() >= 2 && line[1] == wanted[0];
    const std::size_t comma = line.find(',', 1);
    const std::size_t end = comma == std::string::npos ? line.size() : comma;
    return line.compare(1, end - 1, wanted) == 0;
}

bool CSymbolReader::IsEntityLine(const std::string& line)
{
    return !line.empty() && line[0] == 'A';
}

bool CSymbolReader::SeekHeader(const std::string& wanted)
{
    std::string line;
    while (ReadLine(line))
    {
        if (MatchKeyword(line, wanted))
            return true;
    }
    return false;
}

bool CSymbolReader::ReadSection(const std::string& wanted)
{
    try
    {
        return SeekHeader(wanted);
    }
    catch (...)
    {
        ReportPublishError("CSymbolReader::ReadSection");
        return false;
    }
}

bool CSymbolReader::ReadSection(const std::string& wanted, CollectEntities)
{
    bool found = false;
    try
    {
        found = SeekHeader(wanted);
        if (found)
        {
            std::string line;
            while (ReadLine(line) && IsEntityLine(line))
                GetGeomType(line.size() > 2 ? line.substr(2) : std::string());
        }
        Rewind();
    }
    catch (...)
    {
        ReportPublishError("CSymbolReader::ReadSection");
    }
    return found;
}

void CSymbolReader::GetGeomType(const std::string& entity)
{
    try
    {
        const std::size_t blank = entity.find(' ');
        if (blank == std::string::npos)
            return; // no keyword: the line adds nothing
        const std::string keyword = entity.substr(0, blank);
        const std::string fields = entity.substr(blank + 1);
        GetPointData(keyword, fields);
        if (!keyword.empty() && keyword[0] == 'T')
            GetTextData(fields);
    }
    catch (...)
    {
        ReportPublishError("CSymbolReader::GetGeomType");
    }
}

void CSymbolReader::GetPointData(const std::string& keyword, const std::string& fields)
{
    try
    {
        std::size_t begin = 0;
        while (begin < fields.size())
        {
            const std::size_t comma = fields.find(',', begin);
            const std::size_t end = comma == std::string::npos ? fields.size() : comma;
            AddPoints(keyword, ParseField(fields.substr(begin, end - begin)));
            if (comma == std::string::npos)
                break;
            begin = comma + 1; // a trailing comma leaves nothing to read
        }
    }
    catch (...)
    {
        ReportPublishError("CSymbolReader::GetPointData");
    }
}

void CSymbolReader::AddPoints(const std::string& keyword, float value)
{
    points_[keyword].push_back(value);
}

void CSymbolReader::GetTextData(const std::string& fields)
{
    try
    {
        if (texts_.size() >= kMaxTexts)
            return;
        const std::size_t comma = fields.rfind(',');
        texts_.push_back(comma == std::string::npos ? fields : fields.substr(comma + 1));
    }
    catch (...)
    {
        ReportPublishError("CSymbolReader::GetTextData");
    }
}

void CSymbolReader::ReleaseData()
{
    points_.clear();
    texts_.clear();
    source_.reset();
}

float CSymbolReader::ParseField(const std::string& field)
{
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t' || field[i] == '\n' ||
                                field[i] == '\r' || field[i] == '\f' || field[i] == '\v'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
    {
        negative = field[i] == '-';
        ++i;
    }
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        return 0.0f; // a second sign is no number
    double value = 0.0;
    const char* first = field.data() + i;
    const char* last = field.data() + field.size();
    const auto parsed = std::from_chars(first, last, value, std::chars_format::general);
    if (parsed.ec == std::errc::result_out_of_range)
    {
        // Like "%f": too large gives infinity, too small zero. Only a negative
        // exponent makes a number too small.
        const std::string matched(first, parsed.ptr);
        const bool tooSmall =
            matched.find("e-") != std::string::npos || matched.find("E-") != std::string::npos;
        value = tooSmall ? 0.0 : std::numeric_limits<double>::infinity();
    }
    else if (parsed.ec != std::errc())
        return 0.0f;
    // Beyond the float range, as "%f" into a float gives it.
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        value = std::isnan(value) ? value : std::numeric_limits<double>::infinity();
    if (negative)
        value = -value;
    return static_cast<float>(value);
}
