#pragma once
// What the publication tests share: a private temporary folder (so that
// nothing left behind goes unnoticed), a target folder, running outside
// tools and reading a written package back.
#include "addin/PublishRun.h"
#include "host/Loader.h"
#include "platform/kernel/Path.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace publish_test
{

// Runs a command line through the shell; answers its exit status and
// what it wrote to standard output.
inline int RunCommand(const std::string& command, std::string* output = nullptr)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveTool(const std::string& tool)
{
    return RunCommand("command -v " + tool + " >/dev/null 2>&1") == 0;
}

inline std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void RemoveTree(const std::string& folder)
{
    RunCommand("chmod -R u+w " + Quoted(folder) + " 2>/dev/null; rm -rf " + Quoted(folder));
}

// A drawing of one sheet whose own view holds `parabolas` long parabolas,
// each a little apart from the others so that none join: about 12 KB of
// W2D stream each. `views` more views follow, each with one short line.
inline std::string ParabolaDrawing(int parabolas, int views = 0)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
                       "<document type=\"3\" title=\"large.DRW\" picture=\"" QUILLCAST_SOURCE_DIR
                       "/examples/sample-preview.png\">\n<drawing>\n"
                       "<sheet name=\"Sheet1\" properties=\"0 0 0 0 0 0.42 0.297\">\n"
                       "<view name=\"Sheet1\" type=\"1\">\n<sketch>\n<parabolas count=\"" +
                       std::to_string(parabolas) + "\">\n";
    for (int i = 0; i < parabolas; ++i)
    {
        // All of it moves up by (i mod 1000) × 0.00001.
        char shift[8];
        std::snprintf(shift, sizeof shift, "%03d", i % 1000);
        const std::string s = shift;
        text += "255 0 0 1 -1 0 -0.2 0.10" + s + " 0 0.2 0.10" + s + " 0 0 0.05" + s +
                " 0 0 0.00" + s + " 0\n";
    }
    text += "</parabolas>\n</sketch>\n</view>\n";
    for (int v = 0; v < views; ++v)
        text += "<view name=\"View" + std::to_string(v + 1) +
                "\" type=\"2\">\n<sketch>\n<lines kind=\"1\" count=\"1\">\n"
                "5 0 0 1 -1 0 0.01 0.01 0 0.02 0.02 0\n</lines>\n</sketch>\n</view>\n";
    return text + "</sheet>\n</drawing>\n</document>\n</host-document>\n";
}

// A fresh temporary folder for the add-in (TMPDIR) and a folder for the
// packages; the user interface and the shell start clean.
class PublishFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        platform::shell().reset();
        std::string pattern = ::testing::TempDir() + "qc-publish-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        temporary_ = root_ + "/tmp";
        packages_ = root_ + "/out";
        ::mkdir(temporary_.c_str(), 0700);
        ::mkdir(packages_.c_str(), 0700);
        if (const char* previous = std::getenv("TMPDIR"))
            previousTmpdir_ = previous;
        ::setenv("TMPDIR", temporary_.c_str(), 1);
    }
    void TearDown() override
    {
        if (previousTmpdir_)
            ::setenv("TMPDIR", previousTmpdir_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        RemoveTree(root_);
        platform::ui().reset();
        platform::shell().reset();
    }

    static std::unique_ptr<host::memory::Application> Sample()
    {
        return host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml");
    }
    std::string Target(const std::string& name = "sample.dwf") const
    {
        return packages_ + "/" + name;
    }
    PublishRequest Request(const std::string& name = "sample.dwf") const
    {
        PublishRequest request;
        request.target = platform::path::fromNative(Target(name));
        return request;
    }
    // Nothing of the add-in's is left in its temporary folder.
    void ExpectNoTemporaryFiles() const
    {
        EXPECT_EQ(FilesIn(temporary_), std::vector<std::string>{});
    }

    std::string root_;
    std::string temporary_;
    std::string packages_;
    std::optional<std::string> previousTmpdir_;
};

} // namespace publish_test
