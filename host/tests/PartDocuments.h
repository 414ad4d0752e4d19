#pragma once
// Host documents of one part, written inline by the tests that check what
// the loader makes of a few elements.
#include "host/Loader.h"
#include "host/memory/Application.h"

#include <memory>
#include <string>

namespace host_test
{
// The part document holding `content`, loaded with `base` as its folder.
inline std::unique_ptr<host::memory::Application> part(const std::string& content,
                                                       const std::u16string& base = u"")
{
    return host::parseHostDocument("<host-document>\n<document type=\"1\" title=\"p.PRT\">\n" +
                                       content + "</document>\n</host-document>\n",
                                   base);
}

// "line: message" of the loader's refusal of the part holding `content`, or
// "loaded".
inline std::string refusal(const std::string& content)
{
    try
    {
        part(content);
    }
    catch (const host::LoadError& error)
    {
        return std::to_string(error.line()) + ": " + error.what();
    }
    return "loaded";
}
} // namespace host_test
