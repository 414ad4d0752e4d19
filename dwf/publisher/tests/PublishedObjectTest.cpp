// Published objects: paths, references, visitors.
#include "TestSupport.h"

#include "dwf/package/Property.h"
#include "dwf/publisher/PropertyVisitor.h"
#include "dwf/publisher/PublishedObject.h"

#include <gtest/gtest.h>

using namespace DWFToolkit;
using PublisherTest::utf8;

namespace
{

std::string pathOf(const DWFPublishedObject& object, const char16_t* before = u"")
{
    DWFCore::DWFString path(before);
    object.getPath(path);
    return utf8(path);
}

TEST(PublishedObject, PathRunsFromTheTopLevelAncestorDown)
{
    DWFPublishedObject top(7, u"top");
    DWFPublishedObject child(9, u"child");
    DWFPublishedObject grandchild(12, u"grandchild");
    child.setParent(&top);
    grandchild.setParent(&child);
    EXPECT_EQ(pathOf(top), "7");
    EXPECT_EQ(pathOf(child), "7/9");
    EXPECT_EQ(pathOf(grandchild), "7/9/12");
    EXPECT_EQ(pathOf(grandchild, u"?Include Library/"), "?Include Library/7/9/12");

    DWFPublishedObject largest(0xFFFFFFFEu, u"");
    EXPECT_EQ(pathOf(largest), "4294967294") << "keys are unsigned";

    // A parent chain that loops is refused rather than walked forever.
    top.setParent(&grandchild);
    DWFCore::DWFString path;
    EXPECT_THROW(grandchild.getPath(path), DWFCore::DWFUnexpectedException);
    top.setParent(nullptr);
}

TEST(PublishedObject, StartsAsAPlainObjectWithoutInstanceOrReferences)
{
    DWFPublishedObject object(3, u"name");
    EXPECT_EQ(object.key(), 3u);
    EXPECT_EQ(utf8(object.name()), "name");
    EXPECT_EQ(object.parent(), nullptr);
    EXPECT_FALSE(object.isIncluded());
    EXPECT_EQ(object.instanceKey(), 0u);
    EXPECT_TRUE(object.references().empty());
}

TEST(PublishedObject, ReferencesRecordIncludesOrCopyPropertiesInstead)
{
    DWFPublishedObject included(4, u"bolt");
    included.addProperty(new DWFProperty(u"Material", u"Steel", u"Physical"), true);
    DWFPublishedObject owner(2, u"assembly");

    DWFCore::DWFString const name(u"bolt 1");
    owner.addReference(&included, 10, &name, false);
    owner.addReference(&included, 11, nullptr, false);
    ASSERT_EQ(owner.references().size(), 2u);
    EXPECT_EQ(owner.references()[0]->key, 10u);
    EXPECT_EQ(owner.references()[0]->index, 0u);
    EXPECT_EQ(owner.references()[0]->object, &included);
    EXPECT_EQ(utf8(owner.references()[0]->name), "bolt 1");
    EXPECT_EQ(owner.references()[1]->key, 11u);
    EXPECT_EQ(owner.references()[1]->name.chars(), 0u);
    EXPECT_EQ(owner.findProperty(u"Material", u"Physical"), nullptr);

    owner.addReference(&included, 12, &name, true);
    EXPECT_EQ(owner.references().size(), 2u) << "copying adds no reference";
    DWFProperty* copied = owner.findProperty(u"Material", u"Physical");
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(utf8(copied->value()), "Steel");
    EXPECT_NE(copied, included.findProperty(u"Material", u"Physical")) << "a copy";

    EXPECT_THROW(owner.addReference(nullptr, 13, nullptr, false), DWFCore::DWFNullPointerException);
}

class CountingObjectVisitor : public DWFPublishedObject::Visitor
{
public:
    using Visitor::Visitor;
    std::vector<DWFPublishedObject::tKey> seen;
    void visitPublishedObject(DWFPublishedObject& object) override
    {
        seen.push_back(object.key());
        Visitor::visitPublishedObject(object);
    }
};

class CountingPropertyVisitor : public DWFPropertyVisitor
{
public:
    using DWFPropertyVisitor::DWFPropertyVisitor;
    int containers = 0;
    void visitPropertyContainer(DWFPropertyContainer& container) override
    {
        ++containers;
        DWFPropertyVisitor::visitPropertyContainer(container);
    }
};

TEST(PublishedObject, AcceptPassesTheObjectToEachVisitorAndTheBasesChainOn)
{
    DWFPublishedObject object(5, u"x");
    CountingObjectVisitor last;
    CountingObjectVisitor first(&last);
    object.accept(first);
    EXPECT_EQ(first.seen, std::vector<DWFPublishedObject::tKey>{5});
    EXPECT_EQ(last.seen, std::vector<DWFPublishedObject::tKey>{5}) << "passed on by the base";

    CountingPropertyVisitor chained;
    CountingPropertyVisitor properties(&chained);
    object.accept(properties);
    EXPECT_EQ(properties.containers, 1);
    EXPECT_EQ(chained.containers, 1);

    DWFPublishedObject::Visitor plain;
    object.accept(plain); // nothing chained: nothing happens
    DWFPropertyVisitor plainProperties;
    DWFProperty property(u"a", u"b");
    plainProperties.visitProperty(property);
}

} // namespace
