#pragma once
// Reads the host's geometric tolerance symbol file (Gtol.sym) and collects
// the entities of one symbol at a time: for every entity keyword the numbers
// of its lines, and the texts of text entities.
//
// The file is 8-bit text. Lines end at CR, CR LF or LF. A line starting with
// ';' is a comment. A header line is any first character, a name up to the
// first ',' and an optional description. An entity line is 'A', a separator,
// a keyword, one blank and comma-separated fields.
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CSymbolReader
{
public:
    // Texts kept per symbol; later texts of the same symbol are dropped.
    static constexpr std::size_t kMaxTexts = 100;
    static constexpr std::size_t kBlockSize = 32768;

    using PointLists = std::map<std::string, std::vector<float>>;

    // Selects the second form of ReadSection.
    enum CollectEntities
    {
        kCollectEntities
    };

    // The file is not opened yet. An empty path names no file: such a reader
    // finds nothing.
    explicit CSymbolReader(std::string path);
    ~CSymbolReader();
    CSymbolReader(const CSymbolReader&) = delete;
    CSymbolReader& operator=(const CSymbolReader&) = delete;

    // Opens the file and reads its first block; false when it cannot be
    // opened or is no symbol file (lookups then find nothing, and Failure
    // says why).
    bool OpenFile();
    // Why the file cannot be used: the system's reason it could not be
    // opened or read, or that it is not a symbol file; empty while it can.
    const std::string& Failure() const { return failure_; }
    bool IsOpen() const { return source_ != nullptr; }
    // Back to the top of the file, so that a lookup sees every symbol.
    void Rewind();

    // The next line without its line end; false at the end of the file.
    bool ReadLine(std::string& line);
    // Whether the line is a header named `wanted` (or, for a one-character
    // name, a header whose name begins with it).
    static bool MatchKeyword(const std::string& line, const std::string& wanted);
    static bool IsEntityLine(const std::string& line);

    // Reads lines until one matches `wanted`; false when the file ends first.
    bool ReadSection(const std::string& wanted);
    // Reads lines until one matches `wanted`, then collects the entity lines
    // that follow it, up to the first line that is not one; then rewinds.
    // False when no line matches.
    bool ReadSection(const std::string& wanted, CollectEntities);

    // Parses one entity: the line from its third character on.
    void GetGeomType(const std::string& entity);
    void GetPointData(const std::string& keyword, const std::string& fields);
    void AddPoints(const std::string& keyword, float value);
    void GetTextData(const std::string& fields);

    const PointLists& Points() const { return points_; }
    void ClearPoints() { points_.clear(); }
    const std::vector<std::string>& Texts() const { return texts_; }
    std::size_t TextCount() const { return texts_.size(); }
    void ClearTexts() { texts_.clear(); }

    // Frees the collected data and closes the file.
    void ReleaseData();

    const std::string& Path() const { return path_; }

    // A field read as the C library's "%f" reads it: the number at its start
    // counts, anything after it is ignored, no number gives 0. Independent of
    // the process locale.
    static float ParseField(const std::string& field);

private:
    struct LineSource;

    // The line-reading part of both forms of ReadSection.
    bool SeekHeader(const std::string& wanted);
    bool RefillBlock();
    // Whether the file reads as a symbol file: text (no NUL in its first
    // block) with at least one entity line. Leaves the reader rewound.
    bool LooksLikeSymbolFile();

    std::string path_;
    PointLists points_;
    std::vector<std::string> texts_;
    std::unique_ptr<LineSource> source_;
    std::string failure_;
};
