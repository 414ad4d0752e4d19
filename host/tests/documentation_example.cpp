// The example in docs/host-document.md must load as it stands.
#include "host/Annotation.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace host;

TEST(Documentation, TheExampleLoads)
{
    std::ifstream in(std::string(QUILLCAST_SOURCE_DIR) + "/docs/host-document.md");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const auto start = text.find("```xml\n");
    ASSERT_NE(start, std::string::npos);
    const auto end = text.find("```", start + 7);
    ASSERT_NE(end, std::string::npos);
    const std::string xml = text.substr(start + 7, end - start - 7);

    auto application = parseHostDocument(xml, u"");
    Document* document = application->activeDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->title(), u"plate.DRW");
    Drawing* drawing = document->asDrawing();
    ASSERT_EQ(drawing->sheetCount(), 1);
    View* front = drawing->firstView()->next();
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->sketch()->arcCount(), 1);
    EXPECT_TRUE(layout::dimensions(front->dimensionData()).ok());
    EXPECT_EQ(drawing->firstView()->firstAnnotation()->displayData()->text(0),
              u"FLAT <GTOL-FLAT> 0.05");
}
