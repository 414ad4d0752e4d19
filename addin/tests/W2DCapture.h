#pragma once
// Writes W2D through the drawing path into memory and reads it back with the
// toolkit's reader, recording each drawable together with the rendition it
// is drawn with.
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "dwf/w2dtk/tests/stream_harness.h"
#include "dwf/w2dtk/text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace addin_test
{

struct Drawn
{
    WT_Object::WT_ID kind = WT_Object::Unknown_ID;
    std::vector<WT_Logical_Point>
        points; // polylines, polygons, contour sets; an ellipse's centre; a text's position
    std::vector<std::int32_t> contours; // a contour set's point count of each contour
    std::int32_t major = 0, minor = 0;
    std::uint32_t start = 0, end = 0;
    std::uint16_t tilt = 0;
    std::u16string text;
    // The rendition the drawable is drawn with.
    WT_RGBA32 colour;
    std::int32_t weight = 0;
    std::int32_t pattern = 0;
    bool fill = false;
    std::int32_t fillPattern = 0;
    bool fillPatternScaled = false;
    std::int32_t fontHeight = 0;
    std::uint16_t fontRotation = 0;

    bool IsPolyline() const { return kind == WT_Object::Polyline_ID; }
    bool IsEllipse() const { return kind == WT_Object::Outline_Ellipse_ID; }
    bool IsPolygon() const { return kind == WT_Object::Polygon_ID; }
    bool IsText() const { return kind == WT_Object::Text_ID; }
    bool IsContourSet() const { return kind == WT_Object::Contour_Set_ID; }
};

// Fills `d` from a drawable read back and the rendition it is drawn with;
// false when the object is no drawable.
inline bool RecordDrawable(WT_Object& object, const WT_Attribute_Set& r, Drawn& d)
{
    d.kind = object.object_id();
    d.colour = r.color().rgba();
    d.weight = r.line_weight().weight_value();
    d.pattern = r.line_pattern().pattern_id();
    d.fill = r.fill().fill();
    d.fillPattern = r.fill_pattern().pattern_id();
    d.fillPatternScaled = r.fill_pattern().has_scale();
    d.fontHeight = r.font().height().height();
    d.fontRotation = r.font().rotation().rotation();
    if (auto* set = dynamic_cast<WT_Point_Set*>(&object))
        d.points.assign(set->points(), set->points() + set->count());
    else if (auto* contours = dynamic_cast<WT_Contour_Set*>(&object))
    {
        d.points = contours->points();
        d.contours = contours->counts();
    }
    else if (auto* ellipse = dynamic_cast<WT_Ellipse*>(&object))
    {
        d.points.push_back(ellipse->position());
        d.major = ellipse->major();
        d.minor = ellipse->minor();
        d.start = ellipse->start();
        d.end = ellipse->end();
        d.tilt = ellipse->tilt();
    }
    else if (auto* text = dynamic_cast<WT_Text*>(&object))
    {
        d.points.push_back(text->position());
        d.text = text->string().unicode();
    }
    else
        return false;
    return true;
}

// An open W2D file writing into memory. Merging of polylines that share an
// end point is off unless asked for, so each entity reads back on its own.
class W2DCapture
{
public:
    explicit W2DCapture(bool merge = false)
    {
        stream_.install(file_);
        file_.set_file_mode(WT_File::File_Write);
        file_.set_allow_drawable_merging(merge);
        EXPECT_EQ(file_.open(), WT_Result_Success);
    }

    WT_File& file() { return file_; }
    w2d_test::Memory_Stream& stream() { return stream_; }

    // Closes the file and reads every drawable back.
    std::vector<Drawn> ReadBack()
    {
        EXPECT_EQ(file_.close(), WT_Result_Success);
        return Read(stream_.output);
    }

    static std::vector<Drawn> Read(const std::vector<std::uint8_t>& bytes)
    {
        std::vector<Drawn> drawn;
        WT_File reader;
        w2d_test::Memory_Stream input(bytes);
        w2d_test::open_for_reading(reader, input, 1, 4096);
        EXPECT_EQ(reader.open(), WT_Result_Success);
        const WT_Result end =
            w2d_test::read_stream(reader,
                                  [&](WT_Object& object)
                                  {
                                      Drawn d;
                                      if (RecordDrawable(object, reader.rendition(), d))
                                          drawn.push_back(d);
                                  });
        EXPECT_EQ(end, WT_Result_End_Of_Stream);
        reader.close();
        return drawn;
    }

private:
    w2d_test::Memory_Stream stream_;
    WT_File file_;
};

inline std::vector<Drawn> OfKind(const std::vector<Drawn>& drawn, WT_Object::WT_ID kind)
{
    std::vector<Drawn> out;
    for (const Drawn& d : drawn)
        if (d.kind == kind)
            out.push_back(d);
    return out;
}

} // namespace addin_test
