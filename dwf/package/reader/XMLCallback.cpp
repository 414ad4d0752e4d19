#include "dwf/package/reader/XMLCallback.h"

#include "dwfcore/Exception.h"
#include "dwfcore/String.h"

#include <expat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace DWFToolkit
{

DWFXMLCallback::~DWFXMLCallback()
{
    if (_ownFilter)
    {
        delete _filter;
    }
}

void DWFXMLCallback::setStreamFilter(DWFCore::DWFBufferInputStream* filter, bool own)
{
    if (_ownFilter && _filter != filter)
    {
        delete _filter;
    }
    _filter = filter;
    _ownFilter = own && filter != nullptr;
}

namespace
{

constexpr std::size_t kWorkBufferBytes = 16384;
constexpr const char* kParseFunction = "DWFToolkit::DWFSection::_parseDocument";

struct ParserFree
{
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
typedef std::unique_ptr<std::remove_pointer<XML_Parser>::type, ParserFree> ParserHolder;

// Stops the parser at the first exception a callback throws; the exception
// is thrown again once the parser has returned, so it never crosses expat.
struct ParseContext
{
    DWFXMLCallback* callback;
    XML_Parser parser;
    std::exception_ptr failure;
};

template <class Event> void guarded(ParseContext& context, Event event)
{
    if (context.failure)
    {
        return;
    }
    try
    {
        event();
    }
    catch (...)
    {
        context.failure = std::current_exception();
        XML_StopParser(context.parser, XML_FALSE);
    }
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto& context = *static_cast<ParseContext*>(data);
    guarded(context, [&] { context.callback->notifyStartElement(name, attributes); });
}

void XMLCALL onEnd(void* data, const XML_Char* name)
{
    auto& context = *static_cast<ParseContext*>(data);
    guarded(context, [&] { context.callback->notifyEndElement(name); });
}

void XMLCALL onCharacters(void* data, const XML_Char* text, int length)
{
    auto& context = *static_cast<ParseContext*>(data);
    guarded(context, [&] { context.callback->notifyCharacters(text, length); });
}

[[noreturn]] void throwParserError(XML_Parser parser)
{
    DWFCore::DWFString message(XML_ErrorString(XML_GetErrorCode(parser)));
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " [line: %lu]",
                  static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
    message.append(suffix);
    DWFCORE_THROW(DWFIOException, message, kParseFunction);
}

} // namespace

void DWFParseXMLDocument(DWFCore::DWFInputStream& stream, DWFXMLCallback& callback)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWorkBufferBytes + 2]);
    if (!buffer)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate work buffer", kParseFunction);
    }
    ParserHolder parser(XML_ParserCreate(nullptr));
    if (!parser)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate parser", kParseFunction);
    }
    ParseContext context{&callback, parser.get(), nullptr};
    XML_SetUserData(parser.get(), &context);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser.get(), onCharacters);

    // The filter reads the document through itself; it is unchained again
    // before returning so that it never points at a dead stream.
    DWFCore::DWFBufferInputStream* filter = callback.getStreamFilter();
    struct Unchain
    {
        DWFCore::DWFBufferInputStream* filter;
        ~Unchain()
        {
            if (filter)
            {
                filter->chainInputStream(nullptr, false);
            }
        }
    } unchain{filter};
    if (filter)
    {
        filter->chainInputStream(&stream, false);
    }
    DWFCore::DWFInputStream& source =
        filter ? static_cast<DWFCore::DWFInputStream&>(*filter) : stream;

    // The last two bytes of what was read stay back until the next read, so
    // that a terminating zero can be recognised at the true end of the stream.
    bool fed = false;
    const auto feed = [&](const char* bytes, std::size_t count)
    {
        fed = true;
        const XML_Status status =
            XML_Parse(parser.get(), bytes, static_cast<int>(count), XML_FALSE);
        if (context.failure)
        {
            std::rethrow_exception(context.failure);
        }
        if (status != XML_STATUS_OK)
        {
            throwParserError(parser.get());
        }
    };
    char* const data = buffer.get();
    std::size_t held = 0;
    std::uint64_t total = 0;
    unsigned char first[2] = {0xFF, 0xFF};
    while (source.available() > 0)
    {
        const std::size_t bytes = source.read(data + held, kWorkBufferBytes);
        if (bytes == 0)
        {
            break;
        }
        if (bytes > kWorkBufferBytes)
        {
            DWFCORE_THROW(DWFIOException, u"Stream read more bytes than asked", kParseFunction);
        }
        for (std::size_t i = 0; i < bytes && total + i < 2; ++i)
        {
            first[total + i] = static_cast<unsigned char>(data[held + i]);
        }
        total += bytes;
        const std::size_t count = held + bytes;
        held = count < 2 ? count : 2;
        if (count > held)
        {
            feed(data, count - held);
            std::memmove(data, data + count - held, held);
        }
    }
    if (total == 0)
    {
        return;
    }
    // A producer that zero-terminates its text leaves one zero byte (one zero
    // code unit in UTF-16, recognised by its byte order mark or by a zero in
    // its first character) at the end.
    const bool wide =
        total >= 2 && ((first[0] == 0xFF && first[1] == 0xFE) ||
                       (first[0] == 0xFE && first[1] == 0xFF) || first[0] == 0 || first[1] == 0);
    if (!wide && held > 0 && data[held - 1] == '\0')
    {
        --held;
    }
    else if (wide && total % 2 == 0 && held == 2 && data[0] == '\0' && data[1] == '\0')
    {
        held = 0;
    }
    if (held > 0)
    {
        feed(data, held);
    }
    if (!fed)
    {
        return;
    }
    const XML_Status status = XML_Parse(parser.get(), nullptr, 0, XML_TRUE);
    if (context.failure)
    {
        std::rethrow_exception(context.failure);
    }
    if (status != XML_STATUS_OK)
    {
        throwParserError(parser.get());
    }
}

} // namespace DWFToolkit
