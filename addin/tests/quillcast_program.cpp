// The quillcast command line: options, exit statuses and messages. The
// program is built beside this test program.
#include "QuillcastHarness.h"
#include "SheetReadBack.h"

#include <gtest/gtest.h>

#include <array>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using namespace publish_test;

TEST_F(QuillcastProgram, HelpListsEveryOptionWithItsDefault)
{
    std::string errors;
    std::string help;
    EXPECT_EQ(Quillcast("--help", errors, &help), 0);
    for (const char* option :
         {"publish DOCUMENT -o OUT.dwf", "--out", "--sheets", "--resolution", "--password",
          "--open", "--no-open", "--force", "--toolbox-ini", "--data-folder", "--quiet", "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(help.find("default: all"), std::string::npos);
    EXPECT_NE(help.find("default: 0"), std::string::npos);
    // Every exit status is explained.
    for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "})
        EXPECT_NE(help.find(status), std::string::npos) << status;
    EXPECT_TRUE(errors.empty());
    std::string again;
    EXPECT_EQ(Quillcast("publish -h", errors, &again), 0);
    EXPECT_EQ(again, help);
}

TEST_F(QuillcastProgram, BadCommandLinesGiveOneLineAndStatusTwo)
{
    const std::string sample = Quoted(SampleDocument());
    const std::string out = Quoted(Target());
    const std::vector<std::string> bad = {
        "",
        "convert " + sample,
        "publish",
        "publish " + sample,
        "publish " + sample + " -o",
        "publish " + sample + " -o " + out + " --bogus",
        "publish " + sample + " -o " + out + " --sheets some",
        "publish " + sample + " -o " + out + " --resolution 3",
        "publish " + sample + " " + sample + " -o " + out,
        "publish " + Quoted(root_ + "/missing.xml") + " -o " + out,
    };
    for (const auto& arguments : bad)
    {
        SCOPED_TRACE(arguments);
        std::string errors;
        EXPECT_EQ(Quillcast(arguments, errors), 2);
        EXPECT_EQ(Lines(errors), 1) << errors;
        EXPECT_EQ(errors.rfind("quillcast: ", 0), 0u) << errors;
    }
    EXPECT_TRUE(FilesIn(packages_).empty());

    // A document that is not a host document is refused the same way.
    const std::string broken = root_ + "/broken.xml";
    std::ofstream(broken) << "<host-document><document type=\"3\">";
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(broken) + " -o " + out, errors), 2);
    EXPECT_EQ(Lines(errors), 1) << errors;
}

TEST_F(QuillcastProgram, PublishesQuietlyAndReplacesOnlyWhenTold)
{
    std::string errors;
    std::string output;
    const std::string arguments =
        "publish " + Quoted(SampleDocument()) + " -o " + Quoted(packages_ + "/sample");
    EXPECT_EQ(Quillcast(arguments, errors, &output), 0);
    // Not a terminal: no progress bar, nothing said.
    EXPECT_EQ(errors, "");
    EXPECT_EQ(output, "");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
    ExpectNoTemporaryFiles();

    const auto before = ReadBytes(Target());
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(Target()), errors),
              2);
    EXPECT_NE(errors.find("--force"), std::string::npos);
    EXPECT_EQ(ReadBytes(Target()), before);
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(Target()) +
                            " --force --sheets active --quiet --data-folder " +
                            Quoted(QUILLCAST_SOURCE_DIR "/examples/host-data"),
                        errors),
              0)
        << errors;
    EXPECT_NE(ReadBytes(Target()), before);
}

TEST_F(QuillcastProgram, FailuresPrintTheMessageAndLeaveNoPackage)
{
    // A target whose folder cannot hold it.
    std::ofstream(packages_ + "/file") << "not a folder";
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " +
                            Quoted(packages_ + "/file/sample.dwf"),
                        errors),
              1);
    EXPECT_NE(errors.find("The error occurred in CDrawingDocumentPublisher::PublishDoc.\n"
                          "quillcast:   cause: Failed to create the package file beside"),
              std::string::npos)
        << errors;
    ExpectNoTemporaryFiles();

    // A read-only package is refused by the save dialog.
    const std::string locked = Target("locked.dwf");
    std::ofstream(locked) << "kept";
    ::chmod(locked.c_str(), 0444);
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(locked), errors),
              1);
    EXPECT_NE(errors.find("quillcast: The file is read-only. Choose another file name.\n"
                          "quillcast:   cause: '" +
                          locked +
                          "' has no write permission for its owner, its group or anyone else\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(Contents(locked), "kept");
}

TEST_F(QuillcastProgram, ANameThatCannotBeLookedAtIsSaidSoAndALongPathIsWritten)
{
    const std::string publish = "publish " + Quoted(SampleDocument()) + " -o ";
    std::string errors;
    // 4,100 bytes, each name under 255: written from within its folder.
    std::string folder = packages_;
    while (folder.size() < 3900)
        folder += "/" + std::string(folder.size() < 3650 ? 200 : 3899 - folder.size(), 'd');
    ASSERT_EQ(RunCommand("mkdir -p " + Quoted(folder)), 0);
    const std::string name = std::string(195, 'n') + ".dwf";
    EXPECT_EQ(Quillcast(publish + Quoted(folder + "/" + name), errors), 0) << errors;
    EXPECT_EQ(RunCommand("cd " + Quoted(folder) + " && test -s " + Quoted(name)), 0);

    // A new name in a folder this user may not search (the superuser gives
    // up passing such folders, where the system lets it).
    const std::string closed = packages_ + "/closed";
    ASSERT_EQ(::mkdir(closed.c_str(), 0600), 0);
    const std::string asUser =
        ::geteuid() != 0 ? "" : "setpriv --bounding-set=-dac_override,-dac_read_search";
    if (!asUser.empty() &&
        RunCommand(asUser + " sh -c " + Quoted("! cd " + Quoted(closed) + " 2>/dev/null")) != 0)
        GTEST_SKIP() << "no user here is kept out of a folder";
    EXPECT_EQ(QuillcastAfter(asUser, publish + Quoted(closed + "/new.dwf"), errors), 1);
    EXPECT_NE(errors.find("quillcast: The file could not be looked at. Choose another file name.\n"
                          "quillcast:   cause: '" +
                          closed +
                          "/new.dwf' could not be looked "
                          "at to learn whether it is read-only: Permission denied\n"),
              std::string::npos)
        << errors;
    ::chmod(closed.c_str(), 0700);
    EXPECT_EQ(FilesIn(closed), std::vector<std::string>{});
}

TEST_F(QuillcastProgram, HexadecimalNumbersAreTakenInRecordsAsInAttributes)
{
    // A sketch line coloured 0xFF0000 (blue: colours are laid out
    // 0x00BBGGRR) beside one coloured 255 (red) in decimal; the view's type,
    // an attribute, is written in hexadecimal too.
    const std::string document = Document(
        "hex.xml",
        "<host-document><document type=\"3\" title=\"HEX.DRW\" picture=\"" +
            std::string(QUILLCAST_SOURCE_DIR) +
            "/examples/sample-preview.png\"><drawing><sheet name=\"S\" "
            "properties=\"0 0 0 0 0 0.297 0.21\"><view type=\"1\"/><view type=\"0x7\" "
            "transform=\"0.15 0.1 1\"><sketch><lines kind=\"1\" count=\"2\">"
            "0xFF0000 0 0 1 -1 0  -0.05 0 0  0.05 0 0  255 0 0 1 -1 0  -0.05 0.01 0  0.05 0.01 0"
            "</lines></sketch></view></sheet></drawing></document></host-document>");
    std::string errors;
    ASSERT_EQ(Quillcast("publish " + Quoted(document) + " -o " + Quoted(Target()), errors), 0)
        << errors;
    const std::vector<sheet_test::Sheet> sheets = sheet_test::SheetsOf(Target());
    ASSERT_EQ(sheets.size(), 1u);
    std::vector<std::array<int, 3>> colours;
    for (const sheet_test::Item& line : sheets[0].Of(WT_Object::Polyline_ID))
        colours.push_back({line.colour.red(), line.colour.green(), line.colour.blue()});
    const std::vector<std::array<int, 3>> expected = {{0, 0, 255}, {255, 0, 0}};
    EXPECT_EQ(colours, expected);
}

} // namespace
