#include "dwf/package/utility/ResourceContainer.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwfcore/Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::FixedUUIDs;
using PackageTest::serialize;
using PackageTest::utf8;

namespace
{

constexpr unsigned kManifest = DWFXMLSerializable::eManifest;
constexpr unsigned kEPlot = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot;

// (role, href) of the whole role index, in its order.
std::vector<std::string> roleIndex(const DWFResourceContainer& container)
{
    std::unique_ptr<DWFResourceContainer::ResourceKVIterator> it(container.getResourcesByRole());
    std::vector<std::string> entries;
    for (; it->valid(); it->next())
    {
        EXPECT_EQ(it->key(), it->value()->role());
        entries.push_back(utf8(it->key()) + ":" + utf8(it->value()->href()));
    }
    return entries;
}

std::vector<DWFResource*> byRole(const DWFResourceContainer& container, const char16_t* role)
{
    std::unique_ptr<DWFResourceContainer::ResourceIterator> it(container.findResourcesByRole(role));
    std::vector<DWFResource*> found;
    for (; it->valid(); it->next())
    {
        found.push_back(it->get());
    }
    return found;
}

DWFResource* make(const char16_t* role, const char16_t* href, const char16_t* mime = u"text/plain")
{
    return new DWFResource(u"", role, mime, href);
}

TEST(DWFResourceContainer, ManifestTocAssignsZipPathsObjectIdsAndParentIds)
{
    FixedUUIDs fixed;
    DWFResourceContainer container;
    container.setResourceContainerName(u"com.x.ePlot_s1");

    auto* graphic = new DWFGraphicResource(u"Sheet", DWFResource::kRole2DStreamingGraphics,
                                           u"application/x-w2d");
    graphic->setHREF(u"sheet.w2d");
    auto* thumbnail = new DWFImageResource(u"", DWFResource::kRoleThumbnail, u"image/png");
    thumbnail->setHREF(u"thumb.png");
    thumbnail->setObjectID(u"creator-id");
    auto* odd = make(DWFResource::kRoleMetadata, u"odd", u"application/unknown");
    auto* descriptor =
        make(DWFResource::kRoleDescriptor, u"com.x.ePlot_s1\\descriptor.xml", u"text/xml");
    container.addResource(thumbnail, true, false, false, graphic);
    container.addResource(graphic, true);
    container.addResource(odd, true);
    container.addResource(descriptor, true);

    const std::string id0 = FixedUUIDs::squashed(0);
    const std::string id1 = FixedUUIDs::squashed(1);
    const std::string id2 = FixedUUIDs::squashed(2);
    const std::string toc = serialize(container.getResourceSerializable(), kManifest);
    EXPECT_EQ(toc, "<dwf:Toc>"
                   "<dwf:Resource role=\"2d streaming graphics\" mime=\"application/x-w2d\" "
                   "href=\"com.x.ePlot_s1\\" +
                       id0 +
                       ".w2d\"/>"
                       "<dwf:Resource role=\"descriptor\" mime=\"text/xml\" "
                       "href=\"com.x.ePlot_s1\\descriptor.xml\"/>"
                       "<dwf:Resource role=\"metadata\" mime=\"application/unknown\" "
                       "href=\"com.x.ePlot_s1\\" +
                       id1 +
                       "\"/>"
                       "<dwf:Resource role=\"thumbnail\" mime=\"image/png\" "
                       "href=\"com.x.ePlot_s1\\" +
                       id2 + ".png\"/></dwf:Toc>");
    EXPECT_EQ(utf8(graphic->objectID()), id0);
    EXPECT_EQ(utf8(odd->objectID()), id1);
    EXPECT_EQ(utf8(thumbnail->objectID()), "creator-id"); // kept
    EXPECT_EQ(utf8(thumbnail->parentObjectID()), id0);
    EXPECT_EQ(utf8(descriptor->zipPath()), "");

    // The descriptor lists the entries under their zip paths, without itself.
    const std::string resources = serialize(container.getResourceSerializable(), kEPlot);
    EXPECT_EQ(resources.substr(0, 17), "<ePlot:Resources>");
    EXPECT_EQ(resources.find("descriptor"), std::string::npos);
    EXPECT_NE(resources.find("<ePlot:ImageResource role=\"thumbnail\" mime=\"image/png\" "
                             "href=\"com.x.ePlot_s1\\" +
                             id2 + ".png\" objectId=\"creator-id\" parentObjectId=\"" + id0 + "\""),
              std::string::npos);
    EXPECT_WELL_FORMED(toc + resources);
}

TEST(DWFResourceContainer, EmptyContainerStillWritesItsListElement)
{
    DWFResourceContainer container;
    EXPECT_EQ(serialize(container.getResourceSerializable(), kManifest), "<dwf:Toc/>");
    EXPECT_EQ(serialize(container.getResourceSerializable(), kEPlot), "<ePlot:Resources/>");
    EXPECT_EQ(serialize(container.getResourceSerializable(), DWFXMLSerializable::eDescriptor),
              "<dwf:Resources/>");
    EXPECT_EQ(serialize(container.getResourceSerializable(), 0), "");
}

TEST(DWFResourceContainer, ResourcesWithoutHrefGetDistinctSquashedIds)
{
    DWFResourceContainer container;
    DWFResource* first = make(DWFResource::kRoleFont, nullptr);
    DWFResource* second = make(DWFResource::kRoleFont, nullptr);
    container.addResource(first, true);
    container.addResource(second, true);
    EXPECT_EQ(first->href().chars(), 22u);
    EXPECT_NE(first->href(), second->href());
    EXPECT_EQ(container.findResourceByHREF(first->href()), first);
    EXPECT_EQ(container.findResourceByHREF(second->href()), second);
}

TEST(DWFResourceContainer, ReplacingRemovesTheOldResourceFromEveryIndex)
{
    DWFResourceContainer container;
    DWFResource* child = make(DWFResource::kRoleThumbnail, u"child");
    DWFResource* old = make(DWFResource::kRoleDescriptor, u"d.xml", u"text/xml");
    container.addResource(old, true);
    container.addResource(child, true, false, false, old);

    // Deleted when owned: later writes must not reach it (ASan would report it).
    DWFResource* fresh = make(DWFResource::kRoleDescriptor, u"d.xml", u"text/xml");
    EXPECT_EQ(container.addResource(fresh, true, true, true), nullptr);
    EXPECT_EQ(container.findResourceByHREF(u"d.xml"), fresh);
    EXPECT_EQ(byRole(container, DWFResource::kRoleDescriptor), std::vector<DWFResource*>{fresh});
    EXPECT_TRUE(container.childResources(old).empty());
    EXPECT_EQ(container.resourceCount(), 2u);
    serialize(container.getResourceSerializable(), kManifest);

    // Handed back, unowned, when not deleted.
    DWFResource* newer = make(DWFResource::kRoleDescriptor, u"d.xml", u"text/xml");
    DWFResource* returned = container.addResource(newer, true, true, false);
    ASSERT_EQ(returned, fresh);
    EXPECT_EQ(fresh->owner(), nullptr);
    delete fresh; // no longer observed by the container
    EXPECT_EQ(roleIndex(container),
              (std::vector<std::string>{"descriptor:d.xml", "thumbnail:child"}));

    // Without replace an occupied href keeps its resource; the newcomer is
    // still listed, owned and deleted with the container.
    DWFResource* twin = make(DWFResource::kRoleMetadata, u"d.xml");
    EXPECT_EQ(container.addResource(twin, true, false, false), nullptr);
    EXPECT_EQ(container.findResourceByHREF(u"d.xml"), newer);
    EXPECT_EQ(byRole(container, DWFResource::kRoleMetadata), std::vector<DWFResource*>{twin});
}

TEST(DWFResourceContainer, ReplacingWhatAnotherContainerOwnsNeverDeletesIt)
{
    DWFResourceContainer owner;
    DWFResourceContainer borrower;
    DWFResource* shared = make(DWFResource::kRoleFont, u"f");
    owner.addResource(shared, true);
    borrower.addResource(shared, false);
    DWFResource* other = make(DWFResource::kRoleFont, u"f");
    EXPECT_EQ(borrower.addResource(other, true, true, true), shared);
    EXPECT_EQ(shared->owner(), &owner);
    EXPECT_EQ(owner.findResourceByHREF(u"f"), shared);
}

TEST(DWFResourceContainer, AddingTheSameResourceAgainFilesItOnceUnderItsCurrentKeys)
{
    FixedUUIDs fixed;
    DWFResourceContainer container;
    container.setResourceContainerName(u"s");
    DWFResource* resource = make(DWFResource::kRoleThumbnail, u"old", u"image/png");
    DWFResource* parent = make(DWFResource::kRolePreview, u"p", u"image/png");
    container.addResource(parent, true);
    container.addResource(resource, true, false, false, parent);
    EXPECT_EQ(container.addResource(resource, true, true, true, parent), nullptr);
    EXPECT_EQ(container.childResources(parent), std::vector<DWFResource*>{resource});

    // Renaming after insertion leaves the indexes intact...
    resource->setHREF(u"new");
    resource->setRole(DWFResource::kRoleTexture);
    EXPECT_EQ(container.findResourceByHREF(u"old"), resource);
    std::unique_ptr<DWFResourceContainer::ResourceIterator> stale(
        container.findResourcesByRole(DWFResource::kRoleThumbnail));
    ASSERT_TRUE(stale->valid());
    EXPECT_EQ(stale->get(), resource);
    // ...and adding it again moves it to its new keys.
    container.addResource(resource, true, true, true);
    EXPECT_EQ(container.findResourceByHREF(u"old"), nullptr);
    EXPECT_EQ(container.findResourceByHREF(u"new"), resource);
    EXPECT_EQ(roleIndex(container), (std::vector<std::string>{"preview:p", "texture:new"}));
    EXPECT_EQ(container.resourceCount(), 2u);

    // One Toc entry each: a duplicate would become a duplicate ZIP entry.
    const std::string toc = serialize(container.getResourceSerializable(), kManifest);
    EXPECT_EQ(std::count(toc.begin(), toc.end(), '<'), 4);
}

TEST(DWFResourceContainer, RemovingByObjectAndByRole)
{
    DWFResourceContainer container;
    DWFResource* a = make(DWFResource::kRoleTexture, u"a");
    DWFResource* b = make(DWFResource::kRoleTexture, u"b");
    DWFResource* c = make(DWFResource::kRoleFont, u"c");
    container.addResource(a, true);
    container.addResource(b, true);
    container.addResource(c, true, false, false, a);

    DWFResource impostor(u"", DWFResource::kRoleFont, u"text/plain", u"c");
    EXPECT_THROW(container.removeResource(&impostor, true), DWFCore::DWFTypeMismatchException);
    EXPECT_EQ(container.resourceCount(), 3u);
    DWFResource stranger(u"", DWFResource::kRoleFont, u"text/plain", u"zzz");
    EXPECT_EQ(container.removeResource(&stranger, true), nullptr);
    EXPECT_EQ(container.removeResource(nullptr, true), nullptr);

    // A renamed resource is still found by object.
    c->setHREF(u"renamed");
    std::unique_ptr<DWFResource> handedBack(container.removeResource(c, false));
    EXPECT_EQ(handedBack.get(), c);
    EXPECT_EQ(c->owner(), nullptr);
    EXPECT_TRUE(container.childResources(a).empty());
    EXPECT_EQ(container.findResourceByHREF(u"c"), nullptr);

    EXPECT_EQ(container.removeResourcesByRole(DWFResource::kRoleFont, true), nullptr);
    std::unique_ptr<DWFCore::DWFIterator<DWFResource*>> removed(
        container.removeResourcesByRole(DWFResource::kRoleTexture, false));
    ASSERT_NE(removed, nullptr);
    std::vector<std::unique_ptr<DWFResource>> ours;
    for (; removed->valid(); removed->next())
    {
        ours.emplace_back(removed->get());
        EXPECT_EQ(ours.back()->owner(), nullptr);
    }
    EXPECT_EQ(ours.size(), 2u);
    EXPECT_EQ(container.resourceCount(), 0u);
    EXPECT_TRUE(roleIndex(container).empty());

    container.addResource(make(DWFResource::kRoleFont, u"x"), true);
    EXPECT_EQ(container.removeResourcesByRole(DWFResource::kRoleFont, true), nullptr);
    EXPECT_EQ(container.resourceCount(), 0u);

    std::unique_ptr<DWFResourceContainer::ResourceIterator> none(
        container.findResourcesByRole(u"nothing"));
    EXPECT_FALSE(none->valid());
    EXPECT_THROW(none->get(), DWFCore::DWFDoesNotExistException);
}

TEST(DWFResourceContainer, AResourceDeletedElsewhereLeavesEveryIndex)
{
    DWFResourceContainer first;
    auto second = std::make_unique<DWFResourceContainer>();
    DWFResource* parent = make(DWFResource::kRolePreview, u"parent");
    DWFResource* child = make(DWFResource::kRoleThumbnail, u"child");
    first.addResource(parent, true);
    first.addResource(child, true, false, false, parent);
    second->addResource(parent, true); // ownership moves; `first` keeps observing
    second.reset();                    // deletes `parent`
    EXPECT_EQ(first.findResourceByHREF(u"parent"), nullptr);
    EXPECT_EQ(roleIndex(first), std::vector<std::string>{"thumbnail:child"});
    EXPECT_TRUE(first.childResources(parent).empty());
    serialize(first.getResourceSerializable(), kManifest); // must not touch `parent`
}

TEST(DWFResourceContainer, ResourcesAddedWithoutOwnershipAreLeftToTheirOwners)
{
    auto container = std::make_unique<DWFResourceContainer>();
    auto* borrowed = make(DWFResource::kRoleFont, u"borrowed");
    auto* kept = make(DWFResource::kRoleFont, u"kept");
    container->addResource(borrowed, false);
    container->addResource(kept, false);
    EXPECT_EQ(borrowed->owner(), nullptr);
    EXPECT_EQ(container->findResourceByHREF(u"borrowed"), borrowed);

    delete borrowed; // its creator is done with it: it leaves the indexes
    EXPECT_EQ(container->findResourceByHREF(u"borrowed"), nullptr);
    EXPECT_EQ(roleIndex(*container), std::vector<std::string>{"font:kept"});
    serialize(container->getResourceSerializable(), kManifest);

    // Removed without deletion, it is the caller's again and no longer watched.
    EXPECT_EQ(container->removeResource(kept, true), kept);
    container.reset();
    delete kept;

    // Listed while another container owns it: left to that owner.
    DWFResourceContainer owner;
    DWFResourceContainer lister;
    auto* shared = make(DWFResource::kRoleTexture, u"shared");
    owner.addResource(shared, true);
    lister.addResource(shared, false);
    EXPECT_EQ(shared->owner(), &owner);
}

// Random additions, replacements, renames, removals and outside deletions,
// with the indexes checked against a model after every step.
TEST(DWFResourceContainer, RandomSequencesKeepTheIndexesConsistent)
{
    std::mt19937 random(42);
    const char16_t* roles[] = {DWFResource::kRoleFont, DWFResource::kRoleTexture,
                               DWFResource::kRoleThumbnail};
    const char16_t* hrefs[] = {u"h0", u"h1", u"h2", u"h3", u"h4", u"h5"};
    DWFResourceContainer container;
    container.setResourceContainerName(u"s");
    std::map<std::u16string, DWFResource*> model; // href -> resource held

    auto check = [&]()
    {
        ASSERT_EQ(container.resourceCount(), model.size());
        std::set<DWFResource*> listed;
        std::unique_ptr<DWFResourceContainer::ResourceKVIterator> it(
            container.getResourcesByRole());
        for (; it->valid(); it->next())
        {
            EXPECT_TRUE(listed.insert(it->value()).second) << "listed twice";
        }
        ASSERT_EQ(listed.size(), model.size());
        for (const auto& entry : model)
        {
            EXPECT_EQ(container.findResourceByHREF(DWFString(entry.first)), entry.second);
            EXPECT_EQ(listed.count(entry.second), 1u);
            for (DWFResource* child : container.childResources(entry.second))
            {
                EXPECT_EQ(listed.count(child), 1u) << "child not held";
            }
        }
    };

    for (int step = 0; step < 3000; ++step)
    {
        const std::u16string href = hrefs[random() % 6];
        const char16_t* role = roles[random() % 3];
        auto held = model.find(href);
        switch (random() % 6)
        {
        case 0:
        case 1:
        {
            DWFResource* parent = nullptr;
            if (!model.empty() && random() % 2)
            {
                parent = std::next(model.begin(), random() % model.size())->second;
            }
            DWFResource* resource = make(role, href.c_str());
            const bool deleteReplaced = random() % 2;
            DWFResource* replaced = container.addResource(resource, true, true, deleteReplaced,
                                                          parent == resource ? nullptr : parent);
            if (held != model.end())
            {
                EXPECT_EQ(replaced, deleteReplaced ? nullptr : held->second);
                delete replaced;
            }
            model[href] = resource;
            break;
        }
        case 2:
            if (held != model.end())
            {
                // Rename to a free href and file it again.
                for (const char16_t* target : hrefs)
                {
                    if (!model.count(target))
                    {
                        DWFResource* resource = held->second;
                        resource->setHREF(target);
                        resource->setRole(role);
                        model.erase(held);
                        container.addResource(resource, true, true, true);
                        model[target] = resource;
                        break;
                    }
                }
            }
            break;
        case 3:
            if (held != model.end())
            {
                delete container.removeResource(held->second, random() % 2);
                model.erase(held);
            }
            break;
        case 4:
            if (held != model.end())
            {
                // Ownership moves to another container, which then deletes it.
                auto thief = std::make_unique<DWFResourceContainer>();
                thief->addResource(held->second, true);
                model.erase(held);
            }
            break;
        default:
            if (random() % 10 == 0)
            {
                serialize(container.getResourceSerializable(), kManifest);
                serialize(container.getResourceSerializable(), kEPlot);
            }
            break;
        }
        check();
        if (::testing::Test::HasFatalFailure())
        {
            FAIL() << "at step " << step;
        }
    }
}

} // namespace
