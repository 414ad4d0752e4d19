// Builds package objects from the elements of arbitrary XML (as the package
// readers do with a descriptor) and writes each one back in the manifest and
// descriptor forms: whatever the attributes held, the written text must be
// well-formed XML.

#include "dwf/package/AttributeText.h"
#include "dwf/package/Bookmark.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Paper.h"
#include "dwf/package/Property.h"
#include "dwf/package/Source.h"
#include "dwf/package/Units.h"
#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/UUID.h"

#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace DWFToolkit;

namespace
{

class StringStream : public DWFCore::DWFOutputStream
{
public:
    void flush() override {}
    size_t write(const void* buffer, size_t bytes) override
    {
        text.append(static_cast<const char*>(buffer), bytes);
        return bytes;
    }
    std::string text;
};

struct Context
{
    DWFXMLElementBuilder builder;
    DWFCore::DWFUUID uuid;
    StringStream out;
    std::unique_ptr<DWFXMLSerializer> serializer;
};

std::unique_ptr<DWFXMLSerializable> build(Context& context, const char* name,
                                          const char** attributes)
{
    DWFXMLElementBuilder& b = context.builder;
    name = DWFAttributeText::SkipPrefix(name);
    if (std::strcmp(name, "Resource") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildResource(attributes, nullptr));
    if (std::strcmp(name, "GraphicResource") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildGraphicResource(attributes, nullptr));
    if (std::strcmp(name, "ImageResource") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildImageResource(attributes, nullptr));
    if (std::strcmp(name, "FontResource") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildFontResource(attributes, nullptr));
    if (std::strcmp(name, "Paper") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildPaper(attributes));
    if (std::strcmp(name, "Property") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildProperty(attributes));
    if (std::strcmp(name, "Source") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildSource(attributes));
    if (std::strcmp(name, "Units") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildUnits(attributes));
    if (std::strcmp(name, "Interface") == 0)
        return std::unique_ptr<DWFXMLSerializable>(b.buildInterface(attributes));
    if (std::strcmp(name, "Bookmark") == 0)
    {
        // A root with the element as its child, so that its attributes are written.
        std::unique_ptr<DWFBookmark> root(new DWFBookmark());
        root->addChildBookmark(b.buildBookmark(attributes));
        return root;
    }
    return nullptr;
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    Context& context = *static_cast<Context*>(data);
    try
    {
        std::unique_ptr<DWFXMLSerializable> object = build(context, name, attributes);
        if (!object)
        {
            return;
        }
        const unsigned forms[] = {DWFXMLSerializable::eManifest,
                                  DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot,
                                  DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel, 0};
        for (unsigned flags : forms)
        {
            object->serializeXML(*context.serializer, flags);
        }
    }
    catch (const DWFCore::DWFException&)
    {
        // Refused input is fine; only what is written must be sound.
    }
}

bool wellFormed(const std::string& fragment)
{
    const std::string document = "<w>" + fragment + "</w>";
    XML_Parser parser = XML_ParserCreate(nullptr);
    const bool ok =
        XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Context context;
    context.serializer.reset(new DWFXMLSerializer(context.uuid));
    context.serializer->attach(context.out);

    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &context);
    XML_SetStartElementHandler(parser, onStart);
    XML_Parse(parser, reinterpret_cast<const char*>(data), static_cast<int>(size), 1);
    XML_ParserFree(parser);

    context.serializer->detach();
    if (context.serializer->depth() != 0 || !wellFormed(context.out.text))
    {
        std::abort();
    }
    return 0;
}
