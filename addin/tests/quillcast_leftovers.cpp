// What the quillcast program leaves in its temporary folder when it cannot
// help it, and a thumbnail whose file is replaced before it is read back:
// either way the package is whole (exit status 0) and a note says what and
// why. The faults come from the temporary-file library
// (tests/shim/temp_faults.c), loaded with LD_PRELOAD.
#include "QuillcastFaultRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{
using namespace publish_test;

const std::string kDrawing = QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml";
const std::string kPart = QUILLCAST_SOURCE_DIR "/examples/sample-part.xml";
const std::string kAssembly = QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml";

class QuillcastLeftovers : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (!IsSkipped())
            PreloadOrSkip("quillcast_temp_faults.so", "the temporary-file library");
    }

};

// The lines of `text`, sorted.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_F(QuillcastLeftovers, WhatCannotBeRemovedIsNamedWithTheReasonAndThePackageStands)
{
    struct Case
    {
        const std::string& document;
        const char* prefix;
        const char* what;
        const char* detail;
    };
    const Case cases[] = {
        {kDrawing, "quillcast-sheet", "sheet stream", ""},
        {kDrawing, "quillcast-thumb-", "thumbnail", ""},
        {kDrawing, "quillcast-toolbar-", "toolbar bitmap", ""},
        {kAssembly, "model_w3d_", "model stream", ""},
        {kAssembly, "quillcast-thumb-", "thumbnail", ""},
        // One note for the folder, not one for each texture in it.
        {kAssembly, "dwfTex", "folder of converted textures", " (2 files are left in it)"},
        {kAssembly, "IMG", "paging file", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.prefix);
        std::string errors;
        const int status = PublishOverOld(
            c.document, errors,
            preload_ + "QC_REFUSE_IN=" + Quoted(temporary_) + " QC_REFUSE_PREFIX=" + c.prefix);
        EXPECT_EQ(status, 0) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 10), "(DWF V06.0");
        // A note for each thing left, naming it and the system's reason.
        std::string expected;
        for (const std::string& name : FilesIn(temporary_))
            expected += "quillcast: note: The temporary " + std::string(c.what) + " '" +
                        temporary_ + "/" + name + "' could not be removed" + c.detail +
                        ": Permission denied\n";
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(SortedLines(errors), SortedLines(expected));
        RunCommand("rm -rf " + Quoted(temporary_) + "/*");
    }
}

TEST_F(QuillcastLeftovers, AThumbnailReplacedBeforeItIsReadBackIsLeftOutWithANote)
{
    // Replaced when it is first read back (for its size) or second (for the
    // package): the sheet or the model goes without it, the rest is
    // written, and nothing is read from where the link leads.
    struct Case
    {
        const std::string& document;
        const char* note;
        const char* pictures; // JPEG entries: one fewer than a whole run has
    };
    const Case cases[] = {
        {kDrawing, "quillcast: note: Sheet 'Sheet1' has no thumbnail: ", "1"},
        {kPart, "quillcast: note: The model has no thumbnail: ", "2"},
    };
    const std::string victim = root_ + "/notes.txt";
    std::ofstream(victim) << "the user's own notes\n";
    for (const Case& c : cases)
    {
        for (const char* reading : {"1", "2"})
        {
            SCOPED_TRACE(c.document + " at reading " + reading);
            std::string errors;
            const int status = PublishOverOld(
                c.document, errors,
                preload_ + "QC_SWAP_IN=" + Quoted(temporary_) +
                    " QC_SWAP_PREFIX=quillcast-thumb- QC_SWAP_AT=" + reading +
                    " QC_SWAP_LINK_TO=" + Quoted(victim));
            EXPECT_EQ(status, 0) << errors;
            // One note, naming the sheet or the model, the picture and why.
            EXPECT_EQ(Lines(errors), 1) << errors;
            EXPECT_EQ(errors.rfind(c.note, 0), 0u) << errors;
            EXPECT_NE(errors.find(temporary_ + "/quillcast-thumb-"), std::string::npos);
            EXPECT_NE(errors.find("': Replaced by another file since this run made it\n"),
                      std::string::npos);
            EXPECT_EQ(Contents(victim), "the user's own notes\n");
            ExpectNoTemporaryFiles();
            if (!HaveTool("python3"))
                continue;
            std::string out;
            EXPECT_EQ(RunCommand("python3 -c " +
                                     Quoted("import sys, zipfile\n"
                                            "z = zipfile.ZipFile(sys.argv[1])\n"
                                            "assert z.testzip() is None\n"
                                            "print(sum(n.endswith('.jpg') for n in z.namelist()))") +
                                     " " + Quoted(Target()),
                                 &out),
                      0);
            EXPECT_EQ(out, std::string(c.pictures) + "\n");
        }
    }
}

} // namespace
