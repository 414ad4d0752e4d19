#pragma once
// A small read-only DOM with path selection, for the few XML files the
// add-in reads from its host (the material library). Elements are matched
// by their qualified names exactly as written ("prefix:name", or "name"),
// whatever namespaces the prefixes stand for; only element nodes count as
// children, so the blanks, comments and processing instructions between
// them are never "the first child".
//
// Parsing never touches the network, never substitutes entities into the
// tree, never loads a DTD and never applies a DTD's attribute defaults. A
// file that is missing, too large or not well-formed gives no document.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace platform::xml
{

struct Attribute
{
    std::u16string name; // qualified: "prefix:name" or "name"
    std::u16string value;
};

// An element of a document; the document must outlive it. A default
// element is null: every question on it answers nothing.
class Element
{
public:
    Element() = default;
    explicit operator bool() const { return node_ != nullptr; }

    std::u16string name() const;

    // Element children only.
    Element firstChild() const;
    Element lastChild() const;
    Element nextSibling() const;

    // The attributes in document order. Namespace declarations (xmlns and
    // xmlns:prefix) are not attributes here.
    std::vector<Attribute> attributes() const;
    // The value of the attribute of that qualified name; nothing when the
    // element has none of that name.
    std::optional<std::u16string> attribute(std::u16string_view name) const;

    // The elements a path of qualified names separated by '/' reaches from
    // here, child by child, in document order ("classification/material").
    // Anything else than names and '/' is a programming error and throws
    // std::invalid_argument.
    std::vector<Element> selectNodes(std::u16string_view path) const;
    // The first of them, or a null element.
    Element selectSingleNode(std::u16string_view path) const;

    bool operator==(const Element& other) const { return node_ == other.node_; }
    bool operator!=(const Element& other) const { return node_ != other.node_; }

private:
    friend class Document;
    explicit Element(_xmlNode* node) : node_(node) {}
    _xmlNode* node_ = nullptr;
};

class Document
{
public:
    // Larger inputs are refused before they are parsed.
    static constexpr std::size_t kMaxBytes = 16u * 1024 * 1024;

    // Null when the file does not exist, is not a regular file (or a link to
    // one), is larger than kMaxBytes or is not well-formed XML; errno then
    // says why the file could not be opened (DWFCore::openRegularFile) or
    // read whole (EFBIG past kMaxBytes), or is 0 when it was read.
    static std::unique_ptr<Document> loadFile(std::u16string_view path);
    // The same for bytes in memory.
    static std::unique_ptr<Document> parse(std::string_view bytes);

    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    Element documentElement() const;
    // A path from the document: its first name must be the document
    // element's ("materials-root/classification/material").
    std::vector<Element> selectNodes(std::u16string_view path) const;

private:
    explicit Document(_xmlDoc* document) : document_(document) {}
    _xmlDoc* document_;
};

} // namespace platform::xml
