#pragma once
// Reads a written sheet back through the W2D toolkit's reader: every
// drawable with the rendition it is drawn with, and the sheet's header
// objects (units, view, viewports).
#include "W2DCapture.h"
#include "dwf/w2dtk/contour_set.h"
#include "dwf/w2dtk/ellipse.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/point_set.h"
#include "dwf/w2dtk/tests/stream_harness.h"
#include "dwf/w2dtk/text.h"
#include "dwf/w2dtk/units.h"
#include "dwf/w2dtk/view.h"
#include "dwf/w2dtk/viewport.h"
#include "dwfcore/zip/Reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sheet_test
{

// A drawable read back, with the font's name and the clip in force too.
struct Item : addin_test::Drawn
{
    std::string fontName;
    std::string viewport;
};

struct Sheet
{
    std::vector<Item> items;
    std::vector<std::string> units;
    std::vector<WT_Matrix> unitsMatrices;
    std::vector<WT_Logical_Box> views;
    std::vector<std::string> viewports;
    std::vector<WT_Logical_Point> clip; // the first viewport's contour
    std::vector<std::int32_t> layers;
    WT_Result end = WT_Result_Success;

    std::vector<Item> Of(WT_Object::WT_ID kind) const
    {
        std::vector<Item> out;
        std::copy_if(items.begin(), items.end(), std::back_inserter(out),
                     [kind](const Item& item) { return item.kind == kind; });
        return out;
    }
    std::size_t Count(WT_Object::WT_ID kind) const { return Of(kind).size(); }
    // The drawables whose points include `point`.
    std::vector<Item> Touching(const WT_Logical_Point& point) const
    {
        std::vector<Item> out;
        for (const Item& item : items)
            if (std::find(item.points.begin(), item.points.end(), point) != item.points.end())
                out.push_back(item);
        return out;
    }
    std::vector<Item> Texts(const std::u16string& text) const
    {
        std::vector<Item> out;
        for (const Item& item : items)
            if (item.kind == WT_Object::Text_ID && item.text == text)
                out.push_back(item);
        return out;
    }
};

inline Sheet Read(const std::vector<std::uint8_t>& bytes)
{
    Sheet sheet;
    WT_File reader;
    w2d_test::Memory_Stream input(bytes);
    w2d_test::open_for_reading(reader, input, 1, 4096);
    EXPECT_EQ(reader.open(), WT_Result_Success);
    const auto record = [&](WT_Object& object)
    {
        if (auto* units = dynamic_cast<WT_Units*>(&object))
        {
            sheet.units.push_back(units->units().utf8());
            sheet.unitsMatrices.push_back(units->application_to_dwf_transform());
            return;
        }
        if (auto* view = dynamic_cast<WT_View*>(&object))
        {
            sheet.views.push_back(view->view());
            return;
        }
        if (auto* viewport = dynamic_cast<WT_Viewport*>(&object))
        {
            sheet.viewports.push_back(viewport->name().utf8());
            if (sheet.clip.empty() && viewport->contour_set())
                sheet.clip = viewport->contour_set()->points();
            return;
        }
        if (auto* layer = dynamic_cast<WT_Layer*>(&object))
        {
            sheet.layers.push_back(layer->layer_num());
            return;
        }
        Item item;
        const WT_Attribute_Set& r = reader.rendition();
        if (!addin_test::RecordDrawable(object, r, item))
            return;
        item.fontName = r.font().font_name().font_name().utf8();
        item.viewport = r.viewport().name().utf8();
        sheet.items.push_back(item);
    };
    sheet.end = w2d_test::read_stream(reader, record);
    reader.close();
    return sheet;
}

// An open W2D file writing into memory; drawables are not merged, so each
// reads back on its own.
class Capture : public addin_test::W2DCapture
{
public:
    Sheet Finish()
    {
        EXPECT_EQ(file().close(), WT_Result_Success);
        return sheet_test::Read(stream().output);
    }
};

// The sheets of a package in the order of their entries.
inline std::vector<Sheet> SheetsOf(const std::string& package)
{
    namespace zip = DWFCore::zipio;
    std::vector<Sheet> sheets;
    zip::ZipReader* reader = zip::unzOpenFile(DWFCore::DWFString(package.c_str()));
    EXPECT_NE(reader, nullptr) << package;
    if (!reader)
        return sheets;
    std::vector<std::string> names;
    for (int status = zip::unzFirstEntry(reader); status == 0; status = zip::unzNextEntry(reader))
    {
        zip::ZipEntryInfo info;
        char name[512] = {};
        EXPECT_EQ(zip::unzGetEntryInfo(reader, &info, name, sizeof name, nullptr, 0, nullptr, 0),
                  0);
        const std::string entry = name;
        if (entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".w2d") == 0)
            names.push_back(entry);
    }
    for (const std::string& name : names)
    {
        std::vector<unsigned char> bytes;
        EXPECT_EQ(zip::unzExtractEntry(reader, DWFCore::DWFString(name.c_str()),
                                       DWFCore::DWFString(), bytes, std::size_t(1) << 26),
                  0)
            << name;
        sheets.push_back(Read(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    }
    zip::unzClose(reader);
    return sheets;
}

} // namespace sheet_test
