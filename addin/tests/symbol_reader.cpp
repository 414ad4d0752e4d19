// The symbol file reader: line ends, headers, entity lines, fields, texts,
// lookups in any order, large files and damaged files.
#include "addin/publishers/SymbolDrawer.h"
#include "addin/publishers/SymbolReader.h"
#include "addin/tests/TempFile.h"
#include "platform/kernel/HostSettings.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

using addin_test::TempFile;

namespace
{
const std::string kExample = QUILLCAST_SOURCE_DIR "/examples/host-data/lang/english/Gtol.sym";

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Joins lines with the given line end.
std::string Lines(std::initializer_list<const char*> lines, const std::string& end = "\r\n")
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + end;
    return text;
}

// Looks a symbol up as the drawer does.
void LookUp(CSymbolReader& reader, const std::string& library, const std::string& symbol)
{
    reader.Rewind();
    reader.ClearTexts();
    reader.ClearPoints();
    if (reader.ReadSection(library))
        reader.ReadSection(symbol, CSymbolReader::kCollectEntities);
}

std::vector<float> ListOf(const CSymbolReader& reader, const std::string& keyword)
{
    const auto found = reader.Points().find(keyword);
    return found == reader.Points().end() ? std::vector<float>() : found->second;
}

const char* const kSmallFile[] = {";library of two symbols", "*LIB,Test library", "*ONE,First",
                                  "A,LINE 0,0,1.5,0",        "A,TEXT 0.1,0.2,M",  "*TWO,Second",
                                  "A,CIRCLE 1,2,3"};
} // namespace

TEST(SymbolReader, CrLfCrAndLfLineEndsReadAlike)
{
    for (const std::string end : {"\r\n", "\r", "\n"})
    {
        std::string text;
        for (const char* line : kSmallFile)
            text += std::string(line) + end;
        TempFile file(text);
        CSymbolReader reader(file.path());
        ASSERT_TRUE(reader.OpenFile());
        LookUp(reader, "LIB", "ONE");
        EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{0, 0, 1.5f, 0})) << int(end[0]);
        EXPECT_EQ(ListOf(reader, "TEXT"), (std::vector<float>{0.1f, 0.2f, 0}));
        ASSERT_EQ(reader.TextCount(), 1u);
        EXPECT_EQ(reader.Texts()[0], "M");
        EXPECT_TRUE(ListOf(reader, "CIRCLE").empty()) << "the next header ends the symbol";
    }
}

TEST(SymbolReader, HeaderMatchingRule)
{
    EXPECT_TRUE(CSymbolReader::MatchKeyword("*AB,description", "AB"));
    EXPECT_TRUE(CSymbolReader::MatchKeyword("#AB", "AB"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*ABC", "AB"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*AB", "ABC"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*A", "AB"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword(";AB,comment", "AB"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("", "AB"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*ab", "AB")) << "names are case-sensitive";
    // One-character names look at the second character only.
    EXPECT_TRUE(CSymbolReader::MatchKeyword("*ABC,x", "A"));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*", "A"));
    // Header names have no length limit.
    const std::string longName(300, 'N');
    EXPECT_TRUE(CSymbolReader::MatchKeyword("*" + longName + ",x", longName));
    EXPECT_FALSE(CSymbolReader::MatchKeyword("*" + longName + ",x", longName.substr(0, 23)));
}

TEST(SymbolReader, EntityLinesAndFields)
{
    TempFile file(Lines({"*L", "*S", "A,LINE 0,0,1.5,0", "A,LINE", "A,LINE 1,,2,", "A,TEXT M",
                         "A,ARC 1.5abc,x,-2e1,+3,.5", "A,CUSTOM 7", "A,TEXT 1,2,Hello world",
                         "A,ARC 1e999,-1e999,1e-999", "B,LINE 9,9,9,9", "A,LINE 8,8,8,8"}));
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "L", "S");
    // "A,LINE" has no blank: it adds nothing and does not end the symbol; an
    // empty field reads 0, a trailing comma adds nothing; "B,LINE" ends it.
    EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{0, 0, 1.5f, 0, 1, 0, 2}));
    const std::vector<float> arcs = ListOf(reader, "ARC");
    ASSERT_EQ(arcs.size(), 8u);
    EXPECT_EQ(std::vector<float>(arcs.begin(), arcs.begin() + 5),
              (std::vector<float>{1.5f, 0, -20, 3, 0.5f}));
    EXPECT_TRUE(std::isinf(arcs[5]) && arcs[5] > 0);
    EXPECT_TRUE(std::isinf(arcs[6]) && arcs[6] < 0);
    EXPECT_EQ(arcs[7], 0.0f);
    EXPECT_EQ(ListOf(reader, "CUSTOM"), (std::vector<float>{7})) << "unknown keywords are kept";
    // A text without a comma is the whole fields text.
    ASSERT_EQ(reader.TextCount(), 2u);
    EXPECT_EQ(reader.Texts()[0], "M");
    EXPECT_EQ(reader.Texts()[1], "Hello world");
}

TEST(SymbolReader, SymbolEndsAtCommentAtFileEndAndAtFirstOtherLine)
{
    TempFile file(std::string("*L\r\n*S1\r\nA,LINE 1,1,1,1\r\n;note\r\nA,LINE 2,2,2,2\r\n"
                              "*S2\r\nA,CIRCLE 1,1,1\r\nA,CIRCLE 2,2,2"));
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "L", "S1");
    EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{1, 1, 1, 1}));
    LookUp(reader, "L", "S2");
    EXPECT_EQ(ListOf(reader, "CIRCLE"), (std::vector<float>{1, 1, 1, 2, 2, 2}));
}

TEST(SymbolReader, LookupsInAnyOrderAndAfterFailures)
{
    CSymbolReader reader(kExample);
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "WELD", "GROOVE");
    EXPECT_EQ(ListOf(reader, "LINE").size(), 8u);
    // An earlier symbol after a later one.
    LookUp(reader, "GTOL", "STRAIGHT");
    EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{0.1f, 0.5f, 1.1f, 0.5f}));
    // Unknown library, unknown symbol: nothing, and later lookups still work.
    LookUp(reader, "NOPE", "FLAT");
    EXPECT_TRUE(reader.Points().empty());
    LookUp(reader, "GTOL", "NOPE");
    EXPECT_TRUE(reader.Points().empty());
    LookUp(reader, "GTOL", "MMC");
    EXPECT_EQ(ListOf(reader, "CIRCLE"), (std::vector<float>{0.55f, 0.53f, 0.53f}));
    ASSERT_EQ(reader.TextCount(), 1u);
    EXPECT_EQ(reader.Texts()[0], "M");
}

TEST(SymbolReader, AFileOfOneBlockIsReadOnceForEveryLookup)
{
    // A sheet looks its symbols up again and again: a file that fits in one
    // block is read when it is opened and never again, so what it held then
    // is what every later lookup finds, whatever becomes of the file.
    TempFile file(Lines({"*LIB", "*ONE", "A,LINE 0,0,1.5,0"}));
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "LIB", "ONE");
    ASSERT_EQ(ListOf(reader, "LINE"), (std::vector<float>{0, 0, 1.5f, 0}));
    std::ofstream(file.path(), std::ios::binary | std::ios::trunc) << "*LIB\r\n*ONE\r\nA,LINE 9,9,9,9\r\n";
    for (int i = 0; i < 3; ++i)
    {
        LookUp(reader, "LIB", "ONE");
        EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{0, 0, 1.5f, 0}));
    }

    // A larger file is read again from its start by each lookup.
    std::string large = "*LIB\r\n";
    while (large.size() < CSymbolReader::kBlockSize + 100)
        large += ";" + std::string(97, 'x') + "\r\n";
    TempFile big(large + "*ONE\r\nA,LINE 1,2,3,4\r\n");
    CSymbolReader streamed(big.path());
    ASSERT_TRUE(streamed.OpenFile());
    LookUp(streamed, "LIB", "ONE");
    EXPECT_EQ(ListOf(streamed, "LINE"), (std::vector<float>{1, 2, 3, 4}));
    LookUp(streamed, "LIB", "ONE");
    EXPECT_EQ(ListOf(streamed, "LINE"), (std::vector<float>{1, 2, 3, 4}));
}

TEST(SymbolReader, LongLinesLongFieldsAndManyTexts)
{
    std::string text = "*L\r\n*S\r\n";
    // A line of 5000 bytes whose last field is far past the first kilobyte.
    std::string line = "A,LINE 1";
    while (line.size() < 5000)
        line += ",0";
    line += ",42\r\n";
    text += line;
    // A field of 3000 bytes.
    text += "A,ARC 1." + std::string(3000, '0') + "1\r\n";
    for (int i = 0; i < 150; ++i)
        text += "A,TEXT 0,0,T" + std::to_string(i) + "\r\n";
    TempFile file(text);
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "L", "S");
    const std::vector<float> lines = ListOf(reader, "LINE");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), 1.0f);
    EXPECT_EQ(lines.back(), 42.0f);
    EXPECT_EQ(ListOf(reader, "ARC"), (std::vector<float>{1.0f}));
    EXPECT_EQ(ListOf(reader, "TEXT").size(), 450u) << "every text's numbers are kept";
    ASSERT_EQ(reader.TextCount(), CSymbolReader::kMaxTexts);
    EXPECT_EQ(reader.Texts().back(), "T99");
}

TEST(SymbolReader, LineEndsAcrossBlockBoundaries)
{
    // Filler comments push the symbols past the first block, with a CR LF
    // split between two blocks and symbols on both sides.
    std::string text = "*L\r\n";
    const std::string filler = ";" + std::string(97, 'x') + "\r\n"; // 100 bytes
    while (text.size() + filler.size() < CSymbolReader::kBlockSize - 1)
        text += filler;
    text += std::string(CSymbolReader::kBlockSize - 1 - text.size(), ';');
    text += "\r\n*S\r\nA,LINE 1,2,3,4\r\nA,LINE 5,6,7,8\r\n"; // CR is the block's last byte
    for (int i = 0; i < 400; ++i)
        text += filler;
    text += "*T\r\nA,CIRCLE 9,9,9\r\n";
    TempFile file(text);
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "L", "S");
    EXPECT_EQ(ListOf(reader, "LINE"), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    LookUp(reader, "L", "T");
    EXPECT_EQ(ListOf(reader, "CIRCLE"), (std::vector<float>{9, 9, 9}));
    LookUp(reader, "L", "S");
    EXPECT_EQ(ListOf(reader, "LINE").size(), 8u);
}

TEST(SymbolReader, MissingFileFindsNothing)
{
    for (const std::string& path : {std::string(), std::string("/nonexistent/dir/Gtol.sym")})
    {
        CSymbolReader reader(path);
        EXPECT_FALSE(reader.OpenFile());
        LookUp(reader, "GTOL", "FLAT");
        EXPECT_TRUE(reader.Points().empty());
        std::string line;
        EXPECT_FALSE(reader.ReadLine(line));
    }
}

TEST(SymbolReader, TruncatedAndMutatedFilesNeverCrash)
{
    const std::string good = Slurp(kExample);
    ASSERT_FALSE(good.empty());
    auto exercise = [](const std::string& bytes)
    {
        TempFile file(bytes);
        CSymbolReader reader(file.path());
        reader.OpenFile();
        for (const char* symbol : {"FLAT", "MMC", "ARC", "TOTRUN", "NOPE"})
        {
            LookUp(reader, "GTOL", symbol);
            EXPECT_LE(reader.TextCount(), CSymbolReader::kMaxTexts);
        }
    };
    for (std::size_t length = 0; length <= good.size(); length += 7)
        exercise(good.substr(0, length));
    std::mt19937 random(2026);
    for (int round = 0; round < 150; ++round)
    {
        std::string bytes = good;
        for (int k = 0; k < 8; ++k)
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        exercise(bytes);
    }
    // A truncated file ends its last symbol cleanly.
    const std::size_t cut = good.find("A,LINE 0.3,0.75");
    ASSERT_NE(cut, std::string::npos);
    TempFile file(good.substr(0, cut + 14)); // "A,LINE 0.3,0.7"
    CSymbolReader reader(file.path());
    ASSERT_TRUE(reader.OpenFile());
    LookUp(reader, "GTOL", "FLAT");
    EXPECT_EQ(ListOf(reader, "LINE").size(), 6u);
}

TEST(SymbolFileLocation, TwoFoldersAboveTheHostSettingsFile)
{
    platform::Registry& registry = platform::processRegistry();
    const auto set = [&](const std::u16string& value)
    {
        registry.setValue(platform::Hive::LocalMachine, platform::kHostSetupKey,
                          platform::kToolboxIniFileValue, value);
    };
    set(u"C:\\Host\\toolbox\\toolbox.ini");
    EXPECT_EQ(SymbolFilePath(), "C:/Host/lang/english/Gtol.sym");
    // No length limit on the setting.
    const std::u16string deep = u"/" + std::u16string(300, u'd') + u"/toolbox/x.ini";
    set(deep);
    EXPECT_EQ(SymbolFilePath(), "/" + std::string(300, 'd') + "/lang/english/Gtol.sym");
    // Too short to name a folder: no file at all, never one on the current drive.
    set(u"toolbox\\toolbox.ini");
    EXPECT_EQ(SymbolFilePath(), "");
    set(u"toolbox.ini");
    EXPECT_EQ(SymbolFilePath(), "");
    registry.clear();
    EXPECT_EQ(SymbolFilePath(), "");
}
