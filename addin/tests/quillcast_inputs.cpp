// The quillcast program given a FIFO, a device or a folder in place of a
// file it reads (the host document, the symbol file, a picture, a texture of
// each road, the material library): the run ends at once, names the file
// with the reason, and ends with the status the same file gone would give.
// Every run is held to a time limit, so that one that waits fails instead of
// hanging the tests.
#include "QuillcastFaultRuns.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sys/stat.h>

namespace
{
using namespace publish_test;

// What stands in place of a file, and the reason a run must give for it.
struct StandIn
{
    const char* name;
    std::string reason;
};

const StandIn kStandIns[] = {
    {"a FIFO", "Not a regular file"},
    {"a folder", "Is a directory"},
    {"a link to a device", "Not a regular file"},
};

std::string Source(const std::string& name)
{
    const auto bytes = ReadBytes(QUILLCAST_SOURCE_DIR "/examples/" + name);
    return std::string(bytes.begin(), bytes.end());
}

class QuillcastInputs : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (IsSkipped())
            return;
        data_ = root_ + "/host-data";
        ASSERT_EQ(RunCommand("cp -R " + Quoted(QUILLCAST_SOURCE_DIR "/examples/host-data") + " " +
                             Quoted(data_)),
                  0);
    }

    // Puts `standIn` (an index of kStandIns) at `path`, in place of what is there.
    static void Place(const std::string& path, std::size_t standIn)
    {
        std::remove(path.c_str());
        switch (standIn)
        {
        case 0:
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
            break;
        case 1:
            ASSERT_EQ(::mkdir(path.c_str(), 0700), 0) << path;
            break;
        default:
            // Never ends when read.
            ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0) << path;
            break;
        }
    }

    // Publishes `document` over an old package, held to a minute.
    int Publish(const std::string& document, std::string& errors)
    {
        const int status = PublishOverOld(document, errors, "timeout -k 10 60");
        EXPECT_NE(status, 124) << "the run was still waiting after a minute";
        return status;
    }

    // The sample part reading the private data folder, its top face
    // textured with `texture` of the folder's data/wood.
    std::string Part(const std::string& texture) const
    {
        std::string text = Replaced(Source("sample-part.xml"), "toolbox-ini=\"host-data/",
                                    "toolbox-ini=\"" + data_ + "/");
        text = Replaced(text, "picture=\"", "picture=\"" QUILLCAST_SOURCE_DIR "/examples/");
        return Document("part.xml", Replaced(text, "wood\\oak.jpg", "wood\\" + texture));
    }
    // The sample drawing reading the private data folder, with `picture`.
    std::string Drawing(const std::string& picture) const
    {
        std::string text = Replaced(Source("sample-drawing.xml"), "toolbox-ini=\"host-data/",
                                    "toolbox-ini=\"" + data_ + "/");
        return Document("drawing.xml", Replaced(text, "picture=\"sample-preview.png\"",
                                                "picture=\"" + picture + "\""));
    }

    std::string data_;
};

TEST_F(QuillcastInputs, AHostDocumentThatIsNoFileIsRefusedWithItsReason)
{
    for (std::size_t i = 0; i < std::size(kStandIns); ++i)
    {
        SCOPED_TRACE(kStandIns[i].name);
        const std::string document = root_ + "/document" + std::to_string(i) + ".xml";
        Place(document, i);
        std::string errors;
        EXPECT_EQ(Publish(document, errors), 2) << errors;
        EXPECT_EQ(errors, "quillcast: " + document + ": cannot open host document '" + document +
                              "': " + kStandIns[i].reason + "\n");
        ExpectUntouched();
    }
}

TEST_F(QuillcastInputs, ASymbolFileOrPictureThatIsNoFileIsNamedAndThePackageWritten)
{
    const std::string symbols = data_ + "/lang/english/Gtol.sym";
    const std::string picture = root_ + "/preview.png";
    for (std::size_t i = 0; i < std::size(kStandIns); ++i)
    {
        SCOPED_TRACE(kStandIns[i].name);
        const std::string& reason = kStandIns[i].reason;
        std::string errors;

        // The symbols are left out, once per sheet that wanted one.
        Place(symbols, i);
        EXPECT_EQ(Publish(Drawing(QUILLCAST_SOURCE_DIR "/examples/sample-preview.png"), errors), 3)
            << errors;
        const std::string cause = "The symbol file '" + symbols + "' cannot be used: " + reason +
                                  "; symbols in text are left out";
        EXPECT_NE(errors.find("cause: Sheet 'Sheet1': " + cause), std::string::npos) << errors;
        EXPECT_NE(errors.find("cause: Sheet 'Sheet2': " + cause), std::string::npos) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
        RunCommand("rm -rf " + Quoted(symbols) + " && cp " +
                   Quoted(QUILLCAST_SOURCE_DIR "/examples/host-data/lang/english/Gtol.sym") + " " +
                   Quoted(symbols));

        // The sheets go without thumbnails.
        Place(picture, i);
        EXPECT_EQ(Publish(Drawing(picture), errors), 0) << errors;
        const std::string why = "cannot open the picture file '" + picture + "': " + reason;
        EXPECT_EQ(errors, "quillcast: note: Sheet 'Sheet1' has no thumbnail: " + why +
                              "\nquillcast: note: Sheet 'Sheet2' has no thumbnail: " + why + "\n");
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.00)");
        RunCommand("rm -rf " + Quoted(picture));
        ExpectNoTemporaryFiles();
    }
}

TEST_F(QuillcastInputs, ATextureOrMaterialLibraryThatIsNoFileIsNamedAndLeftOut)
{
    const std::string wood = data_ + "/data/wood/";
    const std::string library = data_ + "/lang/english/sldmaterials/host materials.sldmat";
    for (std::size_t i = 0; i < std::size(kStandIns); ++i)
    {
        SCOPED_TRACE(kStandIns[i].name);
        const std::string& reason = kStandIns[i].reason;
        std::string errors;

        // Each kind of texture, taken as it is or converted: the face keeps
        // its colours and the message names the file and the reason.
        for (const std::string name : {"stand.jpg", "stand.png", "stand.tga"})
        {
            Place(wood + name, i);
            EXPECT_EQ(Publish(Part(name), errors), 3) << errors;
            EXPECT_NE(errors.find("cause: Texture " + data_ + "\\data\\wood\\" + name +
                                  ": the texture file cannot be opened: '" + wood + name +
                                  "': " + reason + "\n"),
                      std::string::npos)
                << errors;
            EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
        }

        // The library's material goes without its texture.
        RunCommand("mv " + Quoted(library) + " " + Quoted(root_ + "/library.sldmat"));
        Place(library, i);
        EXPECT_EQ(Publish(Part("oak.jpg"), errors), 0) << errors;
        EXPECT_EQ(errors, "quillcast: note: The material library '" + library +
                              "' is not read (no material gets its texture): " + reason + "\n");
        RunCommand("rm -rf " + Quoted(library) + " && mv " + Quoted(root_ + "/library.sldmat") +
                   " " + Quoted(library));
        ExpectNoTemporaryFiles();
    }
}

} // namespace
