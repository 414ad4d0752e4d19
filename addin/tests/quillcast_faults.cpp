// The quillcast command under faults: its exit status tells a written
// package from a lost one, each failure prints its cause, and a run that
// is interrupted leaves neither temporary files nor a changed target.
// Every case runs the program in its own folders and checks the existing
// target byte for byte.
#include "QuillcastFaultRuns.h"
#include "SheetReadBack.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace publish_test;

// The sample drawing with its relative references made absolute, so that a
// changed copy can live in a test folder.
std::string SampleText()
{
    std::string text = ExampleText("sample-drawing.xml");
    const auto absolute = [&](const std::string& attribute, const std::string& value)
    {
        const std::string from = attribute + "=\"" + value;
        const std::size_t at = text.find(from);
        if (at != std::string::npos)
            text.replace(at, from.size(),
                         attribute + "=\"" + QUILLCAST_SOURCE_DIR "/examples/" + value);
    };
    absolute("toolbox-ini", "host-data/");
    absolute("picture", "sample-preview.png");
    return text;
}

class QuillcastFaults : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (IsSkipped())
            return;
        sample_ = root_ + "/sample.xml";
        std::ofstream(sample_) << SampleText();
    }

    std::string sample_;
};

TEST_F(QuillcastFaults, APackageWrittenAfterAMessageExitsThree)
{
    // A bill of materials that is not in its writable state costs its
    // table, not the package.
    const std::string document =
        Document("bom.xml", Replaced(SampleText(), "<bom-table state=\"1\">",
                                     "<bom-table state=\"0\">"));
    std::string errors;
    EXPECT_EQ(PublishOverOld(document, errors), 3) << errors;
    EXPECT_NE(errors.find("quillcast: A bill of materials table could not be written"),
              std::string::npos)
        << errors;
    EXPECT_EQ(CauseLine(errors), "Sheet 'Sheet1': the table of view 'Drawing View1' is in state "
                                 "0; the host lets a table be written in state 1 only")
        << errors;
    EXPECT_NE(errors.find("the package was written to '" + Target() + "'"), std::string::npos)
        << errors;
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
    ExpectNoTemporaryFiles();

    // A target given without its extension: the message names the file
    // written, the one with it.
    const std::string bare = Target().substr(0, Target().size() - std::strlen(".dwf"));
    EXPECT_EQ(QuillcastAfter("", "publish " + Quoted(document) + " -o " + Quoted(bare) + " --force",
                             errors),
              3)
        << errors;
    EXPECT_NE(errors.find("the package was written to '" + Target() + "'"), std::string::npos)
        << errors;
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});

    // The same drawing without the fault exits 0 and says nothing.
    EXPECT_EQ(PublishOverOld(sample_, errors), 0) << errors;
    EXPECT_EQ(errors, "");
}

TEST_F(QuillcastFaults, AMissingTemporaryFolderIsTheCause)
{
    const std::string missing = root_ + "/no-such-folder";
    std::string errors;
    EXPECT_EQ(PublishOverOld(sample_, errors, "TMPDIR=" + Quoted(missing)), 1) << errors;
    EXPECT_NE(errors.find("The error occurred in CDrawingDocumentPublisher::PublishDoc."),
              std::string::npos)
        << errors;
    EXPECT_EQ(CauseLine(errors), "Failed to create a temporary file in '" + missing +
                                     "/': No such file or directory");
    EXPECT_NE(errors.find("quillcast: no package was written"), std::string::npos) << errors;
    ExpectUntouched();
}

TEST_F(QuillcastFaults, AFolderThatIsAFileIsTheCause)
{
    std::ofstream(packages_ + "/plain") << "a file";
    const std::string inside = packages_ + "/plain/sample.dwf";
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(sample_) + " -o " + Quoted(inside), errors), 1);
    EXPECT_EQ(CauseLine(errors),
              "Failed to create the package file beside '" + inside + "': Not a directory");
    EXPECT_EQ(Contents(packages_ + "/plain"), "a file");
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastFaults, AFileSizeLimitIsTheCause)
{
    // Past the limit a write fails with the system's reason instead of
    // the signal ending the program.
    std::string errors;
    EXPECT_EQ(PublishOverOld(sample_, errors, "ulimit -f 4;"), 1) << errors;
    const std::string cause = CauseLine(errors);
    EXPECT_NE(cause.find(": File too large"), std::string::npos) << errors;
    EXPECT_EQ(cause.find("error '"), cause.find("'") - 6) << cause;
    ExpectUntouched();
}

TEST_F(QuillcastFaults, AReadOnlyTargetFolderIsTheCause)
{
    std::string errors;
    int status = 0;
    std::string reason;
    if (PrivateMounts())
    {
        // The folder is made read-only for the program alone.
        PlaceOldPackage(Target());
        const std::string errorFile = root_ + "/stderr.txt";
        const std::string script = "mount --bind " + Quoted(packages_) + " " + Quoted(packages_) +
                                   " && mount -o remount,ro,bind " + Quoted(packages_) +
                                   " && exec " + Quoted(program_) + " publish " +
                                   Quoted(sample_) + " -o " + Quoted(Target()) + " --force 2>" +
                                   Quoted(errorFile);
        status = RunCommand("unshare -m sh -c " + Quoted(script));
        errors = Contents(errorFile);
        reason = "Read-only file system";
    }
    else if (::geteuid() != 0)
    {
        PlaceOldPackage(Target());
        ::chmod(packages_.c_str(), 0555);
        status = Quillcast("publish " + Quoted(sample_) + " -o " + Quoted(Target()) + " --force",
                           errors);
        ::chmod(packages_.c_str(), 0700);
        reason = "Permission denied";
    }
    else
    {
        GTEST_SKIP() << "the superuser writes into read-only folders, and no private mount "
                        "namespace can be made here";
    }
    EXPECT_EQ(status, 1) << errors;
    EXPECT_EQ(CauseLine(errors),
              "Failed to create the package file beside '" + Target() + "': " + reason);
    ExpectUntouched();
}

TEST_F(QuillcastFaults, AFullDiskIsTheCause)
{
    if (!PrivateMounts())
        GTEST_SKIP() << "no private mount namespace can be made here for a small file system";
    // A file system of two pages: the old package takes one, the new one
    // does not fit in the other. The folder lives only in the namespace, so
    // the script copies out what it held afterwards.
    const std::string full = root_ + "/full";
    const std::string after = root_ + "/after";
    ::mkdir(full.c_str(), 0700);
    ::mkdir(after.c_str(), 0700);
    const std::string target = full + "/sample.dwf";
    const std::string script =
        "mount -t tmpfs -o size=8k qc-full " + Quoted(full) + " || exit 99; printf 'the old " +
        "package' > " + Quoted(target) + "; " + Quoted(program_) + " publish " + Quoted(sample_) +
        " -o " + Quoted(target) + " --force 2>" + Quoted(root_ + "/stderr.txt") +
        "; status=$?; cp " + Quoted(target) + " " + Quoted(after + "/sample.dwf") + "; ls -A " +
        Quoted(full) + " > " + Quoted(root_ + "/listing.txt") + "; exit $status";
    const int status = RunCommand("unshare -m sh -c " + Quoted(script));
    const std::string errors = Contents(root_ + "/stderr.txt");
    ASSERT_NE(status, 99) << "mounting failed";
    EXPECT_EQ(status, 1) << errors;
    const std::string cause = CauseLine(errors);
    EXPECT_NE(cause.find("'" + full + "/.qc-"), std::string::npos) << cause;
    EXPECT_NE(cause.find("': No space left on device"), std::string::npos) << cause;
    EXPECT_EQ(ReadBytes(after + "/sample.dwf"), kOldPackage);
    EXPECT_EQ(Contents(root_ + "/listing.txt"), "sample.dwf\n");
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastFaults, AReadOnlyTargetIsRefusedWithOneMessage)
{
    PlaceOldPackage(Target());
    ::chmod(Target().c_str(), 0444);
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(sample_) + " -o " + Quoted(Target()), errors), 1);
    EXPECT_EQ(Occurrences(errors, "read-only"), 1u) << errors;
    ExpectUntouched();
}

TEST_F(QuillcastFaults, AnUnreadablePictureIsNotedAndThePackageStaysWhole)
{
    // Which picture and why: none at all, a missing file, a file that is no
    // picture.
    const std::string sample = QUILLCAST_SOURCE_DIR "/examples/sample-preview.png";
    const std::string notPicture = root_ + "/not-a-picture.png";
    std::ofstream(notPicture) << "plain text";
    const std::pair<std::string, std::string> cases[] = {
        {"", "the document has no picture"},
        {"picture=\"" + root_ + "/gone.png\"",
         "cannot open the picture file '" + root_ + "/gone.png': No such file or directory"},
        {"picture=\"" + notPicture + "\"", "'" + notPicture + "' is not a JPEG or PNG picture"},
    };
    std::string errors;
    for (const auto& [picture, why] : cases)
    {
        const std::string document = Document(
            "no-picture.xml", Replaced(SampleText(), "picture=\"" + sample + "\"", picture));
        EXPECT_EQ(PublishOverOld(document, errors), 0) << errors;
        EXPECT_EQ(errors, "quillcast: note: Sheet 'Sheet1' has no thumbnail: " + why +
                              "\nquillcast: note: Sheet 'Sheet2' has no thumbnail: " + why + "\n");
    }
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
    if (RunCommand("/usr/bin/python3 -c 'import zipfile' 2>/dev/null") == 0)
    {
        // Every entry reads back whole; the thumbnails are simply not there.
        std::string listing;
        EXPECT_EQ(RunCommand("/usr/bin/python3 -c 'import sys, zipfile\n"
                             "z = zipfile.ZipFile(sys.argv[1])\n"
                             "assert z.testzip() is None\n"
                             "print(sum(n.endswith(\".jpg\") for n in z.namelist()))' " +
                                 Quoted(Target()),
                             &listing),
                  0);
        EXPECT_EQ(listing, "0\n");
    }
    ExpectNoTemporaryFiles();
}

// ---------------------------------------------------------------- signals

TEST_F(QuillcastFaults, InterruptedRunsRemoveTheirFilesAndLeaveTheTarget)
{
    const std::string document = Document("large.xml", ParabolaDrawing(1500));
    const SignalMoment moments[] = {
        {"while the add-in connects", false, "quillcast-toolbar-"},
        {"while the sheet is written", false, "quillcast-sheet"},
        {"while the package is written", true, ".qc-"},
    };
    int run = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        for (const SignalMoment& moment : moments)
        {
            SCOPED_TRACE(std::string(strsignal(signal)) + " " + moment.name);
            // Each run in folders of its own.
            const std::string folder = root_ + "/run" + std::to_string(++run);
            ExpectSignalLeavesNothing(
                folder, {program_, "publish", document, "-o", folder + "/out/sample.dwf", "--force", "--quiet"},
                signal, moment);
        }
    }
}
} // namespace

TEST_F(QuillcastFaults, ASignalRightAfterThePackageReplacedTheTargetLetsTheRunFinish)
{
    // The test library sends the signal the moment the rename returns: the
    // target is the new package by then, and the run must say so by its
    // own status, not die as if it had been interrupted.
    const std::string library = WriteFaultLibrary(program_);
    if (library.empty())
        GTEST_SKIP() << "the write-fault library is not built beside the program";
    int run = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(strsignal(signal));
        const std::string folder = root_ + "/replaced" + std::to_string(++run);
        const std::string temporary = folder + "/tmp";
        const std::string packages = folder + "/out";
        for (const std::string& made : {folder, temporary, packages})
            ::mkdir(made.c_str(), 0700);
        const std::string target = packages + "/sample.dwf";
        PlaceOldPackage(target);
        const pid_t child = SpawnWithDefaultSignals(
            {program_, "publish", sample_, "-o", target, "--force", "--quiet"}, temporary,
            {"LD_PRELOAD=" + Preload(library), "QC_SIGNAL_AFTER_RENAME=" + std::to_string(signal)});
        ASSERT_GT(child, 0);
        int status = 0;
        bool ended = false;
        for (int poll = 0; poll < 1200 && !ended; ++poll)
        {
            ended = ::waitpid(child, &status, WNOHANG) == child;
            if (!ended)
                ::usleep(100000);
        }
        if (!ended)
        {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        ASSERT_TRUE(ended) << "the run did not end within two minutes";
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_EQ(Contents(target).substr(0, 12), "(DWF V06.00)");
        EXPECT_EQ(FilesIn(packages), std::vector<std::string>{"sample.dwf"});
        EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{});
    }
}

// ------------------------------------------------ flushed to the disk

TEST_F(QuillcastFaults, ThePackageIsFlushedBeforeItReplacesTheTargetAndItsFolderAfter)
{
    ExpectFlushedAroundTheRename(sample_, "(DWF V06.00)");
}

TEST_F(QuillcastFaults, MessagesOnANewPackageAndOnAFolderNameSayWhatIsSo)
{
    const std::string preload = PreloadBeside(program_, "quillcast_write_faults.so");
    if (preload.empty())
        GTEST_SKIP() << "the write-fault library is not built beside the program";
    // The folder of a new package is not flushed (as one that can be
    // written but not read): no old file can come back, the package can go.
    const std::string trace = root_ + "/trace.txt";
    const std::string publish = "publish " + Quoted(sample_) + " -o " + Quoted(Target());
    std::string errors;
    ASSERT_EQ(QuillcastAfter(preload + "QC_FAULT_TRACE=" + Quoted(trace), publish, errors), 0);
    const unsigned long call = FindPackageFlushes(trace, Target()).folderFlushCall;
    std::remove(Target().c_str());
    EXPECT_EQ(QuillcastAfter(preload + "QC_FAULT_CALL=fsync QC_FAULT_AT=" + std::to_string(call),
                             publish, errors),
              3);
    EXPECT_EQ(CauseLine(errors), "The package was written to '" + Target() +
                                     "', but a power loss may still lose it: Failed to flush the "
                                     "folder '" + packages_ + "': Input/output error");
    EXPECT_NE(errors.find("may still lose the new package"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("old file"), std::string::npos) << errors;

    // "-o sub" writes sub.dwf: when that is a folder, it is the name refused.
    ASSERT_EQ(::mkdir(Target("sub.dwf").c_str(), 0700), 0);
    EXPECT_EQ(Quillcast("publish " + Quoted(sample_) + " -o " + Quoted(Target("sub")), errors), 2);
    EXPECT_NE(errors.find("'" + Target("sub.dwf") + "' names a folder"), std::string::npos);
}

// ------------------------------------------------------- a disk that fills

TEST_F(QuillcastFaults, AFullDiskAtAnyWriteLeavesTheTargetAndNamesFileAndReason)
{
    const std::string preload = PreloadBeside(program_, "quillcast_write_faults.so");
    if (preload.empty())
        GTEST_SKIP() << "the write-fault library is not built beside the program";

    // A clean run counts the calls that a full disk could make fail.
    const std::string counts = root_ + "/counts.txt";
    std::string errors;
    ASSERT_EQ(PublishOverOld(sample_, errors, preload + "QC_FAULT_COUNTS=" + Quoted(counts)), 0)
        << errors;
    std::map<std::string, unsigned long> calls = FaultCounts(counts);
    ASSERT_GT(calls["fwrite"], 40u);
    ASSERT_GT(calls["fclose"], 0u);

    // Fifty points across the run: most at writes, the rest where buffered
    // bytes are flushed or a written file is closed.
    std::vector<std::pair<std::string, unsigned long>> points;
    for (const char* kind : {"fflush", "fclose"})
        for (unsigned long n : Spread(calls[kind], 5))
            points.emplace_back(kind, n);
    for (unsigned long n : Spread(calls["fwrite"], 50 - points.size()))
        points.emplace_back("fwrite", n);
    ASSERT_EQ(points.size(), 50u);

    int failed = 0;
    for (const auto& [kind, n] : points)
    {
        SCOPED_TRACE(kind + " " + std::to_string(n));
        const int status = PublishOverOld(
            sample_, errors,
            preload + "QC_FAULT_CALL=" + kind + " QC_FAULT_AT=" + std::to_string(n));
        if (status == 0)
        {
            // Only a picture outside the package (the toolbar's image, a
            // sheet's thumbnail) can be lost while the package is written
            // whole; the note says which file and why.
            const std::string note = "quillcast: note: ";
            const std::size_t at = errors.find(note);
            ASSERT_NE(at, std::string::npos) << "a lost write went unreported";
            const std::string line = errors.substr(at, errors.find('\n', at) - at);
            EXPECT_NE(line.find(" '/"), std::string::npos) << line;
            EXPECT_NE(line.find("': No space left on device"), std::string::npos) << line;
            EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
            continue;
        }
        ++failed;
        EXPECT_EQ(status, 1) << errors;
        const std::string cause = CauseLine(errors);
        // What was done, to which file, and the system's reason.
        EXPECT_NE(cause.find(" '/"), std::string::npos) << errors;
        EXPECT_NE(cause.find("': No space left on device"), std::string::npos) << errors;
        EXPECT_NE(errors.find("quillcast: no package was written"), std::string::npos) << errors;
        ExpectUntouched();
    }
    EXPECT_GE(failed, 40);
}

// ------------------------------------------- content left out, and said so

namespace
{
// A host data folder of the test's own, whose symbol file is `symbols`
// (none when empty).
std::string DataFolder(const std::string& root, const std::string* symbols)
{
    ::mkdir(root.c_str(), 0700);
    const std::string data = root + "/data";
    for (const char* folder : {"", "/toolbox", "/lang", "/lang/english"})
        ::mkdir((data + folder).c_str(), 0700);
    std::ofstream(data + "/toolbox/toolbox.ini") << "[settings]\n";
    if (symbols)
        std::ofstream(data + "/lang/english/Gtol.sym", std::ios::binary) << *symbols;
    return data;
}

// The causes printed under the add-in's messages, in order.
std::vector<std::string> Causes(const std::string& errors)
{
    std::vector<std::string> causes;
    const std::string marker = "quillcast:   cause: ";
    for (std::size_t at = errors.find(marker); at != std::string::npos;
         at = errors.find(marker, at + 1))
    {
        const std::size_t from = at + marker.size();
        causes.push_back(errors.substr(from, errors.find('\n', from) - from));
    }
    return causes;
}
} // namespace

TEST_F(QuillcastFaults, ASymbolFileThatCannotBeUsedIsNamedWithItsReason)
{
    struct Case
    {
        const char* name;
        bool present;
        std::string contents;
        std::string reason;
    };
    const Case cases[] = {
        {"missing", false, "", "No such file or directory"},
        {"not a symbol file", true, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         "it is not a symbol file"},
        {"text without entities", true, "*GTOL,Geometric tolerance symbols\r\n",
         "it is not a symbol file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string data = DataFolder(root_ + "/" + std::to_string(&c - cases), nullptr);
        const std::string symbols = data + "/lang/english/Gtol.sym";
        std::remove(symbols.c_str());
        if (c.present)
            std::ofstream(symbols, std::ios::binary) << c.contents;
        // The package is written without the symbols, and the run says so:
        // once for each sheet that wanted one.
        std::string errors;
        const int status = PublishOverOld(sample_, errors, "", "--data-folder " + Quoted(data));
        EXPECT_EQ(status, 3) << errors;
        const std::string expected = "The symbol file '" + symbols + "' cannot be used: " +
                                     c.reason + "; symbols in text are left out";
        EXPECT_EQ(Causes(errors), (std::vector<std::string>{"Sheet 'Sheet1': " + expected,
                                                            "Sheet 'Sheet2': " + expected}))
            << errors;
        EXPECT_NE(errors.find("The error occurred in CSymbolDrawer::Draw."), std::string::npos);
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
        ExpectNoTemporaryFiles();
    }
}

TEST_F(QuillcastFaults, AnUnknownSymbolCodeIsNamedOncePerSheet)
{
    // Twice on the same sheet, reported once.
    const std::string document = Document(
        "unknown.xml", Replaced(Replaced(SampleText(), "&lt;GTOL-FLAT&gt;", "&lt;GTOL-NOPE&gt;"),
                                "&lt;GTOL-PERP&gt;", "&lt;GTOL-NOPE&gt;"));
    std::string errors;
    EXPECT_EQ(PublishOverOld(document, errors), 3) << errors;
    EXPECT_EQ(Causes(errors),
              std::vector<std::string>{"Sheet 'Sheet1': The symbol code <GTOL-NOPE> is not in the "
                                       "symbol file '" QUILLCAST_SOURCE_DIR
                                       "/examples/host-data/lang/english/Gtol.sym'; it is left "
                                       "out"})
        << errors;
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
}

TEST_F(QuillcastFaults, ATextTooLongForOneW2DStringIsCutAndTheStreamReadsToTheEnd)
{
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    const std::string longText(70000, 'W');
    const std::string document =
        Document("long.xml", Replaced(SampleText(), ">SEE DETAIL A<", ">" + longText + "<"));
    std::string errors;
    EXPECT_EQ(PublishOverOld(document, errors), 3) << errors;
    EXPECT_EQ(Causes(errors), std::vector<std::string>{
                                  "Sheet 'Sheet1': A text of 70000 characters was cut to its "
                                  "first 65536, the most one text of the sheet's stream can hold"})
        << errors;

    // Every sheet's stream, through our own reader, to its end; one of them
    // holds the text as far as it could be kept.
    const std::string sheets = root_ + "/sheets";
    ::mkdir(sheets.c_str(), 0700);
    ASSERT_EQ(RunCommand("python3 -c " +
                         Quoted("import sys, zipfile, os\n"
                                "z = zipfile.ZipFile(sys.argv[1])\n"
                                "names = [i for i in z.namelist() if i.endswith('.w2d')]\n"
                                "for k, n in enumerate(names):\n"
                                "    out = os.path.join(sys.argv[2], str(k))\n"
                                "    open(out, 'wb').write(z.read(n))\n") +
                         " " + Quoted(Target()) + " " + Quoted(sheets)),
              0);
    ASSERT_EQ(FilesIn(sheets).size(), 2u);
    std::size_t cut = 0;
    for (const std::string& name : FilesIn(sheets))
    {
        const sheet_test::Sheet sheet = sheet_test::Read(ReadBytes(sheets + "/" + name));
        EXPECT_EQ(sheet.end, WT_Result_End_Of_Stream);
        cut += sheet.Texts(std::u16string(65536, u'W')).size();
    }
    EXPECT_EQ(cut, 1u);
}

TEST_F(QuillcastFaults, AFontNameOrTextTooLongForTheStreamIsCutAndTheRestWritten)
{
    // A font name of 65,537 ASCII characters is cut to the 65,536 a W2D
    // string holds; the sheet is written and the message names the text.
    const std::string name(65537, 'F');
    const std::string font =
        Document("font.xml", Replaced(SampleText(), "font=\"Arial\">SEE DETAIL A<",
                                      "font=\"" + name + "\">SEE DETAIL A<"));
    std::string errors;
    EXPECT_EQ(PublishOverOld(font, errors), 3) << errors.substr(0, 2000);
    EXPECT_EQ(
        Causes(errors),
        std::vector<std::string>{"Sheet 'Sheet1': The font name of the text \"SEE DETAIL A\" is "
                                 "65537 characters long, more than the sheet's stream can carry; "
                                 "it was cut to its first 65536"})
        << errors.substr(0, 2000);
    EXPECT_NE(errors.find("The error occurred in CDWF2DGrWriter::GetTextOfDisplaydata."),
              std::string::npos);
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");

    // 8,193 emoji are 16,386 code units, two more than a text beyond ASCII
    // holds: counted and cut as characters.
    std::string emoji;
    for (int i = 0; i < 8193; ++i)
        emoji += "\xF0\x9F\x98\x80";
    const std::string text =
        Document("emoji.xml", Replaced(SampleText(), ">SEE DETAIL A<", ">" + emoji + "<"));
    EXPECT_EQ(PublishOverOld(text, errors), 3) << errors.substr(0, 2000);
    EXPECT_EQ(
        Causes(errors),
        std::vector<std::string>{"Sheet 'Sheet1': A text of 8193 characters was cut to its first "
                                 "8192, the most one text of the sheet's stream can hold"})
        << errors.substr(0, 2000);
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
}
