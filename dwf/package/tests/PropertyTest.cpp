#include "dwf/package/Property.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwfcore/Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::Attributes;
using PackageTest::FixedUUIDs;
using PackageTest::serialize;
using PackageTest::utf8;

namespace
{

std::vector<std::string> names(DWFCore::DWFIterator<DWFProperty*>* iterator)
{
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> owned(iterator);
    std::vector<std::string> result;
    for (; owned && owned->valid(); owned->next())
    {
        result.push_back(utf8(owned->get()->category()) + "/" + utf8(owned->get()->name()) + "=" +
                         utf8(owned->get()->value()));
    }
    return result;
}

TEST(DWFProperty, ParsesFirstOccurrencesWithAnyKnownPrefix)
{
    DWFProperty property;
    property.parseAttributeList(Attributes{
        "eModel:name", "Mass", "dwf:value", "12 kg", "name", "ignored", "ePlot:category",
        "Physical", "units", "kg", "type", "double", "other", "x", "eCommon:value", "ignored too"});
    EXPECT_EQ(utf8(property.name()), "Mass");
    EXPECT_EQ(utf8(property.value()), "12 kg");
    EXPECT_EQ(utf8(property.category()), "Physical");
    EXPECT_EQ(utf8(property.type()), "double");
    EXPECT_EQ(utf8(property.units()), "kg");

    DWFProperty untouched(u"n", u"v");
    untouched.parseAttributeList(Attributes{});
    untouched.parseAttributeList(nullptr);
    EXPECT_EQ(utf8(untouched.name()), "n");
    EXPECT_EQ(utf8(untouched.value()), "v");
}

TEST(DWFProperty, WritesDwfPrefixOrTheDescriptorPrefixAndLeavesOutEmptyFields)
{
    DWFProperty full(u"Title", u"Sheet <1>", u"General", u"string", u"none");
    EXPECT_EQ(serialize(full, 0), "<dwf:Property name=\"Title\" value=\"Sheet &lt;1&gt;\" "
                                  "category=\"General\" type=\"string\" units=\"none\"/>");
    DWFProperty sparse(u"Author", DWFString());
    EXPECT_EQ(serialize(sparse, DWFXMLSerializable::eManifest), "<dwf:Property name=\"Author\"/>");
    EXPECT_EQ(serialize(sparse, DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot),
              "<ePlot:Property name=\"Author\"/>");
    EXPECT_EQ(serialize(sparse, DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel),
              "<eModel:Property name=\"Author\"/>");
    EXPECT_EQ(serialize(sparse, DWFXMLSerializable::eDescriptor),
              "<dwf:Property name=\"Author\"/>");
}

TEST(DWFPropertyContainer, WritesPropertiesInCategoryThenNameOrderWithIdAndRefs)
{
    FixedUUIDs fixed;
    DWFPropertyContainer container;
    container.addProperty(new DWFProperty(u"b", u"2", u"Cat"), true);
    container.addProperty(new DWFProperty(u"a", u"1", u"Cat"), true);
    container.addProperty(new DWFProperty(u"z", u"0"), true); // the empty category sorts first
    DWFPropertyContainer referenced(u"given-id");
    DWFPropertyContainer anonymous;
    referenced.addProperty(new DWFProperty(u"r", u"1"), true);
    anonymous.addProperty(new DWFProperty(u"s", u"2"), true);
    container.referencePropertyContainer(&referenced);
    container.referencePropertyContainer(&anonymous);

    const std::string id0 = FixedUUIDs::squashed(0);
    const std::string id1 = FixedUUIDs::squashed(1);
    const std::string expected = "<Properties id=\"" + id0 + "\" refs=\"given-id " + id1 +
                                 " \"><Property name=\"z\" value=\"0\"/>"
                                 "<Property name=\"a\" value=\"1\" category=\"Cat\"/>"
                                 "<Property name=\"b\" value=\"2\" category=\"Cat\"/></Properties>";
    EXPECT_EQ(serialize(container.getSerializable(), DWFXMLSerializable::eManifest), expected);
    EXPECT_EQ(utf8(container.id()), id0);
    EXPECT_EQ(utf8(anonymous.id()), id1);

    // Ids are fixed once written: a second write names the same ones.
    EXPECT_EQ(serialize(container.getSerializable(), DWFXMLSerializable::eManifest), expected);
    EXPECT_WELL_FORMED(expected);
}

TEST(DWFPropertyContainer, OwnedContainersComeFirstAsSiblingsWithTheDescriptorPrefix)
{
    DWFPropertyContainer outer(u"outer");
    auto* inner = new DWFPropertyContainer(u"inner");
    inner->addProperty(new DWFProperty(u"p", u"v"), true);
    auto* empty = new DWFPropertyContainer(u"empty");
    outer.addPropertyContainer(inner);
    outer.addPropertyContainer(empty);

    // Only owned containers and nothing of its own: no element for the outer one.
    const unsigned flags = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot;
    EXPECT_EQ(serialize(outer.getSerializable(), flags),
              "<ePlot:Properties id=\"inner\"><ePlot:Property name=\"p\" value=\"v\"/>"
              "</ePlot:Properties>");

    outer.addProperty(new DWFProperty(u"q", u"w"), true);
    EXPECT_EQ(serialize(outer.getSerializable(), DWFXMLSerializable::eDescriptor),
              "<dwf:Properties id=\"inner\"><dwf:Property name=\"p\" value=\"v\"/>"
              "</dwf:Properties><dwf:Properties id=\"outer\"><dwf:Property name=\"q\" "
              "value=\"w\"/></dwf:Properties>");
}

TEST(DWFPropertyContainer, TwoContainersReferencingOneShareItsFirstAssignedId)
{
    FixedUUIDs fixed;
    DWFPropertyContainer shared;
    shared.addProperty(new DWFProperty(u"p", u"v"), true);
    DWFPropertyContainer first(u"first");
    DWFPropertyContainer second(u"second");
    first.referencePropertyContainer(&shared);
    second.referencePropertyContainer(&shared);
    const std::string a = serialize(first.getSerializable(), 0);
    const std::string b = serialize(second.getSerializable(), 0);
    EXPECT_EQ(a, "<Properties id=\"first\" refs=\"" + FixedUUIDs::squashed(0) + " \"/>");
    EXPECT_EQ(b, "<Properties id=\"second\" refs=\"" + FixedUUIDs::squashed(0) + " \"/>");
}

TEST(DWFPropertyContainer, ReferencesNameOnlyContainersThatWriteAnElement)
{
    // An empty container writes nothing, so naming it would leave a reader
    // with an id it cannot resolve; one holding only references is written.
    FixedUUIDs fixed;
    DWFPropertyContainer empty(u"empty");
    DWFPropertyContainer anonymousEmpty;
    DWFPropertyContainer full(u"full");
    full.addProperty(new DWFProperty(u"p", u"v"), true);
    DWFPropertyContainer onlyReferences(u"only-references");
    onlyReferences.referencePropertyContainer(&empty);
    EXPECT_EQ(serialize(empty.getSerializable(), 0), "");
    EXPECT_EQ(serialize(onlyReferences.getSerializable(), 0),
              "<Properties id=\"only-references\"/>");

    DWFPropertyContainer container(u"c");
    for (DWFPropertyContainer* referenced : {&empty, &anonymousEmpty, &full, &onlyReferences})
        container.referencePropertyContainer(referenced);
    EXPECT_EQ(serialize(container.getSerializable(), 0),
              "<Properties id=\"c\" refs=\"full only-references \"/>");
    // No id was spent on the container that is not written.
    EXPECT_EQ(utf8(anonymousEmpty.id()), "");

    // Referring to empty containers only still writes the referring one.
    DWFPropertyContainer emptyReferrer(u"e");
    emptyReferrer.referencePropertyContainer(&empty);
    emptyReferrer.referencePropertyContainer(&anonymousEmpty);
    EXPECT_EQ(serialize(emptyReferrer.getSerializable(), 0), "<Properties id=\"e\"/>");
}

TEST(DWFPropertyContainer, AddingByCopyOrByOwnershipAndReplacing)
{
    DWFPropertyContainer container;
    DWFProperty callers(u"name", u"first", u"cat");
    container.addProperty(&callers, false);
    DWFProperty* stored = container.findProperty(u"name", u"cat");
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &callers);
    EXPECT_EQ(callers.owner(), nullptr);
    EXPECT_EQ(stored->owner(), &container);

    auto* second = new DWFProperty(u"name", u"second", u"cat");
    container.addProperty(second, true); // the displaced copy is deleted (ASan checks)
    EXPECT_EQ(container.findProperty(u"name", u"cat"), second);
    EXPECT_EQ(second->owner(), &container);
    container.addProperty(second, true); // the same object again: kept, not deleted
    EXPECT_EQ(container.findProperty(u"name", u"cat"), second);
    EXPECT_EQ(container.findProperty(u"name"), nullptr);
    EXPECT_EQ(names(container.getProperties(u"cat")), std::vector<std::string>{"cat/name=second"});

    EXPECT_THROW(container.addProperty(nullptr, true), DWFCore::DWFNullPointerException);
    EXPECT_THROW(container.addPropertyContainer(nullptr), DWFCore::DWFNullPointerException);
}

TEST(DWFPropertyContainer, DeletionNoticeRemovesOnlyTheEntryThatStillHoldsTheProperty)
{
    auto first = std::make_unique<DWFPropertyContainer>();
    DWFPropertyContainer second;
    auto* moved = new DWFProperty(u"n", u"moved");
    first->addProperty(moved, true);
    second.addProperty(moved, true); // ownership moves; `first` still indexes it
    EXPECT_EQ(first->findProperty(u"n"), moved);

    auto* replacement = new DWFProperty(u"n", u"replacement");
    first->addProperty(replacement, true); // `moved` is displaced but owned elsewhere: kept
    EXPECT_EQ(second.findProperty(u"n"), moved);

    // Deleting `moved` tells `first`, whose entry now holds `replacement`.
    auto* other = new DWFProperty(u"n", u"other");
    second.addProperty(other, true); // deletes `moved`, owned by `second`
    EXPECT_EQ(first->findProperty(u"n"), replacement);
    EXPECT_EQ(utf8(first->findProperty(u"n")->value()), "replacement");

    // A property indexed by a container that goes first no longer calls back.
    auto* shared = new DWFProperty(u"s", u"v");
    first->addProperty(shared, true);
    second.addProperty(shared, true);
    first.reset();
    EXPECT_EQ(second.findProperty(u"s"), shared);
}

TEST(DWFPropertyContainer, ContainerListsRefuseNullSelfAndDuplicates)
{
    DWFPropertyContainer container;
    auto* owned = new DWFPropertyContainer(u"owned");
    DWFPropertyContainer referenced(u"ref");
    container.addPropertyContainer(owned);
    container.addPropertyContainer(owned);      // twice would delete it twice
    container.addPropertyContainer(&container); // itself: ignored
    container.referencePropertyContainer(nullptr);
    container.referencePropertyContainer(&container);
    container.referencePropertyContainer(owned); // already owned: written anyway
    container.referencePropertyContainer(&referenced);
    container.referencePropertyContainer(&referenced);

    DWFPropertyContainer::tList all;
    container.getAllPropertyContainers(all);
    EXPECT_EQ(all, (DWFPropertyContainer::tList{owned, &referenced}));

    DWFPropertyContainer::tList removed;
    container.removeOwnedPropertyContainers(removed, true);
    EXPECT_EQ(removed, DWFPropertyContainer::tList{owned});
    all.clear();
    container.getReferencedPropertyContainers(all);
    EXPECT_EQ(all, (DWFPropertyContainer::tList{&referenced, owned}));
    removed.clear();
    container.removeAllPropertyContainers(removed);
    EXPECT_EQ(removed, (DWFPropertyContainer::tList{&referenced, owned}));
    all.clear();
    container.getAllPropertyContainers(all);
    EXPECT_TRUE(all.empty());
    delete owned; // handed back to us
}

TEST(DWFPropertyContainer, CopyPropertiesCopiesAndTakesOrRefersToContainers)
{
    DWFPropertyContainer source(u"source");
    source.addProperty(new DWFProperty(u"a", u"1", u"x"), true);
    source.addProperty(new DWFProperty(u"b", u"2"), true);
    auto* sourceOwned = new DWFPropertyContainer(u"so");
    DWFPropertyContainer sourceReferenced(u"sr");
    source.addPropertyContainer(sourceOwned);
    source.referencePropertyContainer(&sourceReferenced);

    DWFPropertyContainer referrer;
    referrer.copyProperties(source);
    EXPECT_EQ(names(referrer.getProperties()), (std::vector<std::string>{"/b=2", "x/a=1"}));
    EXPECT_NE(referrer.findProperty(u"a", u"x"), source.findProperty(u"a", u"x"));
    DWFPropertyContainer::tList list;
    referrer.getOwnedPropertyContainers(list);
    EXPECT_TRUE(list.empty());
    referrer.getReferencedPropertyContainers(list);
    EXPECT_EQ(list, (DWFPropertyContainer::tList{sourceOwned, &sourceReferenced}));

    DWFPropertyContainer taker;
    taker.copyProperties(source, true, true);
    list.clear();
    taker.getOwnedPropertyContainers(list);
    EXPECT_EQ(list, DWFPropertyContainer::tList{sourceOwned});
    list.clear();
    taker.getReferencedPropertyContainers(list); // never both owned and referenced
    EXPECT_EQ(list, DWFPropertyContainer::tList{&sourceReferenced});
    list.clear();
    source.getAllPropertyContainers(list); // the source kept a reference to what it gave
    EXPECT_EQ(list, (DWFPropertyContainer::tList{&sourceReferenced, sourceOwned}));

    // Copying onto itself replaces each property by a copy of itself.
    DWFProperty* before = taker.findProperty(u"b");
    taker.copyProperties(taker);
    EXPECT_NE(taker.findProperty(u"b"), before);
    EXPECT_EQ(names(taker.getProperties()), (std::vector<std::string>{"/b=2", "x/a=1"}));
}

// Random additions (owned, copied, replacing) and deletions checked against a model.
TEST(DWFPropertyContainer, RandomSequencesMatchAModelAndLeakNothing)
{
    std::mt19937 random(1234);
    const char16_t* categories[] = {u"", u"A", u"B"};
    const char16_t* keys[] = {u"k0", u"k1", u"k2", u"k3", u"k4"};
    DWFPropertyContainer container;
    auto other = std::make_unique<DWFPropertyContainer>();
    std::map<std::pair<std::u16string, std::u16string>, std::u16string> model;

    for (int step = 0; step < 4000; ++step)
    {
        const std::u16string category = categories[random() % 3];
        const std::u16string key = keys[random() % 5];
        const std::u16string value = u"v" + std::u16string(1, char16_t(u'a' + step % 26));
        switch (random() % 5)
        {
        case 0:
        {
            DWFProperty local{DWFString(key), DWFString(value), DWFString(category)};
            container.addProperty(&local, false);
            model[{category, key}] = value;
            break;
        }
        case 1:
        case 2:
            container.addProperty(
                new DWFProperty(DWFString(key), DWFString(value), DWFString(category)), true);
            model[{category, key}] = value;
            break;
        case 3:
        {
            // Hand the stored property to another container, which deletes it:
            // the deletion notice removes it here.
            DWFProperty* found = container.findProperty(DWFString(key), DWFString(category));
            if (found)
            {
                other->addProperty(found, true);
                other->addProperty(new DWFProperty(DWFString(key), u"x", DWFString(category)),
                                   true);
                model.erase({category, key});
            }
            break;
        }
        default:
            if (random() % 50 == 0)
            {
                other = std::make_unique<DWFPropertyContainer>();
            }
            break;
        }
    }

    std::vector<std::string> expected;
    for (const auto& entry : model)
    {
        expected.push_back(utf8(DWFString(entry.first.first)) + "/" +
                           utf8(DWFString(entry.first.second)) + "=" +
                           utf8(DWFString(entry.second)));
    }
    EXPECT_EQ(names(container.getProperties()), expected);
    for (const auto& entry : model)
    {
        DWFProperty* found =
            container.findProperty(DWFString(entry.first.second), DWFString(entry.first.first));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->owner(), &container);
    }
}

} // namespace
