#include "dwf/package/writer/XMLSerializer.h"

#include "dwfcore/BufferOutputStream.h"
#include "dwfcore/Exception.h"
#include "dwfcore/UTF8.h"

#include <cstring>
#include <string>

namespace DWFToolkit
{

namespace
{

constexpr std::size_t kBufferBytes = 16384;
constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

//
// Appends `text` as escaped UTF-8 that is valid inside an attribute value (and
// so inside character data too). Ordinary text comes out as the five entity
// references and plain UTF-8.
//
// Characters that go out as one byte, unchanged.
bool isPlain(char16_t c)
{
    return c >= 0x20 && c < 0x80 && c != u'<' && c != u'>' && c != u'&' && c != u'"' && c != u'\'';
}

void appendEscaped(std::string& out, const char16_t* text, std::size_t length)
{
    std::size_t i = 0;
    while (i < length)
    {
        // Most text is plain ASCII: copy such runs in one go.
        const std::size_t run = i;
        while (i < length && isPlain(text[i]))
        {
            ++i;
        }
        if (i > run)
        {
            const std::size_t at = out.size();
            out.resize(at + (i - run));
            for (std::size_t k = run; k < i; ++k)
            {
                out[at + (k - run)] = static_cast<char>(text[k]);
            }
            if (i == length)
            {
                break;
            }
        }

        const char16_t c = text[i];
        switch (c)
        {
        case u'<':
            out += "&lt;";
            break;
        case u'>':
            out += "&gt;";
            break;
        case u'&':
            out += "&amp;";
            break;
        case u'"':
            out += "&quot;";
            break;
        case u'\'':
            out += "&apos;";
            break;
        // Written literally, a parser would turn these into blanks in an
        // attribute value; references keep them.
        case u'\t':
            out += "&#x9;";
            break;
        case u'\n':
            out += "&#xA;";
            break;
        case u'\r':
            out += "&#xD;";
            break;
        default:
            if (c < 0x20 || c == 0xFFFE || c == 0xFFFF || isLowSurrogate(c))
            {
                DWFCore::appendUTF8(out, kReplacement);
            }
            else if (isHighSurrogate(c))
            {
                if (i + 1 < length && isLowSurrogate(text[i + 1]))
                {
                    DWFCore::appendUTF8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) +
                                                 (char32_t(text[i + 1]) - 0xDC00));
                    ++i;
                }
                else
                {
                    DWFCore::appendUTF8(out, kReplacement);
                }
            }
            else
            {
                DWFCore::appendUTF8(out, c);
            }
            break;
        }
        ++i;
    }
}

} // namespace

//
// The buffered UTF-8 text stream over the attached output. Markup goes out as
// it is; names and values pass the escaping above first.
//
class DWFXMLSerializer::_XMLOutputStream : public DWFCore::DWFBufferOutputStream
{
public:
    explicit _XMLOutputStream(DWFCore::DWFOutputStream& stream)
        : DWFCore::DWFBufferOutputStream(&stream, false, kBufferBytes)
    {
    }

    // Markup pieces are never empty, which the streams would refuse.
    void markup(const char* text) { write(text, std::strlen(text)); }

    void text(const DWFCore::DWFString& text)
    {
        if (text.chars() == 0)
        {
            return;
        }
        _scratch.clear();
        appendEscaped(_scratch, static_cast<const char16_t*>(text), text.chars());
        _put(_scratch);
    }

private:
    // Zero-byte writes are refused by the streams, so empty pieces are skipped.
    void _put(const std::string& piece)
    {
        if (!piece.empty())
        {
            write(piece.data(), piece.size());
        }
    }

    std::string _scratch;
};

DWFXMLSerializer::DWFXMLSerializer(DWFCore::DWFUUID& uuid) : _uuid(uuid) {}

DWFXMLSerializer::~DWFXMLSerializer()
{
    try
    {
        detach();
    }
    catch (...)
    {
        // A destructor reports nothing; callers that care call detach().
    }
}

void DWFXMLSerializer::attach(DWFCore::DWFOutputStream& stream)
{
    detach();
    _output.reset(new (std::nothrow) _XMLOutputStream(stream));
    if (!_output)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate buffered stream",
                      "DWFToolkit::DWFXMLSerializer::attach");
    }
}

void DWFXMLSerializer::detach()
{
    if (_output)
    {
        // Drop the stream even when the flush fails, so it is never used again.
        std::unique_ptr<_XMLOutputStream> output(std::move(_output));
        output->flush();
    }
}

void DWFXMLSerializer::abandon() noexcept
{
    _output.reset();
    _elements.clear();
    _startTagOpen = false;
}

void DWFXMLSerializer::_requireOutput(const char* function) const
{
    if (!_output)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"No output stream attached", function);
    }
}

void DWFXMLSerializer::startElement(const DWFCore::DWFString& name,
                                    const DWFCore::DWFString& prefix)
{
    _requireOutput("DWFToolkit::DWFXMLSerializer::startElement");
    if (_startTagOpen)
    {
        _output->markup(">");
        _startTagOpen = false;
    }
    DWFCore::DWFString qualified(prefix);
    qualified.append(name);
    _output->markup("<");
    _output->text(qualified);
    _elements.push_back(qualified);
    _startTagOpen = true;
}

void DWFXMLSerializer::addAttribute(const DWFCore::DWFString& name, const DWFCore::DWFString& value,
                                    const DWFCore::DWFString& prefix)
{
    _requireOutput("DWFToolkit::DWFXMLSerializer::addAttribute");
    if (!_startTagOpen)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"No start tag is open for attributes",
                      "DWFToolkit::DWFXMLSerializer::addAttribute");
    }
    if (value.chars() == 0)
    {
        return;
    }
    _output->markup(" ");
    _output->text(prefix);
    _output->text(name);
    _output->markup("=\"");
    _output->text(value);
    _output->markup("\"");
}

void DWFXMLSerializer::endElement()
{
    _requireOutput("DWFToolkit::DWFXMLSerializer::endElement");
    if (_elements.empty())
    {
        DWFCORE_THROW(DWFUnexpectedException, u"No element is open",
                      "DWFToolkit::DWFXMLSerializer::endElement");
    }
    if (_startTagOpen)
    {
        _output->markup("/>");
    }
    else
    {
        _output->markup("</");
        _output->text(_elements.back());
        _output->markup(">");
    }
    _elements.pop_back();
    _startTagOpen = false;
}

const DWFCore::DWFString& DWFXMLSerializer::nextUUID(bool squash)
{
    return _uuid.next(squash);
}

} // namespace DWFToolkit
