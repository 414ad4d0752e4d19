// The target of the quillcast program, and the files it makes, while others
// act on their folders: a link planted at the unfinished package or at a
// temporary file, a file saved at the target while the run goes on, twelve
// runs that race for one new name, names as long as the system takes, and
// the name with its extension forced. The moments between two steps of the
// program are made by the name-races library (tests/shim/name_races.c),
// loaded with LD_PRELOAD.
#include "QuillcastFaultRuns.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace publish_test;

// A sample of each road: the drawing's (its package writer) and the part's
// (the model's package publisher).
struct Road
{
    const char* name;
    const char* document;
    const char* header;
};

const Road kRoads[] = {
    {"drawing", QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml", "(DWF V06.00)PK"},
    {"part", QUILLCAST_SOURCE_DIR "/examples/sample-part.xml", "(DWF V06.01)PK"},
};

class QuillcastTargetRaces : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (!IsSkipped())
            PreloadOrSkip("quillcast_name_races.so", "the name-races library");
    }

    // Publishes `document` to `target` with the library acting as the
    // variables in `races` say; `options` follow the target.
    int Publish(const std::string& document, const std::string& target, const std::string& races,
                std::string& errors, const std::string& options = "")
    {
        return QuillcastAfter(
            preload_ + races,
            "publish " + Quoted(document) + " -o " + Quoted(target) + " " + options, errors);
    }

    static std::string LinkOf(const std::string& path)
    {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
    }

    // Twelve runs race for Target() on `fileSystem` (the library's
    // variables): at most one ends with exit status 0, and its package is
    // there; the others say the target exists.
    void ExpectOneOfRacingRunsWrites(const std::string& fileSystem);

};

TEST_F(QuillcastTargetRaces, ALinkPlantedAtAFileTheRunMadeSendsNothingElsewhere)
{
    // In a folder where others may write, the name of a file the run has
    // just made is made a link to another of the user's files. That file
    // must stay as it is, and what the link leads to must not be read into
    // the package either: the unfinished package in the target's folder, and
    // in the temporary folder the toolbar bitmaps, the thumbnails, a sheet's
    // W2D stream and a model's W3D stream.
    struct Plant
    {
        const char* what;
        const Road& road;
        bool inTarget;
        const char* prefix; // of the file's name; any file when empty
        int status;
        std::string says;
    };
    const Plant plants[] = {
        {"the drawing's package", kRoads[0], true, "", 1,
         "was removed or replaced by another file while it was written"},
        {"the part's package", kRoads[1], true, "", 1,
         "was removed or replaced by another file while it was written"},
        {"a toolbar bitmap", kRoads[0], false, "quillcast-toolbar-", 0,
         "note: The toolbar has no image: cannot create the bitmap file '" + temporary_ +
             "/quillcast-toolbar-"},
        {"a sheet's thumbnail", kRoads[0], false, "quillcast-thumb-", 0,
         "has no thumbnail: cannot create the JPEG file"},
        {"the part's thumbnail", kRoads[1], false, "quillcast-thumb-", 0,
         "has no thumbnail: cannot create the JPEG file"},
        {"a sheet's stream", kRoads[0], false, "quillcast-sheet", 1,
         "': Replaced by another file since this run made it"},
        {"the part's stream", kRoads[1], false, "model_w3d_", 1,
         "': Replaced by another file since this run made it"},
    };
    const std::string victim = root_ + "/notes.txt";
    for (const Plant& plant : plants)
    {
        SCOPED_TRACE(plant.what);
        std::ofstream(victim) << "the user's own notes\n";
        std::remove(Target().c_str());
        std::string errors;
        const int status = Publish(
            plant.road.document, Target(),
            "QC_PLANT_IN=" + Quoted(plant.inTarget ? packages_ : temporary_) +
                " QC_PLANT_PREFIX=" + Quoted(plant.prefix) + " QC_PLANT_LINK_TO=" + Quoted(victim),
            errors);
        EXPECT_EQ(Contents(victim), "the user's own notes\n");
        EXPECT_EQ(status, plant.status) << errors;
        EXPECT_NE(errors.find(plant.says), std::string::npos) << errors;
        if (plant.status == 0)
        {
            EXPECT_EQ(Contents(Target()).substr(0, 14), plant.road.header);
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        }
        else
        {
            EXPECT_NE(errors.find("quillcast: no package was written"), std::string::npos)
                << errors;
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{});
        }
        // The planted link goes with the name the run made.
        ExpectNoTemporaryFiles();
    }
}

TEST_F(QuillcastTargetRaces, WithoutForceWhatAppearsAtTheTargetDuringTheRunIsLeftAlone)
{
    const std::string target = Target();
    for (const Road& road : kRoads)
    {
        SCOPED_TRACE(road.name);
        std::string errors;
        // Another program saves a file at the target just before the
        // package would take its name.
        {
            SCOPED_TRACE("a file saved at the end");
            std::remove(target.c_str());
            EXPECT_EQ(Publish(road.document, target, "QC_APPEAR_AT=" + Quoted(target), errors), 1)
                << errors;
            EXPECT_NE(errors.find("cause: Failed to put the package in place of '" + target +
                                  "': File exists"),
                      std::string::npos)
                << errors;
            EXPECT_EQ(Contents(target), "saved meanwhile\n");
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
        }
        // The same where the file system cannot rename without replacing:
        // the package is linked to the name instead, which fails the same
        // way; where nothing appears, the package takes the name alone.
        {
            SCOPED_TRACE("a file system without a rename that leaves the target alone");
            std::remove(target.c_str());
            EXPECT_EQ(Publish(road.document, target,
                              "QC_NO_NOREPLACE=1 QC_APPEAR_AT=" + Quoted(target), errors),
                      1)
                << errors;
            EXPECT_NE(errors.find("File exists"), std::string::npos) << errors;
            EXPECT_EQ(Contents(target), "saved meanwhile\n");
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            std::remove(target.c_str());
            EXPECT_EQ(Publish(road.document, target, "QC_NO_NOREPLACE=1", errors), 0) << errors;
            EXPECT_EQ(Contents(target).substr(0, 14), road.header);
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
        }
        // The file is there before the command asks where to publish: the
        // run says why the name was not taken.
        {
            SCOPED_TRACE("a file saved while the document is read");
            std::remove(target.c_str());
            EXPECT_EQ(Publish(road.document, target,
                              "QC_APPEAR_AT=" + Quoted(target) +
                                  " QC_APPEAR_ON_OPENING=" + Quoted(road.document),
                              errors),
                      1)
                << errors;
            EXPECT_NE(errors.find("was not accepted: it exists by now"), std::string::npos)
                << errors;
            EXPECT_EQ(Contents(target), "saved meanwhile\n");
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
        }
        // With --force, whatever is there by then is replaced.
        {
            SCOPED_TRACE("--force");
            std::remove(target.c_str());
            EXPECT_EQ(
                Publish(road.document, target, "QC_APPEAR_AT=" + Quoted(target), errors, "--force"),
                0)
                << errors;
            EXPECT_EQ(Contents(target).substr(0, 14), road.header);
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
        }
    }
    // A link to nowhere at the target before the run is an existing target.
    std::remove(target.c_str());
    ASSERT_EQ(::symlink((root_ + "/nowhere").c_str(), target.c_str()), 0);
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(target), errors),
              2);
    EXPECT_NE(errors.find("exists; pass --force to replace it"), std::string::npos) << errors;
    EXPECT_EQ(LinkOf(target), root_ + "/nowhere");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
}

TEST_F(QuillcastTargetRaces, WithoutANoReplaceRenameOrLinksTheTargetIsLookedAtThenTaken)
{
    // Shared folders of virtual machines, FUSE mounts: a free name is taken,
    // --force replaces, a name taken meanwhile is left alone.
    const std::string fileSystem = "QC_NO_NOREPLACE=1 QC_NO_LINKS=1 ";
    std::string errors;
    EXPECT_EQ(Publish(SampleDocument(), Target(), fileSystem, errors), 0) << errors;
    PlaceOldPackage(Target());
    EXPECT_EQ(Publish(SampleDocument(), Target(), fileSystem, errors, "--force"), 0) << errors;
    EXPECT_EQ(Contents(Target()).substr(0, 14), "(DWF V06.00)PK");
    std::remove(Target().c_str());
    EXPECT_EQ(Publish(SampleDocument(), Target(), fileSystem + "QC_APPEAR_AT=" + Quoted(Target()),
                      errors),
              1)
        << errors;
    EXPECT_NE(errors.find("in place of '" + Target() + "': File exists"), std::string::npos)
        << errors;
    EXPECT_EQ(Contents(Target()), "saved meanwhile\n");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
}

TEST_F(QuillcastTargetRaces, ANameSwappedForALinkJustBeforeTheMoveIsNoPackage)
{
    const std::string victim = root_ + "/notes.txt";
    for (const std::string fileSystem :
         {"", "QC_NO_NOREPLACE=1 ", "QC_NO_NOREPLACE=1 QC_NO_LINKS=1 "})
    {
        SCOPED_TRACE(fileSystem);
        std::ofstream(victim) << "the user's own notes\n";
        std::remove(Target().c_str());
        std::string errors;
        EXPECT_EQ(Publish(SampleDocument(), Target(),
                          fileSystem + "QC_SWAP_AT_MOVE=" + Quoted(victim), errors),
                  1)
            << errors;
        EXPECT_NE(errors.find("cause: Another file took the place of the package at '" + Target() +
                              "' as it was moved there\nquillcast: no package was written"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(Contents(victim), "the user's own notes\n");
        EXPECT_EQ(LinkOf(Target()), victim);
    }
}

TEST_F(QuillcastTargetRaces, APackageTakesOnlyThePermissionBitsOfARegularFileItReplaces)
{
    std::string errors;
    struct stat status{};
    const auto publish = [&](const std::string& races, const std::string& options)
    {
        const int exit = QuillcastAfter("umask 027; " + preload_ + races,
                                        "publish " + Quoted(SampleDocument()) + " -o " +
                                            Quoted(Target()) + " " + options,
                                        errors);
        ::lstat(Target().c_str(), &status);
        return exit;
    };
    // Not the set-ID and sticky bits of the file replaced, nor the mode of
    // what a link leads to.
    PlaceOldPackage(Target());
    ASSERT_EQ(::chmod(Target().c_str(), 07751), 0);
    EXPECT_EQ(publish("", "--force"), 0) << errors;
    EXPECT_EQ(status.st_mode, S_IFREG | 0751u);
    std::remove(Target().c_str());
    ASSERT_EQ(::symlink("/dev/null", Target().c_str()), 0);
    EXPECT_EQ(publish("", "--force"), 0) << errors;
    EXPECT_EQ(status.st_mode, S_IFREG | 0640u);
    // A mode that cannot be set is noted.
    std::remove(Target().c_str());
    PlaceOldPackage(Target());
    ASSERT_EQ(::chmod(Target().c_str(), 0644), 0);
    EXPECT_EQ(publish("QC_REFUSE=fchmod", "--force"), 0) << errors;
    EXPECT_EQ(errors, "quillcast: note: The package '" + Target() +
                          "' keeps the mode 0600 it was made with: giving it 0644 failed: "
                          "Operation not permitted\n");
    EXPECT_EQ(status.st_mode, S_IFREG | 0600u);
}

TEST_F(QuillcastTargetRaces, ALookThatFailsSaysNothingIsGone)
{
    // A look for the mode to give that fails may hide a file readable by its
    // owner alone: on each road, replacing or not, the package is 0600.
    const struct
    {
        const char* fileSystem;
        int error;
        bool replacing;
    } cases[] = {{"", EIO, true},
                 {"QC_NO_NOREPLACE=1 ", EACCES, true},
                 {"QC_NO_NOREPLACE=1 QC_NO_LINKS=1 ", ENOMEM, true},
                 {"", EIO, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fileSystem + std::to_string(c.error));
        std::remove(Target().c_str());
        if (c.replacing)
        {
            PlaceOldPackage(Target());
            ::chmod(Target().c_str(), 0600);
        }
        std::string errors;
        EXPECT_EQ(QuillcastAfter("umask 022; " + preload_ + c.fileSystem +
                                     "QC_LOOK_AT_TARGET_FAILS=" + std::to_string(c.error),
                                 "publish " + Quoted(SampleDocument()) + " -o " + Quoted(Target()) +
                                     (c.replacing ? " --force" : ""),
                                 errors),
                  0);
        EXPECT_EQ(errors, "quillcast: note: The package '" + Target() +
                              (c.replacing ? "' keeps the mode 0600 it was made with"
                                           : "' is given the mode 0600") +
                              ": the mode of the file it may replace could not be learned: " +
                              std::strerror(c.error) + "\n");
        struct stat status{};
        ::lstat(Target().c_str(), &status);
        EXPECT_EQ(status.st_mode, S_IFREG | 0600u);
    }
    // Nor is a document that cannot be looked at missing.
    const std::string loop = root_ + "/loop";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(loop + "/a.xml") + " -o " + Quoted(Target()), errors),
              2);
    EXPECT_NE(errors.find("cannot look at the document '" + loop + "/a.xml': Too many levels"),
              std::string::npos)
        << errors;
}

TEST_F(QuillcastTargetRaces, AClaimThatStaysAtTheTargetsNameIsNamed)
{
    // Neither a no-replace rename nor links: the package cannot be renamed
    // over the empty file that claimed its name, nor that file removed, with
    // or without --force, interrupted or not.
    const struct
    {
        const char* document;
        int error;
        const char* races;
        const char* options;
    } cases[] = {{kRoads[0].document, EIO, "", ""},
                 {kRoads[1].document, ENOSPC, "", "--force"},
                 {QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml", EROFS, "", ""},
                 {kRoads[0].document, EDQUOT, "QC_SIGNAL_AT_FAILURE=15 ", ""}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.document + std::to_string(c.error));
        std::remove(Target().c_str());
        std::string errors;
        EXPECT_EQ(Publish(c.document, Target(),
                          std::string("QC_NO_NOREPLACE=1 QC_NO_LINKS=1 ") + c.races +
                              "QC_MOVE_FAILS=" + std::to_string(c.error),
                          errors, c.options),
                  1);
        EXPECT_NE(errors.find("quillcast: note: The empty file '" + Target() +
                              "' that claimed the name for the package stays: removing it "
                              "failed: " +
                              std::strerror(c.error) + "\nquillcast: no package was written\n"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        ExpectNoTemporaryFiles();
    }
    // A name that cannot be looked at may hold another file by now: nothing
    // is removed, and the note says so.
    std::remove(Target().c_str());
    std::string errors;
    EXPECT_EQ(Publish(kRoads[0].document, Target(),
                      "QC_NO_NOREPLACE=1 QC_NO_LINKS=1 QC_LOOK_AT_TARGET_FAILS=5 QC_MOVE_FAILS=28",
                      errors, ""),
              1);
    EXPECT_NE(errors.find("quillcast: note: The empty file that claimed the name '" + Target() +
                          "' for the package may still hold it: the name could not be looked "
                          "at, so nothing was removed: " +
                          std::strerror(EIO)),
              std::string::npos)
        << errors;
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
}

TEST_F(QuillcastTargetRaces, ANewPackageIsNoMoreOpenThanAnyNewFileInItsFolder)
{
    // The folder's default ACL lets others read no new file, whatever the
    // umask says.
    if (RunCommand("setfacl -m d:o::---,d:g::r-x " + Quoted(packages_) + " 2>/dev/null") != 0)
        GTEST_SKIP() << "no default ACL can be set here (no setfacl, or a file system without "
                        "ACLs)";
    const auto modeOf = [](const std::string& path)
    {
        struct stat status{};
        ::lstat(path.c_str(), &status);
        return status.st_mode;
    };
    const std::string probe = packages_ + "/probe";
    ASSERT_EQ(RunCommand("umask 022; touch " + Quoted(probe)), 0);
    const mode_t newFile = modeOf(probe);
    ASSERT_EQ(newFile, S_IFREG | 0640u);
    std::remove(probe.c_str());
    std::string errors;
    for (const Road& road : kRoads)
    {
        SCOPED_TRACE(road.name);
        std::remove(Target().c_str());
        EXPECT_EQ(QuillcastAfter("umask 022;",
                                 "publish " + Quoted(road.document) + " -o " + Quoted(Target()),
                                 errors),
                  0)
            << errors;
        EXPECT_EQ(modeOf(Target()), newFile);
    }
    // A package meant to replace a file that is gone by the time it takes
    // the name is a new file too.
    PlaceOldPackage(Target());
    ASSERT_EQ(::chmod(Target().c_str(), 0604), 0);
    EXPECT_EQ(QuillcastAfter("umask 022; " + preload_ + "QC_VANISH_AT=" + Quoted(Target()),
                             "publish " + Quoted(SampleDocument()) + " -o " + Quoted(Target()) +
                                 " --force",
                             errors),
              0)
        << errors;
    EXPECT_EQ(errors, "");
    EXPECT_EQ(modeOf(Target()), newFile);
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
}

TEST_F(QuillcastTargetRaces, ASecondNameLeftBesideThePackageIsNoted)
{
    // Linked to the target, the package keeps its unfinished name when that
    // cannot be removed.
    std::string errors;
    EXPECT_EQ(Publish(SampleDocument(), Target(), "QC_NO_NOREPLACE=1 QC_REFUSE=unlinkat", errors), 0)
        << errors;
    std::vector<std::string> files = FilesIn(packages_);
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(errors, "quillcast: note: The file '" + packages_ + "/" + files[0] +
                          "' stays beside the package as a second name of it: removing it "
                          "failed: Operation not permitted\n");
}

TEST_F(QuillcastTargetRaces, ALookAtTheTargetThatFailsAfterTheMoveIsNoOtherFile)
{
    // The package was moved; only the check that the target's name holds
    // it could not be made. That is said with the system's reason, and the
    // run ends as one whose package was written with a failure.
    struct Case
    {
        const char* what;
        const Road& road;
        std::string races;
        const char* options;
        const char* reason;
    };
    const Case cases[] = {
        {"a rename that leaves the target alone", kRoads[0], "QC_LOOK_FAILS=EIO", "",
         "Input/output error"},
        {"a link", kRoads[1], "QC_NO_NOREPLACE=1 QC_LOOK_FAILS=ENOMEM", "",
         "Cannot allocate memory"},
        {"a claimed name", kRoads[0], "QC_NO_NOREPLACE=1 QC_NO_LINKS=1 QC_LOOK_FAILS=EIO", "",
         "Input/output error"},
        {"--force", kRoads[1], "QC_LOOK_FAILS=EIO", "--force", "Input/output error"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::remove(Target().c_str());
        if (*c.options != '\0')
            PlaceOldPackage(Target());
        std::string errors;
        EXPECT_EQ(Publish(c.road.document, Target(), c.races, errors, c.options), 3) << errors;
        EXPECT_EQ(CauseLine(errors), "The package was moved to '" + Target() +
                                         "', but whether that name holds it could not be "
                                         "checked: Failed to look at '" +
                                         Target() + "': " + c.reason);
        EXPECT_NE(errors.find("quillcast: the package was moved to '" + Target() +
                              "', but whether that name holds it could not be checked"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(errors.find("no package was written"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("some of its content"), std::string::npos) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 14), c.road.header);
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        ExpectNoTemporaryFiles();
    }
}

TEST_F(QuillcastTargetRaces, ALookAtTheUnfinishedPackageThatFailsIsNoOtherFile)
{
    // Nothing was moved: the run fails with the system's reason, not as if
    // the package had been replaced while it was written.
    PlaceOldPackage(Target());
    std::string errors;
    EXPECT_EQ(Publish(SampleDocument(), Target(), "QC_LOOK_FAILS=EIO QC_LOOK_FAILS_BEFORE=1",
                      errors, "--force"),
              1)
        << errors;
    const std::string cause = CauseLine(errors);
    const std::string expected = "Failed to look at the package file '" + packages_ + "/.qc-";
    EXPECT_EQ(cause.substr(0, expected.size()), expected) << errors;
    EXPECT_EQ(cause.substr(expected.size() + 6), ".tmp': Input/output error") << errors;
    ExpectUntouched();
}

TEST_F(QuillcastTargetRaces, EveryFileOfTheWriteLeftBesideTheTargetIsNamed)
{
    // Its name cannot be removed, and something else goes wrong too.
    struct Case
    {
        const char* what;
        std::string races;
        int status;
        const char* stays;
    };
    const Case cases[] = {
        {"linked, and the target cannot be looked at",
         "QC_NO_NOREPLACE=1 QC_REFUSE=unlinkat QC_LOOK_FAILS=EIO", 3,
         "' stays beside the package as a second name of it"},
        {"linked, and the target's name taken away just after",
         "QC_NO_NOREPLACE=1 QC_REFUSE=unlinkat QC_TAKE_AFTER_MOVE=1", 1,
         "' stays beside the target, and holds the package"},
        {"not moved: a file was saved at the target",
         "QC_REFUSE=unlinkat QC_APPEAR_AT=" + Quoted(Target()), 1, "' stays beside the target"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (const std::string& name : FilesIn(packages_))
            std::remove((packages_ + "/" + name).c_str());
        std::string errors;
        EXPECT_EQ(Publish(SampleDocument(), Target(), c.races, errors), c.status) << errors;
        std::string left;
        for (const std::string& name : FilesIn(packages_))
            left = name.rfind(".qc-", 0) == 0 ? name : left;
        ASSERT_FALSE(left.empty());
        EXPECT_NE(errors.find("quillcast: note: The file '" + packages_ + "/" + left + c.stays +
                              ": removing it failed: Operation not permitted\n"),
                  std::string::npos)
            << errors;
        EXPECT_EQ(Contents(packages_ + "/" + left).substr(0, 14), "(DWF V06.00)PK");
    }
}

TEST_F(QuillcastTargetRaces, OfTwelveRacingRunsWithoutForceOneWritesThePackage)
{
    // On each file system: one that renames without replacing, one that
    // can only link, and one that can do neither and looks at a name slowly
    // (a network file system).
    for (const std::string fileSystem :
         {"", "QC_NO_NOREPLACE=1 ", "QC_NO_NOREPLACE=1 QC_NO_LINKS=1 QC_SLOW_LOOK=300 "})
    {
        SCOPED_TRACE(fileSystem);
        std::remove(Target().c_str());
        ExpectOneOfRacingRunsWrites(fileSystem);
    }
}

void QuillcastTargetRaces::ExpectOneOfRacingRunsWrites(const std::string& fileSystem)
{
    // Twelve runs of one document to one new name, started one by one and
    // let go together once each has found the name free and begun to read
    // the document.
    constexpr int kRuns = 12;
    const std::string go = root_ + "/go";
    std::remove(go.c_str());
    for (const std::string& name : FilesIn(root_))
    {
        if (name.rfind("go.", 0) == 0 || name.rfind("moves.", 0) == 0)
            std::remove((root_ + "/" + name).c_str());
    }
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i)
    {
        const std::string errorFile = root_ + "/errors." + std::to_string(i);
        children.push_back(::fork());
        ASSERT_GE(children.back(), 0);
        if (children.back() == 0)
        {
            const std::string command = preload_ + fileSystem + "QC_HOLD_UNTIL=" + Quoted(go) +
                                        " QC_HOLD_ON_OPENING=" + Quoted(SampleDocument()) +
                                        " QC_MOVES=" + Quoted(root_ + "/moves." + std::to_string(i)) +
                                        " exec " + Quoted(program_) + " publish " +
                                        Quoted(SampleDocument()) + " -o " + Quoted(Target()) +
                                        " 2>" + Quoted(errorFile);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    // Every run waits (each has said so with a file of its own) ...
    int waiting = 0;
    for (int poll = 0; poll < 60000 && waiting < kRuns; ++poll)
    {
        waiting = 0;
        for (const std::string& name : FilesIn(root_))
            waiting += name.rfind("go.", 0) == 0 ? 1 : 0;
        if (waiting < kRuns)
            ::usleep(1000);
    }
    EXPECT_EQ(waiting, kRuns);
    // ... and all go at once.
    std::ofstream(go) << "go";
    std::vector<int> statuses(kRuns);
    for (int i = 0; i < kRuns; ++i)
    {
        ASSERT_EQ(::waitpid(children[static_cast<std::size_t>(i)],
                            &statuses[static_cast<std::size_t>(i)], 0),
                  children[static_cast<std::size_t>(i)]);
    }
    int published = 0;
    struct stat target{};
    ::lstat(Target().c_str(), &target);
    for (int i = 0; i < kRuns; ++i)
    {
        const int status = statuses[static_cast<std::size_t>(i)];
        ASSERT_TRUE(WIFEXITED(status)) << status;
        const std::string errors = Contents(root_ + "/errors." + std::to_string(i));
        if (WEXITSTATUS(status) == 0)
        {
            ++published;
            // The package at the target is the one this run moved there.
            EXPECT_EQ(Contents(root_ + "/moves." + std::to_string(i)),
                      std::to_string(target.st_ino) + "\n");
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 1) << errors;
        EXPECT_NE(errors.find("exists"), std::string::npos) << errors;
    }
    EXPECT_EQ(published, 1);
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
    EXPECT_EQ(Contents(Target()).substr(0, 14), "(DWF V06.00)PK");
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastTargetRaces, EveryNameTheSystemTakesCanBePublished)
{
    // The longest name a folder takes (255 bytes) ...
    const std::string longest = std::string(251, 'n') + ".dwf";
    for (const Road& road : kRoads)
    {
        SCOPED_TRACE(road.name);
        std::string errors;
        EXPECT_EQ(Quillcast("publish " + Quoted(road.document) + " -o " + Quoted(Target(longest)),
                            errors),
                  0)
            << errors;
        EXPECT_EQ(Contents(Target(longest)).substr(0, 14), road.header);
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{longest});
        std::remove(Target(longest).c_str());
    }

    // ... and the longest path the system takes (4,095 bytes), of a short
    // name in a deep folder.
    const std::string name = "a.dwf";
    constexpr std::size_t kLongestPath = 4095;
    std::string folder = packages_;
    // Each step adds "/" and a name of at most 255 bytes.
    std::size_t left = kLongestPath - name.size() - 1 - folder.size();
    for (; left > 0; left = kLongestPath - name.size() - 1 - folder.size())
    {
        folder += "/" + std::string(left > 256 ? 200 : left - 1, 'd');
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0) << folder.size();
    }
    const std::string deep = folder + "/" + name;
    ASSERT_EQ(deep.size(), kLongestPath);
    for (const Road& road : kRoads)
    {
        SCOPED_TRACE(road.name);
        std::string errors;
        EXPECT_EQ(Quillcast("publish " + Quoted(road.document) + " -o " + Quoted(deep), errors), 0)
            << errors;
        EXPECT_EQ(Contents(deep).substr(0, 14), road.header);
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{name});
        std::remove(deep.c_str());
    }
    ExpectNoTemporaryFiles();
}
TEST_F(QuillcastTargetRaces, AnExistingPackageIsFoundUnderTheNameWithItsExtension)
{
    // "-o plan" writes plan.dwf: that is the file that must not be replaced
    // unless told, nor ever when it is read-only.
    const std::string plan = packages_ + "/plan";
    std::ofstream(plan + ".dwf") << "the user's plan\n";
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(plan), errors), 2);
    EXPECT_NE(errors.find("'" + plan + ".dwf' exists; pass --force to replace it"),
              std::string::npos)
        << errors;
    EXPECT_EQ(Contents(plan + ".dwf"), "the user's plan\n");

    ::chmod((plan + ".dwf").c_str(), 0444);
    EXPECT_EQ(Quillcast("publish " + Quoted(SampleDocument()) + " -o " + Quoted(plan) + " --force",
                        errors),
              1);
    EXPECT_NE(errors.find("The file is read-only. Choose another file name."), std::string::npos)
        << errors;
    EXPECT_EQ(Contents(plan + ".dwf"), "the user's plan\n");
    EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"plan.dwf"});
    ExpectNoTemporaryFiles();
}
} // namespace
