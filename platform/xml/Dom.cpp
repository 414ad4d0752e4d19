#include "platform/xml/Dom.h"

#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include "dwfcore/RegularFile.h"

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/tree.h>
#include <unistd.h>

namespace platform::xml
{

namespace
{

// No network, no entity substitution (XML_PARSE_NOENT), no DTD loading or
// attribute defaults (XML_PARSE_DTDLOAD, XML_PARSE_DTDATTR), no size
// lifting (XML_PARSE_HUGE); the parser's complaints are not printed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Some of libxml2's complaints (failed encoding conversions, for one) go
// to its error channels whatever the parse options say. A broken file
// gives no document, which is all the callers need to know: nothing is
// printed.
extern "C" void ignoreGenericError(void*, const char*, ...) {}
extern "C" void ignoreStructuredError(void*, xmlErrorPtr) {}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       xmlInitParser();
                       xmlSetGenericErrorFunc(nullptr, &ignoreGenericError);
                       xmlSetStructuredErrorFunc(nullptr, &ignoreStructuredError);
                   });
}

std::string qualifiedName(const xmlNode* node)
{
    const char* local = reinterpret_cast<const char*>(node->name);
    std::string name = local ? local : "";
    if (node->ns && node->ns->prefix)
        name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
    return name;
}

std::string qualifiedName(const xmlAttr* attribute)
{
    const char* local = reinterpret_cast<const char*>(attribute->name);
    std::string name = local ? local : "";
    if (attribute->ns && attribute->ns->prefix)
        name = reinterpret_cast<const char*>(attribute->ns->prefix) + (":" + name);
    return name;
}

// The attribute's text with character and entity references replaced, as
// any DOM reports an attribute's value.
std::u16string valueOf(const xmlAttr* attribute)
{
    xmlChar* text = xmlNodeListGetString(attribute->doc, attribute->children, 1);
    if (!text)
        return std::u16string();
    std::u16string value = utf8ToUtf16(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return value;
}

bool isPathCharacter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// The path's names, in UTF-8 as libxml2 keeps them.
std::vector<std::string> stepsOf(std::u16string_view path)
{
    const std::string text = utf16ToUtf8(path);
    std::vector<std::string> steps;
    std::size_t start = 0;
    while (true)
    {
        const std::size_t end = text.find('/', start);
        std::string step = text.substr(start, end == std::string::npos ? end : end - start);
        if (step.empty())
            throw std::invalid_argument("XML path '" + text + "' has an empty step");
        for (char c : step)
            if (!isPathCharacter(c))
                throw std::invalid_argument("XML path '" + text +
                                            "' holds more than element names");
        steps.push_back(std::move(step));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return steps;
}

// Follows the steps from `from`, each step to the element children of the
// previous ones that carry its name. Parents are visited in document order
// and their children in turn, so the result is in document order too.
std::vector<xmlNode*> follow(std::vector<xmlNode*> from, const std::vector<std::string>& steps,
                             std::size_t first)
{
    for (std::size_t i = first; i < steps.size() && !from.empty(); ++i)
    {
        std::vector<xmlNode*> next;
        for (xmlNode* parent : from)
            for (xmlNode* child = xmlFirstElementChild(parent); child;
                 child = xmlNextElementSibling(child))
                if (qualifiedName(child) == steps[i])
                    next.push_back(child);
        from = std::move(next);
    }
    return from;
}

} // namespace

std::u16string Element::name() const
{
    return node_ ? utf8ToUtf16(qualifiedName(node_)) : std::u16string();
}

Element Element::firstChild() const
{
    return Element(node_ ? xmlFirstElementChild(node_) : nullptr);
}

Element Element::lastChild() const
{
    return Element(node_ ? xmlLastElementChild(node_) : nullptr);
}

Element Element::nextSibling() const
{
    return Element(node_ ? xmlNextElementSibling(node_) : nullptr);
}

std::vector<Attribute> Element::attributes() const
{
    std::vector<Attribute> list;
    if (!node_)
        return list;
    // libxml2 keeps namespace declarations apart (nsDef), not among these.
    for (const xmlAttr* attribute = node_->properties; attribute; attribute = attribute->next)
        list.push_back({utf8ToUtf16(qualifiedName(attribute)), valueOf(attribute)});
    return list;
}

std::optional<std::u16string> Element::attribute(std::u16string_view name) const
{
    if (!node_)
        return std::nullopt;
    const std::string wanted = utf16ToUtf8(name);
    for (const xmlAttr* attribute = node_->properties; attribute; attribute = attribute->next)
        if (qualifiedName(attribute) == wanted)
            return valueOf(attribute);
    return std::nullopt;
}

std::vector<Element> Element::selectNodes(std::u16string_view path) const
{
    const auto steps = stepsOf(path);
    std::vector<Element> selection;
    if (!node_)
        return selection;
    for (xmlNode* node : follow({node_}, steps, 0))
        selection.push_back(Element(node));
    return selection;
}

Element Element::selectSingleNode(std::u16string_view path) const
{
    const auto selection = selectNodes(path);
    return selection.empty() ? Element() : selection.front();
}

std::unique_ptr<Document> Document::loadFile(std::u16string_view path)
{
    initialiseOnce();
    const std::string native = path::toNative(path);
    errno = 0;
    if (native.empty())
        return nullptr;
    // Read here rather than by libxml2 from the name: only a regular file
    // is opened (a FIFO would block), and what is read is what was checked.
    const int fd = DWFCore::openRegularFile(native);
    if (fd < 0)
        return nullptr;
    std::vector<std::uint8_t> bytes;
    const bool whole = DWFCore::readWholeFile(fd, kMaxBytes, bytes);
    // A file that opened but could not be read whole keeps its reason.
    const int readError = whole ? 0 : errno != 0 ? errno : EIO;
    ::close(fd);
    std::unique_ptr<Document> document =
        whole ? parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
              : nullptr;
    errno = readError;
    return document;
}

std::unique_ptr<Document> Document::parse(std::string_view bytes)
{
    initialiseOnce();
    if (bytes.size() > kMaxBytes)
        return nullptr;
    xmlDoc* document = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr, kParseOptions);
    if (!document)
        return nullptr;
    return std::unique_ptr<Document>(new Document(document));
}

Document::~Document()
{
    xmlFreeDoc(document_);
}

Element Document::documentElement() const
{
    return Element(xmlDocGetRootElement(document_));
}

std::vector<Element> Document::selectNodes(std::u16string_view path) const
{
    const auto steps = stepsOf(path);
    std::vector<Element> selection;
    xmlNode* root = xmlDocGetRootElement(document_);
    if (!root || qualifiedName(root) != steps.front())
        return selection;
    for (xmlNode* node : follow({root}, steps, 1))
        selection.push_back(Element(node));
    return selection;
}

} // namespace platform::xml
