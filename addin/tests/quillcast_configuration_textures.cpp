// The quillcast program publishing parts and assemblies whose faces, bodies,
// features and components have a texture in several configurations: the
// package carries the image of the document's current configuration, and
// only where the current configuration has none the first configuration's
// that has one. The images are made by ImageMagick, each of its own colour;
// python3 reads the package (zipfile for the stored images, zlib for the
// W3D stream's texture names) apart from our own readers. Textures of files
// whose paths differ only in what an image name cannot hold are each drawn
// with their own pixels.
#include "ModelPackage.h"
#include "QuillcastHarness.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace
{
using namespace publish_test;

// A triangle of the model: its corners, normals and texture coordinates.
const char kTriangle[] = "<triangles>0 0 0 1 0 0 0 1 0</triangles>"
                         "<normals>0 0 1 0 0 1 0 0 1</normals>"
                         "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>";

// Prints, for each image file given after the package, whether an entry of
// the package holds its bytes and whether the W3D stream names a texture of
// it (the texture name is the image path's letters and digits followed by
// " texture"); a line "<file> <stored 0|1> <named 0|1>".
const char kInspect[] =
    "import sys, zipfile, zlib, re, os\n"
    "z = zipfile.ZipFile(sys.argv[1])\n"
    "entries = [z.read(i) for i in z.infolist()]\n"
    "w3d = [z.read(n) for n in z.namelist() if n.endswith('.w3d')]\n"
    "assert len(w3d) == 1, z.namelist()\n"
    "raw = w3d[0]\n"
    "stream = zlib.decompressobj().decompress(raw[raw.index(b'Zx') + 1:])\n"
    "for path in sys.argv[2:]:\n"
    "    data = open(path, 'rb').read()\n"
    "    name = re.sub(rb'[^A-Za-z0-9]', b'', os.path.basename(path).encode())\n"
    "    print(os.path.basename(path), int(data in entries),\n"
    "          int(name + b' texture' in stream))\n";

class QuillcastConfigurationTextures : public QuillcastProgram
{
protected:
    void SetUp() override
    {
        QuillcastProgram::SetUp();
        if (IsSkipped())
            return;
        if (!HaveTool("python3") || !HaveTool("convert"))
            GTEST_SKIP() << "python3 and ImageMagick's convert are needed";
        ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    }
    // An image of one colour of its own, at textures/<name>.
    std::string Image(const std::string& name, const std::string& colour)
    {
        const std::string path = root_ + "/textures/" + name;
        EXPECT_EQ(RunCommand("convert -size 8x8 xc:" + colour + " " + Quoted(path)), 0) << name;
        images_.push_back(path);
        return path;
    }
    // What the package at Target() holds of each image made: "stored named".
    std::map<std::string, std::string> Inspect()
    {
        const std::string script = root_ + "/inspect.py";
        std::ofstream(script) << kInspect;
        std::string command = "python3 " + Quoted(script) + " " + Quoted(Target());
        for (const std::string& image : images_)
            command += " " + Quoted(image);
        std::string listing;
        EXPECT_EQ(RunCommand(command + " 2>&1", &listing), 0) << listing;
        std::map<std::string, std::string> found;
        std::istringstream lines(listing);
        std::string name, stored, named;
        while (lines >> name >> stored >> named)
            found[name] = stored + " " + named;
        return found;
    }
    // The mean colour of an image, red, green and blue from 0 to 255, by
    // ImageMagick.
    std::array<int, 3> Colour(const std::string& path)
    {
        std::string text;
        EXPECT_EQ(RunCommand("convert " + Quoted(path) +
                                 " -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] "
                                 "%[fx:round(255*mean.b)]' info:",
                             &text),
                  0)
            << path;
        std::array<int, 3> colour{-1000, -1000, -1000};
        std::istringstream(text) >> colour[0] >> colour[1] >> colour[2];
        return colour;
    }
    static std::string Texture(const std::string& configuration, const std::string& file)
    {
        return "<texture configuration=\"" + configuration + "\" file=\"" + file +
               "\" angle=\"0\" scale=\"1\"/>";
    }
    // A part whose one body has a face for each file, textured with it in
    // its one configuration.
    static std::string PartOfTexturedFaces(const std::string& title,
                                           const std::vector<std::string>& files)
    {
        std::string xml = "<host-document><document type=\"1\" title=\"" + title +
                          "\"><configuration name=\"Default\" current=\"1\"/><body>";
        for (const std::string& file : files)
            xml += std::string("<face triangles=\"1\">") + kTriangle + Texture("Default", file) +
                   "</face>";
        return xml + "</body></document></host-document>";
    }
    // The package's stored texture images by name; each face's texture
    // names one of them, holding the colour of the image file given for the
    // face (a converted texture within what JPEG's compression moves it).
    std::map<std::string, std::string> ExpectFacesShow(const model_package::ModelPackage& package,
                                                       const std::vector<std::string>& images)
    {
        std::map<std::string, std::string> stored; // image name -> extracted entry
        for (const model_package::Resource& resource : package.withRole("texture"))
            stored[resource.title] = resource.file;
        EXPECT_EQ(package.textureImages.size(), images.size());
        for (std::size_t i = 0; i < images.size() && i < package.textureImages.size(); ++i)
        {
            SCOPED_TRACE(images[i]);
            const std::string& image = package.textureImages[i];
            if (stored.count(image) != 1)
            {
                ADD_FAILURE() << "no stored image " << image;
                continue;
            }
            const std::array<int, 3> found = Colour(stored[image]), made = Colour(images[i]);
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_NEAR(found[channel], made[channel], 8) << channel;
        }
        return stored;
    }

    // Publishes the document `xml` (saved as `name`) to Target(), which
    // must go without a word.
    void Publish(const std::string& name, const std::string& xml)
    {
        std::string errors;
        EXPECT_EQ(
            Quillcast("publish " + Quoted(Document(name, xml)) + " -o " + Quoted(Target()), errors),
            0)
            << errors;
    }

    std::vector<std::string> images_;
};

TEST_F(QuillcastConfigurationTextures, APartShowsTheCurrentConfigurationsTextures)
{
    // Three configurations, "Long" current and not first. Every object has
    // a texture in each, but the last face, which has none in "Long".
    std::string textures;
    const auto each = [&](const std::string& object, const std::string& extension)
    {
        std::string xml;
        const std::map<std::string, std::string> colours = {
            {"Short", "red"}, {"Long", "green"}, {"Polished", "blue"}};
        // In the reverse of the configurations' order: the element order
        // must not matter.
        for (const char* configuration : {"Polished", "Long", "Short"})
        {
            std::string lower = configuration;
            lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
            xml += Texture(configuration,
                           Image(object + "-" + lower + extension, colours.at(configuration)));
        }
        return xml;
    };
    const std::string face = each("face", ".jpg");
    const std::string feature = each("feature", ".jpg");
    const std::string body = each("body", ".png");
    const std::string walked = Texture("Polished", Image("walked-polished.jpg", "yellow")) +
                               Texture("Short", Image("walked-short.jpg", "magenta"));
    const std::string xml =
        std::string("<host-document><document type=\"1\" title=\"rod.PRT\">"
                    "<configuration name=\"Short\"/><configuration name=\"Long\" current=\"1\"/>"
                    "<configuration name=\"Polished\"/>"
                    "<feature id=\"cut\" type-name=\"Cut\" kind=\"1\">") +
        feature + "</feature><body>" + body + "<face triangles=\"1\">" + kTriangle + face +
        "</face><face triangles=\"1\" feature=\"cut\">" + kTriangle +
        "</face><face triangles=\"1\">" + kTriangle + walked +
        "</face></body></document></host-document>";

    Publish("rod.xml", xml);
    // "stored named" for each image.
    const std::map<std::string, std::string> expected = {
        {"face-short.jpg", "0 0"},     {"face-long.jpg", "1 1"},     {"face-polished.jpg", "0 0"},
        {"feature-short.jpg", "0 0"},  {"feature-long.jpg", "1 1"},  {"feature-polished.jpg", "0 0"},
        {"body-short.png", "0 0"},     {"body-long.png", "1 1"},     {"body-polished.png", "0 0"},
        // No texture in the current configuration: the first that has one.
        {"walked-short.jpg", "1 1"},   {"walked-polished.jpg", "0 0"},
    };
    EXPECT_EQ(Inspect(), expected);
}

TEST_F(QuillcastConfigurationTextures, AnAssemblyShowsItsCurrentConfigurationsTextures)
{
    // The component's own texture, and the texture of the face of its body,
    // in the assembly's configurations "First" and "Chosen" (current).
    const std::string component = Texture("First", Image("peg-first.jpg", "red")) +
                                  Texture("Chosen", Image("peg-chosen.jpg", "green"));
    const std::string face = Texture("First", Image("pegface-first.jpg", "blue")) +
                             Texture("Chosen", Image("pegface-chosen.jpg", "yellow"));
    const std::string xml =
        std::string("<host-document><document type=\"2\" title=\"frame.ASM\" active=\"1\">"
                    "<configuration name=\"First\"/><configuration name=\"Chosen\" "
                    "current=\"1\"/><components><component name=\"frame\">"
                    "<component name=\"peg-1\" document=\"peg.PRT\" state=\"1\" "
                    "box=\"0 0 0 1 1 0\" transform=\"1 0 0 0 1 0 0 0 1 0 0 0 1\">") +
        component + "<body><face triangles=\"1\">" + kTriangle + face +
        "</face></body></component></component></components></document>"
        "<document type=\"1\" title=\"peg.PRT\"><configuration name=\"Default\" "
        "current=\"1\"/></document></host-document>";

    Publish("frame.xml", xml);
    const std::map<std::string, std::string> expected = {
        {"peg-first.jpg", "0 0"},
        {"peg-chosen.jpg", "1 1"},
        {"pegface-first.jpg", "0 0"},
        {"pegface-chosen.jpg", "1 1"},
    };
    EXPECT_EQ(Inspect(), expected);
}

TEST_F(QuillcastConfigurationTextures, ComponentsShowTexturesOfTheirOwnDocumentsConfigurations)
{
    // The assembly's configurations are "Default" (current) and "Service";
    // the part's "Short" and "Long" (current), the subassembly's "Main"
    // (current) and "Alt". A face textured only in the part's names shows
    // the part's current one; a face with a texture in the assembly's
    // current configuration keeps it; a component of the subassembly shows
    // its texture in the subassembly's current configuration.
    const std::string part = Texture("Short", Image("rod-short.jpg", "red")) +
                             Texture("Long", Image("rod-long.jpg", "lime"));
    const std::string both = Texture("Long", Image("both-long.jpg", "blue")) +
                             Texture("Default", Image("both-default.jpg", "yellow"));
    const std::string wheel = Texture("Alt", Image("wheel-alt.jpg", "cyan")) +
                              Texture("Main", Image("wheel-main.jpg", "magenta"));
    const std::string placed = "state=\"1\" box=\"0 0 0 1 1 0\" "
                               "transform=\"1 0 0 0 1 0 0 0 1 0 0 0 1\"";
    const std::string xml =
        "<host-document><document type=\"2\" title=\"frame.ASM\" active=\"1\">"
        "<configuration name=\"Default\" current=\"1\"/><configuration name=\"Service\"/>"
        "<components><component name=\"frame\"><component name=\"rod-1\" "
        "document=\"rod.PRT\" " +
        placed + "><body><face triangles=\"1\">" + kTriangle + part +
        "</face><face triangles=\"1\">" + kTriangle + both +
        "</face></body></component><component name=\"cart-1\" document=\"cart.ASM\" " +
        placed + "><component name=\"wheel-1\" document=\"rod.PRT\" " + placed + ">" + wheel +
        "<body><face triangles=\"1\">" + kTriangle +
        "</face></body></component></component></component></components></document>"
        "<document type=\"1\" title=\"rod.PRT\"><configuration name=\"Short\"/>"
        "<configuration name=\"Long\" current=\"1\"/></document>"
        "<document type=\"2\" title=\"cart.ASM\"><configuration name=\"Main\" "
        "current=\"1\"/><configuration name=\"Alt\"/></document></host-document>";

    Publish("frame.xml", xml);
    const std::map<std::string, std::string> expected = {
        {"rod-short.jpg", "0 0"},    {"rod-long.jpg", "1 1"},  {"both-long.jpg", "0 0"},
        {"both-default.jpg", "1 1"}, {"wheel-alt.jpg", "0 0"}, {"wheel-main.jpg", "1 1"},
    };
    EXPECT_EQ(Inspect(), expected);
}

TEST_F(QuillcastConfigurationTextures, ATextureNoDocumentCanDrawIsRefusedWithItsLine)
{
    // A configuration named in another case than the document's, a part
    // without configurations, and a texture of the root component, which
    // is never drawn: each refused with its line before anything is
    // written.
    const std::string face = std::string("<face triangles=\"1\">") + kTriangle + "\n" +
                             Texture("default", Image("oak.jpg", "red")) + "</face>";
    const std::string placed = "state=\"1\" box=\"0 0 0 1 1 0\" "
                               "transform=\"1 0 0 0 1 0 0 0 1 0 0 0 1\"";
    const std::vector<std::pair<std::string, std::string>> documents = {
        {"<document type=\"1\" title=\"rod.PRT\"><configuration name=\"Default\" "
         "current=\"1\"/>\n<body>" +
             face + "</body></document>",
         "line 4: <texture> names configuration 'default', which is none of the configurations "
         "it can be drawn in (names match exactly, case included): 'Default'"},
        {"\n<document type=\"1\" title=\"rod.PRT\"><body>" + face + "</body></document>",
         "line 4: <texture> names configuration 'default', but its document has no "
         "<configuration>"},
        {"<document type=\"2\" title=\"frame.ASM\"><configuration name=\"default\"/>"
         "<components><component name=\"frame\">\n" +
             Texture("default", "oak.jpg") + "<component name=\"peg-1\" " + placed +
             "><body>" + face + "</body></component></component></components></document>",
         "line 3: <texture> in the root <component>"},
    };
    for (const auto& [content, refusal] : documents)
    {
        SCOPED_TRACE(content);
        std::string errors;
        EXPECT_EQ(Quillcast("publish " +
                                Quoted(Document("refused.xml",
                                                "<host-document>\n" + content + "</host-document>")) +
                                " -o " + Quoted(Target()),
                            errors),
                  2);
        EXPECT_NE(errors.find(refusal), std::string::npos) << errors;
        EXPECT_TRUE(FilesIn(packages_).empty());
    }
}

TEST_F(QuillcastConfigurationTextures, FilesWhoseImageNamesWouldClashAreEachTheirOwnTexture)
{
    // Paths alike in their ASCII letters and digits: non-ASCII names, names
    // apart only by punctuation (converted, into one folder), and one name
    // in two folders whose common rest holds more than 119 of them. The
    // first texture covers two faces.
    const std::string deep = "/" + std::string(120, 'd');
    for (const char* folder : {"/Revision A", "/Revision B"})
        ASSERT_EQ(RunCommand("mkdir -p " + Quoted(root_ + "/textures" + folder + deep)), 0);
    const std::vector<std::string> files = {
        Image("\xd0\xb4\xd1\x83\xd0\xb1.jpg", "red"),
        Image("\xd1\x81\xd0\xbe\xd1\x81\xd0\xbd\xd0\xb0.jpg", "blue"),
        images_.front(),
        Image("oak 1.bmp", "lime"),
        Image("oak-1.bmp", "yellow"),
        Image("Revision A" + deep + "/wood.jpg", "cyan"),
        Image("Revision B" + deep + "/wood.jpg", "magenta"),
    };
    Publish("board.xml", PartOfTexturedFaces("board.PRT", files));

    const model_package::ModelPackage package =
        model_package::ReadModelPackage(Target(), "", root_ + "/read");
    EXPECT_EQ(ExpectFacesShow(package, files).size(), 6u);
    EXPECT_EQ(std::set<std::string>(package.images.begin(), package.images.end()).size(), 6u);
    EXPECT_EQ(package.textureImages[2], package.textureImages[0]);
}

TEST_F(QuillcastConfigurationTextures, OneFileIsOneImageWhateverItsPathsSpelling)
{
    // A BMP (converted), a PNG and a PNG in a folder reached through a
    // symbolic link, each named in several ways; a hard link is the same
    // file again, and a copy of the PNG's bytes is a file of its own.
    ASSERT_EQ(::mkdir((root_ + "/textures/real").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("real", (root_ + "/textures/alias").c_str()), 0);
    const std::string bmp = Image("w.bmp", "red");
    const std::string png = Image("w.png", "blue");
    const std::string linked = Image("real/v.png", "lime");
    ASSERT_EQ(::link(png.c_str(), (root_ + "/textures/hard.png").c_str()), 0);
    ASSERT_EQ(RunCommand("cp " + Quoted(png) + " " + Quoted(root_ + "/textures/copy.png")), 0);
    // Each face's file as the document names it (relative to its folder),
    // and the image file whose colour it must show.
    const std::vector<std::pair<std::string, std::string>> faces = {
        {"textures/w.bmp", bmp},
        {"./textures/w.bmp", bmp},
        {"textures//w.bmp", bmp},
        {"textures/w.png", png},
        {"textures/../textures/w.png", png},
        {root_ + "/textures/./w.png", png},
        {"textures/hard.png", png},
        {"textures/real/v.png", linked},
        {"textures/alias/v.png", linked},
        {"textures/copy.png", png},
    };
    std::vector<std::string> spellings, images;
    for (const auto& face : faces)
    {
        spellings.push_back(face.first);
        images.push_back(face.second);
    }
    Publish("crate.xml", PartOfTexturedFaces("crate.PRT", spellings));

    const model_package::ModelPackage package =
        model_package::ReadModelPackage(Target(), "", root_ + "/read");
    // The BMP's JPEG, the PNG, the linked PNG and the copy: each stored
    // once, and the W3D stream holds one image of each.
    EXPECT_EQ(ExpectFacesShow(package, images).size(), 4u);
    EXPECT_EQ(package.withRole("texture").size(), 4u);
    EXPECT_EQ(std::set<std::string>(package.images.begin(), package.images.end()).size(), 4u);
    const std::vector<std::string>& used = package.textureImages;
    for (std::size_t i : {1u, 2u})
        EXPECT_EQ(used[i], used[0]) << faces[i].first;
    for (std::size_t i : {4u, 5u, 6u})
        EXPECT_EQ(used[i], used[3]) << faces[i].first;
    EXPECT_EQ(used[8], used[7]);
    EXPECT_NE(used[9], used[3]);
    // The image keeps the name its first spelling gives it: the path's
    // letters and digits.
    std::string first;
    for (char c : root_ + "/textures/w.png")
        if (std::isalnum(static_cast<unsigned char>(c)))
            first += c;
    EXPECT_EQ(used[3], first.substr(first.size() > 119 ? first.size() - 119 : 0));

    // A file that cannot be converted is said once, however it is spelt; a
    // missing one is left out with its reason.
    ASSERT_EQ(RunCommand("printf 'not a picture' > " + Quoted(root_ + "/textures/bad.bmp")), 0);
    const std::string broken = PartOfTexturedFaces(
        "bin.PRT", {"textures/bad.bmp", "./textures/bad.bmp", "textures/gone.bmp"});
    std::string errors;
    EXPECT_EQ(Quillcast("publish " + Quoted(Document("bin.xml", broken)) + " -o " +
                            Quoted(root_ + "/bin.dwf"),
                        errors),
              3);
    EXPECT_EQ(Occurrences(errors, "bad.bmp: the texture image is in no format"), 1u) << errors;
    EXPECT_EQ(Occurrences(errors, "gone.bmp': No such file or directory"), 1u) << errors;
}

} // namespace
