#ifndef DWFPACKAGE_TESTS_TESTSUPPORT_H
#define DWFPACKAGE_TESTS_TESTSUPPORT_H

#include "dwf/package/XML.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/String.h"
#include "dwfcore/SystemUUID.h"
#include "dwfcore/UUID.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

namespace PackageTest
{

// Collects everything written into one string.
class StringOutputStream : public DWFCore::DWFOutputStream
{
public:
    void flush() override { ++flushes; }
    size_t write(const void* buffer, size_t bytes) override
    {
        text.append(static_cast<const char*>(buffer), bytes);
        return bytes;
    }

    std::string text;
    int flushes = 0;
};

//
// While alive, every new DWFUUID starts from the all-zero identifier and
// counts up from there, so identifiers in goldens are exact: the first
// squashed one is 22 "A"s, the next "AQAAAAAAAAAAAAAAAAAAAA", then "AgAA...".
//
class FixedUUIDs
{
public:
    FixedUUIDs() : _previous(DWFCore::DWFReplaceSystemUUIDSource(&zero)) {}
    ~FixedUUIDs() { DWFCore::DWFReplaceSystemUUIDSource(_previous); }
    FixedUUIDs(const FixedUUIDs&) = delete;
    FixedUUIDs& operator=(const FixedUUIDs&) = delete;

    // The n-th squashed identifier of a fresh generator (n from 0, below 256).
    static std::string squashed(unsigned n)
    {
        static const char alphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+_";
        return std::string(1, alphabet[(n >> 2) & 63]) + alphabet[(n & 3) << 4] +
               std::string(20, 'A');
    }

private:
    static long zero(DWFCore::DWFSystemUUID& uuid)
    {
        uuid = DWFCore::DWFSystemUUID{};
        return DWFCore::kDWFUUIDStatusOK;
    }

    DWFCore::DWFSystemUUIDSource _previous;
};

inline std::string utf8(const DWFCore::DWFString& text)
{
    return text.toUTF8();
}

// Writes `object` with `flags` through a fresh serializer (and UUID source).
inline std::string serialize(DWFToolkit::DWFXMLSerializable& object, unsigned int flags,
                             DWFCore::DWFUUID* uuid = nullptr)
{
    DWFCore::DWFUUID local;
    StringOutputStream out;
    DWFToolkit::DWFXMLSerializer serializer(uuid ? *uuid : local);
    serializer.attach(out);
    object.serializeXML(serializer, flags);
    EXPECT_EQ(serializer.depth(), 0u) << "unbalanced elements";
    serializer.detach();
    return out.text;
}

// A parser-style attribute list: alternating names and values, null-ended.
class Attributes
{
public:
    Attributes(std::initializer_list<const char*> namesAndValues) : _items(namesAndValues)
    {
        _items.push_back(nullptr);
    }
    operator const char**() { return _items.data(); }

private:
    std::vector<const char*> _items;
};

//
// The elements of a document as expat reads them, each with its attribute
// list in the parser's form, ready for parseAttributeList.
//
class ParsedElements
{
public:
    explicit ParsedElements(const std::string& document)
    {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, this);
        XML_SetStartElementHandler(parser,
                                   [](void* data, const XML_Char* name, const XML_Char** attributes)
                                   {
                                       auto* self = static_cast<ParsedElements*>(data);
                                       Element element;
                                       element.name = name;
                                       for (int i = 0; attributes[i]; ++i)
                                       {
                                           element.texts.push_back(attributes[i]);
                                       }
                                       self->_elements.push_back(std::move(element));
                                   });
        const std::string wrapped = "<wrapper>" + document + "</wrapper>";
        parsed =
            XML_Parse(parser, wrapped.data(), static_cast<int>(wrapped.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
        if (!_elements.empty())
        {
            _elements.erase(_elements.begin()); // the wrapper
        }
        for (Element& element : _elements)
        {
            for (const std::string& text : element.texts)
            {
                element.list.push_back(text.c_str());
            }
            element.list.push_back(nullptr);
        }
    }

    std::size_t size() const { return _elements.size(); }
    const std::string& name(std::size_t i) const { return _elements.at(i).name; }
    const char** attributes(std::size_t i) { return _elements.at(i).list.data(); }

    bool parsed = false;

private:
    struct Element
    {
        std::string name;
        std::vector<std::string> texts;
        std::vector<const char*> list;
    };
    std::vector<Element> _elements;
};

//
// Runs xmllint --noout over `fragment` wrapped in a root that declares the
// package prefixes. Returns false with a message in `diagnostics` when it is
// rejected; skips the calling test when xmllint is not installed.
//
inline bool xmllintAvailable()
{
    return std::system("command -v xmllint >/dev/null 2>&1") == 0;
}

inline bool xmllintAccepts(const std::string& fragment)
{
    char path[] = "/tmp/dwfpackage-test-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
    {
        ADD_FAILURE() << "cannot create a temporary file";
        return false;
    }
    const std::string document =
        "<wrapper xmlns:dwf=\"DWF-Manifest:6.0\" xmlns:ePlot=\"DWF-ePlot:1.2\" "
        "xmlns:eModel=\"DWF-eModel:1.0\" xmlns:eCommon=\"DWF-eCommon:1.0\">" +
        fragment + "</wrapper>";
    const bool written =
        ::write(fd, document.data(), document.size()) == static_cast<ssize_t>(document.size());
    ::close(fd);
    const std::string command = std::string("xmllint --noout ") + path + " 2>/dev/null";
    const bool accepted = written && std::system(command.c_str()) == 0;
    ::unlink(path);
    return accepted;
}

} // namespace PackageTest

// Fails the test unless xmllint accepts the fragment; skips when xmllint is absent.
#define EXPECT_WELL_FORMED(fragment)                                                               \
    do                                                                                             \
    {                                                                                              \
        if (!PackageTest::xmllintAvailable())                                                      \
        {                                                                                          \
            GTEST_SKIP() << "xmllint is not installed";                                            \
        }                                                                                          \
        EXPECT_TRUE(PackageTest::xmllintAccepts(fragment)) << (fragment).substr(0, 2000);          \
    } while (0)

#endif
