#ifndef DWFPACKAGE_WRITER_XMLSERIALIZER_H
#define DWFPACKAGE_WRITER_XMLSERIALIZER_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/String.h"
#include "dwfcore/UUID.h"

#include <memory>
#include <vector>

namespace DWFToolkit
{

//
// Streaming XML writer of every package document. Writes no declaration, no
// indentation and no line breaks. Element names, prefixes, attribute names
// and values are escaped so that the document is well-formed whatever they
// hold: the five markup characters become entity references, tab, LF and CR
// become character references, and characters XML cannot carry (other
// control characters, U+FFFE, U+FFFF, unpaired surrogates) become U+FFFD.
// An element without children is written as one empty-element tag.
//
class DWFXMLSerializer : public DWFToolkitMemory
{
public:
    // The UUID source is not owned and must outlive the serializer.
    explicit DWFXMLSerializer(DWFCore::DWFUUID& uuid);
    // Flushes what is buffered into the attached stream; errors are dropped.
    ~DWFXMLSerializer();

    DWFXMLSerializer(const DWFXMLSerializer&) = delete;
    DWFXMLSerializer& operator=(const DWFXMLSerializer&) = delete;

    // Flushes and drops the current output, then writes to `stream` (not owned).
    void attach(DWFCore::DWFOutputStream& stream);
    // Flushes the buffered text into the attached stream and drops it.
    void detach();
    //
    // Drops the current output without writing what is still buffered, for
    // a stream that failed or is gone; the element stack is emptied.
    //
    void abandon() noexcept;

    void startElement(const DWFCore::DWFString& name,
                      const DWFCore::DWFString& prefix = DWFCore::DWFString());
    // An attribute with an empty value is never written.
    void addAttribute(const DWFCore::DWFString& name, const DWFCore::DWFString& value,
                      const DWFCore::DWFString& prefix = DWFCore::DWFString());
    void endElement();

    // The next identifier of the UUID source.
    const DWFCore::DWFString& nextUUID(bool squash);

    // Number of elements started and not yet ended.
    std::size_t depth() const noexcept { return _elements.size(); }

private:
    class _XMLOutputStream;

    void _requireOutput(const char* function) const;

    DWFCore::DWFUUID& _uuid;
    std::unique_ptr<_XMLOutputStream> _output;
    // The innermost element's start tag still lacks its closing ">".
    bool _startTagOpen = false;
    // Qualified names of the open elements, innermost last.
    std::vector<DWFCore::DWFString> _elements;
};

} // namespace DWFToolkit

#endif
