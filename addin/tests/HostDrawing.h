#pragma once
// Host documents for the writer's tests: loaded from XML text or the
// bundled sample, with the views of a sheet at hand.
#include "host/Loader.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace addin_test
{

struct HostDrawing
{
    std::unique_ptr<host::memory::Application> application;

    explicit HostDrawing(std::unique_ptr<host::memory::Application> loaded)
        : application(std::move(loaded))
    {
    }

    // A drawing of one sheet (paper in metres) holding the given views.
    static HostDrawing FromViews(const std::string& views, const std::string& extra = "",
                                 const std::string& paper = "0.42 0.297")
    {
        const std::string xml = "<host-document><application>"
                                "<preference id=\"108\" value=\"0x00FF00\"/>"
                                "<preference id=\"116\" value=\"0x808080\"/></application>"
                                "<document type=\"3\" title=\"t.DRW\">"
                                "<layer id=\"1\" name=\"Shown\" visible=\"1\"/>"
                                "<layer id=\"2\" name=\"Hidden\" visible=\"0\"/>" +
                                extra + "<drawing><sheet name=\"S\" properties=\"0 0 0 0 0 " +
                                paper + "\">" + views +
                                "</sheet></drawing></document></host-document>";
        return HostDrawing(host::parseHostDocument(xml, u""));
    }

    static HostDrawing Sample()
    {
        return HostDrawing(
            host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml"));
    }

    host::memory::Drawing& drawing() { return *application->documents().front()->drawing; }
    host::memory::Sheet& sheet(std::size_t index = 0) { return *drawing().sheets.at(index); }
    host::memory::View& view(std::size_t index, std::size_t sheetIndex = 0)
    {
        return *sheet(sheetIndex).views.at(index);
    }
};

// The sheet scale of a paper size in millimetres, as the drawing publisher
// sets it.
inline double SheetScaleFor(double widthMm, double heightMm)
{
    return 1000.0 * 13636.5209555 / (widthMm > heightMm ? widthMm : heightMm);
}

} // namespace addin_test
