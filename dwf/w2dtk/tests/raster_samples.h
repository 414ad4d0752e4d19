#pragma once

// One of each object of the raster family (images, group 4 and PNG images,
// URLs, object nodes, Gouraud drawables, polymarkers and polytriangles), for
// the whole-stream tests and their mutation rounds.

#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/gouraud.h"
#include "dwf/w2dtk/group4_png_image.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/object_node.h"
#include "dwf/w2dtk/polymarker.h"
#include "dwf/w2dtk/polytriangle.h"
#include "dwf/w2dtk/url.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace raster_samples
{

inline void write_raster_family(WT_File& file)
{
    std::uint8_t data[24];
    for (int i = 0; i < 24; ++i)
        data[i] = std::uint8_t(i * 29);
    WT_RGBA32 const colors[2] = {WT_RGBA32(0, 0, 0, 255), WT_RGBA32(255, 255, 255, 255)};
    WT_Color_Map map;
    map.set(2, colors, file);

    WT_URL url;
    url.add_link(1, "http://q.example/", "Q");
    file.desired_rendition().url() = url;
    file.desired_rendition().mark_changed(WT_Attribute_Set::URL_Bit);
    file.desired_rendition().object_node() = WT_Object_Node(file, 8, "Node eight");
    file.desired_rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);

    WT_Image bitonal(4, 12, WT_Image::Bitonal_Mapped, 1, &map, 8, data, WT_Logical_Point(5, 5),
                     WT_Logical_Point(50, 40), true);
    EXPECT_EQ(bitonal.serialize(file), WT_Result_Success);
    file.desired_rendition().object_node().set(9);
    file.desired_rendition().mark_changed(WT_Attribute_Set::Object_Node_Bit);
    WT_Image rgba(2, 3, WT_Image::RGBA, 2, nullptr, 24, data, WT_Logical_Point(-5, 5),
                  WT_Logical_Point(30, 40), false);
    EXPECT_EQ(rgba.serialize(file), WT_Result_Success);
    WT_Group4_PNG_Image png(3, 3, WT_Group4_PNG_Image::PNG, 3, nullptr, 10, data,
                            WT_Logical_Point(0, 0), WT_Logical_Point(3, 3), false);
    EXPECT_EQ(png.serialize(file), WT_Result_Success);
    WT_Group4_PNG_Image mapped(3, 3, WT_Group4_PNG_Image::Group4X_Mapped, 4, &map, 6, data,
                               WT_Logical_Point(0, 0), WT_Logical_Point(3, 3), false);
    EXPECT_EQ(mapped.serialize(file), WT_Result_Success);

    WT_Logical_Point const points[4] = {{0, 0}, {40000, 0}, {0, 10}, {10, 10}};
    WT_RGBA32 const shades[4] = {WT_RGBA32(255, 0, 0), WT_RGBA32(0, 255, 0), WT_RGBA32(0, 0, 255),
                                 WT_RGBA32(9, 9, 9, 9)};
    WT_Gouraud_Polyline line(4, points, shades);
    EXPECT_EQ(line.serialize(file), WT_Result_Success);
    WT_Gouraud_Polytriangle shaded(4, points, shades);
    EXPECT_EQ(shaded.serialize(file), WT_Result_Success);
    WT_Polymarker markers(3, points, false);
    EXPECT_EQ(markers.serialize(file), WT_Result_Success);
    WT_Polymarker more_markers(1, points + 3, false);
    EXPECT_EQ(more_markers.serialize(file), WT_Result_Success);
    WT_Polytriangle strip(3, points, false);
    EXPECT_EQ(strip.serialize(file), WT_Result_Success);
    WT_Polytriangle next(3, points + 1, false);
    EXPECT_EQ(next.serialize(file), WT_Result_Success);
}

} // namespace raster_samples
