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

// The memory a document's objects may need, as the loader counts them while
// it builds them: every object or record the stand-in host keeps for an
// element (a face, a body, a view, a configuration's name ...) counts its
// size and kObjectExtraBytes, and a component and a sheet count beside that
// what publishing them takes. Faces with their arrays count at most some 4
// times their size in the file (a face of one triangle some 360 bytes for
// its 100), so a model's content never reaches this within the file limit;
// a document of masses of empty elements is refused here, before it takes
// more memory than a few times the largest document.
constexpr std::size_t kMaxHostObjectBytes = std::size_t{4} << 30;
// What an object holds besides itself, counted with it: its allocation, its
// label and its small arrays.
constexpr std::size_t kObjectExtraBytes = 128;
// What publishing a component takes (its segment, published object, defined
// object, instance and property sets) and a sheet (its section, descriptor,
// stream and thumbnail), as measured.
constexpr std::size_t kComponentPublishBytes = 6 * 1024;
constexpr std::size_t kSheetPublishBytes = 32 * 1024;

// Loads the file; relative picture paths are taken from the file's folder.
// `maxBytes` is the size refused, `maxObjectBytes` the memory of objects.
std::unique_ptr<memory::Application>
loadHostDocument(const std::u16string& path, std::size_t maxBytes = kMaxHostDocumentBytes,
                 std::size_t maxObjectBytes = kMaxHostObjectBytes);
// Parses XML text; relative picture paths are taken from `baseFolder`.
std::unique_ptr<memory::Application>
parseHostDocument(std::string_view xml, const std::u16string& baseFolder,
                  std::size_t maxBytes = kMaxHostDocumentBytes,
                  std::size_t maxObjectBytes = kMaxHostObjectBytes);

// Test seam: what the XML parser was handed for the last document this
// thread parsed to its end (loaded, or refused for what it holds).
XmlFeedWork lastParseWork();

} // namespace host
