#ifndef DWFPACKAGE_PAPER_H
#define DWFPACKAGE_PAPER_H

#include "dwf/package/XML.h"

#include <cstdint>

namespace DWFToolkit
{

// The paper of an ePlot page: size, colour, clip and units.
class DWFPaper : public DWFXMLBuildable, public DWFXMLSerializable
{
public:
    enum teUnits : std::int32_t
    {
        eMillimeters = 0,
        eInches = 1,
        // Where reading starts; written as inches.
        eUnknown = 2
    };

    // For reading: not shown, zero size, white, no clip, units unknown.
    DWFPaper();
    // A null clip means none (all 0).
    DWFPaper(double width, double height, teUnits units, std::uint32_t color,
             const double* clip = nullptr, bool show = true);
    DWFPaper(const DWFPaper& other);
    DWFPaper& operator=(const DWFPaper& other);

    bool show() const noexcept { return _show; }
    double width() const noexcept { return _width; }
    double height() const noexcept { return _height; }
    // 0x00RRGGBB
    std::uint32_t color() const noexcept { return _color; }
    const double* clip() const noexcept { return _clip; }
    teUnits units() const noexcept { return _units; }

    void parseAttributeList(const char** attributes) override;
    // "Paper", prefixed only in descriptor form; white leaves "color" out.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    bool _show = false;
    double _width = 0;
    double _height = 0;
    // White until read otherwise: white is written without a colour.
    std::uint32_t _color = 0x00FFFFFF;
    double _clip[4] = {0, 0, 0, 0};
    teUnits _units = eUnknown;
};

} // namespace DWFToolkit

#endif
