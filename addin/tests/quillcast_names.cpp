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

class QuillcastNames : public QuillcastFaultRuns
{
protected:
    // Publishes `document` to `target` (a fresh one by default), with
    // `prefix` (variable assignments) before the program; the status.
    int Publish(const std::string& document, std::string& errors, const std::string& options = "",
                const std::string& prefix = "", std::string target = "")
    {
        if (target.empty())
            target = Target("run-" + std::to_string(++runs_) + ".dwf");
        return QuillcastAfter(
            prefix, "publish " + Quoted(document) + " -o " + Quoted(target) + " " + options,
            errors);
    }
    int runs_ = 0;
};

TEST_F(QuillcastNames, ATargetIsWrittenUnderTheBytesGiven)
{
    // What the name would become through U+FFFD is somebody else's file.
    const std::string name = "plan-" + kLatin1 + ".dwf";
    const std::string replaced = "plan-\xef\xbf\xbd.dwf";
    std::ofstream(Target(replaced)) << "somebody else's";
    std::string errors;
    EXPECT_EQ(Publish(SampleDocument(), errors, "--force", "", Target(name)), 0) << errors;
    std::vector<std::string> files = FilesIn(packages_);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{name, replaced}));
    EXPECT_EQ(Contents(Target(name)).substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(Contents(Target(replaced)), "somebody else's");
    // Messages print the name as it was given.
    const std::string lost = packages_ + "/gone-" + kLatin1 + "/plan.dwf";
    EXPECT_EQ(Publish(SampleDocument(), errors, "", "", lost), 1);
    EXPECT_NE(CauseLine(errors).find("'" + lost + "': No such file or directory"),
              std::string::npos)
        << errors;
}

TEST_F(QuillcastNames, EveryNameFromTheCommandLineOrTheEnvironmentReachesItsFile)
{
    // The samples (with their picture, textures and data folder) in a
    // folder, and the temporary folder, under names that are no UTF-8: each
    // publishes whole (a file not found would be said).
    const std::string examples = root_ + "/examples-" + kLatin1;
    const std::string temporary = root_ + "/tmp-" + kLatin1;
    const std::string data = root_ + "/data-" + kLatin1;
    ASSERT_EQ(::symlink(kExamples.c_str(), examples.c_str()), 0);
    ASSERT_EQ(::symlink((kExamples + "/host-data").c_str(), data.c_str()), 0);
    ASSERT_EQ(::mkdir(temporary.c_str(), 0700), 0);
    std::string errors;
    for (const std::string sample :
         {"sample-drawing.xml", "sample-part.xml", "sample-assembly.xml"})
    {
        EXPECT_EQ(Publish(examples + "/" + sample, errors), 0) << sample << errors;
        EXPECT_EQ(Publish(kExamples + "/" + sample, errors, "", "TMPDIR=" + Quoted(temporary)), 0)
            << sample << errors;
        EXPECT_EQ(FilesIn(temporary), std::vector<std::string>{});
    }
    // The data folder given three ways, to documents that name none that is
    // there: the drawing needs its symbol file, the part its system texture
    // and its material library (whose texture is brushed metal).
    const std::string settings = Quoted(data + "/toolbox/toolbox.ini");
    for (const std::string sample : {"sample-drawing.xml", "sample-part.xml"})
    {
        const std::string document =
            Document(sample, Replaced(Replaced(Contents(kExamples + "/" + sample),
                                               "toolbox-ini=\"host-data", "toolbox-ini=\"nowhere"),
                                      "picture=\"", "picture=\"" + kExamples + "/"));
        for (const auto& [options, prefix] : std::vector<std::pair<std::string, std::string>>{
                 {"--data-folder " + Quoted(data), ""},
                 {"--toolbox-ini " + settings, ""},
                 {"", "QUILLCAST_TOOLBOX_INI=" + settings}})
        {
            EXPECT_EQ(Publish(document, errors, options, prefix), 0) << options << prefix << errors;
            EXPECT_EQ(errors, "");
            if (sample == "sample-part.xml" && HaveTool("unzip"))
            {
                EXPECT_EQ(RunCommand("unzip -p " +
                                     Quoted(Target("run-" + std::to_string(runs_) + ".dwf")) +
                                     " | grep -aq metalbrushed"),
                          0);
            }
        }
    }
}

TEST_F(QuillcastNames, APasswordIsTheKeyAsTypedOrRefused)
{
    // ISO-8859-1 "lätin1" no text carries to the key; an empty password
    // leaves a package open; a drawing's package is never locked.
    const std::string part = kExamples + "/sample-part.xml";
    std::string errors;
    for (const auto& [document, password, said] : std::vector<std::array<std::string, 3>>{
             {part, "l\xe4tin1", "not UTF-8"},
             {part, "", "an empty one"},
             {SampleDocument(), "s3cret", "drawing packages are not encrypted"}})
    {
        EXPECT_EQ(Publish(document, errors, "--password " + Quoted(password)), 2) << password;
        EXPECT_EQ(Lines(errors), 1) << errors;
        EXPECT_NE(errors.find("--password"), std::string::npos) << errors;
        EXPECT_NE(errors.find(said), std::string::npos) << errors;
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});
    }
    // UTF-8 with a character beyond U+FFFF: the typed bytes open the package
    // in python3's zipfile and in 7z.
    const std::string typed = "l\xc3\xa4tin1 \xf0\x9f\x94\x92";
    ASSERT_EQ(Publish(part, errors, "--password " + Quoted(typed), "", Target()), 0) << errors;
    const std::string script = root_ + "/open.py";
    std::ofstream(script) << "import os, sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                             "for i in z.infolist(): assert i.flag_bits & 1; z.read(i, "
                             "pwd=os.fsencode(sys.argv[2]))\n";
    if (HaveTool("python3"))
    {
        EXPECT_EQ(RunCommand("python3 " + Quoted(script) + " " + Quoted(Target()) + " " +
                             Quoted(typed) + " >/dev/null 2>&1"),
                  0);
    }
    if (HaveTool("7z"))
    {
        EXPECT_EQ(RunCommand("7z t -p" + Quoted(typed) + " " + Quoted(Target()) + " >/dev/null"),
                  0);
    }
}

TEST_F(QuillcastNames, ATargetThatNamesAFolderIsRefused)
{
    // "DIR/" would otherwise become a hidden "DIR/.dwf".
    const std::string plans = packages_ + "/plans";
    ASSERT_EQ(::mkdir(plans.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(Target("old.dwf").c_str(), 0700), 0);
    std::string errors;
    for (const std::string& target : {packages_ + "/", plans + "/", packages_ + "/.", plans + "/..",
                                      plans, Target("old.dwf"), Target("old")})
    {
        EXPECT_EQ(Publish(SampleDocument(), errors, "--force", "", target), 2) << target;
        EXPECT_EQ(Lines(errors), 1) << errors;
        EXPECT_NE(errors.find("names a folder"), std::string::npos) << errors;
    }
    // Nothing was written: the two folders are all there is.
    EXPECT_EQ(FilesIn(plans).size() + FilesIn(Target("old.dwf")).size() + FilesIn(packages_).size(),
              2u);
    ExpectNoTemporaryFiles();
}
} // namespace
