// How the package publisher turns a model's published objects into defined
// objects, instances and property sets, and how it refuses what it cannot do.
#include "PackageTestSupport.h"

#include "dwf/package/DefinedObject.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwf/publisher/Image.h"
#include "dwf/publisher/impl/PackagePublisher.h"

#include <gtest/gtest.h>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

DWFCore::DWFString decimal(std::uint32_t value)
{
    return DWFCore::DWFString(std::to_string(value).c_str());
}

class DefinitionPublish : public TempFolderTest
{
protected:
    TargetFolder targets;
    DWFPackagePublisher publisher{
        DWFCore::DWFFile((targets / "p.dwf").c_str()), u"", u"", u"", u"", u"", u""};

    // The object definition the last model's section holds.
    DWFObjectDefinitionResource& definition(std::size_t section = 0)
    {
        DWFSection& published =
            *publisher.packageWriter().manifest()->getContentSections().at(section);
        auto* resource = dynamic_cast<DWFObjectDefinitionResource*>(
            onlyResource(published, DWFResource::kRoleObjectDefinition));
        if (resource == nullptr)
            throw std::runtime_error("no object definition");
        return *resource;
    }

    // The same, as a reader of its document sees it.
    std::unique_ptr<DWFObjectDefinition> document()
    {
        auto read = std::make_unique<DWFObjectDefinition>();
        std::unique_ptr<DWFCore::DWFInputStream> stream(definition().getInputStream());
        DWFParseXMLDocument(*stream, *read);
        return read;
    }
};

// Two segments written under their keys: the first opened gets index 0.
struct TwoSegments
{
    DWFModel model{u"Part", u"", u""};
    DWFSegment::tKey low = 0, high = 0;

    TwoSegments()
    {
        model.open();
        DWFSegment a = model.openSegment();
        DWFSegment b = model.openSegment();
        a.open();
        a.close();
        b.open();
        b.close();
        low = a.key();
        high = b.key();
    }
};

TEST_F(DefinitionPublish, AChildVisitedBeforeItsParentDefinesTheParentFirst)
{
    TwoSegments scene;
    // The child has the lower key, so it is visited first.
    DWFPublishedObject* child = scene.model.makePublishedObject(scene.low, u"child");
    DWFPublishedObject* parent = scene.model.makePublishedObject(scene.high, u"parent");
    child->setParent(parent);
    scene.model.close();
    scene.model.publish(publisher);

    DWFObjectDefinitionResource& made = definition();
    DWFDefinedObject* parentDefinition = made.findObject(decimal(scene.high));
    DWFDefinedObject* childDefinition = made.findObject(decimal(scene.low));
    ASSERT_NE(parentDefinition, nullptr);
    ASSERT_NE(childDefinition, nullptr);
    ASSERT_EQ(parentDefinition->getChildren().size(), 1u);
    EXPECT_EQ(parentDefinition->getChildren().begin()->second, childDefinition);

    std::unique_ptr<DWFObjectDefinition> read = document();
    ASSERT_EQ(read->getInstances().size(), 2u) << "the parent's second visit lists nothing";
    DWFDefinedObjectInstance* parentInstance = nullptr;
    DWFDefinedObjectInstance* childInstance = nullptr;
    for (const auto& [id, instance] : read->getInstances())
        (utf8(instance->nodes()) == "1" ? parentInstance : childInstance) = instance.get();
    ASSERT_NE(parentInstance, nullptr);
    ASSERT_NE(childInstance, nullptr);
    EXPECT_EQ(utf8(childInstance->nodes()), "0");
    EXPECT_EQ(parentInstance->objectReference(), decimal(scene.high));
    EXPECT_EQ(parentInstance->getChildReferences(),
              DWFDefinedObject::tReferences{childInstance->id()});
}

TEST_F(DefinitionPublish, AnObjectTheStreamNeverIndexedIsInstancedUnderAllBitsSet)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    model.makePublishedObject(1u << 30, u"unwritten");
    model.close();
    model.publish(publisher);
    std::unique_ptr<DWFObjectDefinition> read = document();
    ASSERT_EQ(read->getInstances().size(), 1u);
    EXPECT_EQ(utf8(read->getInstances().begin()->second->nodes()), "4294967295");
}

TEST_F(DefinitionPublish, PropertySetsMoveIntoTheDefinitionWhereObjectAndInstanceReferToThem)
{
    TwoSegments scene;
    DWFPublishedObject* object = scene.model.makePublishedObject(scene.low, u"holder");
    object->addProperty(new DWFProperty(u"Own", u"value", u"Cat"), true);
    auto* set = new DWFPropertyContainer(u"set-1");
    set->addProperty(new DWFProperty(u"Shared", u"yes", u"Cat"), true);
    object->addPropertyContainer(set);
    DWFPublishedObject* include = scene.model.makePublishedObject(scene.high, u"library");
    include->setIncluded(true);
    auto* libraryset = new DWFPropertyContainer(u"set-2");
    libraryset->addProperty(new DWFProperty(u"Library", u"yes", u"Cat"), true);
    include->addPropertyContainer(libraryset);
    scene.model.close();
    scene.model.publish(publisher);

    // The object keeps only references; the definition owns and writes the sets.
    DWFPropertyContainer::tList owned, referenced;
    object->getOwnedPropertyContainers(owned);
    object->getReferencedPropertyContainers(referenced);
    EXPECT_TRUE(owned.empty());
    EXPECT_EQ(referenced, DWFPropertyContainer::tList{set});

    std::unique_ptr<DWFObjectDefinition> read = document();
    const DWFObjectDefinition::PropertySet* shared = read->findPropertySet(u"set-1");
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(shared->properties.size(), 1u);
    EXPECT_EQ(utf8(shared->properties[0]->value()), "yes");
    ASSERT_NE(read->findPropertySet(u"set-2"), nullptr);

    ASSERT_EQ(read->getInstances().size(), 1u);
    DWFDefinedObjectInstance& instance = *read->getInstances().begin()->second;
    EXPECT_EQ(propertyValue(instance, u"Own", u"Cat"), "value");
    EXPECT_EQ(instance.findProperty(u"_name", u"hidden"), nullptr) << "the name is the object's";
    EXPECT_EQ(instance.getPropertySetReferences(), DWFDefinedObject::tReferences{u"set-1"});
    DWFDefinedObject* library = read->findObject(decimal(scene.high));
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(propertyValue(*library, u"_name", u"hidden"), "library");
    EXPECT_EQ(library->getPropertySetReferences(), DWFDefinedObject::tReferences{u"set-2"});
}

TEST_F(DefinitionPublish, StructuresItCannotWriteAreRefusedAndNoPackageFollows)
{
    {
        // A named object below an include object has no parent instance.
        TwoSegments scene;
        DWFPublishedObject* include = scene.model.makePublishedObject(scene.low, u"library");
        include->setIncluded(true);
        scene.model.makePublishedObject(scene.high, u"inside")->setParent(include);
        scene.model.close();
        EXPECT_DWF_THROW(scene.model.publish(publisher), DWFDoesNotExistException,
                         "Inconsistent structure - expected matching parent instance");
    }
    {
        TwoSegments scene;
        DWFPublishedObject* object = scene.model.makePublishedObject(scene.low, u"object");
        object->references().emplace_back(nullptr);
        scene.model.close();
        EXPECT_DWF_THROW(scene.model.publish(publisher), DWFNullPointerException,
                         "Encounted NULL reference");
    }
    EXPECT_THROW(publisher.writePackage(), DWFCore::DWFUnexpectedException);
    EXPECT_EQ(targets.names(), std::vector<std::string>());
}

TEST_F(DefinitionPublish, VisitsWithoutAModelBeingPublishedFindNoSection)
{
    DWFPublishedObject object(1, u"loose");
    EXPECT_DWF_THROW(publisher.visitPublishedObject(object), DWFUnexpectedException,
                     "No current section");
    EXPECT_DWF_THROW(publisher.visitPropertyContainer(object), DWFUnexpectedException,
                     "No current section");
    DWFModel model(u"Part", u"", u"");
    EXPECT_DWF_THROW(publisher.postprocess(&model), DWFUnexpectedException, "No current section");

    // What is not a model is let through without a section.
    DWFImage image(u"image/png", DWFImage::ePreview, 8, 1, 1);
    publisher.preprocess(&image);
    publisher.postprocess(&image);
    EXPECT_EQ(publisher.packageWriter().manifest(), nullptr);
    EXPECT_DWF_THROW(publisher.writePackage(), DWFNullPointerException,
                     "Cannot write package - no manifest exists");
}

// Logs the visits passed on to it; a property visit finds the sets already moved.
class Chained : public DWFPublishedObject::Visitor,
                public DWFPropertyVisitor,
                public DWFEmbeddedFontVisitor
{
public:
    std::vector<std::string> log;

    void visitPublishedObject(DWFPublishedObject& object) override
    {
        log.push_back("object " + utf8(object.name()));
    }
    void visitPropertyContainer(DWFPropertyContainer& container) override
    {
        DWFPropertyContainer::tList owned;
        container.getOwnedPropertyContainers(owned);
        log.push_back("properties, " + std::to_string(owned.size()) + " sets left");
    }
    void visitEmbeddedFont(DWFEmbeddedFont&) override { log.push_back("font"); }
};

TEST_F(DefinitionPublish, ChainedVisitorsSeeEachVisitAfterThePublishersOwnWork)
{
    TwoSegments scene;
    DWFPublishedObject* object = scene.model.makePublishedObject(scene.low, u"object");
    object->addPropertyContainer(new DWFPropertyContainer(u"set"));
    scene.model.embedFont(new DWFEmbeddedFont(new TestFont(u"Mono", "f")));
    scene.model.close();

    Chained chained;
    publisher.DWFPublishedObject::Visitor::setChainedVisitor(&chained);
    publisher.DWFPropertyVisitor::setChainedVisitor(&chained);
    publisher.DWFEmbeddedFontVisitor::setChainedVisitor(&chained);
    EXPECT_EQ(publisher.getPublishedObjectVisitor(),
              static_cast<DWFPublishedObject::Visitor*>(&publisher));
    scene.model.publish(publisher);
    EXPECT_EQ(chained.log,
              (std::vector<std::string>{"object object", "properties, 0 sets left", "font"}));
    EXPECT_NE(definition().findObject(decimal(scene.low)), nullptr);
    EXPECT_NE(onlyResource(*publisher.packageWriter().manifest()->getContentSections().at(0),
                           DWFResource::kRoleFont),
              nullptr);
}

} // namespace
