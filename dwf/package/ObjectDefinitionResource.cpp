#include "dwf/package/ObjectDefinitionResource.h"

#include "dwf/package/BytesInputStream.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/BufferOutputStream.h"
#include "dwfcore/Exception.h"
#include "dwfcore/UUID.h"

#include <memory>
#include <new>
#include <vector>

namespace DWFToolkit
{

namespace
{
constexpr const char* kGetInputStream = "DWFToolkit::DWFObjectDefinitionResource::getInputStream";
}

DWFObjectDefinitionResource::DWFObjectDefinitionResource(const DWFCore::DWFString& elementName,
                                                         const DWFCore::DWFString& role)
    : DWFResource(DWFCore::DWFString(), role, u"text/xml"), _elementName(elementName)
{
}

DWFCore::DWFInputStream* DWFObjectDefinitionResource::getInputStream(bool)
{
    std::unique_ptr<DWFCore::DWFBufferOutputStream> out(new (std::nothrow)
                                                            DWFCore::DWFBufferOutputStream(16384));
    if (!out)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate stream", kGetInputStream);
    }
    DWFCore::DWFUUID uuids;
    std::unique_ptr<DWFXMLSerializer> serializer(new (std::nothrow) DWFXMLSerializer(uuids));
    if (!serializer)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate serializer", kGetInputStream);
    }
    serializer->attach(*out);
    serializeXML(*serializer, eObjectDefinition);
    serializer->detach();

    const auto* bytes = static_cast<const unsigned char*>(out->rawBuffer());
    std::vector<unsigned char> copy(bytes, bytes + out->bytes());
    std::unique_ptr<DWFBytesInputStream> stream(new (std::nothrow)
                                                    DWFBytesInputStream(std::move(copy)));
    if (!stream)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate stream", kGetInputStream);
    }
    return stream.release();
}

void DWFObjectDefinitionResource::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    if (!(flags & eObjectDefinition))
    {
        DWFResource::serializeXML(serializer, flags);
        return;
    }
    const DWFCore::DWFString prefix =
        (flags & eDescriptor) ? DWFResource::namespaceXML(flags) : DWFCore::DWFString();
    serializer.startElement(_elementName, prefix);
    DWFResource::getSerializable().serializeXML(serializer, flags);
    getObjectSerializable().serializeXML(serializer, flags);
    getInstanceSerializable().serializeXML(serializer, flags);
    serializer.endElement();
}

} // namespace DWFToolkit
