// Large host documents: the size limit and its refusal, and face arrays whose
// numbers arrive in pieces.
#include "host/Document.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/memory/Geometry.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace host;

namespace
{
// A file in the test's temporary folder, removed at the end.
struct TemporaryFile
{
    std::string path;
    TemporaryFile()
    {
        std::string pattern = std::string(::testing::TempDir()) + "/quillcast-size-XXXXXX.xml";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkstemps(buffer.data(), 4);
        if (fd >= 0)
            ::close(fd);
        path = buffer.data();
    }
    ~TemporaryFile() { std::remove(path.c_str()); }
    void write(const std::string& text) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::u16string name() const { return platform::path::fromNative(path); }
};

std::string part(const std::string& faceContent, int triangles, const std::string& padding = "")
{
    return "<host-document>\n<document type=\"1\" title=\"p.PRT\">\n<body>\n<face triangles=\"" +
           std::to_string(triangles) + "\">\n" + faceContent + "</face>\n</body>\n</document>\n" +
           padding + "</host-document>\n";
}

// Corner k of a face: exact binary fractions, so every value survives the
// trip through text and single precision unchanged.
float corner(std::size_t k)
{
    return static_cast<float>(k % 4093) * 0.25f - 511.5f;
}

Face* firstFace(memory::Application& application)
{
    return application.activeDocument()->bodies(-1, -1)[0]->firstFace();
}

// The refusal's message, or "" when the document loaded.
template <class Load> std::string refusal(Load&& load)
{
    try
    {
        load();
    }
    catch (const LoadError& error)
    {
        EXPECT_EQ(error.line(), 0) << error.what();
        return error.what();
    }
    return "";
}
} // namespace

TEST(DocumentSize, FaceNumbersCutAtEveryPlaceReadExactly)
{
    // Over a mebibyte of numbers, so that both the file's pieces and the
    // text's cut numbers apart; separators of every kind.
    constexpr int kTriangles = 20000;
    const char* const separators[] = {" ", "\n", "\t", "  ", "\r\n"};
    std::string corners = "<triangles>";
    for (std::size_t k = 0; k < 9u * kTriangles; ++k)
        corners += std::to_string(corner(k)) + separators[k % 5];
    corners += "</triangles>\n<normals>";
    for (std::size_t k = 0; k < 9u * kTriangles; ++k)
        corners += (k % 3 == 2 ? "1" : "0") + std::string(k % 7 == 0 ? "\n" : " ");
    corners += "</normals>\n";
    const std::string xml = part(corners, kTriangles);
    ASSERT_GT(xml.size(), 2u << 20);
    TemporaryFile file;
    file.write(xml);

    for (auto* application : {parseHostDocument(xml, u"").release(),
                              loadHostDocument(file.name()).release()})
    {
        std::unique_ptr<memory::Application> owner(application);
        Face* face = firstFace(*application);
        const std::vector<float> points = face->triangles(-1);
        const std::vector<float> normals = face->normals();
        ASSERT_EQ(points.size(), 9u * kTriangles);
        ASSERT_EQ(normals.size(), 9u * kTriangles);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < points.size(); ++k)
            wrong += points[k] != corner(k) || normals[k] != (k % 3 == 2 ? 1.0f : 0.0f);
        EXPECT_EQ(wrong, 0u);
        // The model keeps no spare room beyond the numbers.
        auto* model = dynamic_cast<memory::Face*>(face);
        ASSERT_TRUE(model);
        EXPECT_EQ(model->faceTriangles.capacity(), model->faceTriangles.size());
        EXPECT_EQ(model->faceNormals.capacity(), model->faceNormals.size());
    }
}

TEST(DocumentSize, DocumentsPastTheFormerLimitLoad)
{
    // 65 MiB, mostly blanks between elements: a size that used to be refused.
    const std::string corners = "<triangles>0 0 0 1 0 0 0 1 0</triangles>\n";
    TemporaryFile file;
    file.write(part(corners, 1, std::string(65u << 20, ' ') + "\n"));
    std::unique_ptr<memory::Application> application;
    EXPECT_EQ(refusal([&] { application = loadHostDocument(file.name()); }), "");
    ASSERT_TRUE(application);
    EXPECT_EQ(firstFace(*application)->triangles(-1)[3], 1.0f);
}

TEST(DocumentSize, DocumentsPastTheLimitAreRefusedWithTheCause)
{
    const std::string xml = part("<triangles>0 0 0 1 0 0 0 1 0</triangles>\n", 1);
    TemporaryFile file;
    file.write(xml);
    const std::size_t size = xml.size();
    EXPECT_EQ(refusal([&] { loadHostDocument(file.name(), size); }), "");
    EXPECT_EQ(refusal([&] { parseHostDocument(xml, u"", size); }), "");
    EXPECT_EQ(refusal([&] { loadHostDocument(file.name(), size - 1); }),
              "host document '" + file.path + "' is larger than " + std::to_string(size - 1) +
                  " bytes");
    EXPECT_EQ(refusal([&] { parseHostDocument(xml, u"", size - 1); }),
              "host document larger than " + std::to_string(size - 1) + " bytes");

    // A file that says it is past the limit is refused unread: one byte past
    // it, holes only.
    ASSERT_EQ(::truncate(file.path.c_str(), static_cast<off_t>(kMaxHostDocumentBytes) + 1), 0);
    EXPECT_EQ(refusal([&] { loadHostDocument(file.name()); }),
              "host document '" + file.path + "' is larger than 512 MiB");
}

TEST(DocumentSize, FaceArraysLongerThanTheirFaceAreRefusedAtTheFace)
{
    const auto refusedAt = [](const std::string& faceContent, int triangles,
                              const std::string& fragment)
    {
        try
        {
            parseHostDocument(part(faceContent, triangles), u"");
            ADD_FAILURE() << faceContent;
        }
        catch (const LoadError& error)
        {
            EXPECT_EQ(error.line(), 4) << error.what();
            EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos)
                << error.what();
        }
    };
    const std::string nine = "0 0 0 1 0 0 0 1 0";
    refusedAt("<triangles>" + nine + " 5</triangles>\n", 1, "needs <triangles> of 9 numbers");
    refusedAt("<triangles>" + nine + "</triangles>\n<normals>" + nine + "\n" + nine +
                  "</normals>\n",
              1, "<normals> needs 9 numbers per triangle");
    refusedAt("<triangles>" + nine + "</triangles>\n<texture-coordinates>0 0 1 0 0 1 "
                                     "1</texture-coordinates>\n",
              1, "<texture-coordinates> needs 6 numbers per triangle");
    // A face that claims far more triangles than its text holds.
    refusedAt("<triangles>" + nine + "</triangles>\n", 1000000,
              "needs <triangles> of 9000000 numbers");
    refusedAt("<triangles>" + nine + "</triangles>\n", 0, "needs <triangles> of 0 numbers");

    // Numbers are still checked one by one, at the array's line.
    try
    {
        parseHostDocument(part("<triangles>0 0 0 1 0 0 0 1\n3.5e38</triangles>\n", 1), u"");
        ADD_FAILURE();
    }
    catch (const LoadError& error)
    {
        EXPECT_EQ(error.line(), 5);
        EXPECT_NE(std::string(error.what()).find("too large for single precision"),
                  std::string::npos);
    }
}

TEST(DocumentSize, ALongCommentInstructionOrAttributeIsScannedInProportionToTheDocument)
{
    // The parser scans a token left open at the end of a piece again with
    // the next one: read in pieces of a fixed size, one long token would be
    // scanned hundreds of times over.
    constexpr std::size_t kToken = 16u << 20;
    const auto document = [](const std::string& padding, const std::string& title)
    {
        return "<host-document>\n" + padding + "<document type=\"1\" title=\"" + title +
               "\">\n<body>\n<face triangles=\"1\">\n<triangles>0 0 0 1 0 0 0 1 0</triangles>\n"
               "</face>\n</body>\n</document>\n</host-document>\n";
    };
    const auto load = [](const std::string& xml, const TemporaryFile* file)
    {
        std::unique_ptr<memory::Application> application;
        EXPECT_EQ(refusal(
                      [&] {
                          application =
                              file ? loadHostDocument(file->name()) : parseHostDocument(xml, u"");
                      }),
                  "");
        const XmlFeedWork work = lastParseWork();
        EXPECT_GE(work.bytesScanned, xml.size());
        EXPECT_LE(work.bytesScanned, 6 * xml.size());
        return std::make_pair(std::move(application), work);
    };
    const std::pair<const char*, std::string> tokens[] = {
        {"a comment", "<!--" + std::string(kToken, 'x') + "-->\n"},
        {"a processing instruction", "<?pad " + std::string(kToken, 'x') + "?>\n"},
        {"an attribute", ""},
    };
    TemporaryFile file;
    for (const auto& [what, padding] : tokens)
    {
        SCOPED_TRACE(what);
        const std::string title = padding.empty() ? std::string(kToken, 't') + ".PRT" : "p.PRT";
        const std::string xml = document(padding, title);
        file.write(xml);
        const TemporaryFile* const sources[] = {nullptr, &file};
        for (const TemporaryFile* from : sources)
        {
            SCOPED_TRACE(from ? "from a file" : "from a text");
            const auto application = load(xml, from).first;
            ASSERT_TRUE(application);
            EXPECT_EQ(application->activeDocument()->title().size(), title.size());
        }
    }

    // Once the token is closed, the file is read in pieces of the usual
    // size (64 KiB) again: the pieces stay larger than that only while a
    // token stays open.
    const std::string blanks(8u << 20, ' ');
    const std::string xml = document("<!--" + std::string(1u << 20, 'x') + "-->" + blanks, "p.PRT");
    file.write(xml);
    EXPECT_GE(load(xml, &file).second.pieces, (blanks.size() - (1u << 20)) >> 16);
}
