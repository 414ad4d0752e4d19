// The quillcast program given a FIFO, a device or a folder in place of a
// file it reads (the host document, the symbol file, a picture, a texture of
// each road, the material library): the run ends at once, names the file
// with the reason, and ends with the status the same file gone would give
// (but for the material library, which may be missing: one that is there
// and cannot be read is content left out). Every run is held to a time
// limit, so that one that waits fails instead of hanging the tests.
#include "QuillcastFaultRuns.h"
#include "addin/tests/ModelPackage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
        std::string text = Replaced(ExampleText("sample-part.xml"), "toolbox-ini=\"host-data/",
                                    "toolbox-ini=\"" + data_ + "/");
        text = Replaced(text, "picture=\"", "picture=\"" QUILLCAST_SOURCE_DIR "/examples/");
        return Document("part.xml", Replaced(text, "wood\\oak.jpg", "wood\\" + texture));
    }
    // The sample drawing reading the private data folder, with `picture`.
    std::string Drawing(const std::string& picture) const
    {
        std::string text = Replaced(ExampleText("sample-drawing.xml"), "toolbox-ini=\"host-data/",
                                    "toolbox-ini=\"" + data_ + "/");
        return Document("drawing.xml", Replaced(text, "picture=\"sample-preview.png\"",
                                                "picture=\"" + picture + "\""));
    }

    // The cause a run gives for a material library it cannot read.
    std::string LibraryCause(const std::string& reason) const
    {
        return "The material library '" + Library() + "' cannot be read: " + reason +
               "; no material of it gets its texture";
    }
    // Whether the package written holds the texture of the library's
    // brushed aluminium.
    bool HasLibraryTexture() const
    {
        const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
        RunCommand("rm -rf " + Quoted(root_ + "/read"));
        for (const std::string& name : package.textureNames)
            if (name.find("brushed") != std::string::npos)
                return true;
        return false;
    }
    std::string Library() const
    {
        return data_ + "/lang/english/sldmaterials/host materials.sldmat";
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
    const std::string library = Library();
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
        EXPECT_EQ(Publish(Part("oak.jpg"), errors), 3) << errors;
        EXPECT_EQ(CauseLine(errors), LibraryCause(reason)) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
        RunCommand("rm -rf " + Quoted(library) + " && mv " + Quoted(root_ + "/library.sldmat") +
                   " " + Quoted(library));
        ExpectNoTemporaryFiles();
    }
}

TEST_F(QuillcastInputs, AMaterialLibraryThatCannotBeReadIsNamedWithTheReason)
{
    const std::string library = Library();
    const std::string kept = root_ + "/library.sldmat";
    const std::string document = Part("oak.jpg");
    std::string errors;
    // The sample part's material is the library's brushed aluminium: read,
    // its texture goes into the package.
    ASSERT_EQ(Publish(document, errors), 0) << errors;
    EXPECT_TRUE(HasLibraryTexture());
    ASSERT_EQ(RunCommand("mv " + Quoted(library) + " " + Quoted(kept)), 0);

    // Nothing there: the host's own publish passes over a missing library.
    EXPECT_EQ(Publish(document, errors), 0) << errors;
    EXPECT_EQ(errors.find("material library"), std::string::npos) << errors;
    EXPECT_FALSE(HasLibraryTexture());

    // Something there that cannot be read: the texture is left out and the
    // run says which file and why.
    const auto expectNamed = [&](const std::string& reason)
    {
        EXPECT_EQ(Publish(document, errors), 3) << errors;
        EXPECT_EQ(CauseLine(errors), LibraryCause(reason)) << errors;
        EXPECT_EQ(Contents(Target()).substr(0, 12), "(DWF V06.01)");
        EXPECT_FALSE(HasLibraryTexture());
        ExpectNoTemporaryFiles();
        ::unlink(library.c_str());
    };
    {
        SCOPED_TRACE("a link to nothing");
        ASSERT_EQ(::symlink((root_ + "/gone.sldmat").c_str(), library.c_str()), 0);
        expectNamed("No such file or directory");
    }
    {
        SCOPED_TRACE("a socket");
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(server, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(library.size(), sizeof address.sun_path) << library;
        library.copy(address.sun_path, library.size());
        ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        expectNamed("No such device or address");
        ::close(server);
    }
    {
        SCOPED_TRACE("a file cut in the middle of its XML");
        const std::string whole = Contents(kept);
        std::ofstream(library, std::ios::binary) << whole.substr(0, whole.size() / 2);
        expectNamed("it is not well-formed XML");
    }
    if (::geteuid() != 0)
    {
        SCOPED_TRACE("a file without read permission");
        ASSERT_EQ(RunCommand("cp " + Quoted(kept) + " " + Quoted(library)), 0);
        ASSERT_EQ(::chmod(library.c_str(), 0), 0);
        expectNamed("Permission denied");
    }
    else
    {
        std::printf("[  NOTE    ] the superuser reads a file without read permission: that "
                    "case is tried only for other users\n");
    }
    ASSERT_EQ(RunCommand("mv " + Quoted(kept) + " " + Quoted(library)), 0);
}

} // namespace
