#pragma once
// Reads a host document (the XML file described in docs/host-document.md)
// into an in-memory host application. A malformed document is refused
// whole with the line where the problem is.
#include "host/XmlFeed.h"
#include "host/memory/Application.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace host
{

class LoadError : public std::runtime_error
{
public:
    LoadError(int line, const std::string& message)
        : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
          line_(line)
    {
    }
    // The line of the offending element; 0 when the file could not be read.
    int line() const { return line_; }

private:
    int line_;
};

// Host documents larger than this are refused (a file that says so
// before it is read). A part of a million triangles with normals and
// texture coordinates takes about 215 MB.
constexpr std::size_t kMaxHostDocumentBytes = 512u * 1024 * 1024;
// Nor may a document hold more elements than this.
constexpr std::size_t kMaxHostElements = 250000;

// Loads the file; relative picture paths are taken from the file's folder.
// `maxBytes` is the size refused.
std::unique_ptr<memory::Application> loadHostDocument(
    const std::u16string& path, std::size_t maxBytes = kMaxHostDocumentBytes);
// Parses XML text; relative picture paths are taken from `baseFolder`.
std::unique_ptr<memory::Application> parseHostDocument(
    std::string_view xml, const std::u16string& baseFolder,
    std::size_t maxBytes = kMaxHostDocumentBytes);

// Test seam: what the XML parser was handed for the last document this
// thread parsed to its end (loaded, or refused for what it holds).
XmlFeedWork lastParseWork();

} // namespace host
