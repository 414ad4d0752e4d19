// The quillcast command publishing parts and assemblies under faults, as
// it does drawings: a run interrupted at any moment leaves neither its
// temporary files (the W3D stream, the thumbnail, the converted textures
// and their folder, the unfinished package) nor a changed target; a full
// disk anywhere either loses the run with the file and the system's reason
// and the old target byte for byte, or costs a picture that the messages
// name; and the exit status says which.
#include "QuillcastFaultRuns.h"
#include "addin/tests/ModelPackage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

namespace
{
using namespace publish_test;

const std::string kPart = QUILLCAST_SOURCE_DIR "/examples/sample-part.xml";
const std::string kAssembly = QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml";

// A part of one body: a face textured with a Targa picture (converted into
// the private texture folder) and a flat grid of `triangles` more, enough
// for a run of a second or so.
std::string LargePart(int triangles)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
                       "<application toolbox-ini=\"" QUILLCAST_SOURCE_DIR
                       "/examples/host-data/toolbox/toolbox.ini\"/>\n"
                       "<document type=\"1\" title=\"large.PRT\" path=\"/samples/large.PRT\" "
                       "picture=\"" QUILLCAST_SOURCE_DIR "/examples/sample-preview.png\" "
                       "active=\"1\">\n<configuration name=\"Default\" current=\"1\"/>\n<body>\n"
                       "<face triangles=\"1\">\n<triangles>0 0 0 1 0 0 1 1 0</triangles>\n"
                       "<normals>0 0 1 0 0 1 0 0 1</normals>\n"
                       "<texture-coordinates>0 0 1 0 1 1</texture-coordinates>\n"
                       "<texture configuration=\"Default\" "
                       "file=\"&lt;SystemTexture&gt;\\textures\\oak_tga.tga\" angle=\"0\" "
                       "scale=\"1\"/>\n</face>\n<face triangles=\"" +
                       std::to_string(triangles) + "\">\n<triangles>\n";
    const int side = 1 + static_cast<int>(std::sqrt(triangles / 2.0));
    std::string normals;
    for (int n = 0; n < triangles; ++n)
    {
        const int cell = n / 2;
        const std::string x0 = std::to_string((cell % side) * 0.001);
        const std::string x1 = std::to_string((cell % side + 1) * 0.001);
        const std::string y0 = std::to_string((cell / side) * 0.001);
        const std::string y1 = std::to_string((cell / side + 1) * 0.001);
        text += n % 2 == 0 ? x0 + " " + y0 + " 0 " + x1 + " " + y0 + " 0 " + x1 + " " + y1 + " 0\n"
                           : x0 + " " + y0 + " 0 " + x1 + " " + y1 + " 0 " + x0 + " " + y1 + " 0\n";
        normals += "0 0 1 0 0 1 0 0 1\n";
    }
    return text + "</triangles>\n<normals>\n" + normals +
           "</normals>\n</face>\n</body>\n</document>\n</host-document>\n";
}

class QuillcastModelFaults : public QuillcastFaultRuns
{
protected:
    // Every picture entry of the written package is a whole JPEG: a
    // thumbnail or texture cut short must not go in unnoticed. Skipped
    // without python3.
    void ExpectWholePictures(const std::string& password) const
    {
        if (!HaveTool("python3"))
            return;
        std::string out;
        EXPECT_EQ(RunCommand("python3 -c " +
                                 Quoted("import sys, zipfile\n"
                                        "z = zipfile.ZipFile(sys.argv[1])\n"
                                        "z.setpassword(sys.argv[2].encode())\n"
                                        "assert z.testzip() is None\n"
                                        "for n in z.namelist():\n"
                                        "    if n.endswith('.jpg'):\n"
                                        "        b = z.read(n)\n"
                                        "        assert b[:2] == b'\\xff\\xd8' and "
                                        "b[-2:] == b'\\xff\\xd9', n\n") +
                                 " " + Quoted(Target()) + " " + Quoted(password) + " 2>&1",
                             &out),
                  0)
            << out;
    }
};

TEST_F(QuillcastModelFaults, InterruptedRunsRemoveTheirFilesAndFoldersAndLeaveTheTarget)
{
    const std::string document = Document("large.xml", LargePart(120000));
    const SignalMoment moments[] = {
        {"while the model stream is written", false, "model_w3d_"},
        {"while the thumbnail is made", false, "quillcast-thumb-"},
        {"while textures are converted", false, "dwfTex"},
        {"while the package is written", true, ".qc-"},
    };
    int run = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        for (const SignalMoment& moment : moments)
        {
            // Every other run writes an encrypted package.
            const bool password = ++run % 2 == 0;
            SCOPED_TRACE(std::string(strsignal(signal)) + " " + moment.name +
                         (password ? " with a password" : ""));
            const std::string folder = root_ + "/run" + std::to_string(run);
            std::vector<std::string> arguments = {program_, "publish", document, "-o", folder + "/out/sample.dwf",
                                                  "--force", "--quiet"};
            if (password)
            {
                arguments.push_back("--password");
                arguments.push_back("secret");
            }
            ExpectSignalLeavesNothing(folder, arguments, signal, moment);
        }
    }
}

TEST_F(QuillcastModelFaults, AFullDiskAtAnyWriteLosesTheRunWithItsCauseOrNamesWhatWasLeftOut)
{
    const std::string preload = PreloadBeside(program_, "quillcast_write_faults.so");
    if (preload.empty())
        GTEST_SKIP() << "the write-fault library is not built beside the program";
    // A part large enough for its model stream to be written many times
    // over, besides the samples.
    const std::string large = Document("large.xml", LargePart(20000));
    struct Case
    {
        std::string document;
        std::string password;
    };
    const Case cases[] = {
        {kPart, ""}, {kPart, "secret"}, {kAssembly, ""}, {kAssembly, "secret"}, {large, ""}};
    std::map<int, int> statuses;
    int modelStreamCauses = 0;
    for (const Case& c : cases)
    {
        const std::string options = c.password.empty() ? "" : "--password " + c.password;
        SCOPED_TRACE(c.document + " " + options);
        // A clean run counts the calls that a full disk could make fail.
        const std::string counts = root_ + "/counts.txt";
        std::string errors;
        ASSERT_EQ(PublishOverOld(c.document, errors, preload + "QC_FAULT_COUNTS=" + Quoted(counts),
                                 options),
                  0)
            << errors;
        std::map<std::string, unsigned long> calls = FaultCounts(counts);
        ASSERT_GT(calls["fwrite"], 20u);
        // Every flush and close of a written file, and writes across the run.
        std::vector<std::pair<std::string, unsigned long>> points;
        for (const char* kind : {"fflush", "fclose"})
            for (unsigned long n : Spread(calls[kind], calls[kind]))
                points.emplace_back(kind, n);
        for (unsigned long n : Spread(calls["fwrite"], 14))
            points.emplace_back("fwrite", n);

        for (const auto& [kind, n] : points)
        {
            SCOPED_TRACE(kind + " " + std::to_string(n));
            const int status = PublishOverOld(
                c.document, errors,
                preload + "QC_FAULT_CALL=" + kind + " QC_FAULT_AT=" + std::to_string(n), options);
            ++statuses[status];
            if (status == 1)
            {
                // Nothing written: what was done, to which file, and why.
                const std::string cause = CauseLine(errors);
                EXPECT_NE(cause.find(" '/"), std::string::npos) << errors;
                EXPECT_NE(cause.find("': No space left on device"), std::string::npos) << errors;
                EXPECT_NE(errors.find("quillcast: no package was written"), std::string::npos)
                    << errors;
                modelStreamCauses += cause.find("/model_w3d_") != std::string::npos;
                ExpectUntouched();
                continue;
            }
            ASSERT_TRUE(status == 0 || status == 3) << status << "\n" << errors;
            // Written whole, less a picture: the toolbar's image or the
            // thumbnail (a note), or a texture (a message and its cause);
            // either names the file and the reason.
            const std::string said = status == 3 ? "quillcast:   cause: " : "quillcast: note: ";
            const std::size_t at = errors.find(said);
            ASSERT_NE(at, std::string::npos) << "a lost write went unreported";
            const std::string line = errors.substr(at, errors.find('\n', at) - at);
            EXPECT_NE(line.find(" '/"), std::string::npos) << line;
            EXPECT_NE(line.find("': No space left on device"), std::string::npos) << line;
            if (status == 3)
            {
                EXPECT_NE(line.find("Texture "), std::string::npos) << line;
            }
            EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
            EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
            ExpectNoTemporaryFiles();
            // A picture cut short once went in as if whole, with exit 0.
            if (status == 0)
                ExpectWholePictures(c.password);
        }
    }
    EXPECT_GE(statuses[1], 40);
    EXPECT_GE(statuses[3], 10); // the assembly's textures
    EXPECT_GE(modelStreamCauses, 5);
}

TEST_F(QuillcastModelFaults, ThePackageIsFlushedBeforeItReplacesTheTargetAndItsFolderAfter)
{
    ExpectFlushedAroundTheRename(kPart, "(DWF V06.01)");
}

TEST_F(QuillcastModelFaults, AMissingTemporaryFolderOrAReadOnlyTargetFolderIsTheCause)
{
    for (const std::string& document : {kPart, kAssembly})
    {
        SCOPED_TRACE(document);
        const std::string publisher = document == kPart ? "CPartDocumentPublisher::PublishDoc"
                                                        : "CAssemblyDocumentPublisher::PublishDoc";
        const std::string missing = root_ + "/no-such-folder";
        std::string errors;
        EXPECT_EQ(PublishOverOld(document, errors, "TMPDIR=" + Quoted(missing)), 1) << errors;
        EXPECT_NE(errors.find("The error occurred in " + publisher + "."), std::string::npos)
            << errors;
        EXPECT_EQ(CauseLine(errors), "Failed to create a temporary file in '" + missing +
                                         "/': No such file or directory");
        ExpectUntouched();

        if (!PrivateMounts())
            continue;
        // The target's folder read-only for the program alone; the package
        // encrypted, which changes nothing about where it is written.
        PlaceOldPackage(Target());
        const std::string errorFile = root_ + "/stderr.txt";
        const std::string script = "mount --bind " + Quoted(packages_) + " " + Quoted(packages_) +
                                   " && mount -o remount,ro,bind " + Quoted(packages_) +
                                   " && exec " + Quoted(program_) + " publish " +
                                   Quoted(document) + " -o " + Quoted(Target()) +
                                   " --force --password secret 2>" + Quoted(errorFile);
        EXPECT_EQ(RunCommand("unshare -m sh -c " + Quoted(script)), 1);
        errors = Contents(errorFile);
        EXPECT_EQ(CauseLine(errors), "Failed to create the package file beside '" + Target() +
                                         "': Read-only file system")
            << errors;
        ExpectUntouched();
    }
}

TEST_F(QuillcastModelFaults, AFullTemporaryFolderIsNamedWhateverItCosts)
{
    if (!PrivateMounts())
        GTEST_SKIP() << "no private mount namespace can be made here for a small file system";
    // Temporary folders of a few pages: the toolbar, the thumbnail, the
    // converted textures, the imaging library's pages or the model stream
    // run out of room, depending on the size. The run is lost (exit 1,
    // the target as it was) or a picture is (exit 3 with a message, or a
    // note); either way the file or folder is named.
    const std::string full = root_ + "/full";
    ::mkdir(full.c_str(), 0700);
    std::map<int, int> statuses;
    for (const char* size : {"8k", "16k", "32k", "48k", "64k"})
    {
        SCOPED_TRACE(size);
        PlaceOldPackage(Target());
        const std::string errorFile = root_ + "/stderr.txt";
        const std::string listing = root_ + "/listing.txt";
        const std::string script =
            "mount -t tmpfs -o size=" + std::string(size) + " qc-full " + Quoted(full) +
            " || exit 99; TMPDIR=" + Quoted(full) + " " + Quoted(program_) + " publish " +
            Quoted(kAssembly) + " -o " + Quoted(Target()) + " --force --quiet 2>" +
            Quoted(errorFile) + "; status=$?; ls -A " + Quoted(full) + " > " + Quoted(listing) +
            "; exit $status";
        const int status = RunCommand("unshare -m sh -c " + Quoted(script));
        const std::string errors = Contents(errorFile);
        ASSERT_NE(status, 99) << "mounting failed";
        ++statuses[status];
        EXPECT_EQ(Contents(listing), "") << "left in the temporary folder";
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"sample.dwf"});
        // Every message and note names what ran out of room.
        std::string last;
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);)
        {
            if (line.rfind("quillcast:   cause: ", 0) == 0 || line.rfind("quillcast: note: ", 0) == 0)
            {
                EXPECT_NE(line.find(" '" + full), std::string::npos) << line;
            }
            if (line.rfind("quillcast:   cause: ", 0) == 0)
                last = line;
        }
        if (status == 1)
        {
            // The failure that lost the run comes last, with the reason.
            EXPECT_NE(last.find("': No space left on device"), std::string::npos) << errors;
            EXPECT_EQ(ReadBytes(Target()), kOldPackage);
            continue;
        }
        ASSERT_TRUE(status == 0 || status == 3) << status << "\n" << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
    }
    EXPECT_GE(statuses[1] + statuses[3], 3);
}

TEST_F(QuillcastModelFaults, ATemporaryFolderWithoutInodesIsNamedWithTheReason)
{
    if (!PrivateMounts())
        GTEST_SKIP() << "no private mount namespace can be made here for a small file system";
    // Room enough, but only a few files: depending on how many, the
    // thumbnail, the imaging library's page file, the converted textures'
    // folder or a converted texture finds none. Whichever it is, the
    // message names the temporary folder and the system's reason.
    const std::string full = root_ + "/full";
    ::mkdir(full.c_str(), 0700);
    int imaging = 0;
    for (int inodes = 3; inodes <= 8; ++inodes)
    {
        SCOPED_TRACE(std::to_string(inodes) + " inodes");
        const std::string errorFile = root_ + "/stderr.txt";
        const std::string script = "mount -t tmpfs -o size=4m,nr_inodes=" + std::to_string(inodes) +
                                   " qc-inodes " + Quoted(full) +
                                   " || exit 99; TMPDIR=" + Quoted(full) + " " + Quoted(program_) +
                                   " publish " + Quoted(kAssembly) + " -o " + Quoted(Target()) +
                                   " --force --quiet 2>" + Quoted(errorFile);
        const int status = RunCommand("unshare -m sh -c " + Quoted(script));
        const std::string errors = Contents(errorFile);
        ASSERT_NE(status, 99) << "mounting failed";
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("quillcast:   cause: ", 0) == 0 ||
                line.rfind("quillcast: note: ", 0) == 0)
            {
                EXPECT_NE(line.find(" '" + full), std::string::npos) << line;
                EXPECT_NE(line.find("': No space left on device"), std::string::npos) << line;
                if (line.find("the imaging library failed: Unable to create temporary file in '" +
                              full + "/': No space left on device") != std::string::npos)
                    ++imaging;
            }
    }
    EXPECT_GT(imaging, 0) << "no run found the imaging library without a file";
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastModelFaults, ATexturePictureThatCannotBeReadIsNamedOnce)
{
    // The sample part's wood, gone, on two faces: the package is written
    // with the faces in their colours, and one message says which file and
    // why.
    const auto bytes = ReadBytes(kPart);
    std::string text(bytes.begin(), bytes.end());
    for (const std::string attribute : {"toolbox-ini=\"", "picture=\""})
    {
        const std::size_t at = text.find(attribute);
        ASSERT_NE(at, std::string::npos);
        text.insert(at + attribute.size(), QUILLCAST_SOURCE_DIR "/examples/");
    }
    const std::string wood = "wood\\oak.jpg";
    const std::size_t at = text.find(wood);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, wood.size(), "wood\\gone.jpg");
    const std::size_t face = text.find("<!-- Front side face. -->");
    ASSERT_NE(face, std::string::npos);
    text.insert(text.find("</face>", face),
                "<texture configuration=\"Default\" file=\"&lt;SystemTexture&gt;\\wood\\gone.jpg\" "
                "angle=\"0\" scale=\"1\"/>");
    std::string errors;
    EXPECT_EQ(PublishOverOld(Document("gone.xml", text), errors), 3) << errors;
    EXPECT_EQ(errors, "quillcast: An error occurred while publishing the file. The error occurred "
                      "in TextureImageConverter::ConvertTextureImage.\n"
                      "quillcast:   cause: Texture " QUILLCAST_SOURCE_DIR
                      "/examples/host-data\\data\\wood\\gone.jpg: the texture file cannot be "
                      "opened: '" QUILLCAST_SOURCE_DIR "/examples/host-data/data/wood/gone.jpg': "
                      "No such file or directory\n"
                          "quillcast: the package was written to '" +
                          Target() + "', but some of its content could not be (see above)\n");
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastModelFaults, APartWhoseTexturesAreAllBrokenIsWrittenWithoutThemAndNamesEach)
{
    if (!HaveTool("python3") || !HaveTool("xmllint") || !HaveTool("convert"))
        GTEST_SKIP() << "python3, xmllint and ImageMagick's convert are needed";
    const std::string folder = root_ + "/textures";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    for (const char* name : {"good.jpg", "good.png"})
        ASSERT_EQ(RunCommand("convert -seed 5 -size 64x48 plasma:fractal " +
                             Quoted(folder + "/" + name)),
                  0);
    const std::vector<std::uint8_t> jpeg = ReadBytes(folder + "/good.jpg");
    const std::vector<std::uint8_t> png = ReadBytes(folder + "/good.png");
    const auto write = [&](const std::string& name, std::vector<std::uint8_t> bytes)
    {
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return folder + "/" + name;
    };
    const auto cut = [](std::vector<std::uint8_t> bytes, std::size_t size)
    {
        bytes.resize(size);
        return bytes;
    };
    // A bit flipped midway into the PNG's first image data chunk.
    std::vector<std::uint8_t> flipped = png;
    const std::size_t idat = std::string(png.begin(), png.end()).find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const std::size_t length = std::size_t(png[idat - 2]) << 8 | png[idat - 1];
    flipped[idat + 4 + length / 2] ^= 0x08;
    const std::vector<std::string> files = {
        write("end.jpg", cut(jpeg, jpeg.size() * 9 / 10)),
        write("half.png", cut(png, png.size() / 2)),
        write("flipped.png", flipped),
        write("text.jpg", {'o', 'a', 'k', '\n'}),
        folder + "/missing.tif",
    };
    // Two faces for each file: each file is still named once.
    std::vector<std::string> faces = files;
    faces.insert(faces.end(), files.begin(), files.end());
    const std::string xml = PartOfTexturedFaces("broken.PRT", faces);
    std::string errors;
    EXPECT_EQ(PublishOverOld(Document("broken.xml", xml), errors), 3) << errors;
    for (const std::string& file : files)
    {
        SCOPED_TRACE(file);
        const std::string cause = "quillcast:   cause: Texture " + file + ": ";
        const std::size_t at = errors.find(cause);
        ASSERT_NE(at, std::string::npos) << errors;
        EXPECT_EQ(errors.find(cause, at + 1), std::string::npos) << errors;
    }
    EXPECT_NE(errors.find("missing.tif': No such file or directory\n"), std::string::npos)
        << errors;
    EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
    ExpectNoTemporaryFiles();
    const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
    EXPECT_EQ(package.shells, 10);
    EXPECT_TRUE(package.withRole("texture").empty());
    EXPECT_TRUE(package.textureNames.empty());
    EXPECT_EQ(package.materialColours, 10);
}

} // namespace
