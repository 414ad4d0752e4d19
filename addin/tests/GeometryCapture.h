#pragma once
// What the geometry writer's tests share: a model in a private temporary
// folder with one include segment for the writer to fill (as a part is
// written), the model's W3D stream read back through the toolkit's reader
// into a tree of segments, and the message boxes shown meanwhile.
#include "addin/PublishOptions.h"
#include "addin/publishers/DWF3DGrWriter.h"
#include "addin/publishers/DWFxWriter.h"
#include "addin/tests/MessageCauses.h"
#include "dwf/publisher/model/Model.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/user_options.h"
#include "dwf/w3dtk/records/visibility.h"
#include "dwf/w3dtk/tests/memory_streams.h"
#include "dwfcore/InputStream.h"
#include "host/Loader.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace geometry_test
{

// One record of the stream with what the tests look at.
struct Item
{
    int opcode = 0;
    std::string text;       // segment path, user options, style reference
    std::vector<float> f;   // the record's numbers
    std::vector<int> i;     // masks, counts, values
    std::vector<int> faces; // a shell's face list
    std::vector<float> normals, parameters;
    std::vector<std::string> names; // a colour's channel names
};

// A segment of the stream: its records in order, child segments marked by
// an '(' item whose `i[0]` is the child's index.
struct Node
{
    std::string name;
    std::vector<Item> items;
    std::vector<Node> children;

    // The items of one opcode.
    std::vector<Item> all(int opcode) const
    {
        std::vector<Item> found;
        for (const Item& item : items)
            if (item.opcode == opcode)
                found.push_back(item);
        return found;
    }
    std::size_t count(int opcode) const { return all(opcode).size(); }
};

// A record's numbers are the expected ones, each within `tolerance`.
inline void ExpectNear(const std::vector<float>& actual, const std::vector<double>& expected,
                       double tolerance = 1e-6)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "value " << i;
}

inline Item Describe(BBaseOpcodeHandler& handler)
{
    Item item;
    item.opcode = handler.Opcode();
    if (auto* open = dynamic_cast<TK_Open_Segment*>(&handler))
        item.text = open->GetSegment();
    else if (auto* options = dynamic_cast<TK_User_Options*>(&handler))
        item.text = options->GetOptions();
    else if (auto* reference = dynamic_cast<TK_Referenced_Segment*>(&handler))
        item.text = reference->GetSegment();
    else if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
    {
        const int points = shell->GetPointCount();
        item.i = {points, shell->GetFaceCount()};
        if (shell->GetPoints())
            item.f.assign(shell->GetPoints(), shell->GetPoints() + 3 * points);
        if (shell->GetVertexNormals())
            item.normals.assign(shell->GetVertexNormals(), shell->GetVertexNormals() + 3 * points);
        if (shell->GetVertexParameters())
            item.parameters.assign(shell->GetVertexParameters(),
                                   shell->GetVertexParameters() + 3 * points);
        if (shell->GetFaces())
            item.faces.assign(shell->GetFaces(), shell->GetFaces() + shell->GetFacesLength());
    }
    else if (auto* line = dynamic_cast<TK_Line*>(&handler))
        item.f.assign(line->GetPoints(), line->GetPoints() + 6);
    else if (auto* circle = dynamic_cast<TK_Circle*>(&handler))
    {
        item.f.assign(circle->GetStart(), circle->GetStart() + 3);
        item.f.insert(item.f.end(), circle->GetMiddle(), circle->GetMiddle() + 3);
        item.f.insert(item.f.end(), circle->GetEnd(), circle->GetEnd() + 3);
    }
    else if (auto* ellipse = dynamic_cast<TK_Ellipse*>(&handler))
    {
        item.f.assign(ellipse->GetCentre(), ellipse->GetCentre() + 3);
        item.f.insert(item.f.end(), ellipse->GetMajor(), ellipse->GetMajor() + 3);
        item.f.insert(item.f.end(), ellipse->GetMinor(), ellipse->GetMinor() + 3);
        item.f.insert(item.f.end(), ellipse->GetLimits(), ellipse->GetLimits() + 2);
    }
    else if (auto* nurbs = dynamic_cast<TK_NURBS_Curve*>(&handler))
    {
        const int count = nurbs->GetCount();
        item.i = {nurbs->GetDegree(), count, nurbs->GetKnotCount(), nurbs->GetOptions()};
        item.f.assign(nurbs->GetPoints(), nurbs->GetPoints() + 3 * count);
        if (nurbs->GetOptions() & TK_NURBS_Curve::Weights)
            item.normals.assign(nurbs->GetWeights(), nurbs->GetWeights() + count);
        if (nurbs->GetOptions() & TK_NURBS_Curve::Knots)
            item.parameters.assign(nurbs->GetKnots(), nurbs->GetKnots() + nurbs->GetKnotCount());
    }
    else if (auto* colour = dynamic_cast<TK_Color*>(&handler))
    {
        item.i = {colour->GetGeometry(), colour->GetChannels()};
        for (int channel : {0, 1, 2, 3, 4})
        {
            const TK_Color::Channel& record = colour->GetChannel(channel);
            item.f.insert(item.f.end(), record.rgb, record.rgb + 3);
            item.names.push_back(record.name);
        }
    }
    else if (auto* rgb = dynamic_cast<TK_Color_RGB*>(&handler))
    {
        item.i = {rgb->GetGeometry()};
        item.f.assign(rgb->GetRGB(), rgb->GetRGB() + 3);
    }
    else if (auto* pattern = dynamic_cast<TK_Linear_Pattern*>(&handler))
        item.i = {pattern->GetPattern()};
    else if (auto* enumerated = dynamic_cast<TK_Enumerated*>(&handler))
        item.i = {enumerated->GetIndex()};
    else if (auto* heuristics = dynamic_cast<TK_Heuristics*>(&handler))
        item.i = {heuristics->GetMask(), heuristics->GetValue()};
    else if (auto* visibility = dynamic_cast<TK_Visibility*>(&handler))
        item.i = {visibility->GetGeometry(), visibility->GetValue()};
    else if (auto* matrix = dynamic_cast<TK_Matrix*>(&handler))
        item.f.assign(matrix->GetMatrix(), matrix->GetMatrix() + 16);
    return item;
}

// Every byte of a finished model's stream.
inline w3d_test::Bytes StreamOf(DWFToolkit::DWFModel& model)
{
    std::unique_ptr<DWFCore::DWFInputStream> input(model.getInputStream());
    w3d_test::Bytes bytes;
    char buffer[4096];
    for (std::size_t n; (n = input->read(buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

// The stream as a tree; the reader must reach the terminator with every
// segment closed.
inline Node ReadTree(const w3d_test::Bytes& bytes)
{
    Node top;
    std::vector<Node*> path{&top};
    const w3d_test::Read_Result read =
        w3d_test::read_stream(bytes, 4096,
                              [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                              {
                                  Item item = Describe(handler);
                                  // Tags only give the stream's bookkeeping indices.
                                  if (item.opcode == 'q')
                                      return;
                                  Node& current = *path.back();
                                  if (item.opcode == '(')
                                  {
                                      current.children.push_back(Node{item.text, {}, {}});
                                      item.i = {static_cast<int>(current.children.size() - 1)};
                                      current.items.push_back(item);
                                      path.push_back(&current.children.back());
                                  }
                                  else if (item.opcode == ')')
                                  {
                                      if (path.size() > 1)
                                          path.pop_back();
                                  }
                                  else
                                      current.items.push_back(item);
                              });
    EXPECT_EQ(read.status, TK_Ended) << read.error;
    EXPECT_EQ(read.depth, 0);
    return top;
}

inline std::u16string Message(const std::string& where, bool period = true)
{
    std::u16string text = u"An error occurred while publishing the file. The error occurred in ";
    text.append(where.begin(), where.end());
    return period ? text + u"." : text;
}

inline std::vector<std::u16string> Messages()
{
    std::vector<std::u16string> texts;
    for (const auto& box : platform::ui().messageBoxes())
        texts.push_back(box.text);
    return texts;
}

using addin_test::Causes;

// A model opened as a part's is, with a private temporary folder (which must
// be empty again at the end) and an include segment open for the writer.
class GeometryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        std::string pattern = ::testing::TempDir() + "qc-geometry-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        if (const char* previous = std::getenv("TMPDIR"))
            previous_ = previous, hadPrevious_ = true;
        ::setenv("TMPDIR", folder_.c_str(), 1);
    }

    void TearDown() override
    {
        segment_.reset();
        model_.reset();
        std::vector<std::string> left;
        if (DIR* dir = ::opendir(folder_.c_str()))
        {
            while (const dirent* entry = ::readdir(dir))
                if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                    left.push_back(entry->d_name);
            ::closedir(dir);
        }
        EXPECT_EQ(left, std::vector<std::string>{}) << "left in the temporary folder";
        for (const std::string& name : left)
            ::unlink((folder_ + "/" + name).c_str());
        ::rmdir(folder_.c_str());
        if (hadPrevious_)
            ::setenv("TMPDIR", previous_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        platform::ui().reset();
    }

    // Opens the model and the include segment the writer fills.
    DWFToolkit::DWFSegment& Open()
    {
        segment_.reset();
        model_ = std::make_unique<DWFToolkit::DWFModel>(u"", u"", u"");
        model_->open(0, 1, nullptr, true, true, true);
        segment_ = std::make_unique<DWFToolkit::DWFIncludeSegment>(model_->openIncludeSegment());
        segment_->open(DWFCore::DWFString(u""));
        return *segment_;
    }

    // Closes the segment and the model and reads the stream back: the
    // include segment's node (after the model's empty published-edges
    // style segment).
    Node Finish()
    {
        segment_->close();
        model_->close();
        const Node top = ReadTree(StreamOf(*model_));
        EXPECT_EQ(top.children.size(), 2u);
        return top.children.empty() ? Node{} : top.children.back();
    }

    // The part writer's passes over a part document, without a publisher.
    void WritePart(host::Document* document, const PublishOptions& options = PublishOptions())
    {
        DWFToolkit::DWFSegment& segment = Open();
        CDWF3DGrWriter writer(document, &segment);
        CDWFxPartWriter::WritePasses(writer, document, segment, nullptr, &options);
    }

    // The properties the writer attached to the include segment, as
    // "category/name=value", in the container's order.
    std::vector<std::string> Properties() const
    {
        std::vector<std::string> found;
        DWFToolkit::DWFPropertyContainer::tList containers;
        segment_->publishedObject()->getOwnedPropertyContainers(containers);
        for (DWFToolkit::DWFPropertyContainer* container : containers)
        {
            std::unique_ptr<DWFCore::DWFIterator<DWFToolkit::DWFProperty*>> all(
                container->getProperties());
            for (; all && all->valid(); all->next())
            {
                DWFToolkit::DWFProperty* property = all->get();
                found.push_back(property->category().toUTF8() + "/" + property->name().toUTF8() +
                                "=" + property->value().toUTF8());
            }
        }
        return found;
    }
    std::size_t PropertyContainers() const
    {
        DWFToolkit::DWFPropertyContainer::tList containers;
        segment_->publishedObject()->getOwnedPropertyContainers(containers);
        return containers.size();
    }

    static std::unique_ptr<host::memory::Application> SamplePart()
    {
        return host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-part.xml");
    }

    std::unique_ptr<DWFToolkit::DWFModel> model_;
    std::unique_ptr<DWFToolkit::DWFIncludeSegment> segment_;
    std::string folder_;

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace geometry_test
