#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/DefinedObject.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/ObjectDefinitionReader.h"
#include "dwfcore/Exception.h"

#include "ReaderTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::parse;
using PackageTest::utf8;

namespace
{

std::string readAll(DWFCore::DWFInputStream& stream)
{
    std::string out;
    char buffer[1000];
    while (stream.available() > 0)
    {
        const std::size_t got = stream.read(buffer, sizeof buffer);
        if (got == 0)
        {
            break;
        }
        out.append(buffer, got);
    }
    return out;
}

std::string documentOf(DWFObjectDefinitionResource& resource)
{
    std::unique_ptr<DWFCore::DWFInputStream> stream(resource.getInputStream());
    return readAll(*stream);
}

std::vector<std::string> propertiesOf(DWFPropertyContainer& container)
{
    std::vector<std::string> out;
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> it(container.getProperties());
    for (; it && it->valid(); it->next())
    {
        out.push_back(utf8(it->get()->name()) + "=" + utf8(it->get()->value()));
    }
    return out;
}

//
// A page's objects: a part with two children (given out of key order), one
// of them without an id, instances of the part and a child, and property
// sets shared through "refs".
//
struct Definition
{
    Definition() : resource(u"PageObjectDefinition")
    {
        resource.addProperty(new DWFProperty(u"Document", u"Plan"), true);

        auto* shared = new DWFPropertyContainer(u"SHARED");
        shared->addProperty(new DWFProperty(u"Material", u"Steel", u"Physical"), true);
        resource.getPropertyContainer().addPropertyContainer(shared);

        part = new DWFDefinedObject(u"PART");
        part->addProperty(new DWFProperty(u"Mass", u"12.5", u"Physical", u"double", u"kg"), true);
        part->referencePropertyContainer(shared);
        bolt = new DWFDefinedObject(u"BOLT");
        washer = new DWFDefinedObject; // gets its id when the document is built
        part->addChild(washer, 2);
        part->addChild(bolt, 1);
        resource.addObject(washer, 3);
        resource.addObject(bolt, 2);
        resource.addObject(part, 1);

        DWFDefinedObjectInstance* partInstance = part->instance(u"1");
        DWFDefinedObjectInstance* boltInstance = bolt->instance(u"1 7");
        boltInstance->addProperty(new DWFProperty(u"Torque", u"40 Nm"), true);
        partInstance->addChild(boltInstance, 0);
        resource.addInstance(boltInstance, 2);
        resource.addInstance(partInstance, 1);
    }

    DWFObjectDefinitionResource resource;
    DWFDefinedObject* part;
    DWFDefinedObject* bolt;
    DWFDefinedObject* washer;
};

} // namespace

TEST(DWFObjectDefinitionResource, DocumentGoldenAndRebuiltWithTheSameIDs)
{
    PackageTest::FixedUUIDs fixed;
    Definition definition;
    const std::string document = documentOf(definition.resource);
    const std::string id0 = PackageTest::FixedUUIDs::squashed(0);
    const std::string id1 = PackageTest::FixedUUIDs::squashed(1);
    const std::string id2 = PackageTest::FixedUUIDs::squashed(2);
    const std::string id3 = PackageTest::FixedUUIDs::squashed(3);
    const std::string id4 = PackageTest::FixedUUIDs::squashed(4);
    const std::string id5 = PackageTest::FixedUUIDs::squashed(5);
    const std::string expected =
        "<PageObjectDefinition>"
        "<Properties id=\"" +
        id0 +
        "\"><Property name=\"Document\" value=\"Plan\"/></Properties>"
        "<Properties id=\"SHARED\"><Property name=\"Material\" value=\"Steel\" "
        "category=\"Physical\"/></Properties>"
        "<Objects>"
        "<Object id=\"PART\" children=\"BOLT " +
        id1 + " \"><Properties id=\"" + id2 +
        "\" refs=\"SHARED \"><Property name=\"Mass\" value=\"12.5\" category=\"Physical\" "
        "type=\"double\" units=\"kg\"/></Properties></Object>"
        "<Object id=\"BOLT\"/>"
        "<Object id=\"" +
        id1 +
        "\"/>"
        "</Objects>"
        "<Instances>"
        "<Instance id=\"" +
        id3 + "\" object=\"PART\" nodes=\"1\" children=\"" + id4 +
        " \"/>"
        "<Instance id=\"" +
        id4 + "\" object=\"BOLT\" nodes=\"1 7\"><Properties id=\"" + id5 +
        "\"><Property name=\"Torque\" value=\"40 Nm\"/></Properties></Instance>"
        "</Instances>"
        "</PageObjectDefinition>";
    EXPECT_EQ(document, expected);
    EXPECT_EQ(definition.resource.findObject(DWFString(id1.c_str())), definition.washer);
    // Ids assigned by the first build stay; fresh generators give no new ones.
    EXPECT_EQ(documentOf(definition.resource), expected);
    EXPECT_WELL_FORMED(document);
}

TEST(DWFObjectDefinitionResource, StreamsOwnTheirBytesAndTheEntryFormIsAResource)
{
    std::unique_ptr<DWFCore::DWFInputStream> first;
    std::string built;
    {
        Definition definition;
        first.reset(definition.resource.getInputStream());
        std::unique_ptr<DWFCore::DWFInputStream> second(definition.resource.getInputStream());
        built = readAll(*second);
        EXPECT_EQ(definition.resource.mime(), u"text/xml");
        EXPECT_EQ(definition.resource.role(), u"object definition");

        // Listed in a descriptor as a resource, without its properties.
        const std::string entry = PackageTest::serialize(
            definition.resource, DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot);
        EXPECT_EQ(entry.rfind("<ePlot:Resource role=\"object definition\" mime=\"text/xml\"", 0),
                  0u)
            << entry;
        EXPECT_EQ(entry.find("Properties"), std::string::npos);

        // In descriptor form the document's elements take the namespace prefix.
        const std::string prefixed = PackageTest::serialize(
            definition.resource, DWFXMLSerializable::eObjectDefinition |
                                     DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel);
        EXPECT_EQ(prefixed.rfind("<eModel:PageObjectDefinition><eModel:Properties", 0), 0u);
        EXPECT_NE(prefixed.find("<eModel:Objects><eModel:Object id=\"PART\""), std::string::npos);
    }
    // The first stream outlived a second build and the resource itself.
    EXPECT_EQ(readAll(*first), built);

    DWFObjectDefinitionResource empty(u"SpaceObjectDefinition");
    empty.addProperty(new DWFProperty(u"A", u"1"), true);
    const std::string only = documentOf(empty);
    EXPECT_EQ(only.rfind("<SpaceObjectDefinition><Properties id=", 0), 0u);
    EXPECT_EQ(only.find("Objects"), std::string::npos);
    EXPECT_EQ(only.find("Instances"), std::string::npos);
}

TEST(DWFObjectDefinition, DocumentReadsBackEqual)
{
    Definition definition;
    const std::string document = documentOf(definition.resource);
    DWFObjectDefinition read;
    parse(document, read);

    ASSERT_EQ(read.getObjects().size(), 3u);
    DWFDefinedObject* part = read.findObject(u"PART");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(propertiesOf(*part), propertiesOf(*definition.part));
    EXPECT_EQ(part->getPropertySetReferences(), (std::vector<DWFString>{u"SHARED"}));
    ASSERT_NE(read.findObject(definition.washer->id()), nullptr);

    ASSERT_EQ(read.getInstances().size(), 2u);
    const DWFDefinedObjectInstance* partInstance = nullptr;
    const DWFDefinedObjectInstance* boltInstance = nullptr;
    for (const auto& entry : read.getInstances())
    {
        (entry.second->objectReference() == u"PART" ? partInstance : boltInstance) =
            entry.second.get();
    }
    ASSERT_TRUE(partInstance && boltInstance);
    EXPECT_EQ(partInstance->nodes(), u"1");
    EXPECT_EQ(partInstance->sequence(), 1u);
    EXPECT_EQ(boltInstance->sequence(), 2u);
    EXPECT_EQ(partInstance->getChildReferences(), (std::vector<DWFString>{boltInstance->id()}));
    EXPECT_EQ(boltInstance->nodes(), u"1 7");
    EXPECT_EQ(propertiesOf(*const_cast<DWFDefinedObjectInstance*>(boltInstance)),
              (std::vector<std::string>{"Torque=40 Nm"}));

    const DWFObjectDefinition::PropertySet* shared = read.findPropertySet(u"SHARED");
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(shared->properties.size(), 1u);
    EXPECT_EQ(shared->properties[0]->value(), u"Steel");

    // Read one byte at a time, the same document gives the same objects.
    PackageTest::TrickleInputStream trickle(document, 1);
    DWFObjectDefinition again;
    DWFParseXMLDocument(trickle, again);
    EXPECT_EQ(again.getObjects().size(), 3u);
    EXPECT_EQ(again.getInstances().size(), 2u);
}

TEST(DWFObjectDefinition, PropertySetsLinkAndReplacementsDoNotLeak)
{
    DWFObjectDefinition read;
    parse("<ObjectDefinition version=\"1.25\">"
          "<Properties id=\"A\" refs=\"B  C B\"><Property name=\"a\"/></Properties>"
          "<Properties id=\"B\"><Property name=\"b\"/></Properties>"
          "<Properties id=\"A\"><Property name=\"a2\"/></Properties>"
          "<Properties id=\"empty\" refs=\"A\"/>"
          "<Objects><Object id=\"X\"><Properties><Property name=\"first\"/></Properties></Object>"
          "<Object id=\"X\"><Properties><Property name=\"second\"/></Properties></Object>"
          "<Object/></Objects>"
          "<Instances><Instance nodes=\"n\"/><Instance id=\"I\" object=\"X\"/>"
          "<Instance id=\"I\" object=\"Y\"/></Instances>"
          "</ObjectDefinition>",
          read);
    EXPECT_EQ(read.version(), 1.25);
    const auto* a = read.findPropertySet(u"A");
    const auto* b = read.findPropertySet(u"B");
    ASSERT_TRUE(a && b);
    // A named B before B's element: both are one set. Duplicates link once.
    ASSERT_EQ(a->references.size(), 2u);
    EXPECT_EQ(a->references[0], b);
    EXPECT_EQ(b->properties.size(), 1u);
    EXPECT_EQ(a->properties.size(), 2u);
    // A set without properties is not kept.
    EXPECT_EQ(read.findPropertySet(u"empty"), nullptr);

    ASSERT_EQ(read.getObjects().size(), 2u);
    EXPECT_EQ(propertiesOf(*read.findObject(u"X")), (std::vector<std::string>{"second="}));
    EXPECT_NE(read.findObject(u""), nullptr);

    ASSERT_EQ(read.getInstances().size(), 2u);
    EXPECT_EQ(read.findInstance(u"I")->objectReference(), u"Y");
    // The instance read without an id got a squashed one of 22 plain characters.
    for (const auto& entry : read.getInstances())
    {
        if (entry.first != u"I")
        {
            EXPECT_EQ(entry.first.chars(), 22u);
            for (char c : utf8(entry.first))
            {
                EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '_');
            }
        }
    }
}

TEST(DWFObjectDefinitionReader, FlagsRootsAndMisplacedElements)
{
    class Counting : public DWFObjectDefinitionReader
    {
    public:
        using DWFObjectDefinitionReader::DWFObjectDefinitionReader;
        void provideVersion(double) override { log.push_back("version"); }
        void provideProperties(const DWFString&, tIDs, tProperties) override
        {
            log.push_back("properties");
        }
        void provideObject(DWFDefinedObject* object) override
        {
            log.push_back("object");
            delete object;
        }
        void provideInstance(DWFDefinedObjectInstance* instance) override
        {
            log.push_back("instance");
            delete instance;
        }
        std::vector<std::string> log;
    };
    const std::string body =
        "<Properties id=\"p\"><Property name=\"x\"/></Properties>"
        "<Objects><Object id=\"o\"/><Other/><Other><Property "
        "name=\"loose\"/></Other></Objects>"
        "<Instances><Instance id=\"i\"/><Object id=\"wrong list\"/></Instances>";
    {
        Counting reader;
        parse("<SpaceObjectDefinition version=\"2\">" + body + "</SpaceObjectDefinition>", reader);
        EXPECT_EQ(reader.log,
                  (std::vector<std::string>{"version", "properties", "object", "instance"}));
    }
    {
        Counting reader(nullptr, DWFObjectDefinitionReader::eProvideInstances);
        parse("<eModel:SpaceObjectDefinition>" + body + "</eModel:SpaceObjectDefinition>", reader);
        EXPECT_EQ(reader.log, (std::vector<std::string>{"instance"}));
    }
    {
        Counting reader;
        parse("<Other version=\"2\">" + body + "</Other>", reader);
        EXPECT_TRUE(reader.log.empty());
    }
    {
        // The base reader frees what it reads; an unfinished object is freed on failure.
        DWFObjectDefinitionReader reader;
        parse("<ObjectDefinition>" + body + "</ObjectDefinition>", reader);
        DWFObjectDefinitionReader broken;
        EXPECT_THROW(parse("<ObjectDefinition><Objects><Object id=\"o\"><Properties><Property "
                           "name=\"p\"/></Properties>",
                           broken),
                     DWFCore::DWFIOException);
    }
}

TEST(DWFObjectDefinition, HostileDocumentsFailCleanly)
{
    Definition definition;
    const std::string document = documentOf(definition.resource);
    const auto read = [](const std::string& text)
    {
        DWFObjectDefinition definition;
        parse(text, definition);
    };
    PackageTest::expectTruncationsFail(document, read);
    PackageTest::expectMutationsSafe(document, read, 500);

    // Long "refs" and "children" lists cost time in proportion to their length.
    std::string refs;
    for (int i = 0; i < 20000; ++i)
    {
        refs += std::to_string(i % 5000) + " ";
    }
    DWFObjectDefinition big;
    parse("<ObjectDefinition><Properties id=\"S\" refs=\"" + refs +
              "\"><Property name=\"p\"/></Properties><Instances><Instance id=\"I\" children=\"" +
              refs + "\"/></Instances></ObjectDefinition>",
          big);
    EXPECT_EQ(big.findPropertySet(u"S")->references.size(), 5000u);
    EXPECT_EQ(big.findInstance(u"I")->getChildReferences().size(), 20000u);
}

TEST(DWFDefinedObject, InstancesAndChildren)
{
    DWFDefinedObject object(u"O");
    EXPECT_THROW(object.instance(DWFString()), DWFCore::DWFInvalidArgumentException);
    EXPECT_THROW(object.getInstance(DWFString()), DWFCore::DWFInvalidArgumentException);
    std::unique_ptr<DWFDefinedObjectInstance> first(object.instance(u"3"));
    std::unique_ptr<DWFDefinedObjectInstance> second(object.instance(u"3"));
    EXPECT_EQ(object.getInstance(u"3"), second.get());
    EXPECT_EQ(object.getInstance(u"4"), nullptr);
    EXPECT_EQ(second->object(), &object);
    EXPECT_EQ(second->sequence(), 0u);

    // Equal keys keep the order of addition; null children are ignored.
    DWFDefinedObject a(u"a"), b(u"b");
    object.addChild(&a, 5);
    object.addChild(nullptr, 1);
    object.addChild(&b, 5);
    ASSERT_EQ(object.getChildren().size(), 2u);
    EXPECT_EQ(object.getChildren().begin()->second, &a);

    DWFDefinedObject attributes;
    EXPECT_THROW(attributes.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
    attributes.parseAttributeList(PackageTest::Attributes{"dwf:id", "first", "id", "second"});
    EXPECT_EQ(attributes.id(), u"first");

    // Adding an object or instance twice must not make the container free it twice.
    DWFObjectDefinitionResource resource(u"PageObjectDefinition");
    auto* twice = new DWFDefinedObject(u"T");
    resource.addObject(twice, 1);
    resource.addObject(twice, 2);
    resource.addObject(nullptr, 3);
    EXPECT_EQ(resource.objectCount(), 1u);
    DWFDefinedObjectInstance* instance = twice->instance(u"n");
    resource.addInstance(instance, 1);
    resource.addInstance(instance, 1);
    EXPECT_EQ(resource.instanceCount(), 1u);
}
