#pragma once

// Writing and reading whole streams of sheet geometry for the tests: every
// object read is turned into a line of text, so that streams can be compared
// object by object whatever form they were written in.

#include "dwf/w2dtk/code_page.h"
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/font_extension.h"
#include "dwf/w2dtk/layer.h"
#include "dwf/w2dtk/marker_size.h"
#include "dwf/w2dtk/marker_symbol.h"
#include "dwf/w2dtk/origin.h"
#include "dwf/w2dtk/plot_info.h"
#include "dwf/w2dtk/polygon.h"
#include "dwf/w2dtk/polyline.h"
#include "dwf/w2dtk/projection.h"
#include "dwf/w2dtk/units.h"
#include "dwf/w2dtk/view.h"
#include "dwf/w2dtk/viewport.h"
#include "dwf/w2dtk/visibility.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace w2d_geometry_test
{
using w2d_test::Memory_Stream;

inline std::string bytes_of(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

inline std::string text_of(const WT_String& s)
{
    if (s.is_ascii())
        return s.ascii();
    std::string out = "u\"";
    for (std::size_t i = 0; i < s.length(); ++i)
        out += std::to_string(unsigned(s.unicode()[i])) + ";";
    return out + "\"";
}

inline std::string text_of(const WT_Logical_Point& p)
{
    return std::to_string(p.m_x) + "," + std::to_string(p.m_y);
}

template <class Matrix> std::string text_of_matrix(const Matrix& m)
{
    std::ostringstream out;
    for (double v : m.elements())
        out << v << ' ';
    return out.str();
}

inline std::string text_of_points(int count, const WT_Logical_Point* points)
{
    std::string out = std::to_string(count) + ":";
    for (int i = 0; i < count; ++i)
        out += " " + text_of(points[i]);
    return out;
}

// One line per object, holding every value the object carries.
inline std::string describe(WT_Object& object)
{
    switch (object.object_id())
    {
    case WT_Object::Polyline_ID:
    {
        auto& p = static_cast<WT_Polyline&>(object);
        return "Polyline " + text_of_points(p.count(), p.points());
    }
    case WT_Object::Polygon_ID:
    {
        auto& p = static_cast<WT_Polygon&>(object);
        return "Polygon " + text_of_points(p.count(), p.points());
    }
    case WT_Object::Outline_Ellipse_ID:
    case WT_Object::Filled_Ellipse_ID:
    {
        auto& e = static_cast<WT_Ellipse&>(object);
        return std::string(object.object_id() == WT_Object::Filled_Ellipse_ID ? "Filled"
                                                                              : "Outline") +
               " " + text_of(e.position()) + " " + std::to_string(e.major()) + "/" +
               std::to_string(e.minor()) + " " + std::to_string(e.start()) + ".." +
               std::to_string(e.end()) + " tilt " + std::to_string(e.tilt());
    }
    case WT_Object::Contour_Set_ID:
    {
        auto& c = static_cast<WT_Contour_Set&>(object);
        std::string out = "Contours";
        for (auto n : c.counts())
            out += " " + std::to_string(n);
        return out + " | " + text_of_points(c.total_points(), c.points().data());
    }
    case WT_Object::Origin_ID:
        return "Origin " + text_of(static_cast<WT_Origin&>(object).origin());
    case WT_Object::Units_ID:
    {
        auto& u = static_cast<WT_Units&>(object);
        return "Units " + text_of(u.units()) + " " +
               text_of_matrix(u.application_to_dwf_transform());
    }
    case WT_Object::View_ID:
    {
        auto& v = static_cast<WT_View&>(object);
        return "View " + text_of(v.view().m_min) + " " + text_of(v.view().m_max);
    }
    case WT_Object::Viewport_ID:
    {
        auto& v = static_cast<WT_Viewport&>(object);
        std::string out = "Viewport " + text_of(v.name());
        if (const WT_Contour_Set* c = v.contour_set())
        {
            out += " [";
            for (auto n : c->counts())
                out += std::to_string(n) + " ";
            out += text_of_points(c->total_points(), c->points().data()) + "]";
        }
        if (const WT_Units* u = v.viewport_units())
            out += " units " + text_of(u->units()) + " " +
                   text_of_matrix(u->application_to_dwf_transform());
        return out;
    }
    case WT_Object::Layer_ID:
    {
        auto& l = static_cast<WT_Layer&>(object);
        return "Layer " + std::to_string(l.layer_num()) + " " + text_of(l.layer_name()) +
               (l.is_reference() ? " (ref)" : "");
    }
    case WT_Object::Color_ID:
    {
        auto& c = static_cast<WT_Color&>(object);
        WT_RGBA32 const v = c.rgba();
        return "Color " + std::to_string(v.red()) + "," + std::to_string(v.green()) + "," +
               std::to_string(v.blue()) + "," + std::to_string(v.alpha());
    }
    case WT_Object::Visibility_ID:
        return std::string("Visibility ") +
               (static_cast<WT_Visibility&>(object).visibility() ? "on" : "off");
    case WT_Object::Marker_Size_ID:
        return "Marker_Size " + std::to_string(static_cast<WT_Marker_Size&>(object).size());
    case WT_Object::Marker_Symbol_ID:
        return "Marker_Symbol " + std::to_string(static_cast<WT_Marker_Symbol&>(object).symbol());
    case WT_Object::Projection_ID:
        return "Projection " + std::to_string(static_cast<WT_Projection&>(object).projection());
    case WT_Object::Code_Page_ID:
        return "Code_Page " + std::to_string(static_cast<WT_Code_Page&>(object).number());
    case WT_Object::Font_Extension_ID:
    {
        auto& f = static_cast<WT_Font_Extension&>(object);
        return "Font_Extension " + text_of(f.logfont_name()) + "|" + text_of(f.cannonical_name());
    }
    case WT_Object::Plot_Info_ID:
    {
        auto& p = static_cast<WT_Plot_Info&>(object);
        std::ostringstream out;
        out << "Plot_Info " << p.show() << " " << p.rotation() << " " << p.paper_units() << " "
            << p.paper_width() << " " << p.paper_height() << " " << p.lower_left_x() << " "
            << p.lower_left_y() << " " << p.upper_right_x() << " " << p.upper_right_y() << " "
            << text_of_matrix(p.to_paper());
        return out.str();
    }
    case WT_Object::DWF_Header_ID:
        return "Header";
    case WT_Object::End_Of_DWF_ID:
        return "End";
    default:
        return "Object " + std::to_string(object.object_id());
    }
}

// Writes at least one object of every kind of the sheet geometry, in most
// of their forms.
inline void write_every_kind(WT_File& file)
{
    WT_Logical_Point const pts[] = {{0, 0}, {70000, 0}, {70000, 9}};
    WT_Polyline(3, pts, false).serialize(file);
    WT_Polyline(2, pts, false).serialize(file);
    WT_Polyline(2, pts + 1, false).serialize(file);
    WT_Polygon(3, pts, false).serialize(file);
    WT_Filled_Ellipse(1, 2, 3, 3).serialize(file);
    WT_Outline_Ellipse(1, 2, 3, 4, 5, 6, 7).serialize(file);
    WT_Outline_Ellipse(100000, 2, 3, 3, 5, 6).serialize(file);
    WT_Contour_Set(file, 3, pts).serialize(file);
    WT_Units().serialize(file);
    WT_View(WT_Logical_Box({0, 0}, {1, 1})).serialize(file);
    WT_Viewport(file, WT_String("v"), nullptr).serialize(file);
    WT_Layer layer(file, 2, u"two");
    layer.serialize(file);
    layer.serialize(file);
    WT_Code_Page().serialize(file);
    WT_Visibility(false).serialize(file);
    WT_Marker_Size(3).serialize(file);
    WT_Marker_Symbol(3).serialize(file);
    WT_Projection(1).serialize(file);
    WT_Font_Extension(WT_String("a b"), WT_String("c)")).serialize(file);
    WT_Plot_Info().serialize(file);
    WT_Origin(WT_Logical_Point(5, 5)).serialize(file);
    WT_Logical_Point const small[] = {{1, 1}, {2, 5}, {3, 1}, {4, 5}, {5, 1}, {6, 5}};
    WT_Polyline(6, small, false).serialize(file);
    WT_Outline_Ellipse(1, 2, 3, 3, 0, 100).serialize(file);
    WT_Contour_Set clip(file, 6, small);
    WT_Viewport port(file, WT_String("clip"), &clip);
    port.set_viewport_units(WT_Units(WT_Matrix(), WT_String("cm")));
    port.serialize(file);
}

// Opens a file for writing (ASCII or binary), lets body write objects,
// closes it and returns the bytes.
inline std::string write_stream(bool binary, const std::function<void(WT_File&)>& body,
                                const std::function<void(WT_File&)>& setup = {})
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    if (setup)
        setup(file);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(binary);
    body(file);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.written();
}

// What a stream read back: the end result and one line per object.
struct Read_Back
{
    WT_Result end = WT_Result_Success;
    std::vector<std::string> objects;
};

// Reads a stream delivered lo..hi bytes per read call.
inline Read_Back read_back(const std::string& bytes, std::size_t lo = 1, std::size_t hi = 64,
                           const std::function<void(WT_File&)>& setup = {})
{
    Read_Back out;
    Memory_Stream stream(bytes);
    WT_File file;
    w2d_test::open_for_reading(file, stream, lo, hi);
    if (setup)
        setup(file);
    EXPECT_EQ(file.open(), WT_Result_Success);
    out.end = w2d_test::read_stream(file,
                                    [&](WT_Object& object)
                                    {
                                        std::string const line = describe(object);
                                        if (line != "Header" && line != "End")
                                            out.objects.push_back(line);
                                    });
    file.close();
    return out;
}

// The lines of a read, for readable failure messages.
inline std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// The part of an ASCII stream between the header and the trailer.
inline std::string body_of(const std::string& stream)
{
    std::string const head = "(W2D V06.00)";
    std::string const tail = "\r\n(EndOfDWF)\r\n";
    if (stream.compare(0, head.size(), head) != 0 || stream.size() < head.size() + tail.size() ||
        stream.compare(stream.size() - tail.size(), tail.size(), tail) != 0)
        return "<not a framed stream>" + stream;
    return stream.substr(head.size(), stream.size() - head.size() - tail.size());
}

// Same for binary streams, whose trailer follows without a newline.
inline std::string binary_body_of(const std::string& stream)
{
    std::string const head = "(W2D V06.00)";
    std::string const tail = "(EndOfDWF)\r\n";
    if (stream.compare(0, head.size(), head) != 0 || stream.size() < head.size() + tail.size() ||
        stream.compare(stream.size() - tail.size(), tail.size(), tail) != 0)
        return "<not a framed stream>" + stream;
    return stream.substr(head.size(), stream.size() - head.size() - tail.size());
}

inline std::string framed_ascii(const std::string& body)
{
    return "(W2D V06.00)" + body + "\r\n(EndOfDWF)\r\n";
}

inline std::string framed_binary(const std::string& body)
{
    return "(W2D V06.00)" + body + "(EndOfDWF)\r\n";
}

} // namespace w2d_geometry_test
