#ifndef DWFPACKAGE_READER_XMLCALLBACK_H
#define DWFPACKAGE_READER_XMLCALLBACK_H

#include "dwf/package/ToolkitMemory.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/InputStream.h"

#include <cstddef>

namespace DWFToolkit
{

//
// Receives the events of one XML document as the parser reads it. Names and
// texts are UTF-8; attribute lists are the parser's (alternating names and
// values, ended by a null name). A callback may carry a stream filter
// through which the document's bytes are read.
//
class DWFXMLCallback : public DWFToolkitMemory
{
public:
    DWFXMLCallback() = default;
    virtual ~DWFXMLCallback();

    DWFXMLCallback(const DWFXMLCallback&) = delete;
    DWFXMLCallback& operator=(const DWFXMLCallback&) = delete;

    virtual void notifyStartElement(const char* name, const char** attributes) = 0;
    virtual void notifyEndElement(const char* name) = 0;
    virtual void notifyStartNamespace(const char* prefix, const char* uri) = 0;
    virtual void notifyEndNamespace(const char* prefix) = 0;
    virtual void notifyCharacters(const char* text, int length) = 0;

    // The document stream is chained under `filter` while it is parsed.
    void setStreamFilter(DWFCore::DWFBufferInputStream* filter, bool own);
    DWFCore::DWFBufferInputStream* getStreamFilter() const noexcept { return _filter; }

    // Elements opened and not yet closed.
    unsigned int depth() const noexcept { return _depth; }

protected:
    unsigned int _depth = 0;

private:
    DWFCore::DWFBufferInputStream* _filter = nullptr;
    bool _ownFilter = false;
};

//
// Parses the whole of `stream` as one XML document into `callback`. Reading
// stops at the end of the stream (or on a read that yields nothing), and the
// parser is then told the document is over, so a truncated or unclosed
// document fails. A single zero byte at the very end is ignored; a stream
// with nothing to read is no error. Parser errors throw DWFIOException with
// the parser's message and " [line: N]".
//
void DWFParseXMLDocument(DWFCore::DWFInputStream& stream, DWFXMLCallback& callback);

} // namespace DWFToolkit

#endif
