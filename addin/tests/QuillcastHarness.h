#pragma once
// Runs the quillcast program, built beside the test program, as a
// subprocess in the fixture's private folders.
#include "PublishHarness.h"
#include "QuillcastBeside.h"

#include <algorithm>
#include <fstream>

namespace publish_test
{

class QuillcastProgram : public PublishFixture
{
protected:
    void SetUp() override
    {
        PublishFixture::SetUp();
        program_ = addin_test::ProgramBesideThis();
        if (::access(program_.c_str(), X_OK) != 0)
            GTEST_SKIP() << "the quillcast program is not built beside the tests";
    }
    // Runs the program; answers its exit status, with standard error (and
    // standard output, when asked) in the strings.
    int Quillcast(const std::string& arguments, std::string& errors, std::string* output = nullptr)
    {
        return QuillcastAfter("", arguments, errors, output);
    }
    // The same, with `prefix` before the program on its command line
    // (variable assignments, a preloaded library ...).
    int QuillcastAfter(const std::string& prefix, const std::string& arguments, std::string& errors,
                       std::string* output = nullptr)
    {
        const std::string errorFile = root_ + "/stderr.txt";
        std::string out;
        const int status = RunCommand(
            prefix + " " + Quoted(program_) + " " + arguments + " 2>" + Quoted(errorFile), &out);
        const auto bytes = ReadBytes(errorFile);
        errors.assign(bytes.begin(), bytes.end());
        std::remove(errorFile.c_str());
        if (output)
            *output = out;
        return status;
    }
    // Writes `text` to `name` in the fixture's folder; answers its path.
    std::string Document(const std::string& name, const std::string& text) const
    {
        const std::string path = root_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    static std::string SampleDocument()
    {
        return QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml";
    }
    static std::string Contents(const std::string& path)
    {
        const auto bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }
    static int Lines(const std::string& text)
    {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    std::string program_;
};

// The text of `name` in the examples folder.
inline std::string ExampleText(const std::string& name)
{
    const auto bytes = ReadBytes(QUILLCAST_SOURCE_DIR "/examples/" + name);
    return std::string(bytes.begin(), bytes.end());
}

// How many times `part` occurs in `text`, overlapping occurrences counted.
inline std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace publish_test
