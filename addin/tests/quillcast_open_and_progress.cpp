// What the user of the quillcast program sees around a publication: the
// package opened afterwards when asked (and a note saying why when it cannot
// be), and the progress line on a terminal naming what is being written.
#include "QuillcastHarness.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <sys/stat.h>

namespace
{
using namespace publish_test;

const std::string kDrawing = QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml";
const std::string kPart = QUILLCAST_SOURCE_DIR "/examples/sample-part.xml";
const std::string kAssembly = QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml";

// Runs the program given after it on a pseudo-terminal (its standard input,
// output and error) and passes on everything it wrote there and its status.
const char kOnTerminal[] = "import os, pty, subprocess, sys\n"
                           "master, slave = pty.openpty()\n"
                           "child = subprocess.Popen(sys.argv[1:], stdin=slave, stdout=slave,\n"
                           "                         stderr=slave)\n"
                           "os.close(slave)\n"
                           "seen = b''\n"
                           "while True:\n"
                           "    try:\n"
                           "        data = os.read(master, 65536)\n"
                           "    except OSError:\n"
                           "        break\n"
                           "    if not data:\n"
                           "        break\n"
                           "    seen += data\n"
                           "sys.stdout.buffer.write(seen)\n"
                           "sys.exit(child.wait())\n";

class QuillcastUserView : public QuillcastProgram
{
protected:
    // Publishes `document` to Target() with `options`, the program's PATH
    // being `path`; answers the status, with standard error in `errors`.
    int PublishWithPath(const std::string& document, const std::string& path,
                        const std::string& options, std::string& errors)
    {
        return QuillcastAfter("PATH=" + Quoted(path),
                              "publish " + Quoted(document) + " -o " + Quoted(Target()) +
                                  " --force " + options,
                              errors);
    }
    // A folder holding an executable `xdg-open` that records the file it
    // was given in `opened` and exits with `status`.
    std::string OpenerFolder(const std::string& name, int status) const
    {
        const std::string folder = root_ + "/" + name;
        ::mkdir(folder.c_str(), 0700);
        const std::string opener = folder + "/xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > " << Quoted(root_ + "/opened")
                              << "\nexit " << status << "\n";
        ::chmod(opener.c_str(), 0700);
        return folder;
    }
    // Whether python3's zipfile reads the package at Target() whole.
    bool PackageReadsWhole() const
    {
        std::string said;
        const int status = RunCommand("python3 -c \"import sys, zipfile; "
                                      "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not "
                                      "None)\" " +
                                          Quoted(Target()) + " 2>&1",
                                      &said);
        return status == 0 && said.empty();
    }
    // The progress lines the program drew on a terminal while publishing
    // `document` with `options`: each text the bar's carriage returns
    // separate that begins with the caption, up to the bar.
    std::set<std::string> ProgressLines(const std::string& document,
                                        const std::string& options = "")
    {
        const std::string script = root_ + "/terminal.py";
        std::ofstream(script) << kOnTerminal;
        std::string seen;
        EXPECT_EQ(RunCommand("python3 " + Quoted(script) + " " + Quoted(program_) + " publish " +
                                 Quoted(document) + " -o " + Quoted(Target()) + " --force " +
                                 options,
                             &seen),
                  0)
            << seen;
        std::set<std::string> lines;
        std::string piece;
        std::istringstream pieces(seen);
        while (std::getline(pieces, piece, '\r'))
        {
            const std::size_t bar = piece.find(" [");
            if (piece.rfind("Publish DWF File...", 0) == 0 && bar != std::string::npos)
                lines.insert(piece.substr(0, bar));
        }
        return lines;
    }
};

TEST_F(QuillcastUserView, APackageThatCannotBeOpenedIsKeptAndANoteSaysWhy)
{
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is needed";
    const std::string noOpener = root_ + "/empty";
    ::mkdir(noOpener.c_str(), 0700);
    const std::string failing = OpenerFolder("failing", 4);
    const std::string opening = OpenerFolder("opening", 0);
    const std::string note =
        "quillcast: note: The package '" + Target() + "' was written but could not be opened: ";
    for (const std::string& document : {kDrawing, kPart})
    {
        SCOPED_TRACE(document);
        std::string errors;
        EXPECT_EQ(PublishWithPath(document, noOpener, "--open", errors), 0);
        EXPECT_EQ(errors, note + "no program 'xdg-open' was found on the path\n");
        EXPECT_TRUE(PackageReadsWhole());

        std::remove((root_ + "/opened").c_str());
        EXPECT_EQ(PublishWithPath(document, failing, "--open", errors), 0);
        EXPECT_EQ(errors, note + "'xdg-open' exited with status 4\n");
        EXPECT_EQ(Contents(root_ + "/opened"), Target());
        EXPECT_TRUE(PackageReadsWhole());

        // An opener that does its work, or none asked for: not a word.
        std::remove((root_ + "/opened").c_str());
        EXPECT_EQ(PublishWithPath(document, opening, "--open", errors), 0);
        EXPECT_EQ(errors, "");
        EXPECT_EQ(Contents(root_ + "/opened"), Target());
        EXPECT_EQ(PublishWithPath(document, noOpener, "", errors), 0);
        EXPECT_EQ(errors, "");
    }

    // A drawing whose sheet lost a table is written but not opened: the
    // user hears that too.
    const std::string bom = Document(
        "bom.xml",
        "<host-document><document type=\"3\" title=\"bom.DRW\" picture=\"" QUILLCAST_SOURCE_DIR
        "/examples/sample-preview.png\"><drawing><sheet name=\"A\" "
        "properties=\"0 0 0 0 0 0.42 0.297\"><view name=\"A\" type=\"1\"/>"
        "<view name=\"V\" type=\"2\"><bom-table state=\"0\"><display-data/>"
        "</bom-table></view></sheet></drawing></document></host-document>");
    std::remove((root_ + "/opened").c_str());
    std::string errors;
    EXPECT_EQ(PublishWithPath(bom, opening, "--open", errors), 3);
    EXPECT_NE(errors.find("\nquillcast: note: The package '" + Target() +
                          "' was not opened: failures were reported while it was written\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(::access((root_ + "/opened").c_str(), F_OK), 0) << "the opener ran";
    EXPECT_TRUE(PackageReadsWhole());
}

TEST_F(QuillcastUserView, TheProgressLineNamesTheModelOrTheSheetOfTheTotal)
{
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is needed";
    // An assembly's bar moves as its components are written.
    EXPECT_EQ(ProgressLines(kAssembly), std::set<std::string>{"Publish DWF File... model"});
    EXPECT_EQ(ProgressLines(kDrawing), (std::set<std::string>{"Publish DWF File... sheet 1 of 2",
                                                              "Publish DWF File... sheet 2 of 2"}));

    // The active sheet alone keeps its number in the drawing: the second
    // of three here.
    std::string drawing = "<host-document><document type=\"3\" title=\"three.DRW\">"
                          "<drawing current-sheet=\"B\">";
    for (const char* sheet : {"A", "B", "C"})
        drawing += std::string("<sheet name=\"") + sheet +
                   "\" properties=\"0 0 0 0 0 0.42 0.297\"><view name=\"" + sheet +
                   "\" type=\"1\"/></sheet>";
    drawing += "</drawing></document></host-document>";
    const std::string three = Document("three.xml", drawing);
    EXPECT_EQ(ProgressLines(three, "--sheets active"),
              std::set<std::string>{"Publish DWF File... sheet 2 of 3"});
    EXPECT_EQ(ProgressLines(three), (std::set<std::string>{"Publish DWF File... sheet 1 of 3",
                                                           "Publish DWF File... sheet 2 of 3",
                                                           "Publish DWF File... sheet 3 of 3"}));
}

} // namespace
