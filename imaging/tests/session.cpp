#include "RowSources.h"
#include "StubCodecs.h"
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/pipeline/RowProviderToRowIterator.h"
#include "imaging/platform/Job.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/TemporaryFilePagingSystemInterface.h"
#include "imaging/platform/WindowsTempPagingSystem.h"
#include "imaging/session/OMVISession.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Omvi;
using OmviTest::thrownBy;
using OmviTest::StubCodec;
using OmviTest::StubVersion;

namespace
{
// Registry entries are only stored, never used: any distinct address will do.
ImageRep* fakeImage(int& slot)
{
    return reinterpret_cast<ImageRep*>(&slot);
}

FileSpecifier fileNamed(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

// Every test starts and ends without a session.
class Session : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(OMVISession::get(), nullptr); }
    void TearDown() override
    {
        OMVISession* session = OMVISession::get();
        if (session != nullptr)
            while (session->numImages() > 0)
                session->unregisterImage(session->numImages());
        EXPECT_TRUE(OMVISession::destroy());
    }
    OMVISession& start(std::int64_t pageVolume = 0)
    {
        OMVISession* session = OMVISession::create(makeScratchFileSpecifier("IMG"), pageVolume);
        EXPECT_NE(session, nullptr);
        return *session;
    }
};

class OneUnitJob : public Job
{
public:
    std::int32_t bytesPerUnit() const override { return 16384; }
    void extent(std::int32_t& other, std::int32_t& unitsWanted) const override
    {
        other = 1;
        unitsWanted = 1;
    }
};

class NamedOption : public CorrelationOptionInterface
{
public:
    bool resolveSideCar(const ImageFormatCodec&, const FileSpecifier&, const StringBuffer&,
                        FileSpecifier&) const override
    {
        return false;
    }
};

class Reporter : public ProgressReporterInterface
{
public:
    bool reportProgress(std::int32_t, std::int32_t) override
    {
        ++calls;
        return true;
    }
    int calls = 0;
};

class ExtraVolume : public VolumeFullHandler
{
public:
    bool supplyVolume(std::uint64_t, FileSpecifier& file, std::int64_t& size) override
    {
        ++calls;
        file = makeScratchFileSpecifier("IMG");
        size = 0;
        return true;
    }
    int calls = 0;
};
} // namespace

TEST_F(Session, OneSessionFromCreateToDestroy)
{
    EXPECT_EQ(OMVISession::get(), nullptr);
    // The first create limits the paging file to 64 KB; the second create's
    // arguments are ignored.
    OMVISession& session = start(65536);
    EXPECT_EQ(OMVISession::get(), &session);
    EXPECT_EQ(OMVISession::create(FileSpecifier(), 0), &session);

    auto& paging = session.temporaryPagingSystem();
    EXPECT_TRUE(paging.isInvalidHandle(paging.reserve(1, 8, 16384)));
    const PagingSystemInterface::Handle small = paging.reserve(1, 2, 16384);
    EXPECT_FALSE(paging.isInvalidHandle(small));
    EXPECT_EQ(session.integerSetting(), 1);
    EXPECT_EQ(session.imageSetting(), 0);
    EXPECT_TRUE(session.isFlagClear());
    EXPECT_EQ(session.numCodecs(), 0);
    EXPECT_EQ(session.correlationOption(), nullptr);
    EXPECT_EQ(session.progressReporter(), nullptr);

    EXPECT_TRUE(OMVISession::destroy());
    EXPECT_EQ(OMVISession::get(), nullptr);
    EXPECT_TRUE(OMVISession::destroy());
}

TEST_F(Session, APagingFileThatCannotBeMadeLeavesNoSession)
{
    // A regular file standing where a folder should be counts as a path not
    // found; a name longer than any file system takes is another failure.
    // The message names the file and the system's reason.
    const FileSpecifier notAFolder = makeScratchFileSpecifier("IMG");
    struct Case
    {
        FileSpecifier file;
        std::int32_t code;
        int error;
    };
    const Case cases[] = {
        {FileSpecifier(), 1, 0},                                      // no path at all
        {fileNamed("/nonexistent-folder/quillcast/IMG1"), 1, ENOENT}, // path not found
        {fileNamed(notAFolder.nativePath() + "/IMG"), 1, ENOTDIR},
        {fileNamed("/tmp/" + std::string(300, 'I')), 10, ENAMETOOLONG},
    };
    for (const Case& c : cases)
    {
        OwnedException error = thrownBy([&] { OMVISession::create(c.file, 0); });
        ASSERT_TRUE(error) << c.file.nativePath();
        EXPECT_NE(dynamic_cast<FileIOException*>(error.get()), nullptr);
        EXPECT_EQ(error->getMessage().text(),
                  c.error == 0 ? std::string("Unable to create temporary file")
                               : "Unable to create temporary file '" + c.file.nativePath() +
                                     "': " + std::strerror(c.error));
        EXPECT_EQ(error->code(), c.code) << c.file.nativePath();
        EXPECT_EQ(OMVISession::get(), nullptr);
    }
    std::remove(notAFolder.nativePath().c_str());
}

TEST_F(Session, AScratchFileThatCannotBeMadeNamesTheFolderAndTheReason)
{
    const std::string previous = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    ::setenv("TMPDIR", "/nonexistent-folder/quillcast", 1);
    OwnedException thrown =
        thrownBy([] { OMVISession::create(makeScratchFileSpecifier("IMG"), 0); });
    ::setenv("TMPDIR", previous.c_str(), 1);
    ASSERT_TRUE(thrown);
    EXPECT_NE(dynamic_cast<FileIOException*>(thrown.get()), nullptr);
    EXPECT_EQ(thrown->getMessage().text(),
              "Unable to create temporary file in "
              "'/nonexistent-folder/quillcast/': No such file or directory");
    EXPECT_EQ(thrown->code(), 1);
    EXPECT_EQ(OMVISession::get(), nullptr);
}

TEST_F(Session, CodecsAreRegisteredOnlyForInterfaceVersionThree)
{
    OMVISession& session = start();
    StubCodec old("old", ImageFormatCodec::kStrongSignature);
    old.apiMajor = 2;
    EXPECT_FALSE(session.registerCodec(&old));
    EXPECT_FALSE(session.registerCodec(nullptr));
    EXPECT_EQ(session.numCodecs(), 0);

    std::vector<std::unique_ptr<StubCodec>> codecs;
    for (int i = 0; i < 11; ++i)
    {
        codecs.push_back(std::make_unique<StubCodec>("c" + std::to_string(i),
                                                     ImageFormatCodec::kStrongSignature));
        ASSERT_TRUE(session.registerCodec(codecs.back().get()));
        EXPECT_EQ(session.codecCapacity(), i < 10 ? 10 : 20) << i;
    }
    EXPECT_EQ(session.numCodecs(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(session.codec(i), codecs[static_cast<std::size_t>(i)].get());
    EXPECT_EQ(session.codec(-1), nullptr);
    EXPECT_EQ(session.codec(11), nullptr);

    EXPECT_TRUE(session.isCompatible(StubVersion(3)));
    EXPECT_FALSE(session.isCompatible(StubVersion(2)));
    EXPECT_FALSE(session.isCompatible(StubVersion(4)));
}

TEST_F(Session, ProbingRunsThreePasses)
{
    OMVISession& session = start();
    ImageFormatCodec* found = nullptr;
    const FileSpecifier file = fileNamed("/tmp/picture");
    EXPECT_EQ(session.findCodec(file, found), ImageFormatCodec::kNotThisFormat);
    EXPECT_EQ(found, nullptr);

    // Registered first, but without a signature: probed after the others.
    StubCodec weakA("weakA", ImageFormatCodec::kWeakSignature);
    StubCodec strongA("strongA", ImageFormatCodec::kStrongSignature);
    StubCodec weakB("weakB", ImageFormatCodec::kWeakSignature);
    StubCodec strongB("strongB", ImageFormatCodec::kStrongSignature);
    for (StubCodec* codec : {&weakA, &strongA, &weakB, &strongB})
        ASSERT_TRUE(session.registerCodec(codec));

    struct Case
    {
        const char* what;
        int strongA, strongB, weakA, weakB;
        const StubCodec* winner;
        int answer;
    };
    const Case cases[] = {
        {"first signature wins", 0, 0, 0, 0, &strongA, 0},
        {"a variant ends the search", 2, 1, 0, 0, &strongB, 1},
        {"a truncated file ends the search", 3, 0, 0, 0, &strongA, 3},
        {"recognised without signature, second pass", 2, 2, 1, 0, &weakB, 0},
        {"with reservations, third pass", 2, 2, 2, 1, &weakB, 1},
        {"first with reservations in registration order", 2, 2, 1, 1, &weakA, 1},
        {"nobody: the last probe's answer", 2, 2, 2, 3, nullptr, 3},
        {"nobody at all", 2, 2, 2, 2, nullptr, 2},
    };
    for (const Case& c : cases)
    {
        strongA.defaultAnswer = c.strongA;
        strongB.defaultAnswer = c.strongB;
        weakA.defaultAnswer = c.weakA;
        weakB.defaultAnswer = c.weakB;
        ImageFormatCodec* winner = nullptr;
        EXPECT_EQ(session.findCodec(file, winner), c.answer) << c.what;
        EXPECT_EQ(winner, c.winner) << c.what;
    }

    // A signature codec that recognises the file keeps the others from being
    // asked.
    for (StubCodec* codec : {&weakA, &strongA, &weakB, &strongB})
        codec->probes.clear();
    strongA.defaultAnswer = 0;
    session.findCodec(file, found);
    EXPECT_EQ(strongA.probes, std::vector<std::string>{"/tmp/picture"});
    EXPECT_TRUE(strongB.probes.empty());
    EXPECT_TRUE(weakA.probes.empty());
}

TEST_F(Session, ProbesAreGivenTheCorrelationOption)
{
    OMVISession& session = start();
    StubCodec codec("c", ImageFormatCodec::kStrongSignature, 0);
    ASSERT_TRUE(session.registerCodec(&codec));
    auto option = std::make_unique<NamedOption>();
    const CorrelationOptionInterface* given = option.get();
    EXPECT_EQ(session.setCorrelationOption(std::move(option)), nullptr);
    EXPECT_EQ(session.correlationOption(), given);
    ImageFormatCodec* found = nullptr;
    session.findCodec(fileNamed("/tmp/x"), found);
    EXPECT_EQ(codec.lastOption, given);
    // The previous option goes back to the caller.
    std::unique_ptr<CorrelationOptionInterface> previous = session.setCorrelationOption(nullptr);
    EXPECT_EQ(previous.get(), given);
    session.findCodec(fileNamed("/tmp/x"), found);
    EXPECT_EQ(codec.lastOption, nullptr);
    // One left with the session is deleted with it (ASan checks).
    session.setCorrelationOption(std::make_unique<NamedOption>());
}

TEST_F(Session, ImageRegistryHandsOutAndReusesIds)
{
    OMVISession& session = start();
    int slots[4];
    EXPECT_EQ(session.registerImage(fakeImage(slots[0])), 1);
    EXPECT_EQ(session.registerImage(fakeImage(slots[1])), 2);
    EXPECT_EQ(session.registerImage(fakeImage(slots[2])), 3);
    EXPECT_EQ(session.numImages(), 3);
    // Newest first.
    EXPECT_EQ(session.imageAt(0), fakeImage(slots[2]));
    EXPECT_EQ(session.imageAt(2), fakeImage(slots[0]));
    EXPECT_EQ(session.imageAt(3), nullptr);
    EXPECT_EQ(session.imageAt(-1), nullptr);

    EXPECT_TRUE(session.unregisterImage(2));
    EXPECT_FALSE(session.unregisterImage(2));
    EXPECT_FALSE(session.unregisterImage(99));
    EXPECT_EQ(session.numImages(), 2);
    // The freed id comes back with the next image.
    EXPECT_EQ(session.registerImage(fakeImage(slots[3])), 2);
    EXPECT_EQ(session.imageAt(0), fakeImage(slots[3]));
    EXPECT_EQ(session.registerImage(fakeImage(slots[1])), 4);

    session.lockRegistry();
    EXPECT_EQ(session.numImages(), 4);
    session.unlockRegistry();
}

TEST_F(Session, SettingsThatMustPrecedeImages)
{
    OMVISession& session = start();
    session.setImageSetting(5);
    EXPECT_EQ(session.imageSetting(), 5);
    int slot = 0;
    const std::int32_t id = session.registerImage(fakeImage(slot));
    OwnedException error = thrownBy([&] { session.setImageSetting(6); });
    ASSERT_TRUE(error);
    EXPECT_NE(dynamic_cast<OMVISettingsException*>(error.get()), nullptr);
    EXPECT_EQ(error->code(), 0);
    EXPECT_EQ(error->getMessage().text(), "Must be called before loading any images");
    EXPECT_EQ(session.imageSetting(), 5);

    // Nor can the session end while the image lives.
    EXPECT_FALSE(OMVISession::destroy());
    EXPECT_EQ(OMVISession::get(), &session);

    session.unregisterImage(id);
    session.setImageSetting(6);
    EXPECT_EQ(session.imageSetting(), 6);

    EXPECT_EQ(session.setIntegerSetting(2), 2);
    EXPECT_EQ(session.integerSetting(), 2);
    session.setFlag(true);
    EXPECT_FALSE(session.isFlagClear());
    session.setFlag(false);
    EXPECT_TRUE(session.isFlagClear());
}

TEST_F(Session, MemoryBudgetIsRefusedWhileMemoryIsGranted)
{
    OMVISession& session = start();
    EXPECT_TRUE(session.setMemoryLimit(2048));
    EXPECT_EQ(session.memoryLimit(), 2048);
    {
        OneUnitJob job;
        job.setJobManager(&session.jobManager());
        session.jobManager().registerJob(job);
        EXPECT_EQ(job.acquire().units, 1);
        EXPECT_FALSE(session.setMemoryLimit(4096));
        EXPECT_EQ(session.memoryLimit(), 2048);
    }
    EXPECT_TRUE(session.setMemoryLimit(4096));
    EXPECT_EQ(session.memoryLimit(), 4096);
}

TEST_F(Session, PagingVolumesAndTheVolumeFullHandler)
{
    // A first volume of 32 KB holds two 16 KB pages.
    OMVISession& session = start(32768);
    auto& paging = session.temporaryPagingSystem();
    EXPECT_TRUE(paging.isInvalidHandle(paging.reserve(1, 4, 16384)));

    ExtraVolume handler;
    EXPECT_EQ(session.setVolumeFullHandler(&handler), nullptr);
    EXPECT_FALSE(paging.isInvalidHandle(paging.reserve(1, 4, 16384)));
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(session.setVolumeFullHandler(nullptr), &handler);

    std::int32_t volumes = 0;
    EXPECT_TRUE(session.addPagingVolume(makeScratchFileSpecifier("IMG"), 0, volumes));
    EXPECT_EQ(volumes, 3);
    EXPECT_FALSE(session.addPagingVolume(fileNamed("/nonexistent-folder/IMG"), 0, volumes));
    EXPECT_EQ(volumes, 3);
}

TEST_F(Session, VersionRecord)
{
    OMVISession& session = start();
    std::int32_t major = -1, minor = -1, revision = -1, patch = -1, build = -1;
    session.getVersion(&major, &minor, &revision, &patch, &build);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(revision, 1);
    EXPECT_EQ(patch, 1);
    EXPECT_EQ(build, 589);

    const char* record = ",3,0,1,1,0589,Omvi,";
    const std::int32_t expected[] = {3, 0, 1, 1, 589, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(versionField(record, i), expected[i]) << i;
    EXPECT_EQ(versionField("3,7", 0), 7);
    EXPECT_EQ(versionField("no commas", 0), 0);
    EXPECT_EQ(versionField(",1,2", 5), 0);
    EXPECT_EQ(versionField(nullptr, 0), 0);
}

TEST_F(Session, RowWritersReportToTheSessionsReporter)
{
    OMVISession& session = start();
    Reporter reporter;
    EXPECT_EQ(session.setProgressReporter(&reporter), nullptr);
    std::vector<OmviTest::Row> rows(10, OmviTest::Row{1, 2});
    RowProviderToRowIterator iterator(new OmviTest::MemoryRows(RgbGrayModel(), 2, rows));
    iterator.start();
    while (iterator.next() && iterator.rowIndex() < 10)
    {
    }
    EXPECT_GT(reporter.calls, 0);
    EXPECT_EQ(session.setProgressReporter(nullptr), &reporter);
}
