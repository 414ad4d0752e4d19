// A small model written end to end and read back record by record.
#include "TestSupport.h"

#include "dwf/package/Property.h"
#include "dwf/publisher/Publisher.h"
#include "dwf/publisher/Texture.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

class ModelStream : public TempFolderTest
{
};

std::string decimal(DWFSegment::tKey key)
{
    return std::to_string(key);
}

std::string const kStyle = "?Style Library/_dwfw3d_PublishedEdges";
std::string const kLibrary = "?Include Library/";

// Collects each published object's instance key as the publish sequence sets it.
class IndexCollector : public DWFPublisher, public DWFPublishedObject::Visitor
{
public:
    std::map<DWFPublishedObject::tKey, DWFPublishedObject::tKey> instances;
    std::map<DWFPublishedObject::tKey, DWFPublishedObject::tKey> references;
    DWFPublishedObject::Visitor* getPublishedObjectVisitor() override { return this; }
    void visitPublishedObject(DWFPublishedObject& object) override
    {
        instances[object.key()] = object.instanceKey();
        for (const auto& reference : object.references())
            references[reference->key] = reference->index;
    }
};

TEST_F(ModelStream, ASmallModelReadsBackWithEverySegmentKeyAndRecordInPlace)
{
    DWFModel model(u"Part", u"Provider", u"id");
    model.open(0, 1, nullptr, true, true);
    EXPECT_EQ(files().size(), 1u);

    // The part as the part publisher builds it: an unnamed root, the geometry
    // in an include segment, included into the root under the title; then a
    // named child with edges holding an instance of the same geometry.
    DWFSegment root = model.openSegment();
    root.open();
    DWFIncludeSegment part = model.openIncludeSegment();
    part.open(u"");
    model.addResource(new DWFTexture(u"wood texture", u"image/jpeg", 24, 256, 128));
    TK_Texture& texture = part.getTextureHandler();
    texture.SetName("wood texture");
    texture.SetImage("wood texture");
    texture.serialize(0);
    // A dummy shell: a tetrahedron, with one point given twice for the merge.
    float const points[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0};
    int const faces[] = {3, 0, 4, 2, 3, 0, 3, 1, 3, 1, 3, 2, 3, 2, 3, 0};
    TK_Shell& shell = part.getShellHandler(false, false);
    ASSERT_EQ(shell.SetPoints(5, points), TK_Done);
    ASSERT_EQ(shell.SetFaces(16, faces), TK_Done);
    shell.serialize(0);
    part.addProperty(DWFProperty(u"Material", u"Oak", u"Physical"));
    part.close();
    root.include(part, u"Title");

    DWFSegment child = root.openSegment();
    child.open(u"Child", true);
    DWFSegment instance = child.openSegment();
    instance.open();
    instance.include(part, u"copy");
    instance.close();
    child.close();
    root.close();
    model.close();

    int tags = 0;
    std::vector<Record> const read = modelRecords(model, {}, &tags);
    EXPECT_EQ(read, concat({streamHead(),
                            {{'(', kStyle},
                             {')', ""},
                             // root, index 0
                             {'(', ""},
                             {'q', ""},
                             // the part, index 1
                             {'(', kLibrary + decimal(part.key())},
                             {'q', ""},
                             {'U', "node"},
                             {0xE0, "wood texture 256x128x24"},
                             {'t', "wood texture of wood texture"},
                             {'S', "4 points 4 faces"},
                             {')', ""},
                             {'<', kLibrary + decimal(part.key())},
                             {'U', "node"},
                             // the child, index 2, with the style before it
                             {'{', kStyle},
                             {'(', decimal(child.key())},
                             {'q', ""},
                             {'U', "node,edges"},
                             // the instance, index 3
                             {'(', ""},
                             {'q', ""},
                             {'<', kLibrary + decimal(part.key())},
                             {'U', "node"},
                             {')', ""},
                             {')', ""},
                             {')', ""}},
                            streamTail()}));
    EXPECT_EQ(tags, 4) << "one stream index per segment";

    // Every published object finds its segment's index in the stream.
    EXPECT_EQ(root.publishedObject()->parent(), nullptr);
    EXPECT_EQ(child.publishedObject()->parent(), root.publishedObject());
    EXPECT_NE(root.publishedObject()->findProperty(u"Material", u"Physical"), nullptr);
    IndexCollector collector;
    model.publish(collector);
    EXPECT_EQ(collector.instances, (std::map<DWFPublishedObject::tKey, DWFPublishedObject::tKey>{
                                       {root.key(), 0}, {part.key(), 1}, {child.key(), 2}}));
    EXPECT_EQ(collector.references,
              (std::map<DWFPublishedObject::tKey, DWFPublishedObject::tKey>{{instance.key(), 3}}));
}

TEST_F(ModelStream, ATexturesImageRecordIsWrittenWhereTheStreamStands)
{
    DWFModel model(u"Part", u"", u"");
    model.addResource(new DWFTexture(u"before", u"image/png", 8, 4, 4));
    model.open();
    DWFSegment segment = model.openSegment();
    segment.open();
    double const nan = std::numeric_limits<double>::quiet_NaN();
    model.addResource(new DWFTexture(u"odd", u"image/png", 32, 10.9, -3.7));
    model.addResource(new DWFTexture(u"huge", u"image/png", 8, 1e300, -1e300));
    model.addResource(new DWFTexture(u"nan", u"image/png", 8, nan, nan));
    model.addResource(new DWFTexture(u"b\u00e9ton", u"image/png", 8, 1, 1));
    segment.close();
    model.close();
    model.addResource(new DWFTexture(u"after", u"image/png", 8, 4, 4));
    EXPECT_EQ(modelRecords(model), concat({streamHead(),
                                           {{'(', ""},
                                            {'q', ""},
                                            // sizes truncated toward zero, clamped, and NaN as 0
                                            {0xE0, "odd 10x-3x32"},
                                            {0xE0, "huge 2147483647x-2147483648x8"},
                                            {0xE0, "nan 0x0x8"},
                                            {0xE0, "b\xc3\xa9ton 1x1x8"},
                                            {')', ""}},
                                           streamTail()}))
        << "nothing before open or after close";
    std::unique_ptr<DWFCore::DWFIterator<DWFPublishableResource*>> it(model.getResources());
    int count = 0;
    for (; it->valid(); it->next())
        ++count;
    EXPECT_EQ(count, 6) << "every texture is kept";
}

TEST_F(ModelStream, ATextureNameTooLongForItsRecordIsRefusedWithoutWritingAByte)
{
    DWFModel model(u"Part", u"", u"");
    model.open();
    std::u16string const name(300, u'n');
    EXPECT_THROW(model.addResource(new DWFTexture(name.c_str(), u"image/png", 8, 1, 1)),
                 DWFCore::DWFException);
    model.close();
    EXPECT_EQ(modelRecords(model), concat({streamHead(), streamTail()}));
}

} // namespace
