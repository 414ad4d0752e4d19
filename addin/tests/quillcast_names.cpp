// What the quillcast command line takes as names and as a password. A name
// from the command line or the environment is the system's bytes: it reaches
// its file as given, UTF-8 or not, and so do the names found through it. A
// password becomes the package's key as typed, or is refused; a drawing has
// none to take. A target must name a file.
#include "QuillcastFaultRuns.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
using namespace publish_test;

// One ISO-8859-1 byte ("é"), which is no UTF-8.
const std::string kLatin1 = "\xe9";
const std::string kExamples = QUILLCAST_SOURCE_DIR "/examples";

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class QuillcastNames : public QuillcastFaultRuns
{
protected:
    // Runs the program with `prefix` (variable assignments) before it.
    int Run(const std::string& prefix, const std::string& arguments, std::string& errors)
    {
        const std::string errorFile = root_ + "/stderr.txt";
        const int status = RunCommand(prefix + " " + Quoted(program_) + " " + arguments + " 2>" +
                                      Quoted(errorFile));
        errors = Contents(errorFile);
        std::remove(errorFile.c_str());
        return status;
    }
    // Publishes `document` to a fresh target, quietly; answers the status.
    int Publish(const std::string& document, std::string& errors, const std::string& options = "",
                const std::string& prefix = "")
    {
        const std::string target = Target("run-" + std::to_string(++runs_) + ".dwf");
        return Run(prefix,
                   "publish " + Quoted(document) + " -o " + Quoted(target) + " --quiet " + options,
                   errors);
    }

    int runs_ = 0;
};

TEST_F(QuillcastNames, ATargetIsWrittenUnderTheBytesGiven)
{
    const std::string name = "plan-" + kLatin1 + ".dwf";
    // What the name would become through U+FFFD: somebody else's file.
    const std::string replaced = "plan-\xef\xbf\xbd.dwf";
    std::ofstream(Target(replaced)) << "somebody else's";
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(Target(name)) +
                            " --force --quiet",
                        errors),
              0)
        << errors;
    EXPECT_EQ(Sorted(FilesIn(packages_)), (std::vector<std::string>{name, replaced}));
    EXPECT_EQ(Contents(Target(name)).substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(Contents(Target(replaced)), "somebody else's");

    // Messages print the name as it was given.
    const std::string lost = packages_ + "/gone-" + kLatin1 + "/plan.dwf";
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(lost), errors), 1);
    EXPECT_NE(CauseLine(errors).find("'" + lost + "': No such file or directory"),
              std::string::npos)
        << errors;
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastNames, EveryNameFromTheCommandLineOrTheEnvironmentReachesItsFile)
{
    // The samples with their picture, textures and data folder in a folder,
    // and the temporary folder, under names that are no UTF-8: each sample
    // publishes whole either way (a symbol file, texture or library not
    // found would be said).
    const std::string examples = root_ + "/examples-" + kLatin1;
    ASSERT_EQ(::symlink(kExamples.c_str(), examples.c_str()), 0);
    const std::string temporary = root_ + "/tmp-" + kLatin1;
    ASSERT_EQ(::mkdir(temporary.c_str(), 0700), 0);
    for (const char* sample : {"sample-drawing.xml", "sample-part.xml", "sample-assembly.xml"})
    {
        SCOPED_TRACE(sample);
        std::string errors;
        EXPECT_EQ(Publish(examples + "/" + sample, errors), 0) << errors;
        EXPECT_EQ(errors, "");
        EXPECT_EQ(Publish(kExamples + "/" + sample, errors, "", "TMPDIR=" + Quoted(temporary)), 0)
            << errors;
        EXPECT_EQ(errors, "");
        EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{});
    }

    // The data folder given three ways, to documents that name none that is
    // there: the drawing needs its symbol file, the part its system texture
    // and its library material's.
    const std::string data = root_ + "/data-" + kLatin1;
    ASSERT_EQ(::symlink((kExamples + "/host-data").c_str(), data.c_str()), 0);
    const std::string settings = data + "/toolbox/toolbox.ini";
    for (const char* sample : {"sample-drawing.xml", "sample-part.xml"})
    {
        const std::string text = Contents(kExamples + "/" + sample);
        const std::string document =
            Document(std::string("nowhere-") + sample,
                     Replaced(Replaced(text, "toolbox-ini=\"host-data/",
                                       "toolbox-ini=\"" + root_ + "/nowhere/"),
                              "picture=\"", "picture=\"" + kExamples + "/"));
        const std::vector<std::pair<std::string, std::string>> ways = {
            {"--data-folder " + Quoted(data), ""},
            {"--toolbox-ini " + Quoted(settings), ""},
            {"", "QUILLCAST_TOOLBOX_INI=" + Quoted(settings)},
        };
        for (const auto& [options, prefix] : ways)
        {
            SCOPED_TRACE(std::string(sample) + " " + options + prefix);
            std::string errors;
            EXPECT_EQ(Publish(document, errors, options, prefix), 0) << errors;
            EXPECT_EQ(errors, "");
        }
    }
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastNames, APasswordIsTheKeyAsTypedOrRefused)
{
    const std::string part = kExamples + "/sample-part.xml";
    // ISO-8859-1 "lätin1": no text carries these bytes to the key.
    std::string errors;
    EXPECT_EQ(Publish(part, errors, "--password " + Quoted("l\xe4tin1")), 2);
    EXPECT_EQ(Lines(errors), 1) << errors;
    EXPECT_NE(errors.find("--password"), std::string::npos) << errors;
    EXPECT_NE(errors.find("not UTF-8"), std::string::npos) << errors;
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});
    // An empty password would leave the package open.
    EXPECT_EQ(Publish(part, errors, "--password ''"), 2);
    EXPECT_EQ(Lines(errors), 1) << errors;
    EXPECT_NE(errors.find("--password"), std::string::npos) << errors;
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});

    // UTF-8 with a character beyond U+FFFF: the typed bytes open the package.
    const std::string typed = "l\xc3\xa4tin1 \xf0\x9f\x94\x92";
    EXPECT_EQ(Publish(part, errors, "--password " + Quoted(typed)), 0) << errors;
    const std::string package = Target("run-3.dwf");
    ASSERT_EQ(FilesIn(packages_), std::vector<std::string>{"run-3.dwf"});
    if (HaveTool("python3"))
    {
        const std::string script = root_ + "/open.py";
        std::ofstream(script) << "import os, sys, zipfile\n"
                                 "z = zipfile.ZipFile(sys.argv[1])\n"
                                 "pwd = os.fsencode(sys.argv[2])\n"
                                 "assert all(i.flag_bits & 1 for i in z.infolist())\n"
                                 "for i in z.infolist(): z.read(i, pwd=pwd)\n"
                                 "print(len(z.infolist()))\n";
        std::string entries;
        EXPECT_EQ(RunCommand("python3 " + Quoted(script) + " " + Quoted(package) + " " +
                                 Quoted(typed) + " 2>&1",
                             &entries),
                  0)
            << entries;
        EXPECT_NE(RunCommand("python3 " + Quoted(script) + " " + Quoted(package) + " " +
                             Quoted("l\xef\xbf\xbdtin1") + " >/dev/null 2>&1"),
                  0);
    }
    else
        std::fprintf(stderr, "python3 is not installed: the package is not opened by zipfile\n");
    if (HaveTool("7z"))
    {
        std::string said;
        EXPECT_EQ(RunCommand("7z t -p" + Quoted(typed) + " " + Quoted(package) + " 2>&1", &said), 0)
            << said;
    }
    else
        std::fprintf(stderr, "7z is not installed: the package is not tested by it\n");
}

TEST_F(QuillcastNames, ADrawingRefusesAPasswordAndWritesNothing)
{
    std::string errors;
    EXPECT_EQ(Publish(SampleDocument(), errors, "--password s3cret"), 2);
    EXPECT_EQ(Lines(errors), 1) << errors;
    EXPECT_NE(errors.find("drawing packages are not encrypted"), std::string::npos) << errors;
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastNames, ATargetThatNamesAFolderIsRefused)
{
    // "DIR/" would otherwise become a hidden "DIR/.dwf".
    const std::string plans = packages_ + "/plans";
    const std::string folderNamedLikeAPackage = packages_ + "/old.dwf";
    ASSERT_EQ(::mkdir(plans.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(folderNamedLikeAPackage.c_str(), 0700), 0);
    for (const std::string& target : {packages_ + "/", plans + "/", packages_ + "/.", plans + "/..",
                                      plans, folderNamedLikeAPackage, packages_ + "/old"})
        for (const char* force : {"", " --force"})
        {
            SCOPED_TRACE(target + force);
            std::string errors;
            EXPECT_EQ(
                Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(target) + force,
                          errors),
                2);
            EXPECT_EQ(Lines(errors), 1) << errors;
            EXPECT_NE(errors.find("names a folder"), std::string::npos) << errors;
        }
    EXPECT_EQ(Sorted(FilesIn(packages_)), (std::vector<std::string>{"old.dwf", "plans"}));
    EXPECT_EQ(FilesIn(plans), std::vector<std::string>{});
    EXPECT_EQ(FilesIn(folderNamedLikeAPackage), std::vector<std::string>{});
    ExpectNoTemporaryFiles();
}
} // namespace
